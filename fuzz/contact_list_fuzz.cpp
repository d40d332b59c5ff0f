// "ContactList.Users" of any content: read and, when it reads, written as "Contacts.List" and
// read back with the 3.1 reader. No crash; what is written reads back with the same groups.
#include "contacts/tv_contact_list.h"
#include "fuzz/fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tvfuzz::Scratch& scratch = tvfuzz::TheScratch();
  scratch.Clean();
  tvfuzz::WriteFile(scratch.Data() + TvContactList::kOldFileName, data, size);
  TvContactList list(scratch.Log(), scratch.Paths());
  if (list.LoadOld() && list.Save()) {
    TvContactList back(scratch.Log(), scratch.Paths());
    if (!back.Load()) tvfuzz::Fail("Contacts.List written but not readable");
    if (back.m_root.CountItems(3, 1) != list.m_root.CountItems(3, 1)) {
      tvfuzz::Fail("Contacts.List reads back with another number of items");
    }
  }
  return 0;
}
