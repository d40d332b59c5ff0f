// The store's reading and writing rules, on a store kept in memory and on the system's own
// (the registry under Wine and Windows, the REGEDIT4 file on POSIX).
#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/settings_store.h"
#include "support/scratch_dir.h"
#include "support/test_helpers.h"

namespace {

using tvtest::Bytes;
using tvtest::ScratchTest;

// ---- The rules, on memory --------------------------------------------------------------------

TEST(SettingsStoreRules, ReadIntGivesTheStoredNumberOrTheDefault) {
  TvMemorySettingsStore store;
  store.PutInt("S", "n", 0x12345678);
  EXPECT_EQ(store.ReadInt("S", "n", 7), 0x12345678u);
  EXPECT_EQ(store.ReadInt("S", "missing", 7), 7u);
  // Value names and section names compare without regard to case.
  EXPECT_EQ(store.ReadInt("s", "N", 7), 0x12345678u);

  // Longer than 4 bytes: the default.
  store.Put("S", "long", platform::kSettingsBinary, Bytes({1, 2, 3, 4, 5}));
  EXPECT_EQ(store.ReadInt("S", "long", 9), 9u);
  // Shorter: the bytes there are, zero-extended.
  store.Put("S", "short", platform::kSettingsBinary, Bytes({0x34, 0x12}));
  EXPECT_EQ(store.ReadInt("S", "short", 9), 0x1234u);

  store.unopenable.push_back("S");
  EXPECT_EQ(store.ReadInt("S", "n", 5), 5u);
}

TEST(SettingsStoreRules, WriteIntStoresAFourByteDword) {
  TvMemorySettingsStore store;
  EXPECT_EQ(store.WriteInt("S", "n", 0x301), 1);
  const auto* stored = store.Get("S", "n");
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(stored->type, platform::kSettingsDword);
  EXPECT_EQ(stored->data, Bytes({0x01, 0x03, 0x00, 0x00}));
  store.unopenable.push_back("T");
  EXPECT_EQ(store.WriteInt("T", "n", 1), 0);
}

TEST(SettingsStoreRules, ReadTextStopsAtTheFirstNulAndFallsBackToTheDefault) {
  TvMemorySettingsStore store;
  store.Put("S", "t", platform::kSettingsText, std::string("abc\0def\0", 8));
  EXPECT_EQ(store.ReadText("S", "t", "x"), "abc");
  EXPECT_EQ(store.ReadText("S", "missing", "x"), "x");
  EXPECT_EQ(store.ReadText("S", "missing"), "");
  store.Put("S", "unterminated", platform::kSettingsText, "plain");
  EXPECT_EQ(store.ReadText("S", "unterminated"), "plain");
  EXPECT_EQ(store.WriteText("S", "w", "C:\\Data"), 1);
  EXPECT_EQ(store.Get("S", "w")->data, std::string("C:\\Data\0", 8));
  EXPECT_EQ(store.Get("S", "w")->type, platform::kSettingsText);
}

TEST(SettingsStoreRules, ReadBlockCopiesTheSmallerLengthAndFailsOnNothing) {
  TvMemorySettingsStore store;
  uint8_t block[6];
  std::memset(block, 0xEE, sizeof(block));
  EXPECT_EQ(store.ReadBlock("S", "missing", block, sizeof(block)), 0);
  store.Put("S", "empty", platform::kSettingsBinary, "");
  EXPECT_EQ(store.ReadBlock("S", "empty", block, sizeof(block)), 0);
  EXPECT_EQ(block[0], 0xEE);

  store.Put("S", "short", platform::kSettingsBinary, Bytes({1, 2, 3}));
  EXPECT_EQ(store.ReadBlock("S", "short", block, sizeof(block)), 1);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(block), 6), Bytes({1, 2, 3, 0xEE, 0xEE, 0xEE}));

  store.Put("S", "long", platform::kSettingsBinary, Bytes({9, 8, 7, 6, 5, 4, 3, 2}));
  EXPECT_EQ(store.ReadBlock("S", "long", block, sizeof(block)), 1);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(block), 6), Bytes({9, 8, 7, 6, 5, 4}));

  const uint8_t source[3] = {0xA, 0xB, 0xC};
  EXPECT_EQ(store.WriteBlock("S", "w", source, 3), 1);
  EXPECT_EQ(store.Get("S", "w")->type, platform::kSettingsBinary);
  EXPECT_EQ(store.Get("S", "w")->data, Bytes({0xA, 0xB, 0xC}));
}

TEST(SettingsStoreRules, NoSelectedStoreMeansNone) {
  // Start-up selects the store; until then nothing is in force.
  EXPECT_EQ(TheSettingsStore(), nullptr);
  TvMemorySettingsStore store;
  EXPECT_EQ(SetSettingsStore(&store), nullptr);
  EXPECT_EQ(TheSettingsStore(), &store);
  EXPECT_EQ(SetSettingsStore(nullptr), &store);
}

// ---- The system's store ----------------------------------------------------------------------

// A store under a company key of its own, removed afterwards; on POSIX the file lives in the
// scratch folder (XDG_CONFIG_HOME).
class SystemSettingsStoreTest : public ScratchTest {
 protected:
  SystemSettingsStoreTest() {
    platform::DeleteSettingsTree(platform::SettingsRoot::kCurrentUser, CompanyPath());
  }
  ~SystemSettingsStoreTest() override {
    platform::DeleteSettingsTree(platform::SettingsRoot::kCurrentUser, CompanyPath());
  }
  static std::string CompanyPath() { return "software\\Tarvo software tests"; }
  std::string SectionPath(const std::string& section) const {
    return CompanyPath() + "\\" + m_application + "\\" + section;
  }
  // The current user's key at path, or kNoSettingsKey when it does not exist.
  static platform::SettingsKey OpenKey(const std::string& path) {
    return platform::OpenSettingsKey(platform::SettingsRoot::kCurrentUser, path, false);
  }

  // Set on Windows too, where nothing reads it.
  tvtest::ScopedEnvironment m_configHome{"XDG_CONFIG_HOME", scratch.MakeDir("config").c_str()};
  std::string m_application =
      std::string("Store test ") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
  TvRegistrySettingsStore store{"Tarvo software tests", m_application};
};

TEST_F(SystemSettingsStoreTest, ValuesRoundTripWithTheirTypes) {
  EXPECT_EQ(store.SectionPath("Sec"), SectionPath("Sec"));
  EXPECT_EQ(store.WriteInt("Sec", "m_dwordX", 0xDEADBEEF), 1);
  EXPECT_EQ(store.WriteText("Sec", "m_csPath", "C:\\a \"quoted\" \\path\\"), 1);
  const uint8_t block[5] = {0, 1, 0xFF, 0x7F, 0x80};
  EXPECT_EQ(store.WriteBlock("Sec", "m_stRecord", block, 5), 1);

  TvRegistrySettingsStore again("Tarvo software tests", m_application);
  EXPECT_EQ(again.ReadInt("Sec", "m_dwordX", 0), 0xDEADBEEFu);
  EXPECT_EQ(again.ReadInt("sec", "M_DWORDX", 0), 0xDEADBEEFu);
  EXPECT_EQ(again.ReadText("Sec", "m_csPath", "none"), "C:\\a \"quoted\" \\path\\");
  uint8_t read[8] = {};
  EXPECT_EQ(again.ReadBlock("Sec", "m_stRecord", read, sizeof(read)), 1);
  EXPECT_EQ(std::memcmp(read, block, 5), 0);
  EXPECT_EQ(read[5], 0);

  platform::SettingsKey key = OpenKey(SectionPath("Sec"));
  ASSERT_NE(key, platform::kNoSettingsKey);
  uint32_t type = 0;
  std::string data;
  ASSERT_TRUE(platform::QuerySettingsValue(key, "m_csPath", &type, &data));
  EXPECT_EQ(type, platform::kSettingsText);
  EXPECT_EQ(data, std::string("C:\\a \"quoted\" \\path\\") + '\0');
  ASSERT_TRUE(platform::QuerySettingsValue(key, "m_dwordX", &type, &data));
  EXPECT_EQ(type, platform::kSettingsDword);
  EXPECT_EQ(data.size(), 4u);
  EXPECT_TRUE(platform::DeleteSettingsValue(key, "m_dwordX"));
  EXPECT_FALSE(platform::QuerySettingsValue(key, "m_dwordX", &type, &data));
  platform::CloseSettingsKey(key);
  EXPECT_EQ(again.ReadInt("Sec", "m_dwordX", 42), 42u);
}

TEST_F(SystemSettingsStoreTest, AReadCreatesTheSectionKeyWithoutValues) {
  EXPECT_EQ(OpenKey(SectionPath("Empty")), platform::kNoSettingsKey);
  EXPECT_EQ(store.ReadInt("Empty", "m_dwordNothing", 3), 3u);
  platform::SettingsKey key = OpenKey(SectionPath("Empty"));
  EXPECT_NE(key, platform::kNoSettingsKey);
  uint32_t type;
  std::string data;
  EXPECT_FALSE(platform::QuerySettingsValue(key, "m_dwordNothing", &type, &data));
  platform::CloseSettingsKey(key);
  // The parents exist as the registry keeps them.
  key = OpenKey(CompanyPath());
  EXPECT_NE(key, platform::kNoSettingsKey);
  platform::CloseSettingsKey(key);
}

#ifndef _WIN32
// (On Windows the machine's Run key exists and needs administrator rights.)
TEST_F(SystemSettingsStoreTest, TheStartupEntryIsNeverCreatedWhereTheKeyIsMissing) {
  std::string command = "/opt/zorvane/Zorvane.exe";
  store.SetStartupEntry("Zorvane", &command);
  EXPECT_EQ(platform::OpenSettingsKey(platform::SettingsRoot::kLocalMachine,
                                      "Software\\Microsoft\\Windows\\CurrentVersion\\Run", false),
            platform::kNoSettingsKey);
}
#endif

TEST_F(SystemSettingsStoreTest, DeletingATreeRemovesItsSubkeys) {
  store.WriteInt("A", "v", 1);
  store.WriteInt("B", "v", 2);
  EXPECT_TRUE(platform::DeleteSettingsTree(platform::SettingsRoot::kCurrentUser,
                                           CompanyPath() + "\\" + m_application));
  EXPECT_EQ(OpenKey(SectionPath("A")), platform::kNoSettingsKey);
  EXPECT_EQ(store.ReadInt("B", "v", 77), 77u);
}

}  // namespace
