// Hostile and damaged input: every 3.0 file kind cut at every length and with every bit of its
// header flipped, attachment names and folder names that try to leave their folders, a read-only
// old file and an old file held open without sharing. Nothing crashes (the native-asan preset runs
// these under the sanitizers), nothing outside the data and staging folders changes, and every
// old file that is not converted stays as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "contacts/tv_contact_list.h"
#include "database/folders_format.h"
#include "foundation/tv_file.h"
#include "foundation/utilities.h"
#include "platform/file.h"
#include "platform/file_system.h"
#include "reliability/reliability_fixture.h"
#include "replies/tv_text_messages.h"
#include "support/new_format_reader.h"
#include "support/old_contacts_writer.h"
#include "support/power_cut.h"

namespace reliability {
namespace {

namespace fs = std::filesystem;

class HostileInput : public LayoutTest {
 protected:
  // One 3.0 file kind: its name in the data folder (or folder + name), the store that reads it,
  // and the 3.1 file it becomes.
  struct Kind {
    std::string label;
    std::string oldFile;  // relative to the data folder
    std::string newFile;
    uint32_t stores;
    std::string bytes;   // a correct file
    size_t headerBytes;  // how many leading bytes are header fields
  };

  std::vector<Kind> Kinds() {
    std::vector<Kind> kinds;
    tvtest::OldMessage m;
    m.kind = 3;
    m.recipients.push_back({"alice", 1, 0xC0A80102u, 5});
    m.body = "a body";
    m.attachments.push_back({"one.txt", "first contents"});
    m.attachments.push_back({"two.bin", std::string(100, '\x7f')});
    m.texts[0] = "sender";
    kinds.push_back({"message", Rel("Inbox", m.FileName()),
                     Rel("Inbox", tvtest::NewMessageName(m.hexName)), kDatabase,
                     tvtest::EncodeOldMessage(m), 208});
    kinds.push_back({"folders file", folders::kOldFileName, folders::kNewFileName, kDatabase,
                     folders::EncodeFoldersFile(
                         {tvtest::Folder("Inbox", 0, 5), tvtest::Folder("Projects", 7, 1, "t", 2)}),
                     8});
    const auto friends = contacts_support::OldGroup("Friends", {contacts_support::OldUser("ann")});
    kinds.push_back({"contact list", TvContactList::kOldFileName, TvContactList::kFileName,
                     kContacts, EncodeOldContactList({2, 0, std::nullopt, {friends}}), 12});
    const auto later = contacts_support::CannedText("Later", "text", 1);
    kinds.push_back({"fast replies", TvFastReplysService::kOldFileName,
                     TvFastReplysService::kFileName, kFastReplies,
                     EncodeTextMessages({0, 5, std::nullopt, {later}}), 12});
    const auto away = contacts_support::CannedText("Away", "text");
    kinds.push_back({"auto answers", TvAutoAnswersService::kOldFileName,
                     TvAutoAnswersService::kFileName, kAutoAnswers,
                     EncodeTextMessages({0, 9, std::nullopt, {away}}), 12});
    return kinds;
  }

  // Writes bytes as the kind's old file in a fresh data folder, converts with delete-old and
  // checks the outcome: either the old file is untouched and no new file exists, or the new file
  // exists and reads back (the damage left a valid file). Returns true when it converted.
  bool ConvertDamaged(const Kind& kind, const std::string& bytes, const std::string& where) {
    layout.Reset();
    const std::string oldPath = layout.data + kind.oldFile;
    fs::create_directories(fs::path(oldPath).parent_path());
    EXPECT_TRUE(tvtest::WriteWholeFile(oldPath, bytes));
    SCOPED_TRACE(where);
    RunWatched(kind.stores, where);
    const bool converted = tvtest::PathExists(layout.data + kind.newFile);
    if (!converted) {
      EXPECT_EQ(tvtest::ReadWholeFile(oldPath), bytes) << where << ": the old file changed";
    } else if (kind.label == "message") {
      tvtest::NewMessage message = tvtest::ReadNewMessage(layout.data + kind.newFile);
      EXPECT_TRUE(message.ok) << where << ": " << message.problem;
    }
    for (const auto& [path, contents] : tvtest::SnapshotTree(layout.data)) {
      EXPECT_EQ(path.find(".zvtmp"), std::string::npos) << where << ": " << path;
    }
    return converted;
  }

  // Converts with delete-old under a watch; every change outside the data and staging folders
  // fails the test. Returns the paths the run touched.
  std::vector<std::string> RunWatched(uint32_t stores, const std::string& where) {
    tvtest::FileOpWatch watch({layout.data, layout.staging});
    watch.Start();
    RunConversion(layout, 1, stores);
    watch.Cut();
    for (const std::string& change : watch.OutsideChanges()) {
      ADD_FAILURE() << where << ": changed outside: " << change;
    }
    return watch.Touched();
  }

  // The path of the 3.1 file an old message in the Inbox becomes.
  std::string NewInInbox(const tvtest::OldMessage& m) const {
    return layout.data + Rel("Inbox", tvtest::NewMessageName(m.hexName));
  }
};

TEST_F(HostileInput, EveryOldFileKindCutAtEveryLengthIsLeftAlone) {
  for (const Kind& kind : Kinds()) {
    for (size_t length = 1; length < kind.bytes.size(); ++length) {
      const std::string where = kind.label + " cut to " + std::to_string(length) + " bytes";
      ui.boxes.clear();
      EXPECT_FALSE(ConvertDamaged(kind, kind.bytes.substr(0, length), where))
          << where << ": a cut file was converted";
      // The report: a 3.0 message is read silently and logged as not loaded; a list file shows
      // the file error of its short read (a folders file under 8 bytes is skipped silently).
      if (kind.label == "message") {
        EXPECT_TRUE(LogHasError(LogEntries(layout), layout.data + kind.oldFile + " , NOT loaded"))
            << where;
        EXPECT_TRUE(ui.boxes.empty()) << where;
      } else if (kind.label != "folders file" || length >= 8) {
        EXPECT_FALSE(ui.boxes.empty()) << where << ": the short read was not reported";
      }
      if (HasFailure()) return;
    }
    // The whole file converts, so the cuts above were refused for being cut, not for anything else.
    EXPECT_TRUE(ConvertDamaged(kind, kind.bytes, kind.label + " whole")) << kind.label;
  }
}

TEST_F(HostileInput, EverySingleBitFlipInAHeaderFieldIsSafe) {
  for (const Kind& kind : Kinds()) {
    size_t refused = 0;
    for (size_t bit = 0; bit < kind.headerBytes * 8; ++bit) {
      std::string bytes = kind.bytes;
      bytes[bit / 8] = static_cast<char>(bytes[bit / 8] ^ (1 << (bit % 8)));
      const std::string where = kind.label + " with bit " + std::to_string(bit) + " flipped";
      refused += ConvertDamaged(kind, bytes, where) ? 0 : 1;
      if (HasFailure()) return;
    }
    // Flips in the magic, the sizes and the counts are refused, not converted into garbage.
    EXPECT_GT(refused, 0u) << kind.label;
  }
}

// Stored attachment names that are no plain file names, too long, or taken (by another attachment
// or by the safe name another one got): each is staged under a safe name of its own inside the
// staging folder, keeps its own contents, and the record keeps the stored name.
TEST_F(HostileInput, AttachmentNamesCannotLeaveTheStagingFolder) {
  const std::string canaryFile = layout.canary + "canary.txt";
  ASSERT_TRUE(tvtest::WriteWholeFile(canaryFile, "canary"));
  const char sep = platform::kPathSeparator;
  const std::string upTwice = std::string("..") + sep + ".." + sep + "canary" + sep + "canary.txt";
  const std::vector<std::string> names = {"../canary/canary.txt",
                                          "..\\canary\\canary.txt",
                                          "..",
                                          ".",
                                          "C:\\Windows\\x.txt",
                                          "/etc/passwd",
                                          layout.canary + "canary.txt",
                                          "CON",
                                          "COM1",
                                          "aux.txt",
                                          "nul.",
                                          "trail. ",
                                          "trail...",
                                          std::string(255, 'L'),
                                          "same.txt",
                                          "same.txt",
                                          "SAME.TXT",
                                          "a:b",
                                          "a*b?",
                                          upTwice,
                                          "Attachment 16.txt",  // the name the second same.txt gets
                                          "C:x.txt",
                                          "nul.txt"};
  tvtest::OldMessage m;
  m.body = "attacks";
  for (size_t i = 0; i < names.size(); ++i) {
    m.attachments.push_back({names[i], "contents " + std::to_string(i)});
  }
  tvtest::OldDataFolder folder(layout.data);
  folder.Message("Inbox", m);
  RunWatched(kDatabase, "hostile attachment names");
  EXPECT_EQ(tvtest::ReadWholeFile(canaryFile), "canary");
  EXPECT_EQ(tvtest::SnapshotTree(layout.canary).size(), 1u);

  tvtest::NewMessage saved = tvtest::ReadNewMessage(NewInInbox(m));
  ASSERT_TRUE(saved.ok) << saved.problem;
  ASSERT_EQ(saved.file.attachments.size(), names.size());
  ASSERT_EQ(saved.contents.size(), names.size());
  for (size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(saved.file.attachments[i].name, names[i]) << i;
    EXPECT_EQ(saved.contents[i], "contents " + std::to_string(i)) << names[i];
  }
  // Each attachment has its own staged copy, a plain file directly in the staging folder, its
  // path short enough for every system.
  const Tree staged = tvtest::SnapshotTree(layout.staging);
  EXPECT_EQ(staged.size(), names.size());
  for (const auto& [path, contents] : staged) {
    EXPECT_TRUE(IsPlainName(path)) << path;
    EXPECT_LE((layout.staging + path).size(), 259u) << path;
  }
}

// Folder names from the folders file that are no plain directory names: nothing is created,
// searched, converted or deleted outside the data folder.
TEST_F(HostileInput, FolderNamesCannotLeaveTheDataFolder) {
  tvtest::OldMessage m;
  m.body = "in the canary folder";
  const std::string canaryMessage = layout.canary + m.FileName();
  ASSERT_TRUE(tvtest::WriteWholeFile(canaryMessage, tvtest::EncodeOldMessage(m)));
  ASSERT_TRUE(tvtest::WriteWholeFile(layout.canary + "Messages.Index", "index"));
  const std::string canaryBare = layout.canary.substr(0, layout.canary.size() - 1);
  const char sep = platform::kPathSeparator;
  tvtest::OldDataFolder folder(layout.data);
  folder.Folders(
      {tvtest::Folder("..", 7, 1), tvtest::Folder(std::string("..") + sep + "canary", 8, 1),
       tvtest::Folder("../canary", 9, 1), tvtest::Folder("..\\canary", 10, 1),
       tvtest::Folder(canaryBare, 11, 1), tvtest::Folder("a" + std::string(1, sep) + "b", 12, 1),
       tvtest::Folder("Fine", 13, 1)});
  const Tree canaryBefore = tvtest::SnapshotTree(layout.canary);
  const std::vector<std::string> touched = RunWatched(kDatabase, "hostile folder names");
  EXPECT_EQ(tvtest::SnapshotTree(layout.canary), canaryBefore);
  EXPECT_FALSE(tvtest::PathExists(layout.root + "a"));
  for (const std::string& path : touched) {
    EXPECT_NE(path.rfind(layout.canary, 0), 0u) << "touched " << path;
  }
  // The folders list keeps every record as stored (the six standard folders, then the seven
  // above less the one whose name repeats another's: ".." + separator + "canary" is one of the
  // two spellings); only their directories are refused.
  tvtest::NewFoldersList list = tvtest::ReadFoldersList(layout.data + folders::kNewFileName);
  ASSERT_TRUE(list.ok) << list.problem;
  EXPECT_EQ(list.file.records.size(), 12u);
}

// A read-only old message with delete-old: converted; where the system refuses to delete a
// read-only file (Windows) it is kept and "NOT deleted" is logged, elsewhere it goes as usual.
TEST_F(HostileInput, ReadOnlyOldMessageIsConvertedAndKeptWhereItCannotBeDeleted) {
  tvtest::OldMessage m;
  m.body = "read only";
  tvtest::OldDataFolder folder(layout.data);
  const std::string path = folder.Message("Inbox", m);
  fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  RunConversion(layout, 1, kDatabase);
  tvtest::NewMessage saved = tvtest::ReadNewMessage(NewInInbox(m));
  EXPECT_TRUE(saved.ok) << saved.problem;
  const std::vector<std::string> log = LogEntries(layout);
#ifdef _WIN32
  EXPECT_TRUE(tvtest::PathExists(path));
  EXPECT_TRUE(LogHasError(log, "Message: " + path + " , NOT deleted"));
  fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
#else
  EXPECT_FALSE(tvtest::PathExists(path));
  EXPECT_FALSE(LogHasError(log, path));
#endif
}

// An old message held open without sharing: the specified failure ("NOT loaded"), the file kept,
// and the run goes on with the next message.
TEST_F(HostileInput, OldMessageHeldOpenWithoutSharingIsKeptAndTheRunGoesOn) {
  tvtest::OldMessage held;
  held.hexName = tvtest::HexName(1);
  held.body = "held";
  tvtest::OldMessage other;
  other.hexName = tvtest::HexName(2);
  other.body = "other";
  tvtest::OldDataFolder folder(layout.data);
  const std::string heldPath = folder.Message("Inbox", held);
  folder.Message("Inbox", other);
  const std::string heldBytes = tvtest::ReadWholeFile(heldPath);
  platform::FileHandle handle =
      platform::OpenFile(heldPath, platform::kOpenReadWrite);  // read-write, no sharing
  ASSERT_NE(handle, platform::kInvalidFile);
  RunConversion(layout, 1, kDatabase);
  platform::CloseFile(handle);
  EXPECT_EQ(tvtest::ReadWholeFile(heldPath), heldBytes);
  EXPECT_FALSE(tvtest::PathExists(NewInInbox(held)));
  EXPECT_TRUE(LogHasError(LogEntries(layout), "Message: " + heldPath + " , NOT loaded"));
  EXPECT_TRUE(tvtest::ReadNewMessage(NewInInbox(other)).ok);
}

}  // namespace
}  // namespace reliability
