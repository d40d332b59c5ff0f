// Bytes of any content read in memory as "ContactList.Users" and as "Contacts.List". No crash; a
// problem is placed inside the input; an old list that reads is built into a tree whose
// "Contacts.List" reads back whole into the same tree, byte for byte when encoded again.
#include "contacts/contacts_format.h"
#include "contacts/tv_contact_list.h"
#include "fuzz/fuzz_common.h"

namespace {

// The tree of a "Contacts.List" image, encoded again; fails when the image does not read whole.
std::string ReadBackAndEncode(const std::string& bytes, uint32_t items) {
  TvContactListFile file;
  BufferSource source(bytes);
  if (!ReadContactList(source, file).Ok() || file.end != file.length) {
    tvfuzz::Fail("Contacts.List written but not readable whole");
  }
  TvContactList back(tvfuzz::TheScratch().Log(), tvfuzz::TheScratch().Paths());
  if (!back.m_root.AddChildren(file.records[0])) tvfuzz::Fail("a record read back is not whole");
  if (back.m_root.CountItems(kContactTypeAny, 1) != items) {
    tvfuzz::Fail("Contacts.List reads back with another number of items");
  }
  return back.Encode();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tvfuzz::Scratch& scratch = tvfuzz::TheScratch();
  TvContactListFile old;
  BufferSource oldSource(data, size);
  const ContactListReadProblem oldProblem = ReadOldContactList(oldSource, old);
  if (oldProblem.offset > size) tvfuzz::Fail("a problem placed past the end of the input");
  if (oldProblem.Ok() != oldProblem.text.empty()) tvfuzz::Fail("a problem without a text");
  TvContactList list(scratch.Log(), scratch.Paths());
  if (list.TakeOldRecords(old.records) && oldProblem.Ok()) {
    const std::string bytes = list.Encode();
    if (ReadBackAndEncode(bytes, list.m_root.CountItems(kContactTypeAny, 1)) != bytes) {
      tvfuzz::Fail("Contacts.List encodes differently after reading back");
    }
  }

  // The same bytes as a new list: what reads whole is built and written again as it was built.
  TvContactListFile fresh;
  BufferSource newSource(data, size);
  const ContactListReadProblem newProblem = ReadContactList(newSource, fresh);
  if (newProblem.offset > size) tvfuzz::Fail("a problem placed past the end of the input");
  if (newProblem.Ok() && !RecordIsWhole(fresh.records[0], true)) {
    tvfuzz::Fail("a list read without a problem holds a record not read whole");
  }
  if (newProblem.Ok()) {
    TvContactList tree(scratch.Log(), scratch.Paths());
    tree.m_root.AddChildren(fresh.records[0]);
    const std::string bytes = tree.Encode();
    ReadBackAndEncode(bytes, tree.m_root.CountItems(kContactTypeAny, 1));
  }
  return 0;
}
