// A canned-replies file of any content: read and, when it reads, written as ".List" and read
// back. No crash; the items read back are the items read; a reading with a layout gives the same
// result and names a place inside the input.
#include "fuzz/fuzz_common.h"
#include "replies/tv_text_messages.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tvfuzz::Scratch& scratch = tvfuzz::TheScratch();
  scratch.Clean();
  tvfuzz::WriteFile(scratch.Data() + TvFastReplysService::kOldFileName, data, size);
  TvFastReplysService seen(scratch.Log(), scratch.Paths());
  TvTextListLayout layout;
  const TvBool seenLoaded =
      seen.LoadFile(scratch.Data() + TvFastReplysService::kOldFileName, &layout);
  if (layout.problem.offset > size) tvfuzz::Fail("a problem placed past the end of the input");
  if (seenLoaded != layout.problem.Ok()) tvfuzz::Fail("result and problem disagree");
  TvFastReplysService replies(scratch.Log(), scratch.Paths());
  if (replies.LoadOld(TvFastReplysService::kOldFileName) != seenLoaded) {
    tvfuzz::Fail("the layout changed the reading's result");
  }
  if (seenLoaded && replies.Save(TvFastReplysService::kFileName)) {
    TvFastReplysService back(scratch.Log(), scratch.Paths());
    if (!back.LoadFile(scratch.Data() + TvFastReplysService::kFileName)) {
      tvfuzz::Fail("the .List file was written but does not read back");
    }
    if (back.GetSize() != replies.GetSize()) tvfuzz::Fail("another number of items read back");
    for (uint32_t i = 0; i < back.GetSize(); ++i) {
      if (back.GetAt(i)->m_csName != replies.GetAt(i)->m_csName ||
          back.GetAt(i)->m_csText != replies.GetAt(i)->m_csText ||
          back.GetAt(i)->m_dwordStatus != replies.GetAt(i)->m_dwordStatus) {
        tvfuzz::Fail("an item changed on the way");
      }
    }
  }
  return 0;
}
