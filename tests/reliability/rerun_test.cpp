// A rerun over a data folder whose 3.1 lists already exist: a list that reads as its format is
// replaced only when it holds nothing yet or by the very bytes it holds; otherwise it is kept with
// its old file, and one Error line names both.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "contacts/tv_contact_list.h"
#include "database/folders_format.h"
#include "reliability/reliability_fixture.h"
#include "replies/tv_text_messages.h"
#include "support/small_contact_list.h"

namespace reliability {
namespace {

using contacts_support::CannedText;
using contacts_support::ContactsFile;
using contacts_support::GroupRecord;
using contacts_support::OldGroup;
using contacts_support::OldUser;
using tvtest::Folder;

// One list store: its files, the store that converts them, the label of its Error line, and two
// lists of its format: one that holds nothing, one that holds what no 3.0 file here holds.
struct ListStore {
  const char* label;
  const char* oldName;
  const char* newName;
  uint32_t store;
  std::string empty;
  std::string edited;
};

std::vector<ListStore> ListStores() {
  TvTextMessagesImage noTexts;
  TvTextMessagesImage texts;
  texts.items = {CannedText("Edited", "in 3.1")};
  const std::string emptyTree = ContactsFile(GroupRecord(0, "", "", 0, {}));
  const std::string editedTree =
      ContactsFile(GroupRecord(0, "", "", 0, {{1, "Edited", GroupRecord(0, "Edited", "", 0, {})}}));
  const std::string standardOnly = folders::EncodeFoldersFile(
      {Folder("Inbox", 0, 5), Folder("Outbox", 1, 5), Folder("Sent items", 2, 5),
       Folder("Deleted", 3, 5), Folder("Drafts", 4, 5), Folder("Temp", 5, 7)});
  return {
      {"Folders list", folders::kOldFileName, folders::kNewFileName, kDatabase, standardOnly,
       folders::EncodeFoldersFile({Folder("Added in 3.1", 20)})},
      {"Contact list", TvContactList::kOldFileName, TvContactList::kFileName, kContacts, emptyTree,
       editedTree},
      {"Fast replies", TvFastReplysService::kOldFileName, TvFastReplysService::kFileName,
       kFastReplies, EncodeTextMessages(noTexts), EncodeTextMessages(texts)},
      {"Auto answers", TvAutoAnswersService::kOldFileName, TvAutoAnswersService::kFileName,
       kAutoAnswers, EncodeTextMessages(noTexts), EncodeTextMessages(texts)},
  };
}

std::string KeptLine(const char* label, const std::string& oldPath, const std::string& newPath) {
  return std::string(label) + ": " + oldPath + " , NOT converted, " + newPath +
         " already exists and differs, it may hold changes made in 3.1";
}

size_t ErrorEntries(const std::vector<std::string>& entries) {
  return static_cast<size_t>(std::count_if(entries.begin(), entries.end(), [](const auto& entry) {
    return entry.rfind("Error:", 0) == 0;
  }));
}

class RerunTest : public LayoutTest {};

TEST_F(RerunTest, AnExistingListIsReplacedOnlyWhenItHoldsNothingOrTheSameBytes) {
  enum Found { kAbsent, kDamaged, kEmpty, kIdentical, kEdited };
  const char* const kFoundNames[] = {"absent", "damaged", "empty", "identical", "edited in 3.1"};
  for (const ListStore& s : ListStores()) {
    const std::string oldPath = layout.data + s.oldName;
    const std::string newPath = layout.data + s.newName;
    // What a first run writes.
    layout.Reset();
    WriteSmallDataFolder(layout.data);
    const std::string oldBytes = tvtest::ReadWholeFile(oldPath);
    ASSERT_EQ(RunConversion(layout, 0, s.store).errorLines, 0u);
    const std::string converted = tvtest::ReadWholeFile(newPath);
    for (Found found : {kAbsent, kDamaged, kEmpty, kIdentical, kEdited}) {
      for (TvBool deleteOld : {0, 1}) {
        SCOPED_TRACE(std::string(s.newName) + " " + kFoundNames[found] + ", delete-old " +
                     std::to_string(deleteOld));
        layout.Reset();
        WriteSmallDataFolder(layout.data);
        const std::string existing[] = {"", "not a list", s.empty, converted, s.edited};
        if (found != kAbsent) tvtest::WriteWholeFile(newPath, existing[found]);

        const RunResult result = RunConversion(layout, deleteOld, s.store);

        const bool kept = found == kEdited;
        EXPECT_EQ(tvtest::ReadWholeFile(newPath), kept ? s.edited : converted);
        ASSERT_EQ(tvtest::PathExists(oldPath), kept || !deleteOld);
        if (!deleteOld || kept) {
          EXPECT_EQ(tvtest::ReadWholeFile(oldPath), oldBytes);
        }
        const std::vector<std::string> entries = LogEntries(layout);
        EXPECT_EQ(ErrorEntries(entries), kept ? 1u : 0u);
        if (kept) {
          EXPECT_TRUE(LogHasError(entries, KeptLine(s.label, oldPath, newPath)));
        }
        EXPECT_EQ(result.errorLines, kept ? 1u : 0u) << "the run fails exactly when a list is kept";
        EXPECT_EQ(result.boxes, 0u);
      }
    }
  }
}

// The losses once reported: a run keeps the old file (its own rule), the user changes the list in
// 3.1, and the rerun must not write the list back from the old file.
TEST_F(RerunTest, ARerunNeverUndoesAChangeMadeIn31) {
  struct Scenario {
    const char* what;
    ListStore store;
    TvBool deleteOld;
    std::function<void(const std::string& data)> write;
    std::function<std::string(const std::string& list)> edit;
  };
  auto replace = [](std::string bytes, const std::string& from, const std::string& to) {
    const size_t at = bytes.find(from);
    if (at != std::string::npos) bytes.replace(at, from.size(), to);
    return bytes;
  };
  const std::vector<ListStore> stores = ListStores();
  const Scenario scenarios[] = {
      {"a merge drops a contact, then a contact is renamed in 3.1", stores[1], 1,
       [](const std::string& data) {
         contacts_support::WriteOldContactList(
             data, {2,
                    0,
                    std::nullopt,
                    {OldGroup("Work", {OldUser("Sales"), OldUser("Tom")}),
                     OldGroup("work", {OldUser("Sales")})}});
       },
       [&](const std::string& list) { return replace(list, "Tom", "Tim"); }},
      {"two folders share an id, then a folder is added in 3.1", stores[0], 1,
       [](const std::string& data) {
         tvtest::OldDataFolder folder(data);
         folder.Folders({Folder("Projects", 7), Folder("Archive", 7)});
         folder.Message("Archive", tvtest::OldMessage());
       },
       [](const std::string& list) {
         folders::FoldersFile file;
         std::string problem;
         folders::DecodeFoldersFile(list, file, &problem);
         file.records.push_back(Folder("Added", 30));
         return folders::EncodeFoldersFile(file.records);
       }},
      {"delete-old cleared, then a fast reply is edited in 3.1", stores[2], 0,
       [](const std::string& data) {
         contacts_support::WriteOldTextMessages(
             data, TvFastReplysService::kOldFileName,
             {0, 5, std::nullopt, {CannedText("On my way", "soon")}});
       },
       [&](const std::string& list) { return replace(list, "soon", "now!"); }},
  };
  for (const Scenario& s : scenarios) {
    SCOPED_TRACE(s.what);
    const std::string oldPath = layout.data + s.store.oldName;
    const std::string newPath = layout.data + s.store.newName;
    layout.Reset();
    s.write(layout.data);
    RunConversion(layout, s.deleteOld, s.store.store);
    ASSERT_TRUE(tvtest::PathExists(oldPath)) << "the first run keeps the old file";
    const std::string edited = s.edit(tvtest::ReadWholeFile(newPath));
    ASSERT_NE(edited, tvtest::ReadWholeFile(newPath));
    tvtest::WriteWholeFile(newPath, edited);
    tvtest::RemoveTree(layout.data + kLogName);

    const RunResult rerun = RunConversion(layout, s.deleteOld, s.store.store);

    EXPECT_EQ(tvtest::ReadWholeFile(newPath), edited);
    EXPECT_TRUE(tvtest::PathExists(oldPath));
    EXPECT_TRUE(LogHasError(LogEntries(layout), KeptLine(s.store.label, oldPath, newPath)));
    EXPECT_GE(rerun.errorLines, 1u);
  }
}

}  // namespace
}  // namespace reliability
