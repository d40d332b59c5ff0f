// A rerun over a data folder whose 3.1 lists already exist: a list that reads as its format is
// replaced only when it holds nothing yet or by the very bytes it holds; otherwise it is kept with
// its old file, and one Error line names both.
#include <gtest/gtest.h>

#include <algorithm>

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

}  // namespace
}  // namespace reliability
