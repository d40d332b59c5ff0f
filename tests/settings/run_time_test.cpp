// Loading the run-time section: where the user data folder is, what is written back and which
// folders are made.
#include <gtest/gtest.h>

#include <string>

#include "platform/file_system.h"
#include "settings/settings_store.h"
#include "settings/staged_facts.h"
#include "settings/tv_settings.h"
#include "support/scratch_dir.h"

namespace {

using tvtest::PathExists;
using tvtest::ScopedSettingsStore;
using tvtest::ScopedSystemFacts;

const char kSep = platform::kPathSeparator;
const char* const kSubfolders[] = {"Temp", "Inbox", "Outbox", "Deleted", "Sent", "Drafts"};

class RunTimeTest : public tvtest::ScratchTest {
 protected:
  RunTimeTest() {
    facts.appDataFolder = scratch.MakeDir("AppData");
    facts.currentDirectory = scratch.MakeDir("Program");
  }

  std::string DefaultFolder() const {
    return facts.appDataFolder + kSep + "Tarvo software" + kSep + "Zorvane";
  }
  std::string StoredFolder() const {
    const auto* stored = store.Get("RunTime Settings", "m_csUserDataFolder");
    if (stored == nullptr) return "<missing>";
    return stored->data;
  }

  TvMemorySettingsStore store;
  ScopedSettingsStore scopedStore{&store};
  ScopedSystemFacts scopedFacts;
  tvtest::StagedSystemFacts& facts = scopedFacts.facts;
};

TEST_F(RunTimeTest, AFirstRunMakesTheDefaultFolderAndWritesItBack) {
  TvSettingsRunTime runTime;
  EXPECT_EQ(runTime.m_csWorkgroup, "WORKGROUP");
  EXPECT_EQ(runTime.Load(), 1);
  // Stored without the trailing separator, kept in memory with it.
  EXPECT_EQ(StoredFolder(), DefaultFolder() + '\0');
  EXPECT_EQ(runTime.m_csUserDataFolder, DefaultFolder() + kSep);
  EXPECT_EQ(runTime.UserDataFolder(), runTime.m_csUserDataFolder);
  // Every subfolder is made, and with it the two levels above it.
  for (const char* sub : kSubfolders) {
    EXPECT_TRUE(platform::IsDirectory(DefaultFolder() + kSep + sub)) << sub;
  }
  EXPECT_EQ(runTime.m_csInboxFolder, DefaultFolder() + kSep + "Inbox");
  const std::string* const kStandard[] = {&runTime.m_csInboxFolder,  &runTime.m_csOutboxFolder,
                                          &runTime.m_csSentFolder,   &runTime.m_csDeletedFolder,
                                          &runTime.m_csDraftsFolder, &runTime.m_csTempFolder};
  for (int id = 0; id < 6; ++id) EXPECT_EQ(runTime.StandardFolderDirectory(id), *kStandard[id]);
  EXPECT_EQ(runTime.StandardFolderDirectory(6), "");
  EXPECT_EQ(runTime.StandardFolderDirectory(65535), "");
  EXPECT_EQ(runTime.m_csCurrentFolder, facts.currentDirectory + kSep);
  EXPECT_EQ(runTime.m_csComputerName, "DESK-07");
  EXPECT_EQ(runTime.m_csLogonUserName, "alice");
  EXPECT_EQ(runTime.m_csWorkgroup, "SALES");
  EXPECT_EQ(runTime.m_boolWindowsNT, 1);
  EXPECT_EQ(runTime.m_osVersion.size, 148u);
  EXPECT_NE(runTime.m_pfnGetLastInputInfo, nullptr);
  EXPECT_EQ(runTime.Save(), 1);
}

// A usable configured folder is used and written back unchanged, and the subfolders go into it;
// the default levels are still made (all the same) while application data is there.
TEST_F(RunTimeTest, AUsableConfiguredFolderIsUsedAndWrittenBackUnchanged) {
  struct Case {
    const char* what;
    bool exists;             // else only its parent exists and the folder is created
    bool trailingSeparator;  // it gets no second one
    bool appDataAvailable;   // without it the load fails but the later steps still run
    TvBool loaded;
  };
  const Case cases[] = {
      {"an existing folder", true, false, true, 1},
      {"a folder whose parent exists", false, false, true, 1},
      {"a folder ending in a separator", true, true, true, 1},
      {"a folder without application data", true, false, false, 0},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string name = "Data" + std::to_string(n++);
    const std::string base = c.exists ? scratch.MakeDir(name) : scratch.File(name);
    const std::string configured = c.trailingSeparator ? base + kSep : base;
    facts.appDataAvailable = c.appDataAvailable;
    store.PutText("RunTime Settings", "m_csUserDataFolder", configured);
    TvSettingsRunTime runTime;
    EXPECT_EQ(runTime.Load(), c.loaded);
    EXPECT_EQ(runTime.m_csUserDataFolder, base + kSep);
    EXPECT_EQ(StoredFolder(), configured + '\0');
    EXPECT_EQ(runTime.m_csTempFolder, base + kSep + "Temp");
    for (const char* sub : kSubfolders) {
      EXPECT_TRUE(platform::IsDirectory(base + kSep + sub)) << sub;
    }
    if (c.appDataAvailable) {
      EXPECT_TRUE(platform::IsDirectory(DefaultFolder()));
      EXPECT_FALSE(PathExists(DefaultFolder() + kSep + "Inbox"));
    }
  }
}

// A configured folder that cannot be used today is kept in the store, never replaced by the
// default: the load fails, says why, writes nothing and makes no folder.
TEST_F(RunTimeTest, AConfiguredFolderThatCannotBeUsedIsKeptAndFailsTheLoad) {
  const std::string missing = scratch.File("Missing") + kSep + "Deeper";
  const std::string plainFile = scratch.File("PlainFile");
  ASSERT_TRUE(tvtest::WriteWholeFile(plainFile, "not a folder"));
  for (const std::string& configured : {missing, plainFile}) {
    store.PutText("RunTime Settings", "m_csUserDataFolder", configured);
    store.journal.clear();
    TvSettingsRunTime runTime;
    EXPECT_EQ(runTime.Load(), 0) << configured;
    EXPECT_EQ(StoredFolder(), configured + '\0');
    for (const auto& access : store.journal) EXPECT_NE(access.kind, 'W') << access.name;
    EXPECT_EQ(runTime.m_csUserDataFolder, configured);
    EXPECT_FALSE(runTime.m_csDataFolderProblem.empty());
    EXPECT_FALSE(platform::IsDirectory(configured));
    EXPECT_FALSE(PathExists(DefaultFolder() + kSep + "Inbox"));
  }
  TvSettingsRunTime runTime;
  store.PutText("RunTime Settings", "m_csUserDataFolder", plainFile);
  runTime.Load();
  EXPECT_EQ(runTime.m_csDataFolderProblem, "it is not a folder");
}

TEST_F(RunTimeTest, WithoutApplicationDataAndAnEmptyStoreTheFoldersAreMadeInTheCurrentOne) {
  facts.appDataAvailable = false;
  std::string saved = platform::CurrentDirectory();
  ASSERT_TRUE(platform::SetCurrentDirectory(facts.currentDirectory));
  TvSettingsRunTime runTime;
  TvBool result = runTime.Load();
  bool made = platform::IsDirectory(facts.currentDirectory + kSep + "Temp") &&
              platform::IsDirectory(facts.currentDirectory + kSep + "Drafts");
  platform::SetCurrentDirectory(saved);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(runTime.m_csUserDataFolder, "");
  EXPECT_EQ(StoredFolder(), std::string(1, '\0'));
  EXPECT_EQ(runTime.m_csTempFolder, "Temp");
  EXPECT_EQ(runTime.m_csDraftsFolder, "Drafts");
  EXPECT_TRUE(made);
}

TEST_F(RunTimeTest, ADefaultLevelThatCannotBeMadeFailsTheCandidate) {
  // "Tarvo software" is taken by a file.
  ASSERT_TRUE(tvtest::WriteWholeFile(facts.appDataFolder + kSep + "Tarvo software", "x"));
  facts.appDataFolder = scratch.File("AppData") + kSep + "NoSuchParent" + kSep + "Roaming";
  TvSettingsRunTime runTime;
  EXPECT_EQ(runTime.Load(), 0);
}

TEST_F(RunTimeTest, FallbacksForUserWorkgroupAndOldSystems) {
  facts.userNameAvailable = false;
  facts.workgroup = "";
  TvSettingsRunTime runTime;
  runTime.Load();
  EXPECT_EQ(runTime.m_csLogonUserName, "Default");
  EXPECT_EQ(runTime.m_csWorkgroup, "WORKGROUP");

  facts.userNameAvailable = true;
  facts.workgroupAvailable = false;
  runTime.Load();
  EXPECT_EQ(runTime.m_csLogonUserName, "alice");
  EXPECT_EQ(runTime.m_csWorkgroup, "WORKGROUP");

  // Outside the NT family the workgroup is not asked for at all.
  facts.workgroupAvailable = true;
  facts.workgroup = "SALES";
  facts.platformId = 1;
  runTime.Load();
  EXPECT_EQ(runTime.m_boolWindowsNT, 0);
  EXPECT_EQ(runTime.m_csWorkgroup, "WORKGROUP");
  EXPECT_EQ(runTime.m_pfnGetLastInputInfo, nullptr);

  // A second Load with nothing changed gives the same folders.
  facts.platformId = platform::kPlatformNt;
  std::string first = runTime.m_csUserDataFolder;
  EXPECT_EQ(runTime.Load(), 1);
  EXPECT_EQ(runTime.m_csUserDataFolder, first);
  EXPECT_EQ(runTime.m_csWorkgroup, "SALES");
}

TEST_F(RunTimeTest, TheStoreKeyThatCannotBeOpenedLeavesTheDefault) {
  store.unopenable.push_back("RunTime Settings");
  TvSettingsRunTime runTime;
  EXPECT_EQ(runTime.Load(), 1);
  EXPECT_EQ(runTime.m_csUserDataFolder, DefaultFolder() + kSep);
  EXPECT_EQ(store.Get("RunTime Settings", "m_csUserDataFolder"), nullptr);
}

}  // namespace
