// Bytes of any content read in memory as a canned-replies file. No crash; a problem is placed
// inside the input; a list that reads is encoded as ".List" and reads back with the same texts,
// and that encoding is its own fixed point.
#include "fuzz/fuzz_common.h"
#include "replies/replies_format.h"
#include "replies/tv_text_messages.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tvfuzz::Scratch& scratch = tvfuzz::TheScratch();
  TvTextListFile file;
  BufferSource source(data, size);
  const TextListReadProblem problem = ReadTextList(source, file);
  if (problem.offset > size) tvfuzz::Fail("a problem placed past the end of the input");
  if (problem.Ok() != problem.text.empty()) tvfuzz::Fail("a problem without a text");
  if (problem.Ok() && file.image.items.size() != file.image.count.value_or(0)) {
    tvfuzz::Fail("a list read without a problem lacks items");
  }
  if (!problem.Ok()) return 0;
  TvFastReplysService replies(scratch.Log(), scratch.Paths());
  replies.TakeRecords(file);
  const std::string bytes = replies.Encode();
  TvTextListFile back;
  BufferSource backSource(bytes);
  if (!ReadTextList(backSource, back).Ok() || back.end != bytes.size()) {
    tvfuzz::Fail("the .List image does not read back whole");
  }
  if (back.image.items.size() != file.image.items.size()) {
    tvfuzz::Fail("another number of items read back");
  }
  for (size_t i = 0; i < back.image.items.size(); ++i) {
    const TvTextMessageImage& a = back.image.items[i];
    const TvTextMessageImage& b = file.image.items[i];
    if (a.name != b.name || a.text != b.text || a.status != b.status) {
      tvfuzz::Fail("an item changed on the way");
    }
  }
  TvFastReplysService again(scratch.Log(), scratch.Paths());
  again.TakeRecords(back);
  if (again.Encode() != bytes) tvfuzz::Fail("the .List image encodes differently read back");
  return 0;
}
