// The real program, run silently over a data folder that holds every kind of 3.0 file: folders
// file, names index, folder indexes, message files, contact list, fast replies, auto answers.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "e2e/e2e_fixture.h"
#include "support/old_contacts_writer.h"
#include "support/old_data_writer.h"

namespace tvtest::e2e {
namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST_F(E2eTest, SilentConvertsACompleteDataFolderAndLeavesNoLog) {
  const std::string data = harness->DefaultDataFolder();
  std::filesystem::create_directories(data);
  const std::string folder = data + "/";

  OldDataFolder old(folder);
  old.Folders({Folder("Inbox", 0, 5), Folder("Projects", 7, 1, "work things", 3)});
  old.NamesIndex({NamesIndexRecord(1), NamesIndexRecord(2)});
  old.FolderIndex("Inbox").FolderIndex("Projects");
  OldMessage inbox;
  inbox.hexName = HexName(0x1234);
  inbox.recipients.push_back({"alice", 1, 0xC0A80102u, 7});
  inbox.body = "hello from the inbox";
  inbox.attachments.push_back(OldAttachment{"notes.txt", "attached words"});
  inbox.texts[0] = "alice";
  std::string inboxOld = old.Message("Inbox", inbox);
  OldMessage project;
  project.hexName = HexName(0x5678);
  project.recipients.push_back({"bob", 2, 0x0A000001u, 0});
  project.body = "project notes";
  std::string projectOld = old.Message("Projects", project);

  TvOldContactListImage contacts;
  contacts.version = 2;
  contacts.groups = {
      contacts_support::OldGroup("Friends", {contacts_support::OldUser("ann"),
                                             contacts_support::OldUser("hidden", 0x8)}),
      contacts_support::OldGroup("Work", {contacts_support::OldUser("cid")}),
      contacts_support::OldGroup("friends", {contacts_support::OldUser("ben"),
                                             contacts_support::OldUser("ANN")})};
  contacts.groups[0].users[0].status = 4;
  contacts_support::WriteOldContactList(folder, contacts);

  TvTextMessagesImage fast;
  fast.headerWord = 3;
  fast.headerValue = 5;
  fast.items = {contacts_support::CannedText("On my way", "text one", 1),
                contacts_support::CannedText("Later", "text two")};
  fast.items[0].type = 9;
  fast.items[0].trailing = 9;
  contacts_support::WriteOldTextMessages(folder, "FastReplys.Array", fast);
  TvTextMessagesImage answers;
  answers.headerValue = 9;
  answers.items = {contacts_support::CannedText("Away", "I am away")};
  contacts_support::WriteOldTextMessages(folder, "AutoAnswers.Array", answers);

  Result run = harness->Run({"/SILENT"});
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_FALSE(Exists(folder + "Conversion3.0-3.1.Log.Txt")) << ReadAll(folder + "Conversion3.0-3.1.Log.Txt");
  EXPECT_EQ(harness->QueryDword("System Settings", "m_dwordDatabaseVersion"), 0x301u);

  // Every old file is gone and its new file is there.
  for (const char* gone : {"Database.Folders", "ContactList.Users", "FastReplys.Array",
                           "AutoAnswers.Array", "Inbox/Messages.Index", "Projects/Messages.Index"}) {
    EXPECT_FALSE(Exists(folder + gone)) << gone;
  }
  EXPECT_FALSE(Exists(inboxOld));
  EXPECT_FALSE(Exists(projectOld));
  for (const char* made : {"Folders.List", "Names.Index", "Contacts.List", "FastReplys.List",
                           "AutoAnswers.List"}) {
    EXPECT_TRUE(Exists(folder + made)) << made;
  }
  EXPECT_TRUE(Exists(folder + "Inbox/" + NewMessageName(inbox.hexName)));
  EXPECT_TRUE(Exists(folder + "Projects/" + NewMessageName(project.hexName)));

  // The contact list: groups merged across case, the hidden user dropped, a repeated name kept
  // once, every user offline.
  contacts_support::NewContactsFile list;
  std::string error;
  ASSERT_TRUE(contacts_support::ParseContactsList(ReadAll(folder + "Contacts.List"), &list, &error))
      << error;
  ASSERT_EQ(list.root.children.size(), 2u);
  const contacts_support::NewContactItem& friends = list.root.children[0];
  EXPECT_EQ(friends.name, "Friends");
  ASSERT_EQ(friends.children.size(), 2u);
  EXPECT_EQ(friends.children[0].name, "ann");
  EXPECT_EQ(friends.children[0].status, 0u);
  EXPECT_EQ(friends.children[1].name, "ben");
  EXPECT_EQ(friends.children[1].pathText, "Friends");
  EXPECT_EQ(list.root.children[1].name, "Work");

  // The canned replies: header word and codes zeroed, the rest kept.
  TvTextMessagesImage fastNew;
  ASSERT_TRUE(contacts_support::ParseTextMessages(ReadAll(folder + "FastReplys.List"), &fastNew,
                                                  &error))
      << error;
  EXPECT_EQ(fastNew.headerWord, 0u);
  EXPECT_EQ(fastNew.headerValue, 5u);
  ASSERT_EQ(fastNew.items.size(), 2u);
  EXPECT_EQ(fastNew.items[0].type, 0u);
  EXPECT_EQ(fastNew.items[0].trailing, 0u);
  EXPECT_EQ(fastNew.items[0].status, 1u);
  EXPECT_EQ(fastNew.items[1].text, "text two");
  TvTextMessagesImage answersNew;
  ASSERT_TRUE(contacts_support::ParseTextMessages(ReadAll(folder + "AutoAnswers.List"),
                                                  &answersNew, &error))
      << error;
  EXPECT_EQ(answersNew.headerValue, 9u);
  ASSERT_EQ(answersNew.items.size(), 1u);
  EXPECT_EQ(answersNew.items[0].name, "Away");
}

}  // namespace
}  // namespace tvtest::e2e
