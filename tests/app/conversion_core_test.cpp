// The conversion core: the order in which it loads the settings, what its conversion leaves
// behind, and what its destruction records.
#include "app/conversion_core.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app_fixture.h"
#include "support/old_data_writer.h"

namespace {

using tvtest::AppTest;
using tvtest::PathExists;

class CoreTest : public AppTest {
 protected:
  tvtest::ScopedSettingsStore scopedStore{&store};
};

TEST_F(CoreTest, InitStopsAfterAFailedRunTimeLoad) {
  facts.appDataAvailable = false;
  // Named so that the failing load makes its folders in the scratch folder.
  store.PutText("RunTime Settings", "m_csUserDataFolder", scratch.File("Configured"));
  ConversionCore core;
  store.journal.clear();
  EXPECT_EQ(core.Init(), 0);
  EXPECT_EQ(core.m_initialised, 0);
  EXPECT_EQ(store.SectionsRead(), (std::vector<std::string>{"System Settings", "Interface Settings",
                                                            "RunTime Settings"}));
  // The system and interface sections were loaded once each.
  EXPECT_EQ(store.Reads("System Settings", "m_csUpdateSavePath"), 1u);
  EXPECT_EQ(store.Reads("Interface Settings", "m_csLanguage"), 1u);
  // The user-info section, whose defaults come from the run-time one, was not loaded.
  EXPECT_EQ(core.m_settingsUserInfo.m_csUserName, "");
}

TEST_F(CoreTest, InitLoadsEverySectionInItsOrder) {
  ConversionCore core;
  store.journal.clear();
  EXPECT_EQ(core.Init(), 1);
  EXPECT_EQ(core.m_initialised, 1);
  EXPECT_EQ(store.SectionsRead(),
            (std::vector<std::string>{"System Settings", "Interface Settings", "RunTime Settings",
                                      "Windows Settings", "Networking Settings",
                                      "User Info Settings", "Contact List Settings"}));
  EXPECT_EQ(store.Reads("System Settings", "m_csUpdateSavePath"), 2u);
  EXPECT_EQ(store.Reads("Windows Settings", "m_stMainWindow"), 1u);
  // User info took its defaults from the run-time section loaded before it.
  EXPECT_EQ(core.m_settingsUserInfo.m_csUserName, "alice");
  EXPECT_EQ(core.m_settingsUserInfo.m_csGroupName, "SALES");
  // The stores work in the folder the run-time section found.
  EXPECT_EQ(core.m_log.FilePath(), DataFolder() + "Conversion3.0-3.1.Log.Txt");
}

TEST_F(CoreTest, AConversionWithoutErrorsLeavesNoLogAndRecordsTheVersion) {
  {
    ConversionCore core;
    ASSERT_EQ(core.Init(), 1);
    core.m_log.Add("Started", kLogInfo);
    ASSERT_TRUE(PathExists(core.m_log.FilePath()));
    core.Convert(1);
    EXPECT_FALSE(PathExists(core.m_log.FilePath()));
    EXPECT_EQ(core.m_settingsSystem.conversionDone, 1);
    EXPECT_EQ(core.m_settingsSystem.launchMessenger, 0);
    EXPECT_FALSE(VersionWritten());  // only when the core goes
  }
  EXPECT_TRUE(VersionWritten());
}

TEST_F(CoreTest, AnErrorLineKeepsTheLogAndTheVersionIsStillRecorded) {
  std::string log;
  {
    ConversionCore core;
    ASSERT_EQ(core.Init(), 1);
    core.m_log.Add("Message: x , NOT loaded", kLogError);
    core.Convert(0);
    log = core.m_log.FilePath();
    EXPECT_EQ(core.m_settingsSystem.conversionDone, 1);
  }
  EXPECT_TRUE(PathExists(log));
  EXPECT_NE(tvtest::ReadWholeFile(log).find("Message: x , NOT loaded"), std::string::npos);
  EXPECT_TRUE(VersionWritten());
}

TEST_F(CoreTest, ConvertRunsTheStoresWithTheDeleteOldFlag) {
  ConversionCore core;
  ASSERT_EQ(core.Init(), 1);
  tvtest::OldDataFolder old(DataFolder());
  old.Folders({});
  std::string kept = old.Message("Inbox", tvtest::SampleMessage());
  core.Convert(0);
  const char s = platform::kPathSeparator;
  EXPECT_TRUE(PathExists(kept));
  EXPECT_TRUE(PathExists(DataFolder() + "Inbox" + s +
                         tvtest::NewMessageName(tvtest::SampleMessage().hexName)));
  EXPECT_TRUE(PathExists(DataFolder() + "Folders.List"));
  EXPECT_TRUE(PathExists(DataFolder() + "FastReplys.List"));
  EXPECT_TRUE(PathExists(DataFolder() + "AutoAnswers.List"));
}

TEST_F(CoreTest, NoConversionMeansNothingWrittenOnDestruction) {
  {
    ConversionCore core;
    ASSERT_EQ(core.Init(), 1);
    store.journal.clear();
  }
  for (const auto& access : store.journal) EXPECT_NE(access.kind, 'W') << access.name;
  EXPECT_FALSE(VersionWritten());
}

TEST_F(CoreTest, TheGlobalCoreLivesFromCreateToDestroy) {
  EXPECT_EQ(g_pConversionCore, nullptr);
  CreateConversionCore();
  ASSERT_NE(g_pConversionCore, nullptr);
  ConversionCore* first = g_pConversionCore;
  CreateConversionCore();  // a second call keeps the one core
  EXPECT_EQ(g_pConversionCore, first);
  DestroyConversionCore();
  EXPECT_EQ(g_pConversionCore, nullptr);
  DestroyConversionCore();
  EXPECT_EQ(g_pConversionCore, nullptr);
}

}  // namespace
