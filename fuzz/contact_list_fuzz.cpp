// "ContactList.Users" of any content: read and, when it reads, written as "Contacts.List" and
// read back with the 3.1 reader. No crash; what is written reads back with the same groups; a
// reading with a layout gives the same result and names a place inside the input.
#include "contacts/tv_contact_list.h"
#include "foundation/tv_file.h"
#include "fuzz/fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tvfuzz::Scratch& scratch = tvfuzz::TheScratch();
  scratch.Clean();
  tvfuzz::WriteFile(scratch.Data() + TvContactList::kOldFileName, data, size);
  TvContactList list(scratch.Log(), scratch.Paths());
  const TvBool loaded = list.LoadOld();
  TvContactList seen(scratch.Log(), scratch.Paths());
  TvContactListLayout layout;
  if (seen.LoadOldFile(scratch.Data() + TvContactList::kOldFileName, kModeReadShared, &layout) !=
      loaded)
    tvfuzz::Fail("the layout changed the reading's result");
  if (layout.problem.offset > size) tvfuzz::Fail("a problem placed past the end of the input");
  if (!layout.problem.Ok() && loaded) tvfuzz::Fail("a problem named for a reading that succeeded");
  if (loaded && list.Save()) {
    TvContactList back(scratch.Log(), scratch.Paths());
    if (!back.Load()) tvfuzz::Fail("Contacts.List written but not readable");
    if (back.m_root.CountItems(3, 1) != list.m_root.CountItems(3, 1)) {
      tvfuzz::Fail("Contacts.List reads back with another number of items");
    }
    TvContactListLayout written;
    if (!back.LoadFile(scratch.Data() + TvContactList::kFileName, &written) ||
        !written.problem.Ok() || written.end != written.length) {
      tvfuzz::Fail("Contacts.List does not read back whole with a layout");
    }
  }
  return 0;
}
