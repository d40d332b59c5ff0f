// The main dialog's commands: convert, back up, restore, exit; the exact copy command lines.
#include "app/main_dialog.h"

#include <gtest/gtest.h>

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

TEST_F(DialogTest, BackUpCopiesTheDataFolderIntoTheChosenOne) {
  ui.folderChoices.push_back(m_chosen);
  dialog.OnCommand(window, kIdBackUp);
  ASSERT_EQ(copier.copies.size(), 1u);
  const char s = platform::kPathSeparator;
  EXPECT_EQ(copier.copies[0].commandLine,
            "xcopy \"" + DataFolder() + "*.*\" \"" + m_chosen + s + "Zorvane BackUp\\\" /E");
  EXPECT_EQ(copier.copies[0].source, DataFolder());
  EXPECT_EQ(copier.copies[0].target, m_chosen + s + "Zorvane BackUp");
  EXPECT_EQ(dialog.m_bBackedUp, 1);
  EXPECT_EQ(ui.folderTitles, std::vector<std::string>{"Select a folder:"});
  EXPECT_EQ(ui.waitCursorDepth, 0);
  EXPECT_FALSE(window.ended);
}

TEST_F(DialogTest, AChosenFolderEndingInASeparatorGetsNoSecondOne) {
  const char s = platform::kPathSeparator;
  ui.folderChoices.push_back(m_chosen + s);
  dialog.OnBackUpDatabase();
  ASSERT_EQ(copier.copies.size(), 1u);
  EXPECT_EQ(copier.copies[0].commandLine,
            "xcopy \"" + DataFolder() + "*.*\" \"" + m_chosen + s + "Zorvane BackUp\\\" /E");
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
  ui.folderChoices.push_back(m_chosen);
  dialog.OnCommand(window, kIdRestore);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, "Please, select the folder 'Zorvane BackUp'");
  EXPECT_EQ(ui.boxes[0].caption, platform::ApplicationName());
  ASSERT_EQ(copier.copies.size(), 1u);
  const char s = platform::kPathSeparator;
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
  std::vector<std::string> texts;
  for (const auto& box : ui.boxes) texts.push_back(box.text);
  EXPECT_EQ(texts, (std::vector<std::string>{
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

TEST_F(DialogTest, AnsweringNoStillConverts) {
  ui.yesNoAnswers.push_back(platform::BoxAnswer::kNo);
  dialog.OnConvert();
  EXPECT_TRUE(copier.copies.empty());
  EXPECT_EQ(dialog.m_bBackedUp, 0);
  EXPECT_EQ(g_pConversionCore->m_settingsSystem.conversionDone, 1);
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
