// The bytes of the 3.1 contact list spelled out field by field, a small 3.0 contact list with the
// 3.1 file it must give, and the data folder fixture, shared by the contact list and canned-reply
// store tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "contacts/contacts_format.h"
#include "foundation/coding.h"
#include "foundation/data_paths.h"
#include "foundation/replacing_file.h"
#include "foundation/tv_log.h"
#include "foundation/utilities.h"
#include "support/old_contacts_writer.h"
#include "support/scratch_dir.h"

namespace contacts_support {

// A 32-bit little-endian value and a counted string, as the files store them.
inline std::string U32(uint32_t value) {
  std::string out;
  PutFixed32(&out, value);
  return out;
}
inline std::string Str(const std::string& text) {
  std::string out;
  PutCountedString(&out, text);
  return out;
}
inline std::string Zeros(size_t count) { return std::string(count, '\0'); }

// The fields every item record starts with.
inline std::string ItemPart(uint32_t type, uint32_t data, const std::string& name,
                            const std::string& text, uint32_t status, uint32_t flags) {
  return U32(type) + U32(data) + Str(name) + Str(text) + U32(status) + U32(flags) + Str("") +
         Zeros(8);
}

inline std::string UserRecord(uint32_t data, const std::string& name, const std::string& text,
                              uint32_t flags, uint32_t value1 = 0, uint32_t value2 = 0,
                              const std::string& textValue1 = "",
                              const std::string& textValue2 = "") {
  return ItemPart(2, data, name, text, 0, flags) + Zeros(32) + U32(value1) + U32(value2) +
         Str(textValue1) + Str(textValue2);
}

struct Child {
  uint32_t type;
  std::string path;
  std::string record;
};

inline std::string GroupRecord(uint32_t data, const std::string& name, const std::string& text,
                               uint32_t status, const std::vector<Child>& children) {
  std::string out = ItemPart(1, data, name, text, status, 0) +
                    U32(static_cast<uint32_t>(children.size())) + Zeros(32);
  for (const Child& child : children) out += U32(child.type) + Str(child.path) + child.record;
  return out;
}

// The whole "Contacts.List" around its root group record.
inline std::string ContactsFile(const std::string& rootRecord) {
  return U32(2) + U32(0) + rootRecord;
}

// Friends and FRIENDS merge (first spelling, data and texts kept), ghost is hidden, and every
// status and status time of a user is replaced. (A user whose name the merge finds taken is
// covered by MergeDropsAreToldAndTheOldFileIsKept.)
inline TvOldContactListImage SmallOldList(uint32_t version) {
  TvOldContactListImage list;
  list.version = version;
  list.afterVersion = 0xDEADBEEF;

  TvOldContactUserImage alice = OldUser("alice", 0x1);
  alice.data = 11;
  alice.text = "Alice A.";
  alice.status = 3;
  alice.unused1 = 9;
  alice.unusedText = "dropped";
  alice.statusTime = 12345;
  alice.unused2 = 77;
  alice.value1 = 100;
  alice.value2 = 200;
  alice.textValue1 = "10.0.0.5";
  alice.textValue2 = "ALICE-PC";

  TvOldContactGroupImage friends =
      OldGroup("Friends", {alice, OldUser("ghost", 0x8 | 0x1), OldUser("bob")});
  friends.data = 7;
  friends.text = "close ones";
  friends.status = 5;
  friends.unused1 = 0x11;
  friends.unused2 = 0x22;
  friends.unusedText = "dropped too";

  TvOldContactGroupImage friendsAgain = OldGroup("FRIENDS", {OldUser("dave")});
  friendsAgain.data = 99;
  friendsAgain.text = "not kept";
  friendsAgain.status = 1;

  TvOldContactGroupImage work = OldGroup("Work", {OldUser("carol")});
  work.data = 1;

  list.groups = {friends, work, friendsAgain};
  return list;
}

// Where a record starts in bytes that hold it: found by its leading fields.
inline uint64_t RecordAt(const std::string& bytes, uint32_t type, uint32_t data,
                         const std::string& name) {
  const size_t at = bytes.find(U32(type) + U32(data) + Str(name));
  EXPECT_NE(at, std::string::npos) << name;
  return at;
}

// The "Contacts.List" SmallOldList must give.
inline std::string SmallNewList() {
  std::string friends = GroupRecord(
      7, "Friends", "close ones", 5,
      {{2, "Friends", UserRecord(11, "alice", "Alice A.", 0x1, 100, 200, "10.0.0.5", "ALICE-PC")},
       {2, "Friends", UserRecord(0, "bob", "", 0)},
       {2, "Friends", UserRecord(0, "dave", "", 0)}});
  std::string work = GroupRecord(1, "Work", "", 0, {{2, "Work", UserRecord(0, "carol", "", 0)}});
  return ContactsFile(GroupRecord(0, "", "", 0, {{1, "Friends", friends}, {1, "Work", work}}));
}

// A scratch data folder with its log.
class DataFolderTest : public tvtest::ScratchTest {
 protected:
  std::string LogText() const { return tvtest::ReadWholeFile(log.FilePath()); }
  // Names in the data folder left by the durable writes.
  std::vector<std::string> LeftoverTempFiles() const {
    TvStringList files;
    ListFiles(files, scratch.Path(), std::string("*") + TvReplacingFile::kTempSuffix);
    return files;
  }

  TvFixedDataPaths paths{scratch.Path()};
  TvLog log{paths};
};

}  // namespace contacts_support
