#include "reliability/reliability_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "contacts/tv_contact_list.h"
#include "database/folders_format.h"
#include "database/tv_database.h"
#include "foundation/data_paths.h"
#include "foundation/replacing_file.h"
#include "foundation/tv_log.h"
#include "platform/file_system.h"
#include "replies/tv_text_messages.h"
#include "support/conversion_log_reader.h"
#include "support/old_contacts_writer.h"
#include "support/power_cut.h"
#include "support/test_helpers.h"

namespace reliability {

namespace fs = std::filesystem;

#ifdef TV_SCRATCH_IN_MEMORY
// Scratch folders in memory: set before any test makes one (see CMakeLists.txt).
const bool kScratchInMemory = ::setenv("TMPDIR", "/dev/shm/", 1) == 0;
#endif

std::string Rel(const std::string& a, const std::string& b) {
  if (b.empty()) return a;
  return a + platform::kPathSeparator + b;
}

Layout::Layout(const std::string& scratch) {
  const char sep = platform::kPathSeparator;
  root = scratch + "run" + sep;
  data = root + "Zorvane" + sep;
  staging = root + "tmp" + sep + "Zorvane Conversion 3.0-3.1" + sep;
  canary = root + "canary" + sep;
}

void Layout::Reset() const {
  tvtest::RemoveTree(root);
  fs::create_directories(data);
  fs::create_directories(staging);
  fs::create_directories(canary);
}

RunResult RunConversion(const Layout& layout, TvBool deleteOld, uint32_t stores) {
  auto* recording = dynamic_cast<platform::RecordingUserInterface*>(&platform::UI());
  const size_t boxesBefore = recording != nullptr ? recording->boxes.size() : 0;
  TvFixedDataPaths paths(layout.data);
  TvLog log(paths);
  if (stores & kDatabase) {
    TvDatabase database(log, paths);
    database.SetStagingFolder(layout.staging);
    database.CreateStandardFolders();
    database.ConvertDatabase(deleteOld);
  }
  if (stores & kContacts) TvContactList(log, paths).Convert(deleteOld);
  if (stores & kFastReplies) TvFastReplysService(log, paths).Convert(deleteOld);
  if (stores & kAutoAnswers) TvAutoAnswersService(log, paths).Convert(deleteOld);
  if (log.m_dwordErrorCount == 0) log.DeleteLogFile();
  RunResult result;
  result.errorLines = log.m_dwordErrorCount;
  result.boxes = recording != nullptr ? recording->boxes.size() - boxesBefore : 0;
  return result;
}

std::vector<Item> WriteSmallDataFolder(const std::string& dataFolder, int messages) {
  using tvtest::OldAttachment;
  using tvtest::OldMessage;
  tvtest::OldDataFolder folder(dataFolder);
  folder.Folders({tvtest::Folder("Inbox", 0, 5), tvtest::Folder("Sent items", 2, 5),
                  tvtest::Folder("Projects", 7, 1, "work things", 3)});
  folder.NamesIndex({tvtest::NamesIndexRecord(1), tvtest::NamesIndexRecord(2)}, 7);
  folder.FolderIndex("Inbox").FolderIndex("Projects");

  std::vector<Item> items;
  const char* directories[3] = {"Inbox", "Projects", "Sent"};
  for (int i = 0; i < messages; ++i) {
    OldMessage m;
    m.hexName = tvtest::HexName(0x1000 + static_cast<uint64_t>(i) * 0x10001);
    m.kind = static_cast<uint8_t>(1 + i % 3);
    m.recipients.push_back({"alice", 1, 0xC0A80102u, 7});
    if (i % 2 == 0) m.recipients.push_back({"bob", 2, 0x0A000001u, 0});
    m.body = "body of message " + std::to_string(i) + std::string(static_cast<size_t>(i) * 7, 'x');
    if (i % 2 == 0) {
      m.attachments.push_back(OldAttachment{"notes.txt", "first attachment " + std::to_string(i)});
      m.attachments.push_back(OldAttachment{"picture.bin", std::string(300 + i, '\x5a')});
    }
    m.values[0] = 11u + static_cast<uint32_t>(i);
    m.values[3] = 0xFFFFFFFFu;
    m.texts[0] = "sender" + std::to_string(i);
    m.texts[1] = "subject";
    m.texts[3] = "host";
    const std::string directory = directories[i % 3];
    folder.Message(directory, m);
    Item item;
    item.oldFile = Rel(directory, m.FileName());
    item.newFile = Rel(directory, tvtest::NewMessageName(m.hexName));
    item.inUserFolder = directory == std::string("Projects");
    items.push_back(item);
  }

  contacts_support::WriteOldContactList(
      dataFolder, {2,
                   0,
                   std::nullopt,
                   {contacts_support::OldGroup("Friends", {contacts_support::OldUser("ann"),
                                                           contacts_support::OldUser("ben")}),
                    contacts_support::OldGroup("Work", {contacts_support::OldUser("cid")})}});
  contacts_support::WriteOldTextMessages(dataFolder, TvFastReplysService::kOldFileName,
                                         {0,
                                          5,
                                          std::nullopt,
                                          {contacts_support::CannedText("On my way", "text one", 1),
                                           contacts_support::CannedText("Later", "text two")}});
  contacts_support::WriteOldTextMessages(
      dataFolder, TvAutoAnswersService::kOldFileName,
      {0, 9, std::nullopt, {contacts_support::CannedText("Away", "I am away")}});

  items.push_back({folders::kOldFileName, folders::kNewFileName, false});
  items.push_back({TvContactList::kOldFileName, TvContactList::kFileName, false});
  items.push_back({TvFastReplysService::kOldFileName, TvFastReplysService::kFileName, false});
  items.push_back({TvAutoAnswersService::kOldFileName, TvAutoAnswersService::kFileName, false});
  return items;
}

Tree DataTree(const std::string& dataFolder) {
  Tree tree = tvtest::SnapshotTree(dataFolder);
  tree.erase(kLogName);
  return tree;
}

std::vector<Item> ExpectPromiseKept(const std::string& where, const Tree& now, const Tree& original,
                                    const Tree& reference, const std::vector<Item>& items,
                                    bool temporariesAllowed) {
  const auto broken = [&where](const std::string& rule) { ADD_FAILURE() << where << ": " << rule; };
  std::vector<Item> unconverted;
  std::set<std::string> known;
  for (const Item& item : items) {
    known.insert(item.oldFile);
    known.insert(item.newFile);
    auto oldNow = now.find(item.oldFile);
    auto newNow = now.find(item.newFile);
    auto oldBefore = original.find(item.oldFile);
    auto newRef = reference.find(item.newFile);
    bool oldComplete = false;
    if (oldNow != now.end()) {
      if (oldBefore == original.end() || oldNow->second != oldBefore->second) {
        broken(item.oldFile + ": the old file changed");
      } else {
        oldComplete = true;
      }
    }
    bool newComplete = false;
    if (newNow != now.end()) {
      if (newRef == reference.end() || newNow->second != newRef->second) {
        broken(item.newFile + ": the new file is not what a clean run writes (" +
               std::to_string(newNow->second.size()) + " bytes)");
      } else {
        newComplete = true;
      }
    } else {
      unconverted.push_back(item);
    }
    if (!oldComplete && !newComplete) {
      broken(item.oldFile + ": lost (neither a complete old nor new file)");
    }
  }

  // The names index is rewritten in place: whatever happened, it keeps its records.
  const std::string namesIndex = folders::kNamesIndexFileName;
  known.insert(namesIndex);
  auto index = now.find(namesIndex);
  auto indexBefore = original.find(namesIndex);
  if (indexBefore != original.end()) {
    folders::NamesIndexFile before;
    folders::NamesIndexFile after;
    folders::DecodeNamesIndex(indexBefore->second, before, nullptr);
    if (index == now.end()) {
      broken("Names.Index: gone");
    } else if (!folders::DecodeNamesIndex(index->second, after, nullptr) ||
               after.records != before.records) {
      broken("Names.Index: records lost or changed");
    }
  }

  for (const auto& [path, bytes] : now) {
    if (known.count(path) != 0) continue;
    auto before = original.find(path);
    auto ref = reference.find(path);
    if (before != original.end() && before->second == bytes) continue;
    if (ref != reference.end() && ref->second == bytes) continue;
    if (temporariesAllowed && tvtest::EndsWith(path, TvReplacingFile::kTempSuffix)) continue;
    broken("unexpected file: " + path);
  }
  return unconverted;
}

void ExpectDeletedOnlyAfterDurable(const std::string& where, const tvtest::FileOpWatch& watch,
                                   const std::string& dataFolder, const std::vector<Item>& items) {
  for (const Item& item : items) {
    EXPECT_TRUE(watch.DeletedAfterDurable(dataFolder + item.oldFile, dataFolder + item.newFile))
        << where << ": " << item.oldFile << " was deleted before " << item.newFile
        << " was on stable storage";
  }
}

std::vector<std::string> LogEntries(const Layout& layout) {
  return tvtest::ConversionLogEntries(layout.data + kLogName);
}

bool LogHasError(const std::vector<std::string>& entries, const std::string& text) {
  for (const std::string& entry : entries) {
    if (entry.rfind("Error:", 0) == 0 && entry.find(text) != std::string::npos) return true;
  }
  return false;
}

}  // namespace reliability
