// The main dialog's commands: convert, back up, restore, exit; the exact copy command lines.
#include "app/main_dialog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/app_fixture.h"
#include "app/backup_restore.h"

namespace {

using tvtest::AppTest;
using tvtest::RecordingCopier;
using tvtest::ScriptedDialogWindow;

const char s = platform::kPathSeparator;

TEST(CopyCommands, BackupAndRestoreLinesAreExact) {
  EXPECT_EQ(BuildBackupCommand("C:\\Data\\Zorvane\\", "D:\\Safe\\"),
            "xcopy \"C:\\Data\\Zorvane\\*.*\" \"D:\\Safe\\Zorvane BackUp\\\" /E");
  EXPECT_EQ(BuildRestoreCommand("D:\\Safe\\Zorvane BackUp\\", "C:\\Data\\Zorvane\\"),
            "xcopy \"D:\\Safe\\Zorvane BackUp\\*.*\" \"C:\\Data\\Zorvane\\\" /E");
  EXPECT_EQ(BackupFolder("D:\\Safe\\"), "D:\\Safe\\Zorvane BackUp");
}

class DialogTest : public AppTest {
 protected:
  DialogTest() {
    SetSettingsStore(&store);
    CreateConversionCore();
    EXPECT_EQ(g_pConversionCore->Init(), 1);
    dialog.OnInitDialog(window);
    m_chosen = scratch.MakeDir("Chosen");
  }
  ~DialogTest() override {
    DestroyConversionCore();
    SetSettingsStore(nullptr);
  }

  RecordingCopier copier;
  CZV30TO31Dlg dialog{nullptr, &copier};
  ScriptedDialogWindow window;
  std::string m_chosen;
};

TEST_F(DialogTest, OpensWithBothBoxesChecked) {
  EXPECT_TRUE(window.checked[kIdDeleteOld]);
  EXPECT_TRUE(window.checked[kIdLaunch]);
  EXPECT_EQ(dialog.m_bBackedUp, 0);
  EXPECT_EQ(dialog.m_hIcon, 128);
}

// A chosen folder ending in a separator gets no second one.
TEST_F(DialogTest, BackUpCopiesTheDataFolderIntoTheChosenOne) {
  for (const bool trailingSeparator : {false, true}) {
    SCOPED_TRACE(trailingSeparator ? "chosen folder ending in a separator" : "chosen folder");
    copier.copies.clear();
    ui.folderTitles.clear();
    dialog.m_bBackedUp = 0;
    ui.folderChoices.push_back(trailingSeparator ? m_chosen + s : m_chosen);
    dialog.OnCommand(window, kIdBackUp);
    ASSERT_EQ(copier.copies.size(), 1u);
    EXPECT_EQ(copier.copies[0].commandLine,
              "xcopy \"" + DataFolder() + "*.*\" \"" + m_chosen + s + "Zorvane BackUp\\\" /E");
    EXPECT_EQ(copier.copies[0].source, DataFolder());
    EXPECT_EQ(copier.copies[0].target, m_chosen + s + "Zorvane BackUp");
    EXPECT_EQ(dialog.m_bBackedUp, 1);
    EXPECT_EQ(ui.folderTitles, std::vector<std::string>{"Select a folder:"});
    EXPECT_EQ(ui.waitCursorDepth, 0);
    EXPECT_FALSE(window.ended);
  }
}

TEST_F(DialogTest, ACancelledBackUpCopiesNothingAndStillAsksBeforeConverting) {
  ui.folderChoices.push_back("");
  dialog.OnBackUpDatabase();
  EXPECT_TRUE(copier.copies.empty());
  EXPECT_EQ(dialog.m_bBackedUp, 0);
  dialog.OnCommand(window, kIdConvert);
  ASSERT_FALSE(ui.boxes.empty());
  EXPECT_EQ(ui.boxes[0].text, "Do the backup before conversion?");
  EXPECT_EQ(ui.boxes[0].buttons, platform::BoxButtons::kYesNo);
}

TEST_F(DialogTest, RestoreShowsItsMessageBeforeTheChoiceAndCopiesBack) {
  ASSERT_TRUE(tvtest::WriteWholeFile(m_chosen + s + "Folders.List", ""));
  ui.folderChoices.push_back(m_chosen);
  dialog.OnCommand(window, kIdRestore);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, "Please, select the folder 'Zorvane BackUp'");
  EXPECT_EQ(ui.boxes[0].caption, platform::ApplicationName());
  ASSERT_EQ(copier.copies.size(), 1u);
  EXPECT_EQ(copier.copies[0].commandLine,
            "xcopy \"" + m_chosen + s + "*.*\" \"" + DataFolder() + "\" /E");
  EXPECT_EQ(copier.copies[0].source, m_chosen + s);
  EXPECT_EQ(copier.copies[0].target, DataFolder());
  EXPECT_EQ(dialog.m_bBackedUp, 0);
  EXPECT_EQ(ui.waitCursorDepth, 0);

  ui.folderChoices.push_back("");
  dialog.OnRestoreDatabase();
  EXPECT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(copier.copies.size(), 1u);
}

TEST_F(DialogTest, ConvertAsksForABackupThenConvertsAndCloses) {
  ui.yesNoAnswers.push_back(platform::BoxAnswer::kYes);
  ui.folderChoices.push_back(m_chosen);
  window.checked[kIdDeleteOld] = false;  // the user cleared it
  dialog.OnCommand(window, kIdConvert);
  EXPECT_EQ(copier.copies.size(), 1u);
  EXPECT_EQ(dialog.m_bBackedUp, 1);
  EXPECT_EQ(BoxTexts(),
            (std::vector<std::string>{
                "Do the backup before conversion?",
                "Please be patient, the conversion procedure may take some time. You will "
                "be notified when it will be done.",
                "Done [ hit 'OK' ] to exit and launch Zorvane\n"
                "0 messages converted, 0 not converted, 2 list files converted, 0 errors"}));
  EXPECT_EQ(dialog.m_bDeleteOld, 0);
  EXPECT_EQ(g_pConversionCore->m_settingsSystem.conversionDone, 1);
  EXPECT_EQ(g_pConversionCore->m_settingsSystem.launchMessenger, 1);
  EXPECT_TRUE(window.ended);
  EXPECT_EQ(window.endResult, platform::kDialogOk);
  EXPECT_EQ(ui.waitCursorDepth, 0);
}

TEST_F(DialogTest, AfterABackUpConvertDoesNotAskAgain) {
  ui.folderChoices.push_back(m_chosen);
  dialog.OnBackUpDatabase();
  window.checked[kIdLaunch] = false;
  dialog.OnCommand(window, kIdConvert);
  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(ui.boxes[0].text.rfind("Please be patient", 0), 0u);
  // With the launch box cleared: one trailing blank, and the messenger is not asked for.
  EXPECT_EQ(ui.boxes[1].text,
            "Done [ hit 'OK' ] to exit \n"
            "0 messages converted, 0 not converted, 2 list files converted, 0 errors");
  EXPECT_EQ(g_pConversionCore->m_settingsSystem.launchMessenger, 0);
}

TEST_F(DialogTest, ExitClosesWithoutConverting) {
  dialog.OnCommand(window, kIdExit);
  EXPECT_TRUE(window.ended);
  EXPECT_EQ(window.endResult, platform::kDialogCancel);
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(g_pConversionCore->m_settingsSystem.conversionDone, 0);
  // A check box click is the box's own business.
  dialog.OnCommand(window, kIdDeleteOld);
  EXPECT_TRUE(ui.boxes.empty());
}

// A backup counts only when it was made; a failed one says so, and when the convert command
// asked for it, nothing is converted and the dialog stays open.
TEST_F(DialogTest, AFailedBackUpIsToldAndStopsTheConversionItWasAskedFor) {
  copier.failReason = "No space left on device";
  ui.folderChoices.push_back(m_chosen);
  dialog.OnCommand(window, kIdBackUp);
  ASSERT_EQ(ui.boxes.size(), 1u);
  const std::string target = m_chosen + s + "Zorvane BackUp";
  EXPECT_EQ(ui.boxes[0].text,
            "The backup into '" + target + "' has failed, because: No space left on device.");
  EXPECT_EQ(ui.boxes[0].icon, platform::BoxIcon::kError);
  EXPECT_EQ(dialog.m_bBackedUp, 0);

  // Convert, Yes, and the backup fails again: no conversion, the dialog stays.
  ui.boxes.clear();
  ui.yesNoAnswers = {platform::BoxAnswer::kYes, platform::BoxAnswer::kNo};
  ui.folderChoices.push_back(m_chosen);
  dialog.OnCommand(window, kIdConvert);
  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(ui.boxes[1].text.rfind("The backup into '" + target + "' has failed", 0), 0u);
  EXPECT_NE(ui.boxes[1].text.find("Nothing was converted."), std::string::npos);
  EXPECT_EQ(g_pConversionCore->m_settingsSystem.conversionDone, 0);
  EXPECT_FALSE(window.ended);
  EXPECT_EQ(ui.waitCursorDepth, 0);

  // Convert again asks again; No converts without a backup.
  dialog.OnCommand(window, kIdConvert);
  EXPECT_EQ(ui.boxes[2].text, "Do the backup before conversion?");
  EXPECT_EQ(copier.copies.size(), 2u) << "the two failed backups, and no third";
  EXPECT_EQ(dialog.m_bBackedUp, 0);
  EXPECT_EQ(g_pConversionCore->m_settingsSystem.conversionDone, 1);
  EXPECT_TRUE(window.ended);
}

TEST_F(DialogTest, ABackUpCancelledFromTheConvertCommandLetsTheConversionGoOn) {
  ui.yesNoAnswers.push_back(platform::BoxAnswer::kYes);
  ui.folderChoices.push_back("");
  dialog.OnCommand(window, kIdConvert);
  EXPECT_TRUE(copier.copies.empty());
  EXPECT_EQ(g_pConversionCore->m_settingsSystem.conversionDone, 1);
  EXPECT_TRUE(window.ended);
}

// Restore copies only from a folder that holds some of the messenger's files (names found
// without regard to case), and says so when it refuses or when the copy fails.
TEST_F(DialogTest, RestoreRefusesAFolderWithoutTheMessengersFilesAndToldWhenItFails) {
  struct Case {
    const char* file;  // the one file in the chosen folder; none when null
    bool copied;
  };
  const Case kCases[] = {
      {nullptr, false},          {"notes.txt", false},        {"Inbox/readme.txt", false},
      {"NAMES.INDEX", true},     {"ContactList.Users", true}, {"Sent/x.Message", true},
      {"FastReplys.List", true},
  };
  int folder = 0;
  for (const Case& c : kCases) {
    std::string chosen = scratch.MakeDir("Restore" + std::to_string(folder++));
    if (c.file != nullptr) {
      std::filesystem::path file = std::filesystem::path(chosen) / c.file;
      std::filesystem::create_directories(file.parent_path());
      ASSERT_TRUE(tvtest::WriteWholeFile(file.string(), "x"));
    }
    ui.boxes.clear();
    copier.copies.clear();
    ui.folderChoices.push_back(chosen);
    dialog.OnRestoreDatabase();
    EXPECT_EQ(copier.copies.size(), c.copied ? 1u : 0u) << (c.file ? c.file : "empty");
    if (!c.copied) {
      ASSERT_EQ(ui.boxes.size(), 2u);
      EXPECT_EQ(ui.boxes[1].text.rfind("The folder '" + chosen + s + "' holds none of", 0), 0u);
      EXPECT_EQ(ui.boxes[1].icon, platform::BoxIcon::kWarning);
    } else {
      EXPECT_EQ(ui.boxes.size(), 1u);
    }
  }
  // A restore whose copy fails says so.
  copier.failReason = "Permission denied";
  ui.boxes.clear();
  ui.folderChoices.push_back(scratch.File("Restore3"));  // the one with "NAMES.INDEX"
  dialog.OnRestoreDatabase();
  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(ui.boxes[1].text.rfind("The restore from '" + scratch.File("Restore3") + s +
                                       "' has failed, because: Permission denied.",
                                   0),
            0u);
  EXPECT_EQ(ui.boxes[1].icon, platform::BoxIcon::kError);
}

// The system's copier tells a copy that did not complete.
TEST_F(DialogTest, TheSystemCopierReportsACopyThatFailed) {
  ASSERT_TRUE(tvtest::WriteWholeFile(DataFolder() + "Folders.List", "list"));
  // "Zorvane BackUp" is taken by a plain file, so the backup folder cannot be made.
  ASSERT_TRUE(tvtest::WriteWholeFile(m_chosen + s + "Zorvane BackUp", "in the way"));
  std::string reason;
  EXPECT_FALSE(SystemFolderCopier().Copy(BuildBackupCommand(DataFolder(), m_chosen + s),
                                         DataFolder(), m_chosen + s + "Zorvane BackUp", &reason));
  EXPECT_FALSE(reason.empty());
  std::string chosen = scratch.MakeDir("Good");
  EXPECT_TRUE(SystemFolderCopier().Copy(BuildBackupCommand(DataFolder(), chosen + s), DataFolder(),
                                        chosen + s + "Zorvane BackUp", &reason))
      << reason;
  EXPECT_TRUE(tvtest::PathExists(chosen + s + "Zorvane BackUp" + s + "Folders.List"));
}

// The template the terminal rendition shows is the one the resource script holds.
TEST(MainDialogTemplate, MatchesTheResourceScript) {
  std::ifstream in(TV_SOURCE_DIR "/src/app/zv30to31.rc");
  if (!in) GTEST_SKIP() << "the resource script is not readable from here";
  std::stringstream text;
  text << in.rdbuf();
  std::string rc = text.str();
  const platform::DialogTemplate& t = MainDialogTemplate();
  EXPECT_EQ(t.resourceId, 102);
  EXPECT_EQ(t.iconId, 128);
  EXPECT_NE(
      rc.find("102 DIALOGEX 0, 0, " + std::to_string(t.width) + ", " + std::to_string(t.height)),
      std::string::npos);
  EXPECT_NE(rc.find("CAPTION \"" + t.title + "\""), std::string::npos);
  EXPECT_NE(rc.find("FONT " + std::to_string(t.fontSize) + ", \"" + t.fontName + "\""),
            std::string::npos);
  EXPECT_NE(rc.find("128 ICON"), std::string::npos);
  EXPECT_NE(rc.find("FILEVERSION 1,0,0,137"), std::string::npos);
  EXPECT_EQ(rc.find("DEFPUSHBUTTON"), std::string::npos);  // no default button
  // Each control in template order, with its text, id and rectangle.
  size_t at = rc.find("BEGIN", rc.find("102 DIALOGEX"));
  ASSERT_EQ(t.controls.size(), 7u);
  for (const platform::DialogControl& c : t.controls) {
    std::string rect = std::to_string(c.x) + ", " + std::to_string(c.y) + ", " +
                       std::to_string(c.width) + ", " + std::to_string(c.height);
    std::string id = c.id == 1    ? "IDOK"
                     : c.id == 2  ? "IDCANCEL"
                     : c.id == -1 ? "IDC_STATIC"
                                  : std::to_string(c.id);
    size_t line = rc.find("\"" + c.text + "\", " + id + ",", at);
    ASSERT_NE(line, std::string::npos) << c.text;
    size_t end = rc.find('\n', line);
    EXPECT_NE(rc.substr(line, end - line).find(rect), std::string::npos) << c.text;
    at = end;
  }
  EXPECT_EQ(t.controls[0].id, kIdConvert);
  EXPECT_EQ(t.controls[0].key, 'c');
}

}  // namespace
