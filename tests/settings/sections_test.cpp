// The six settings sections besides the run-time one: defaults, stored names and kinds, and the
// system section's database version record.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

#include "platform/settings_store.h"
#include "settings/settings_store.h"
#include "settings/staged_facts.h"
#include "settings/tv_settings.h"
#include "support/test_helpers.h"

namespace {

using tvtest::Bytes;
using tvtest::ScopedSettingsStore;
using tvtest::ScopedSystemFacts;

class SectionsTest : public ::testing::Test {
 protected:
  TvMemorySettingsStore store;
  ScopedSettingsStore scopedStore{&store};
  ScopedSystemFacts scopedFacts;
};

TEST_F(SectionsTest, AnEmptyStoreGivesEveryDefault) {
  TvSettingsRunTime runTime;
  runTime.m_csLogonUserName = "alice";
  runTime.m_csWorkgroup = "SALES";

  TvSettingsContactList contacts;
  TvSettingsInterface ui(&runTime);
  TvSettingsNetworking net;
  TvSettingsUserInfo user(&runTime);
  TvSettingsWindows windows;
  auto system = std::make_unique<TvSettingsSystem>();
  const std::pair<TvSettings*, const char*> kSections[] = {
      {&contacts, "Contact List Settings"}, {&ui, "Interface Settings"},
      {&net, "Networking Settings"},        {&user, "User Info Settings"},
      {&windows, "Windows Settings"},       {system.get(), "System Settings"}};
  for (const auto& [section, name] : kSections) {
    EXPECT_EQ(section->Load(), 1) << name;
    EXPECT_EQ(section->m_csSectionName, name);
  }
  EXPECT_EQ(contacts.m_boolDoNotRegisterNewContacts, 0);
  EXPECT_EQ(contacts.m_boolTemporaryContactsByDefault, 1);
  EXPECT_EQ(contacts.m_csExternalContactListPath, "");
  EXPECT_EQ(contacts.m_dwordRequestStatusTime, 15u);
  EXPECT_EQ(contacts.m_dwordSendYourStatusTime, 15u);
  EXPECT_EQ(contacts.m_dwordOfflineAfterRequests, 2u);
  EXPECT_EQ(contacts.m_dwordSetAWAYstatusAfter, 300000u);
  EXPECT_EQ(contacts.m_dwordSetNAstatusAfter, 600000u);
  EXPECT_EQ(contacts.m_boolAutomaticlyChangeStatus, 1);

  EXPECT_EQ(ui.m_csLanguage, "English");
  EXPECT_EQ(ui.m_csSkin, "Default");
  EXPECT_EQ(ui.m_boolListCtrlGrid, 1);
  EXPECT_EQ(ui.m_boolStartUp, 1);
  EXPECT_EQ(ui.m_boolSystemTray, 1);
  EXPECT_EQ(ui.m_boolHotKey, 1);
  EXPECT_EQ(ui.m_boolAskForExit, 0);
  EXPECT_EQ(ui.m_dwordIMPreviewMessagesCount, 3u);
  EXPECT_EQ(ui.m_wordKeyCod, 122);
  EXPECT_EQ(ui.m_wordKeyMod, 2);
  EXPECT_EQ(ui.m_crTextBackgroundColor, scopedFacts.facts.windowColor);
  EXPECT_EQ(ui.m_crTextForegroundColor, scopedFacts.facts.windowTextColor);
  EXPECT_EQ(ui.m_csNewNormalPriorityMessageSound, "Message.wav");
  EXPECT_EQ(ui.m_csNewHighPriorityMessageSound, "Message.wav");
  EXPECT_EQ(ui.m_csNewLowPriorityMessageSound, "Message.wav");
  EXPECT_EQ(ui.m_boolNewLowPriorityMessagePopup, 1);
  EXPECT_EQ(ui.m_boolUseSystemBeeper, 0);
  for (uint8_t b : ui.m_stFontStyleText) EXPECT_EQ(b, 0);
  EXPECT_EQ(ui.m_boolFlatButtons, 1);
  EXPECT_EQ(ui.m_boolUseLongDateFormat, 1);
  EXPECT_EQ(ui.m_dwordMessageDisplayFlags, 0x101u);
  EXPECT_EQ(ui.m_boolCheckForUpdates, 0);

  EXPECT_EQ(net.m_intMessagingPort, 2307);
  EXPECT_EQ(net.m_intContactListPort, 2307);
  EXPECT_EQ(net.m_intServerConnectionsCount, 100);
  EXPECT_EQ(net.m_dwordMaximumThreads, 30u);
  EXPECT_EQ(net.m_dwordMaxMessageTextSize, 8388608u);
  EXPECT_EQ(net.m_dword64MaxMessageAttachmentSize, 4294967295ull);
  EXPECT_EQ(net.m_dword64MaxMessageSize, 4294967295ull);
  EXPECT_EQ(net.m_dwordDefaultConnectionTimeOut, 600u);
  EXPECT_EQ(net.m_boolGracefulClose, 1);

  EXPECT_EQ(user.m_csUserName, "alice");
  EXPECT_EQ(user.m_csGroupName, "SALES");
  EXPECT_EQ(user.m_csEmail, TvSettingsUserInfo::kDefaultEmail);

  for (uint8_t b : windows.m_stSearchInMessages) EXPECT_EQ(b, 0);

  EXPECT_EQ(system->m_dwordThisBuild, 137u);
  EXPECT_EQ(system->m_dwordBuild, 0u);
  EXPECT_EQ(system->m_dwordCheckedBuild, 0u);
  EXPECT_EQ(system->conversionDone, 0);
  EXPECT_EQ(system->launchMessenger, 0);
  system.reset();
  // Loading with defaults writes nothing (the system section without a conversion neither).
  for (const auto& access : store.journal) EXPECT_EQ(access.kind, 'R') << access.name;
}

TEST_F(SectionsTest, StoredValuesWinAndNumbersKeepTheirWidth) {
  store.PutInt("Interface Settings", "m_wordKeyCod", 0x12345);  // above 0xFFFF
  store.PutInt("Interface Settings", "m_wordVirtKey", 99);      // the written name is not read
  store.PutText("Interface Settings", "m_csLanguage", "Deutsch");
  store.PutInt("Networking Settings", "m_intMessagingPort", 0xFFFFFFFF);
  store.Put("Networking Settings", "m_dword64MaxMessageSize", platform::kSettingsBinary,
            Bytes({1, 2, 3, 4, 5, 6, 7, 8, 9}));
  store.PutText("User Info Settings", "m_csUserName", "Bob");
  TvSettingsRunTime runTime;
  TvSettingsInterface ui(&runTime);
  ui.Load();
  EXPECT_EQ(ui.m_wordKeyCod, 0x2345);
  EXPECT_EQ(ui.m_csLanguage, "Deutsch");
  TvSettingsNetworking net;
  net.Load();
  EXPECT_EQ(net.m_intMessagingPort, -1);
  // Longer than the member: cut to 8 bytes.
  EXPECT_EQ(net.m_dword64MaxMessageSize, 0x0807060504030201ull);
  TvSettingsUserInfo user(&runTime);
  user.Load();
  EXPECT_EQ(user.m_csUserName, "Bob");
}

TEST_F(SectionsTest, AShortBlockReplacesOnlyTheLeadingBytes) {
  // A 64-bit limit stored as 4 bytes: its low 4 bytes are replaced, the high ones stay as the
  // member held them.
  store.Put("Networking Settings", "m_dword64MaxMessageAttachmentSize", platform::kSettingsBinary,
            Bytes({0x10, 0x20, 0x30, 0x40}));
  TvSettingsNetworking net;
  net.m_dword64MaxMessageAttachmentSize = 0xAABBCCDD00000000ull;
  net.Load();
  EXPECT_EQ(net.m_dword64MaxMessageAttachmentSize, 0xAABBCCDD40302010ull);
  // From construction the high bytes are the default's, zero.
  TvSettingsNetworking fresh;
  fresh.Load();
  EXPECT_EQ(fresh.m_dword64MaxMessageAttachmentSize, 0x0000000040302010ull);

  store.Put("Windows Settings", "m_stOptions", platform::kSettingsBinary, Bytes({7, 7}));
  store.Put("Interface Settings", "m_stFontStyleText", platform::kSettingsBinary, "");
  TvSettingsWindows windows;
  windows.m_stOptions.fill(0x55);
  windows.Load();
  EXPECT_EQ(windows.m_stOptions[0], 7);
  EXPECT_EQ(windows.m_stOptions[1], 7);
  EXPECT_EQ(windows.m_stOptions[2], 0x55);
  // An empty stored record cannot be read: the font record becomes zeros.
  TvSettingsRunTime runTime;
  TvSettingsInterface ui(&runTime);
  ui.m_stFontStyleText.fill(0x33);
  ui.Load();
  for (uint8_t b : ui.m_stFontStyleText) EXPECT_EQ(b, 0);
}

TEST_F(SectionsTest, TheSystemSectionRecordsTheVersionOnlyAfterAConversion) {
  store.PutInt("System Settings", "m_dwordBuild", 120);
  {
    TvSettingsSystem system;
    EXPECT_EQ(system.m_dwordBuild, 120u);  // read by the constructor
    system.Load();
  }
  EXPECT_EQ(store.Get("System Settings", "m_dwordDatabaseVersion"), nullptr);
  EXPECT_EQ(store.Reads("System Settings", "m_dwordBuild"), 1u);  // not by Load

  store.PutInt("System Settings", "m_dwordDatabaseVersion", 0x301);  // already converted once
  store.journal.clear();
  {
    TvSettingsSystem system;
    system.Load();
    system.conversionDone = 1;
  }
  const auto* version = store.Get("System Settings", "m_dwordDatabaseVersion");
  ASSERT_NE(version, nullptr);
  EXPECT_EQ(version->type, platform::kSettingsDword);
  EXPECT_EQ(version->data, Bytes({0x01, 0x03, 0, 0}));
  size_t writes = 0;
  for (const auto& access : store.journal) writes += access.kind == 'W';
  EXPECT_EQ(writes, 1u);
}

TEST_F(SectionsTest, SavesWriteUnderTheNamesTheyAreReadFrom) {
  TvSettingsRunTime runTime;
  runTime.m_csCurrentFolder = "C:\\Program Files\\Zorvane\\";
  TvSettingsInterface ui(&runTime);
  ui.Load();
  ui.m_wordKeyCod = 0x7B;
  store.startupKeyExists = true;
  EXPECT_EQ(ui.Save(), 1);
  EXPECT_EQ(store.Get("Interface Settings", "m_wordVirtKey")->data, Bytes({0x7B, 0, 0, 0}));
  EXPECT_EQ(store.Get("Interface Settings", "m_wordKeyCod"), nullptr);
  EXPECT_EQ(store.Get("Interface Settings", "m_stFontStyleText")->data.size(), 60u);
  EXPECT_EQ(store.startupEntries["Zorvane"], "C:\\Program Files\\Zorvane\\Zorvane.exe");
  ui.m_boolStartUp = 0;
  ui.Save();
  EXPECT_EQ(store.startupEntries.count("Zorvane"), 0u);
  // Without the machine's Run key nothing changes.
  store.startupKeyExists = false;
  ui.m_boolStartUp = 1;
  ui.Save();
  EXPECT_EQ(store.startupEntries.count("Zorvane"), 0u);

  TvSettingsNetworking net;
  net.Load();
  net.Save();
  EXPECT_EQ(store.Get("Networking Settings", "m_dword64MaxMessageSize")->data,
            Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}));
  TvSettingsWindows windows;
  windows.Save();
  EXPECT_EQ(store.Get("Windows Settings", "m_stMainWindow")->data.size(), 52u);
  TvSettingsContactList contacts;
  contacts.Load();
  contacts.Save();
  EXPECT_EQ(store.Get("Contact List Settings", "m_dwordSetNAstatusAfter")->data,
            Bytes({0xC0, 0x27, 0x09, 0}));
  TvSettingsUserInfo user(&runTime);
  user.m_csEmail = "x@y";
  user.Save();
  EXPECT_EQ(store.Get("User Info Settings", "m_csEmail")->data, std::string("x@y\0", 4));
}

TEST_F(SectionsTest, WithoutAStoreEverySectionTakesItsDefaults) {
  ScopedSettingsStore none(nullptr);
  TvSettingsNetworking net;
  EXPECT_EQ(net.Load(), 1);
  EXPECT_EQ(net.m_dwordMaximumThreads, 30u);
  TvSettingsSystem system;
  system.conversionDone = 1;
  EXPECT_EQ(system.Save(), 0);  // the version could not be recorded anywhere, and Save says so
  EXPECT_TRUE(store.journal.empty());
}

}  // namespace
