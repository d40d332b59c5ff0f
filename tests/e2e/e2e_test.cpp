// The real program, started as its users start it.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <string>

#include "e2e/e2e_fixture.h"

namespace tvtest::e2e {
namespace {

using testing::HasSubstr;

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
  std::optional<std::string> stored = harness->StoredDataFolder();
  ASSERT_TRUE(stored.has_value());
  EXPECT_EQ(*stored, data);
  EXPECT_EQ(harness->QueryDword("System Settings", "m_dwordDatabaseVersion"), 0x301u);
  // No error line: no log left behind.
  EXPECT_FALSE(Exists(data + "/Conversion3.0-3.1.Log.Txt"));
}

TEST_F(E2eTest, SilentDeletesOldFilesAndAConfiguredFolderIsUsed) {
  const std::string data = WithOldData(harness->Scratch() + "/My Data");
  ASSERT_TRUE(
      harness->SetText("RunTime Settings", "m_csUserDataFolder", harness->ProgramPathOf(data)));
  ASSERT_TRUE(harness->SetDword("System Settings", "m_dwordDatabaseVersion", 0x300));
  Result run = harness->Run({"-first", "/SILENT", "-last"});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(harness->QueryText("RunTime Settings", "m_csUserDataFolder"),
            harness->ProgramPathOf(data));
  EXPECT_TRUE(Exists(data + "/Folders.List"));
  EXPECT_FALSE(Exists(data + "/Database.Folders"));
  EXPECT_EQ(harness->QueryDword("System Settings", "m_dwordDatabaseVersion"), 0x301u);
}

TEST_F(E2eTest, ErrorLinesKeepTheLogAndGiveExitStatusOne) {
  const std::string data = WithOldData(harness->DefaultDataFolder());
  std::string broken = data + "/Inbox/0123456789ABCDEF0123456789ABCDEF.Message";
  Write(broken, "not a message");
  Result run = harness->Run({"/SILENT"});
  EXPECT_EQ(run.exitStatus, 1) << run.err;
  EXPECT_TRUE(Exists(broken));
  EXPECT_TRUE(Exists(data + "/Conversion3.0-3.1.Log.Txt"));
  EXPECT_EQ(harness->QueryDword("System Settings", "m_dwordDatabaseVersion"), 0x301u);
}

// A failure told only by a file-error box (the contact list store logs nothing when its old file
// cannot be read) still gives exit status 1.
TEST_F(E2eTest, AnOldContactListHeldOpenElsewhereGivesExitStatusOne) {
  const std::string data = WithOldData(harness->DefaultDataFolder());
  std::string contacts = data + "/ContactList.Users";
  Write(contacts, std::string(8, '\0'));
  std::unique_ptr<Child> holder;
  int held = -1;
  if (Native()) {
    // Another process's handle without sharing, as the POSIX build sees one.
    held = ::open(contacts.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
  } else {
    holder = harness->StartInEnvironment(
        {"wine", TV_E2E_PROBE, "lock", harness->ProgramPathOf(contacts)});
    ASSERT_TRUE(holder->WaitForError("held", 120000));
  }
  Result run = harness->Run({"/SILENT"});
  if (held >= 0) ::close(held);
  if (holder) {
    holder->CloseInput();
    holder->Wait(60000);
  }
  EXPECT_EQ(run.exitStatus, 1) << run.err;
  if (Native()) {
    // One box, and it is the one failure of the run.
    const std::string box = "Operation with file '" + contacts + "' has failed";
    EXPECT_THAT(run.err, HasSubstr(box));
    EXPECT_EQ(run.err.find(box), run.err.rfind(box));
    EXPECT_THAT(run.err, HasSubstr(" 1 error\n"));
  }
  EXPECT_TRUE(Exists(contacts));
  EXPECT_FALSE(Exists(data + "/Contacts.List"));
  // The contact list store logs nothing when its old file cannot be read: the box alone.
  EXPECT_FALSE(Exists(data + "/Conversion3.0-3.1.Log.Txt"));
}

// A data folder named in the settings that cannot be used today is kept: nothing is converted or
// recorded, exit status 2. (The box, and the dialog that is not shown, are the start-up tests'.)
TEST_F(E2eTest, AConfiguredDataFolderThatCannotBeUsedIsKept) {
  // Old data in the default folder, which a run that replaced the setting would convert.
  const std::string fallback = WithOldData(harness->DefaultDataFolder());
  std::string plainFile = harness->Scratch() + "/PlainFile";
  Write(plainFile, "not a folder");
  for (const std::string& configured : {plainFile, harness->Scratch() + "/Unplugged/ZorvaneData"}) {
    std::string stored = harness->ProgramPathOf(configured);
    ASSERT_TRUE(harness->SetText("RunTime Settings", "m_csUserDataFolder", stored));
    Result run = harness->Run({"/SILENT"});
    EXPECT_EQ(run.exitStatus, 2) << run.err;
    EXPECT_EQ(harness->QueryText("RunTime Settings", "m_csUserDataFolder"), stored);
    EXPECT_FALSE(harness->QueryDword("System Settings", "m_dwordDatabaseVersion").has_value());
    EXPECT_TRUE(Exists(fallback + "/Database.Folders"));
    EXPECT_FALSE(Exists(fallback + "/Folders.List"));
    EXPECT_FALSE(IsDir(configured));
  }
}

TEST_F(E2eTest, ASecondCopyExitsAtOnceSayingWhyOnPosixOnly) {
  std::unique_ptr<Child> first;
  if (Native()) {
    first = harness->StartProgram({});
    ASSERT_TRUE(first->WaitForError("Choice:", 60000)) << "the first copy did not show its dialog";
  } else {
    // The guard of a copy that holds it: the probe creates the same named mutex and waits.
    first =
        harness->StartInEnvironment({"wine", TV_E2E_PROBE, "hold", "Tarvo software Zorvane 3.0"});
    ASSERT_TRUE(first->WaitForError("held", 120000));
  }
  auto started = std::chrono::steady_clock::now();
  Result second = harness->Run({"/SILENT"}, "", 60000);
  auto seconds =
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - started)
          .count();
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
