// The contact list: reading "ContactList.Users", writing "Contacts.List", the conversion with its
// log lines, the tree operations and the reading of "Contacts.List". What it does alike with the
// canned-reply stores (deleting or keeping the old file, reruns, damaged files, failed operations
// and saves) is tested for all three in replies/text_messages_test.cpp.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "contacts/contacts_format.h"
#include "contacts/tv_contact_list.h"
#include "support/small_contact_list.h"

namespace {

using contacts_support::ContactsFile;
using contacts_support::GroupRecord;
using contacts_support::ItemPart;
using contacts_support::NewContactItem;
using contacts_support::OldGroup;
using contacts_support::OldUser;
using contacts_support::RecordAt;
using contacts_support::SmallNewList;
using contacts_support::SmallOldList;
using contacts_support::Str;
using contacts_support::U32;
using contacts_support::UserRecord;
using contacts_support::Zeros;
using ::testing::HasSubstr;

class ContactListTest : public contacts_support::DataFolderTest {
 protected:
  std::string OldPath() const { return scratch.File(TvContactList::kOldFileName); }
  std::string NewPath() const { return scratch.File(TvContactList::kFileName); }

  void WriteOld(const TvOldContactListImage& image) {
    tvtest::WriteWholeFile(OldPath(), EncodeOldContactList(image));
  }
  void Convert(TvBool deleteOld) {
    TvContactList list(log, paths);
    list.Convert(deleteOld);
  }
};

// ---------------------------------------------------------------------------------------------
// Conversion

TEST_F(ContactListTest, ConvertsSmallTreeByteForByteFromEveryVersion) {
  // Version 1 has no value after the version; 2 and above have one, which is dropped.
  for (uint32_t version : {1u, 2u, 7u}) {
    SCOPED_TRACE("version " + std::to_string(version));
    WriteOld(SmallOldList(version));
    Convert(0);
    EXPECT_EQ(tvtest::ReadWholeFile(NewPath()), SmallNewList());
  }
}

TEST_F(ContactListTest, LoadOldStampsEveryUserOfflineAtTheConversionTime) {
  WriteOld(SmallOldList(2));
  TvContactList list(log, paths);
  uint32_t before = TvContactListUser::CurrentMinutes();
  ASSERT_TRUE(list.LoadOld());
  uint32_t after = TvContactListUser::CurrentMinutes();

  TvContactListGroup* friends = list.FindGroup("friends");
  ASSERT_NE(friends, nullptr);
  EXPECT_EQ(friends->m_csName, "Friends");
  EXPECT_EQ(friends->m_dwordStatus, 5u);
  ASSERT_EQ(friends->m_children.GetSize(), 3u);
  for (uint32_t i = 0; i < friends->m_children.GetSize(); ++i) {
    auto* user = static_cast<TvContactListUser*>(friends->m_children[i]);
    EXPECT_EQ(user->m_dwordStatus, 0u);
    EXPECT_GE(user->m_dwordStatusTime, before);
    EXPECT_LE(user->m_dwordStatusTime, after);
    EXPECT_EQ(user->GetParent(), friends);
  }
  EXPECT_EQ(list.FindGroup("ghost"), nullptr);
  EXPECT_EQ(friends->FindItem("ghost", kContactTypeAny, 1), nullptr) << "hidden user dropped";
}

TEST_F(ContactListTest, MergeDropsAreToldAndTheOldFileIsKept) {
  auto sales = [](uint32_t lastByte, const char* computer) {
    TvOldContactUserImage user = OldUser("Sales");
    user.value1 = 0xC0A80100u | lastByte;
    user.text = computer;
    return user;
  };
  TvOldContactListImage image;
  image.version = 2;
  image.groups = {OldGroup("Work", {sales(179, "PC-1")}),
                  OldGroup("work", {OldUser("Ann"), sales(148, "")}),
                  OldGroup("Home", {OldUser("Bo"), OldUser("BO")})};
  const std::string merged =
      "Contact: user 'Sales' (192.168.1.148) of group 'work' , NOT converted, group 'Work' "
      "already holds a contact of that name";
  const std::string sameGroup =
      "Contact: user 'BO' (0.0.0.0) of group 'Home' , NOT converted, group 'Home' already holds "
      "a contact of that name";
  for (TvBool deleteOld : {0, 1}) {
    SCOPED_TRACE(deleteOld);
    tvtest::RemoveTree(log.FilePath());
    log.m_dwordErrorCount = 0;
    WriteOld(image);
    const std::string oldBytes = tvtest::ReadWholeFile(OldPath());
    Convert(deleteOld);

    EXPECT_EQ(tvtest::ReadWholeFile(OldPath()), oldBytes) << "kept, so no contact is lost";
    TvContactList written(log, paths);
    ASSERT_TRUE(written.Load());
    EXPECT_EQ(written.m_root.CountItems(kContactTypeUser, 1), 3u) << "the rest is written";
    auto* kept = static_cast<TvContactListUser*>(
        written.FindGroup("Work")->FindItem("Sales", kContactTypeUser, 0));
    EXPECT_EQ(kept->m_dwordValue1, 0xC0A801B3u) << "the first one listed keeps the name";
    const std::string text = LogText();
    EXPECT_THAT(text, HasSubstr(" @  Error: " + merged + "\r\n"));
    EXPECT_THAT(text, HasSubstr(" @  Error: " + sameGroup + "\r\n"));
    EXPECT_EQ(log.m_dwordErrorCount, 2u);
    EXPECT_EQ(text.find("Deleted"), std::string::npos) << text;
    EXPECT_TRUE(ui.boxes.empty());
  }
  TvContactList reader(log, paths);
  ASSERT_TRUE(reader.LoadOld());
  ASSERT_EQ(reader.DroppedContacts().size(), 2u);
  EXPECT_EQ(TvContactList::DroppedContactLine(reader.DroppedContacts()[0]), merged);
}

TEST_F(ContactListTest, NothingToReadWritesDeletesAndLogsNothing) {
  struct Case {
    const char* what;
    bool present;
    std::string bytes;
  };
  const Case cases[] = {
      {"missing file", false, ""},
      {"empty file", true, ""},
      {"version 0", true, EncodeOldContactList(SmallOldList(0))},
      {"no groups", true, EncodeOldContactList({})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    tvtest::RemoveTree(OldPath());
    tvtest::RemoveTree(NewPath());
    if (c.present) tvtest::WriteWholeFile(OldPath(), c.bytes);

    Convert(1);

    EXPECT_TRUE(tvtest::PathExists(OldPath())) << "a missing file is created empty and stays";
    EXPECT_EQ(tvtest::ReadWholeFile(OldPath()), c.bytes);
    EXPECT_FALSE(tvtest::PathExists(NewPath()));
    EXPECT_FALSE(tvtest::PathExists(log.FilePath()));
    EXPECT_TRUE(ui.boxes.empty());

    // An earlier new list is left as it is.
    tvtest::WriteWholeFile(NewPath(), "earlier list");
    Convert(1);
    EXPECT_EQ(tvtest::ReadWholeFile(NewPath()), "earlier list");
    EXPECT_EQ(tvtest::ReadWholeFile(OldPath()), c.bytes);
  }
}

// The records a reading kept: the old file's groups, or the children of the new file's root.
const std::vector<TvContactRecord>& Kept(const TvContactListFile& file, bool newFile) {
  static const std::vector<TvContactRecord> none;
  if (!newFile) return file.records;
  return file.records.empty() ? none : file.records[0].children;
}

// The readers over memory.
ContactListReadProblem ReadBytes(const std::string& bytes, bool newFile, TvContactListFile& out) {
  BufferSource source(bytes);
  return newFile ? ReadContactList(source, out) : ReadOldContactList(source, out);
}

TEST_F(ContactListTest, ReadersNameWhereAndWhyTheReadingStopped) {
  using P = ContactListProblem;
  const std::string old = EncodeOldContactList(SmallOldList(2));
  const uint64_t friends = RecordAt(old, 1, 7, "Friends");
  const uint64_t bob = RecordAt(old, 2, 0, "bob");
  const uint64_t again = RecordAt(old, 1, 99, "FRIENDS");
  const uint64_t dave = RecordAt(old, 2, 0, "dave");
  const std::string version1 = EncodeOldContactList(SmallOldList(1));
  const std::string full = SmallNewList();
  const uint64_t newFriends = RecordAt(full, 1, 7, "Friends");
  const uint64_t friendsEntry = newFriends - 4 - Str("Friends").size();  // its type code and path
  const uint64_t newBob = RecordAt(full, 2, 0, "bob");
  const uint64_t carol = RecordAt(full, 2, 0, "carol");
  struct Case {
    const char* what;
    bool newFile;  // "Contacts.List", else "ContactList.Users"
    std::string bytes;
    P kind;
    uint64_t offset;
    size_t records;       // groups (old file) or children of the root (new file) kept
    size_t lastChildren;  // users or children of the last of them
  };
  const Case cases[] = {
      {"old: sound", false, old, P::kNone, 0, 3, 1},
      {"old: version", false, old.substr(0, 3), P::kHeaderCut, 0, 0, 0},
      {"old: value after the version", false, old.substr(0, 7), P::kHeaderCut, 4, 0, 0},
      {"old: group count", false, old.substr(0, 11), P::kHeaderCut, 8, 0, 0},
      {"old: group count of version 1", false, version1.substr(0, 7), P::kHeaderCut, 4, 0, 0},
      {"old: first group's record", false, old.substr(0, friends + 5), P::kGroupCut, friends, 0, 0},
      {"old: a user inside", false, old.substr(0, bob + 1), P::kUserCut, bob, 1, 2},
      {"old: last group's record", false, old.substr(0, again + 30), P::kGroupCut, again, 2, 1},
      {"old: last user", false, old.substr(0, old.size() - 1), P::kUserCut, dave, 3, 0},
      {"new: sound", true, full, P::kNone, 0, 2, 1},
      {"new: version", true, full.substr(0, 2), P::kHeaderCut, 0, 0, 0},
      {"new: reserved word", true, full.substr(0, 6), P::kHeaderCut, 4, 0, 0},
      {"new: another version", true, U32(3) + full.substr(4), P::kBadVersion, 0, 0, 0},
      {"new: root record", true, full.substr(0, 8 + 10), P::kGroupCut, 8, 0, 0},
      {"new: first child's path", true, full.substr(0, friendsEntry + 6), P::kChildCut,
       friendsEntry, 0, 0},
      {"new: a group record", true, full.substr(0, newFriends + 3), P::kGroupCut, newFriends, 1, 0},
      {"new: a user record", true, full.substr(0, newBob + 3), P::kUserCut, newBob, 1, 2},
      {"new: last user", true, full.substr(0, full.size() - 1), P::kUserCut, carol, 2, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TvContactListFile file;
    const ContactListReadProblem problem = ReadBytes(c.bytes, c.newFile, file);
    EXPECT_EQ(problem.kind, c.kind) << ProblemKey(problem.kind);
    EXPECT_EQ(problem.offset, c.offset);
    EXPECT_EQ(problem.Ok(), problem.text.empty());
    EXPECT_EQ(file.length, c.bytes.size());
    if (c.kind == P::kNone) {
      EXPECT_EQ(file.end, c.bytes.size());
    }
    const std::vector<TvContactRecord>& kept = Kept(file, c.newFile);
    ASSERT_EQ(kept.size(), c.records);
    if (kept.empty()) continue;
    EXPECT_EQ(kept.back().children.size(), c.lastChildren);
    // A record of the new file cut short is kept as its entry, its fields unread.
    if (c.newFile && c.kind == P::kGroupCut) {
      EXPECT_FALSE(kept.back().read);
    }
    if (c.newFile && c.kind == P::kUserCut) {
      EXPECT_FALSE(kept.back().children.back().read);
    }
  }
  // Every record as the old file holds it, before the merge, the hidden-user drop and the status
  // reset, and as the new file holds it, with the type code and path text before it.
  TvContactListFile oldFile;
  TvContactListFile newFile;
  ASSERT_TRUE(ReadBytes(old, false, oldFile).Ok());
  ASSERT_TRUE(ReadBytes(full, true, newFile).Ok());
  const TvContactRecord& first = oldFile.records[0];
  EXPECT_EQ(first.offset, friends);
  EXPECT_EQ(first.type, 1u);
  EXPECT_EQ(first.status, 5u);
  EXPECT_EQ(first.count, 3u);
  ASSERT_EQ(first.children.size(), 3u);
  EXPECT_EQ(first.children[0].status, 3u);
  EXPECT_EQ(first.children[0].value1, 100u);
  EXPECT_EQ(first.children[0].textValue2, "ALICE-PC");
  EXPECT_EQ(first.children[1].name, "ghost");
  EXPECT_EQ(first.children[2].offset, bob);
  const TvContactRecord& friendsRecord = newFile.records[0].children[0];
  EXPECT_EQ(friendsRecord.offset, newFriends);
  EXPECT_EQ(friendsRecord.precedingType, kContactTypeGroup);
  EXPECT_EQ(friendsRecord.pathText, "Friends");
  EXPECT_EQ(friendsRecord.children[1].offset, newBob);
  EXPECT_EQ(friendsRecord.children[0].value2, 200u);
  // The tree encodes back to the very bytes it was read from.
  TvContactList tree(log, paths);
  ASSERT_TRUE(tree.m_root.AddChildren(newFile.records[0]));
  EXPECT_EQ(tree.Encode(), full);
}

// ---------------------------------------------------------------------------------------------
// Tree operations

using ContactTreeTest = ContactListTest;

// A new item of the tree with a name.
template <typename Item>
Item* NewItem(const std::string& name) {
  auto* item = new Item;
  item->m_csName = name;
  return item;
}
TvContactListGroup* NewGroup(const std::string& name) { return NewItem<TvContactListGroup>(name); }
TvContactListUser* NewUser(const std::string& name) { return NewItem<TvContactListUser>(name); }
// Adds item to parent and returns it.
template <typename Item>
Item* Add(TvContactListGroup& parent, Item* item) {
  parent.AddItem(item);
  return item;
}

TEST_F(ContactTreeTest, AddItemRefusesANameTakenByADirectChildOfEitherKind) {
  TvContactListGroup root;
  TvContactListGroup* friends = NewGroup("Friends");
  ASSERT_TRUE(root.AddItem(friends));
  EXPECT_EQ(friends->GetParent(), &root);

  TvContactListUser* clash = NewUser("FRIENDS");
  EXPECT_FALSE(root.AddItem(clash));
  EXPECT_EQ(clash->GetParent(), nullptr);
  delete clash;
  TvContactListGroup* clashGroup = NewGroup("friends");
  EXPECT_FALSE(root.AddItem(clashGroup));
  delete clashGroup;

  // The same name one level down is no clash.
  EXPECT_TRUE(friends->AddItem(NewUser("friends")));
  EXPECT_EQ(root.m_children.GetSize(), 1u);
  EXPECT_EQ(friends->m_children.GetSize(), 1u);
}

TEST_F(ContactTreeTest, FindItemSearchesDepthFirstAndHonoursMaskAndRecursion) {
  TvContactListGroup root;
  TvContactListGroup* a = Add(root, NewGroup("A"));
  TvContactListGroup* b = Add(root, NewGroup("target"));
  TvContactListUser* deep = Add(*a, NewUser("TARGET"));
  TvContactListGroup* same = Add(*a, NewGroup("same"));
  TvContactListUser* inner = Add(*same, NewUser("same"));

  EXPECT_EQ(root.FindItem("target", kContactTypeAny, 1), deep) << "A's subtree comes before B";
  EXPECT_EQ(root.FindItem("target", kContactTypeGroup, 1), b);
  EXPECT_EQ(root.FindItem("target", kContactTypeAny, 0), b) << "no descent without recursion";
  EXPECT_EQ(root.FindItem("target", kContactTypeUser, 2), nullptr) << "only 1 means recursive";
  EXPECT_EQ(root.FindItem("same", kContactTypeAny, 1), same) << "a child before its descendants";
  EXPECT_EQ(root.FindItem("same", kContactTypeUser, 1), inner);
  EXPECT_EQ(root.FindItem("nobody", kContactTypeAny, 1), nullptr);
}

TEST_F(ContactTreeTest, CountItemsAndDisplayInfo) {
  TvContactListGroup root;
  TvContactListGroup* friends = Add(root, NewGroup("Friends"));
  TvContactListGroup* work = Add(*friends, NewGroup("Work"));
  friends->AddItem(NewUser("ann"));
  work->AddItem(NewUser("ben"));
  TvContactListUser* cid = Add(*work, NewUser("cid"));

  EXPECT_EQ(root.CountItems(kContactTypeAny, 0), 1u);
  EXPECT_EQ(root.CountItems(kContactTypeAny, 1), 5u);
  EXPECT_EQ(root.CountItems(kContactTypeUser, 1), 3u);
  EXPECT_EQ(root.CountItems(kContactTypeGroup, 1), 2u);
  EXPECT_EQ(friends->CountItems(kContactTypeUser, 0), 1u);
  EXPECT_EQ(cid->CountItems(kContactTypeAny, 1), 0u);

  cid->SetStatus(4);
  TvTreeItemInfo info;
  info.mask = TvTreeItemInfo::kImage | TvTreeItemInfo::kSelectedImage | TvTreeItemInfo::kText;
  EXPECT_EQ(cid->FillDisplayInfo(info), 1);
  EXPECT_EQ(info.image, 4u) << "a user's image is its base image plus its status";
  EXPECT_EQ(info.selectedImage, 4u);
  EXPECT_EQ(info.text, "cid");

  TvTreeItemInfo groupInfo;
  groupInfo.mask = TvTreeItemInfo::kImage | TvTreeItemInfo::kChildren;
  groupInfo.text = "untouched";
  friends->FillDisplayInfo(groupInfo);
  EXPECT_EQ(groupInfo.image, 8u);
  EXPECT_EQ(groupInfo.children, 2u) << "direct children only";
  EXPECT_EQ(groupInfo.text, "untouched") << "text not asked for";
}

TEST_F(ContactTreeTest, PathTextsOfNestedGroupsAreWrittenBeforeEachChild) {
  TvContactList list(log, paths);
  TvContactListGroup* friends = Add(list.m_root, NewGroup("Friends"));
  list.m_root.AddItem(NewGroup("Solo"));
  friends->AddItem(NewUser("ann"));
  TvContactListGroup* work = Add(*friends, NewGroup("Work"));
  work->AddItem(NewUser("ben"));
  TvContactListGroup* team = Add(*work, NewGroup("Team"));
  TvContactListUser* cid = Add(*team, NewUser("cid"));

  std::string path = "stale";
  cid->GetPath(path, 1);
  EXPECT_EQ(path, "Friends/Work/Team") << "a user's path is its group's";
  work->GetPath(path, 1);
  EXPECT_EQ(path, "Friends/Work");
  TvContactListUser loose;
  loose.GetPath(path, 1);
  EXPECT_EQ(path, "");

  ASSERT_TRUE(list.Save());
  contacts_support::NewContactsFile file;
  std::string error;
  ASSERT_TRUE(contacts_support::ParseContactsList(tvtest::ReadWholeFile(NewPath()), &file, &error))
      << error;
  // Every item of the file, depth first, indented by its depth: "type code, path text: name".
  std::vector<std::string> items;
  std::function<void(const NewContactItem&, const std::string&)> walk =
      [&](const NewContactItem& group, const std::string& indent) {
        for (const NewContactItem& child : group.children) {
          items.push_back(indent + std::to_string(child.precedingType) + " " + child.pathText +
                          ": " + child.name);
          walk(child, indent + "  ");
        }
      };
  walk(file.root, "");
  EXPECT_EQ(items, (std::vector<std::string>{"1 Friends: Friends", "  2 Friends: ann",
                                             "  1 Friends/Work: Work", "    2 Friends/Work: ben",
                                             "    1 Friends/Work/Team: Team",
                                             "      2 Friends/Work/Team: cid", "1 Solo: Solo"}));
}

// ---------------------------------------------------------------------------------------------
// Reading "Contacts.List"

TEST_F(ContactTreeTest, LoadReadsBackWhatConvertWrote) {
  WriteOld(SmallOldList(2));
  Convert(0);
  std::string written = tvtest::ReadWholeFile(NewPath());

  TvContactList list(log, paths);
  ASSERT_TRUE(list.Load());
  TvContactListItem* alice = list.m_root.FindItem("alice", kContactTypeUser, 1);
  ASSERT_NE(alice, nullptr);
  auto* user = static_cast<TvContactListUser*>(alice);
  EXPECT_EQ(user->m_dwordStatus, 0u);
  EXPECT_EQ(user->m_dwordStatusTime, 0u);
  EXPECT_EQ(user->m_csValue2, "ALICE-PC");
  EXPECT_EQ(user->GetData(), 11u);

  tvtest::RemoveTree(NewPath());
  ASSERT_TRUE(list.Save());
  EXPECT_EQ(tvtest::ReadWholeFile(NewPath()), written);
}

TEST_F(ContactTreeTest, LoadSkipsRefusedChildrenAndGoesOn) {
  std::string group = GroupRecord(0, "g", "", 0, {{2, "g", UserRecord(0, "c", "", 0)}});
  std::string bytes = ContactsFile(GroupRecord(0, "", "", 0,
                                               {{2, "", UserRecord(0, "hidden", "", 0x8)},
                                                {2, "", UserRecord(0, "b", "", 0)},
                                                {2, "", UserRecord(0, "B", "", 0)},
                                                {1, "g", group}}));
  tvtest::WriteWholeFile(NewPath(), bytes);

  TvContactList list(log, paths);
  ASSERT_TRUE(list.Load());
  ASSERT_EQ(list.m_root.m_children.GetSize(), 2u);
  EXPECT_EQ(list.m_root.m_children[0]->m_csName, "b");
  EXPECT_EQ(list.m_root.m_children[1]->m_csName, "g");
  EXPECT_NE(list.m_root.FindItem("c", kContactTypeUser, 1), nullptr);
  EXPECT_TRUE(ui.boxes.empty());
}

// levels groups below the root, each the only child of the one above, the last one "leaf".
std::string NestedGroups(uint32_t levels) {
  std::string bytes = U32(2) + U32(0) + ItemPart(1, 0, "", "", 0, 0) + U32(1) + Zeros(32);
  for (uint32_t i = 1; i < levels; ++i) {
    bytes +=
        U32(1) + Str("p") + ItemPart(1, 0, "g" + std::to_string(i), "", 0, 0) + U32(1) + Zeros(32);
  }
  return bytes + U32(1) + Str("p") + GroupRecord(0, "leaf", "", 0, {});
}

// Each damaged file is read into the list that last held the deepest tree allowed.
TEST_F(ContactTreeTest, LoadNeverCreatesAMissingFileAndRefusesDamagedOrTooDeepFiles) {
  EXPECT_FALSE(TvContactList(log, paths).Load());
  EXPECT_FALSE(tvtest::PathExists(NewPath()));

  WriteOld(SmallOldList(2));
  Convert(0);
  const std::string full = tvtest::ReadWholeFile(NewPath());
  ASSERT_FALSE(full.empty());
  // A child count far beyond the file: one short read, not four billion.
  std::string hostile =
      ContactsFile(GroupRecord(0, "", "", 0, {{2, "", UserRecord(0, "only", "", 0)}}));
  hostile.replace(8 + 36, 4, U32(0xFFFFFFFFu));
  const uint32_t limit = TvContactListGroup::kMaxLoadDepth;
  struct Damaged {
    std::string what;
    std::string bytes;
    bool shortRead;  // reported once; a refused depth or version is not checked for reports
  };
  std::vector<Damaged> damaged = {
      {"child count", hostile, true},
      {"another version: only version 2 is read", U32(3) + full.substr(4), false},
      {"nested one level too deep", NestedGroups(limit), false},
      // Deep enough to exhaust the stack if the depth were not limited.
      {"nested far too deep", NestedGroups(100000), false}};
  for (size_t length = 0; length < full.size(); ++length) {
    damaged.push_back({"length " + std::to_string(length), full.substr(0, length), true});
  }
  // The reader names the depth where the nesting stops it: the last group's entry.
  const std::string tooDeep = NestedGroups(limit);
  TvContactListFile records;
  BufferSource source(tooDeep);
  const ContactListReadProblem problem = ReadContactList(source, records);
  EXPECT_EQ(problem.kind, ContactListProblem::kTooDeep) << ProblemKey(problem.kind);
  EXPECT_EQ(problem.offset, tooDeep.size() - 4 - Str("p").size() - GroupRecord(0, "leaf", "", 0, {}).size());
  TvContactList list(log, paths);
  tvtest::WriteWholeFile(NewPath(), NestedGroups(limit - 1));
  ASSERT_TRUE(list.Load());
  EXPECT_NE(list.FindGroup("leaf"), nullptr);
  for (const Damaged& c : damaged) {
    SCOPED_TRACE(c.what);
    tvtest::WriteWholeFile(NewPath(), c.bytes);
    ui.boxes.clear();
    ASSERT_FALSE(list.Load());
    ASSERT_EQ(list.FindGroup("leaf"), nullptr);
    if (c.shortRead) {
      ASSERT_EQ(ui.boxes.size(), 1u) << "stops at the first short read";
    }
  }
}

}  // namespace
