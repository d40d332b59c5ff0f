// The POSIX settings store: the REGEDIT4 file that scripts and tools outside the program read
// and write.
#include <gtest/gtest.h>

#ifndef _WIN32

#include <filesystem>
#include <string>
#include <vector>

#include "platform/settings_store.h"
#include "settings/settings_store.h"
#include "support/scratch_dir.h"

namespace {

class RegFileTest : public tvtest::ScratchTest {
 protected:
  void WriteStore(const std::string& content) {
    scratch.MakeDir("config/Tarvo software");
    ASSERT_TRUE(tvtest::WriteWholeFile(m_file, content));
  }
  std::vector<std::string> FolderNames() const {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(m_folder, error)) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }

  std::string m_configHome = scratch.MakeDir("config");
  tvtest::ScopedEnvironment m_configVariable{"XDG_CONFIG_HOME", m_configHome.c_str()};
  tvtest::ScopedEnvironment m_home{"HOME"};
  std::string m_folder = m_configHome + "/Tarvo software";
  std::string m_file = m_folder + "/Zorvane.reg";
  TvRegistrySettingsStore store{"Tarvo software", "Zorvane"};
};

TEST_F(RegFileTest, TheFileLivesUnderTheConfigHome) {
  EXPECT_EQ(platform::SettingsFilePath(), m_file);
  ::unsetenv("XDG_CONFIG_HOME");
  ::setenv("HOME", "/home/someone", 1);
  EXPECT_EQ(platform::SettingsFilePath(), "/home/someone/.config/Tarvo software/Zorvane.reg");
  // A relative XDG folder is ignored.
  ::setenv("XDG_CONFIG_HOME", "relative/config", 1);
  EXPECT_EQ(platform::SettingsFilePath(), "/home/someone/.config/Tarvo software/Zorvane.reg");
}

TEST_F(RegFileTest, WritesTheExportFormat) {
  store.WriteInt("System Settings", "m_dwordDatabaseVersion", 0x301);
  store.WriteText("RunTime Settings", "m_csUserDataFolder", "/data/a \"b\" \\c");
  const uint8_t block[3] = {0x01, 0xAB, 0x00};
  store.WriteBlock("Networking Settings", "m_dword64MaxMessageSize", block, 3);
  EXPECT_EQ(tvtest::ReadWholeFile(m_file),
            "REGEDIT4\n"
            "\n[HKEY_CURRENT_USER\\software\\Tarvo software\\Zorvane\\System Settings]\n"
            "\"m_dwordDatabaseVersion\"=dword:00000301\n"
            "\n[HKEY_CURRENT_USER\\software\\Tarvo software\\Zorvane\\RunTime Settings]\n"
            "\"m_csUserDataFolder\"=\"/data/a \\\"b\\\" \\\\c\"\n"
            "\n[HKEY_CURRENT_USER\\software\\Tarvo software\\Zorvane\\Networking Settings]\n"
            "\"m_dword64MaxMessageSize\"=hex:01,ab,00\n");
  // Written through a temporary file that is gone afterwards.
  EXPECT_EQ(FolderNames(), std::vector<std::string>{"Zorvane.reg"});
}

TEST_F(RegFileTest, ReadsToleratingLineEndsCaseCommentsAndContinuedLines) {
  WriteStore(
      "regedit4\r\n"
      "; written by hand\r\n"
      "\r\n"
      "[hkey_current_user\\SOFTWARE\\tarvo SOFTWARE\\zorvane\\runtime settings]\r\n"
      "\"M_CSUSERDATAFOLDER\"=\"/srv/zorvane\"\r\n"
      "\"m_dwordA\" = dword:0000002A\n"
      "\"m_stRecord\"=hex:01,02,\\\n"
      "  03,04\n"
      "@=\"default value\"\n");
  EXPECT_EQ(store.ReadText("RunTime Settings", "m_csUserDataFolder"), "/srv/zorvane");
  EXPECT_EQ(store.ReadInt("RunTime Settings", "m_dwordA", 0), 42u);
  uint8_t record[4] = {};
  EXPECT_EQ(store.ReadBlock("RunTime Settings", "m_stRecord", record, 4), 1);
  EXPECT_EQ(record[0], 1);
  EXPECT_EQ(record[3], 4);
  // Writing keeps what was there, the hand-written key spelling included.
  store.WriteInt("RunTime Settings", "m_dwordB", 7);
  std::string content = tvtest::ReadWholeFile(m_file);
  EXPECT_NE(content.find("[hkey_current_user\\SOFTWARE\\tarvo SOFTWARE\\zorvane\\runtime settings]"),
            std::string::npos);
  EXPECT_NE(content.find("\"M_CSUSERDATAFOLDER\"=\"/srv/zorvane\""), std::string::npos);
  EXPECT_NE(content.find("\"m_stRecord\"=hex:01,02,03,04"), std::string::npos);
  EXPECT_NE(content.find("@=\"default value\""), std::string::npos);
  EXPECT_EQ(content.find("\r"), std::string::npos);
}

TEST_F(RegFileTest, KeepsValuesThatAreNotPlainTextsExactly) {
  // A text with a line break, a typed hex value and a short dword survive a rewrite byte for byte.
  WriteStore("REGEDIT4\n\n[HKEY_CURRENT_USER\\software\\Tarvo software\\Zorvane\\S]\n"
             "\"expand\"=hex(2):25,00\n"
             "\"short\"=hex(4):01,02\n");
  store.WriteText("S", "multi", "line one\nline two");
  store.WriteInt("S", "other", 1);
  TvRegistrySettingsStore again("Tarvo software", "Zorvane");
  EXPECT_EQ(again.ReadText("S", "multi"), "line one\nline two");
  EXPECT_EQ(again.ReadText("S", "expand"), "%");
  EXPECT_EQ(again.ReadInt("S", "short", 0), 0x0201u);
  std::string content = tvtest::ReadWholeFile(m_file);
  EXPECT_NE(content.find("\"expand\"=hex(2):25,00\n"), std::string::npos);
  EXPECT_NE(content.find("\"short\"=hex(4):01,02\n"), std::string::npos);
}

TEST_F(RegFileTest, AFileThatCannotBeParsedIsNeverOverwritten) {
  const std::string broken =
      "REGEDIT4\n\n[HKEY_CURRENT_USER\\software\\Tarvo software\\Zorvane\\RunTime Settings]\n"
      "\"m_csUserDataFolder\"=\"/kept\"\n"
      "this line is no value\n";
  WriteStore(broken);
  testing::internal::CaptureStderr();
  EXPECT_EQ(store.ReadText("RunTime Settings", "m_csUserDataFolder", "default"), "default");
  EXPECT_EQ(store.WriteText("RunTime Settings", "m_csUserDataFolder", "/new"), 0);
  EXPECT_EQ(store.WriteInt("System Settings", "m_dwordDatabaseVersion", 0x301), 0);
  std::string reported = testing::internal::GetCapturedStderr();
  EXPECT_NE(reported.find(m_file), std::string::npos);
  EXPECT_NE(reported.find("line 5"), std::string::npos);
  // Reported once, not once per access.
  EXPECT_EQ(reported.find(m_file), reported.rfind(m_file));
  EXPECT_EQ(tvtest::ReadWholeFile(m_file), broken);
}

TEST_F(RegFileTest, RejectsFilesWithoutTheHeaderOrWithValuesOutsideAKey) {
  const char* cases[] = {
      "[HKEY_CURRENT_USER\\software\\x]\n\"a\"=dword:1\n",
      "REGEDIT4\n\"a\"=dword:00000001\n",
      "REGEDIT4\n[HKEY_CURRENT_USER\\software\\x\n",
      "REGEDIT4\n[HKEY_CURRENT_USER\\x]\n\"a\"=dword:123456789\n",
      "REGEDIT4\n[HKEY_CURRENT_USER\\x]\n\"a\"=hex:1,02\n",
      "REGEDIT4\n[HKEY_CURRENT_USER\\x]\n\"a=\"unterminated\n",
  };
  for (const char* content : cases) {
    WriteStore(content);
    testing::internal::CaptureStderr();
    EXPECT_EQ(store.WriteInt("S", "v", 1), 0) << content;
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(tvtest::ReadWholeFile(m_file), content);
  }
}

TEST_F(RegFileTest, AnEmptyFileIsAnEmptyStore) {
  WriteStore("");
  EXPECT_EQ(store.ReadInt("S", "v", 5), 5u);
  EXPECT_EQ(store.WriteInt("S", "v", 6), 1);
  EXPECT_EQ(store.ReadInt("S", "v", 5), 6u);
}

TEST_F(RegFileTest, DeletionLinesRemoveKeysAndValues) {
  WriteStore("REGEDIT4\n[HKEY_CURRENT_USER\\software\\Tarvo software\\Zorvane\\S]\n"
             "\"a\"=dword:00000001\n\"b\"=dword:00000002\n\"a\"=-\n"
             "[HKEY_CURRENT_USER\\software\\Tarvo software\\Zorvane\\T]\n\"c\"=\"x\"\n"
             "[-HKEY_CURRENT_USER\\software\\Tarvo software\\Zorvane\\T]\n");
  EXPECT_EQ(store.ReadInt("S", "a", 0), 0u);
  EXPECT_EQ(store.ReadInt("S", "b", 0), 2u);
  EXPECT_EQ(store.ReadText("T", "c", "gone"), "gone");
}

}  // namespace

#endif  // the registry itself is the store on Windows
