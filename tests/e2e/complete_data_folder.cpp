// Writes the complete 3.0 data folder of complete_data_folder.h into the folder given as the only
// argument (created when missing). Exit status 0 on success.
#include "e2e/complete_data_folder.h"

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/file_system.h"
#include "support/old_contacts_writer.h"
#include "support/old_data_writer.h"

namespace complete = tvtest::e2e::complete;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <data folder>\n", argv[0]);
    return 2;
  }
  std::string folder = argv[1];
  std::filesystem::create_directories(folder);
  if (folder.empty() || !platform::IsPathSeparator(folder.back())) {
    folder += platform::kPathSeparator;
  }

  tvtest::OldDataFolder old(folder);
  old.Folders({tvtest::Folder("Inbox", 0, 5),
               tvtest::Folder(complete::kProjectFolder, 7, 1, "work things", 3)});
  old.NamesIndex({tvtest::NamesIndexRecord(1), tvtest::NamesIndexRecord(2)});
  old.FolderIndex("Inbox").FolderIndex(complete::kProjectFolder);

  tvtest::OldMessage inbox;
  inbox.hexName = complete::kInboxMessage;
  inbox.recipients.push_back({"alice", 1, 0xC0A80102u, 7});
  inbox.body = "hello from the inbox";
  inbox.attachments.push_back(tvtest::OldAttachment{"notes.txt", "attached words"});
  inbox.texts[0] = "alice";
  old.Message("Inbox", inbox);
  tvtest::OldMessage project;
  project.hexName = complete::kProjectMessage;
  project.recipients.push_back({"bob", 2, 0x0A000001u, 0});
  project.body = "project notes";
  old.Message(complete::kProjectFolder, project);

  TvOldContactListImage contacts;
  contacts.version = 2;
  contacts.groups = {
      contacts_support::OldGroup(
          "Friends", {contacts_support::OldUser("ann"), contacts_support::OldUser("hidden", 0x8)}),
      contacts_support::OldGroup("Work", {contacts_support::OldUser("cid")}),
      contacts_support::OldGroup("friends", {contacts_support::OldUser("ben")})};
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
  return 0;
}
