// The real program, started as its users start it.
#include <gtest/gtest.h>

#include <string>

#include "e2e/e2e_fixture.h"

namespace tvtest::e2e {
namespace {

// An empty 3.0 folders file: header word and count, both zero.
const std::string kEmptyFoldersFile(8, '\0');

TEST_F(E2eTest, SilentOnAFreshStoreMakesTheDefaultFolderAndRecordsTheVersion) {
  Result run = harness->Run({"/SILENT"});
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.out, "");
  if (Native()) {
    // Nothing but the summary line: the fresh folder has the folders list and two empty
    // canned-reply lists to write.
    EXPECT_EQ(run.err, "0 messages converted, 0 not converted, 2 list files converted, 0 errors\n");
  }
  std::string data = harness->DefaultDataFolder();
  EXPECT_TRUE(IsDir(data)) << data;
  for (const char* sub : kSubfolders) EXPECT_TRUE(IsDir(data + "/" + sub)) << sub;
  std::optional<std::string> stored = harness->StoredDataFolder();
  ASSERT_TRUE(stored.has_value());
  EXPECT_EQ(*stored, data);
  EXPECT_EQ(harness->QueryDword("System Settings", "m_dwordDatabaseVersion"), 0x301u);
  // No error line: no log left behind.
  EXPECT_FALSE(Exists(data + "/Conversion3.0-3.1.Log.Txt"));
}

TEST_F(E2eTest, SilentDeletesOldFilesAndAConfiguredFolderIsUsed) {
  std::string data = harness->Scratch() + "/My Data";
  Write(data + "/Database.Folders", kEmptyFoldersFile);
  ASSERT_TRUE(harness->SetText("RunTime Settings", "m_csUserDataFolder",
                               harness->ProgramPathOf(data)));
  ASSERT_TRUE(harness->SetDword("System Settings", "m_dwordDatabaseVersion", 0x300));
  Result run = harness->Run({"-first", "/SILENT", "-last"});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(harness->QueryText("RunTime Settings", "m_csUserDataFolder"),
            harness->ProgramPathOf(data));
  for (const char* sub : kSubfolders) EXPECT_TRUE(IsDir(data + "/" + sub)) << sub;
  EXPECT_TRUE(Exists(data + "/Folders.List"));
  EXPECT_FALSE(Exists(data + "/Database.Folders"));
  // The default folder is made all the same.
  EXPECT_TRUE(IsDir(harness->DefaultDataFolder()));
  EXPECT_EQ(harness->QueryDword("System Settings", "m_dwordDatabaseVersion"), 0x301u);
}

TEST_F(E2eTest, ErrorLinesKeepTheLogAndGiveExitStatusOne) {
  std::string data = harness->DefaultDataFolder();
  Write(data + "/Database.Folders", kEmptyFoldersFile);
  std::string broken = data + "/Inbox/0123456789ABCDEF0123456789ABCDEF.Message";
  Write(broken, "not a message");
  Result run = harness->Run({"/SILENT"});
  EXPECT_EQ(run.exitStatus, 1) << run.err;
  EXPECT_TRUE(Exists(broken));
  EXPECT_TRUE(Exists(data + "/Conversion3.0-3.1.Log.Txt"));
  EXPECT_EQ(harness->QueryDword("System Settings", "m_dwordDatabaseVersion"), 0x301u);
}

// ---- The terminal dialog (the POSIX build's own rendition) ---------------------------------

TEST_F(E2eTest, TheTerminalDialogConvertsWithoutDeletingWhenTold) {
  if (!Native()) GTEST_SKIP() << "the terminal dialog is the POSIX rendition";
  std::string data = harness->DefaultDataFolder();
  Write(data + "/Database.Folders", kEmptyFoldersFile);
  // d: clear "Delete old database when done"; c: convert; n: no backup first.
  Result run = harness->Run({}, "d\nc\nn\n");
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("Zorvane Database Tool"), std::string::npos);
  EXPECT_NE(run.err.find("Do the backup before conversion?"), std::string::npos);
  EXPECT_NE(run.err.find("Done [ hit 'OK' ] to exit and launch Zorvane"), std::string::npos);
  EXPECT_TRUE(Exists(data + "/Database.Folders"));
  EXPECT_TRUE(Exists(data + "/Folders.List"));
  EXPECT_EQ(harness->QueryDword("System Settings", "m_dwordDatabaseVersion"), 0x301u);
}

TEST_F(E2eTest, ExitOrTheEndOfInputConvertsNothing) {
  if (!Native()) GTEST_SKIP() << "the terminal dialog is the POSIX rendition";
  for (const char* input : {"x\n", "", "what\nX\n"}) {
    Result run = harness->Run({}, input);
    EXPECT_EQ(run.exitStatus, 0) << input;
    EXPECT_NE(run.err.find("Convert 3.0 -> 3.1"), std::string::npos) << input;
    EXPECT_FALSE(harness->QueryDword("System Settings", "m_dwordDatabaseVersion").has_value());
  }
  // The folder is found and written back at every start, converted or not.
  EXPECT_TRUE(harness->StoredDataFolder().has_value());
}

TEST_F(E2eTest, LowerCaseSilentShowsTheDialog) {
  if (!Native()) GTEST_SKIP() << "under Wine the dialog is seen on a screen (gui_test)";
  Result run = harness->Run({"/silent"}, "x\n");
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_NE(run.err.find("Zorvane Database Tool"), std::string::npos);
  EXPECT_FALSE(harness->QueryDword("System Settings", "m_dwordDatabaseVersion").has_value());
}

TEST_F(E2eTest, BackUpThroughTheDialogCopiesTheDataFolder) {
  if (!Native()) GTEST_SKIP() << "the terminal dialog is the POSIX rendition";
  std::string data = harness->DefaultDataFolder();
  Write(data + "/Inbox/keep.txt", "kept");
  std::string target = harness->Scratch() + "/Safe";
  std::filesystem::create_directories(target);
  Result run = harness->Run({}, "b\n" + target + "\nx\n");
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_TRUE(Exists(target + "/Zorvane BackUp/Inbox/keep.txt"));
  EXPECT_TRUE(IsDir(target + "/Zorvane BackUp/Drafts"));
}

TEST_F(E2eTest, ASecondCopyExitsAtOnceSayingWhyOnPosixOnly) {
  std::unique_ptr<Child> first;
  if (Native()) {
    first = harness->StartProgram({});
    ASSERT_TRUE(first->WaitForError("Choice:", 60000)) << "the first copy did not show its dialog";
  } else {
    // The guard of a copy that holds it: the probe creates the same named mutex and waits.
    first = harness->StartInEnvironment({"wine", TV_E2E_PROBE, "hold", "Tarvo software Zorvane 3.0"});
    ASSERT_TRUE(first->WaitForError("held", 120000));
  }
  auto started = std::chrono::steady_clock::now();
  Result second = harness->Run({"/SILENT"}, "", 60000);
  auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
      std::chrono::steady_clock::now() - started).count();
  EXPECT_EQ(second.exitStatus, 3);
  EXPECT_EQ(second.out, "");
  if (Native()) {
    EXPECT_EQ(second.err, "Another copy of the tool is running; this one did nothing.\n");
  }
  EXPECT_LT(seconds, 30);
  EXPECT_FALSE(harness->QueryDword("System Settings", "m_dwordDatabaseVersion").has_value());
  first->CloseInput();
  Result ended = first->Wait(60000);
  EXPECT_EQ(ended.exitStatus, 0);
  // Once the first is gone, a copy runs.
  EXPECT_EQ(harness->Run({"/SILENT"}).exitStatus, 0);
}

}  // namespace
}  // namespace tvtest::e2e
