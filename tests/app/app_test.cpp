// Start-up from end to end over recorded system services: silent and dialog runs, the launch
// rule, the version record, the failures and the exit status.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>
#include <vector>

#include "app/app_fixture.h"
#include "app/run_report.h"
#include "app/zv30to31_app.h"
#include "foundation/run_outcome.h"
#include "platform/ui.h"
#include "support/old_data_writer.h"

namespace {

using tvtest::AppTest;
using tvtest::PathExists;

const char s = platform::kPathSeparator;

TEST(StartupHelpers, RemoveFileSpecKeepsTheFolderAndRoots) {
  EXPECT_EQ(CZV30TO31App::RemoveFileSpec("ZV30TO31.exe"), "");
#ifdef _WIN32
  EXPECT_EQ(CZV30TO31App::RemoveFileSpec("C:\\Program Files\\Zorvane\\ZV30TO31.exe"),
            "C:\\Program Files\\Zorvane");
  EXPECT_EQ(CZV30TO31App::RemoveFileSpec("C:\\ZV30TO31.exe"), "C:\\");
  EXPECT_EQ(CZV30TO31App::RemoveFileSpec("C:ZV30TO31.exe"), "C:");
#else
  EXPECT_EQ(CZV30TO31App::RemoveFileSpec("/opt/zorvane/zv30to31"), "/opt/zorvane");
  EXPECT_EQ(CZV30TO31App::RemoveFileSpec("/zv30to31"), "/");
#endif
}

TEST(StartupHelpers, SilentIsACaseSensitiveWordAnywhere) {
  EXPECT_TRUE(CZV30TO31App::IsSilent("/SILENT"));
  EXPECT_TRUE(CZV30TO31App::IsSilent("-a /SILENT -b"));
  EXPECT_TRUE(CZV30TO31App::IsSilent("x/SILENTLY"));
  EXPECT_FALSE(CZV30TO31App::IsSilent("/silent"));
  EXPECT_FALSE(CZV30TO31App::IsSilent("/Silent"));
  EXPECT_FALSE(CZV30TO31App::IsSilent(""));
}

// /QUIET in any letter case (unlike /SILENT); the report's path from /REPORT:, quoted or not.
TEST(StartupHelpers, QuietAndReportArgumentsAreFoundAsDeploymentToolsWriteThem) {
  EXPECT_TRUE(CZV30TO31App::IsQuiet("/QUIET"));
  EXPECT_TRUE(CZV30TO31App::IsQuiet("/SILENT /quiet"));
  EXPECT_TRUE(CZV30TO31App::IsQuiet("-a /Quiet -b"));
  EXPECT_FALSE(CZV30TO31App::IsQuiet("/SILENT"));
  EXPECT_FALSE(CZV30TO31App::IsQuiet("QUIET"));
  const std::pair<const char*, const char*> kReports[] = {
      {"/QUIET /REPORT:C:\\r\\PC.json", "C:\\r\\PC.json"},
      {"/report:\"\\\\server\\my reports\\PC.json\" /SILENT", "\\\\server\\my reports\\PC.json"},
      {"\"/REPORT:/tmp/a b.json\"", "/tmp/a b.json"},
      {"/SILENT", ""},
      {"/REPORTS:x", ""},
  };
  for (const auto& [commandLine, path] : kReports) {
    EXPECT_EQ(ReportPathArgument(commandLine), path) << commandLine;
  }
}

// The report's texts are valid JSON whatever bytes they hold; each exit status has its word.
TEST(StartupHelpers, ReportTextsAreEscapedAndExitStatusesNamed) {
  EXPECT_EQ(JsonString("a\"b\\c\r\n\t\x01\x7f\xe9\xff"),
            "\"a\\\"b\\\\c\\r\\n\\t\\u0001\\u007f\\u00e9\\u00ff\"");
  const std::pair<int, const char*> kWords[] = {{0, "done"},
                                                {1, "errors"},
                                                {2, "could not start"},
                                                {3, "another copy running"},
                                                {130, "interrupted"},
                                                {143, "interrupted"}};
  for (const auto& [status, word] : kWords) EXPECT_STREQ(ExitStatusWord(status), word);
  EXPECT_TRUE(std::regex_match(IsoLocalTime(0),
                               std::regex("^19(69|70)-\\d\\d-\\d\\dT[0-9:]{8}[+-]\\d\\d:\\d\\d$")))
      << IsoLocalTime(0);
}

class StartupTest : public AppTest {
 protected:
  // An old data folder in the default place, with an empty folders file.
  tvtest::OldDataFolder OldData() const {
    tvtest::OldDataFolder old(DataFolder());
    old.Folders({});
    return old;
  }
  std::string Messenger() const { return facts.currentDirectory + s + "Zorvane.exe"; }
  bool Opened() const {
    return std::any_of(services.events.begin(), services.events.end(),
                       [](const std::string& e) { return e.rfind("open ", 0) == 0; });
  }
};

TEST_F(StartupTest, SilentConvertsDeletingOldFilesAndRecordsTheVersion) {
  // The old file lives in the default data folder, which a first run makes anyway.
  std::string oldFile = OldData().Message("Inbox", tvtest::SampleMessage());
  EXPECT_EQ(Run("-x /SILENT -y"), kExitDone);
  EXPECT_FALSE(PathExists(oldFile));
  EXPECT_TRUE(PathExists(DataFolder() + "Inbox" + s +
                         tvtest::NewMessageName(tvtest::SampleMessage().hexName)));
  EXPECT_TRUE(VersionWritten());
  EXPECT_EQ(store.Get("RunTime Settings", "m_csUserDataFolder")->data,
            DataFolder().substr(0, DataFolder().size() - 1) + '\0');
  EXPECT_TRUE(ui.boxes.empty());
  // Nothing set the launch flag, so the messenger is not started.
  EXPECT_FALSE(Opened());
  EXPECT_EQ(services.events,
            (std::vector<std::string>{
                "ui", "cd " + facts.currentDirectory, "sockets", "guard Tarvo software Zorvane 3.0",
                "store Tarvo software\\Zorvane", "com", "richedit", "release"}));
  // The application name is back to what it was.
  EXPECT_EQ(platform::ApplicationName(), "");
}

TEST_F(StartupTest, ExitConvertsNothingWritesNoVersionAndStartsNothing) {
  std::string oldFile = OldData().Message("Inbox", tvtest::SampleMessage());
  EXPECT_EQ(Run(""), kExitDone);
  EXPECT_TRUE(PathExists(oldFile));
  EXPECT_FALSE(VersionWritten());
  EXPECT_FALSE(Opened());
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(StartupTest, ConvertingWithLaunchStartsTheMessengerAfterTheCoreAndGuardAreGone) {
  services.dialogScript = [](CZV30TO31Dlg& dialog, tvtest::ScriptedDialogWindow& window) {
    dialog.OnCommand(window, kIdConvert);
  };
  EXPECT_EQ(Run(""), kExitDone);
  EXPECT_TRUE(VersionWritten());
  ASSERT_FALSE(services.events.empty());
  EXPECT_EQ(services.events.back(), "open " + Messenger());
  EXPECT_FALSE(services.coreAliveAtShellOpen);
  EXPECT_FALSE(services.guardHeldAtShellOpen);
  // Message boxes during the run carried the messenger's name.
  ASSERT_FALSE(ui.boxes.empty());
  EXPECT_EQ(ui.boxes.back().caption, "Zorvane");
}

TEST_F(StartupTest, ConvertingWithTheLaunchBoxClearedStartsNothing) {
  services.dialogScript = [](CZV30TO31Dlg& dialog, tvtest::ScriptedDialogWindow& window) {
    window.checked[kIdLaunch] = false;
    dialog.OnCommand(window, kIdConvert);
  };
  EXPECT_EQ(Run(""), kExitDone);
  EXPECT_TRUE(VersionWritten());
  EXPECT_FALSE(Opened());
}

TEST_F(StartupTest, AProgramFolderEndingInASeparatorGetsNoSecondOne) {
  services.programPath = std::string("C:") + s + "ZV30TO31.exe";
  services.dialogScript = [](CZV30TO31Dlg& dialog, tvtest::ScriptedDialogWindow& window) {
    dialog.OnCommand(window, kIdConvert);
  };
  Run("");
  EXPECT_EQ(services.events.back(), std::string("open C:") + s + "Zorvane.exe");
}

TEST_F(StartupTest, AnotherCopyRunningEndsAtOnceAndSilently) {
  services.guard = platform::GuardResult::kAlreadyRunning;
  EXPECT_EQ(Run("/SILENT"), kExitAlreadyRunning);
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(services.events.back(), "abandon");
  EXPECT_FALSE(store.HasSection("RunTime Settings"));
  EXPECT_FALSE(VersionWritten());
}

TEST_F(StartupTest, AGuardThatCannotBeMadeDoesNotStopTheRun) {
  services.guard = platform::GuardResult::kUnavailable;
  EXPECT_EQ(Run("/SILENT"), kExitDone);
  EXPECT_TRUE(VersionWritten());
}

TEST_F(StartupTest, NoSocketsEndsWithAMessageBeforeTheGuard) {
  services.socketsOk = false;
  EXPECT_EQ(Run("/SILENT"), kExitStartupFailed);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{
                            "Winsock 2.0 is required for this application, please update your "
                            "system"});
  EXPECT_EQ(services.events.back(), "sockets");
}

TEST_F(StartupTest, NoRichEditSkipsTheConversionButReleasesEverything) {
  services.richEditOk = false;
  EXPECT_EQ(Run("/SILENT"), kExitStartupFailed);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"The RichEdit initialization failed"});
  EXPECT_EQ(ui.boxes[0].caption, "Zorvane");
  EXPECT_FALSE(VersionWritten());
  EXPECT_EQ(services.events.back(), "release");
}

TEST_F(StartupTest, AFailedCoreInitialisationSkipsTheConversion) {
  facts.appDataAvailable = false;
  store.PutText("RunTime Settings", "m_csUserDataFolder", scratch.File("Configured"));
  EXPECT_EQ(Run("/SILENT"), kExitStartupFailed);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Core Initialization failed"});
  EXPECT_FALSE(VersionWritten());
  EXPECT_EQ(services.events.back(), "release");
}

// A configured data folder that cannot be used today is never replaced: one box names it and
// says why, nothing is converted or recorded, the setting is kept, and the exit status is 2, in
// silent mode as with the dialog (which is not shown).
TEST_F(StartupTest, AConfiguredFolderThatCannotBeUsedIsKeptAndNothingIsConverted) {
  const std::string plainFile = scratch.File("PlainFile");
  ASSERT_TRUE(tvtest::WriteWholeFile(plainFile, "not a folder"));
  const std::string unplugged = scratch.File("Unplugged") + s + "ZorvaneData";
  // Old data in the default folder, which a replacing run would convert.
  const std::string oldFile = OldData().Message("Inbox", tvtest::SampleMessage());
  for (const std::string& configured : {plainFile, unplugged}) {
    for (const char* commandLine : {"/SILENT", ""}) {
      store.PutText("RunTime Settings", "m_csUserDataFolder", configured);
      ui.boxes.clear();
      services.events.clear();
      EXPECT_EQ(Run(commandLine), kExitStartupFailed) << configured << commandLine;
      ASSERT_EQ(ui.boxes.size(), 1u);
      EXPECT_EQ(ui.boxes[0].text.rfind(
                    "The data folder '" + configured + "' named in the settings cannot be used", 0),
                0u)
          << ui.boxes[0].text;
      EXPECT_EQ(ui.boxes[0].icon, platform::BoxIcon::kError);
      EXPECT_EQ(store.Get("RunTime Settings", "m_csUserDataFolder")->data, configured + '\0');
      EXPECT_EQ(std::find(services.events.begin(), services.events.end(), "dialog"),
                services.events.end());
      EXPECT_FALSE(VersionWritten());
      EXPECT_TRUE(PathExists(oldFile));
    }
  }
  EXPECT_NE(ui.boxes[0].text.find("because: "), std::string::npos);
}

// The variable that names the system's temporary directory.
#ifdef _WIN32
const char* const kTempVariable = "TMP";
#else
const char* const kTempVariable = "TMPDIR";
#endif

// A message that cannot be staged, because the staging folder cannot be made under a "temporary
// directory" that is a plain file: a warning box says why and the message is not loaded (an Error
// line). Both count; the exit status is 1.
TEST_F(StartupTest, AStagingFolderThatCannotBeMadeGivesExitStatusOne) {
  tvtest::OldDataFolder old = OldData();
  tvtest::OldMessage withAttachment = tvtest::SampleMessage();
  withAttachment.attachments = {{"a.txt", "attached"}};
  old.Message("Inbox", withAttachment);
  tvtest::ScopedEnvironment temp(kTempVariable, old.RawFile("NotAFolder", "x").c_str());
  EXPECT_EQ(Run("/SILENT"), kExitConversionErrors);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text.rfind("Can't create temp folder", 0), 0u) << ui.boxes[0].text;
  EXPECT_EQ(ui.boxes[0].icon, platform::BoxIcon::kWarning);
  EXPECT_EQ(RunOutcome().failures, 2u);
}

// The exit status is settled after the run's last write and over the whole session: a version
// the settings refuse, or a backup that failed before the conversion, still ends in status 1. In
// quiet mode the refused version's box is an Error line of the log, counted once.
TEST_F(StartupTest, AFailureAtTheEndOrBeforeTheConversionGivesExitStatusOne) {
  const std::string chosen = scratch.MakeDir("Chosen");
  // The backup cannot make its folder where a plain file has the name.
  tvtest::OldDataFolder(chosen + s).RawFile("Zorvane BackUp", "x");
  const struct {
    const char* commandLine;
    bool versionRefused;
    const char* boxStart;  // the one box shown, or null for none
    const char* logLine;   // a line the kept log holds, or null when no log is kept
  } kCases[] = {
      {"/SILENT", true, "The new database version could not be recorded", nullptr},
      {"/quiet", true, nullptr, "Error: Not shown (quiet): The new database version"},
      {"", false, "The backup into", nullptr},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.commandLine);
    tvtest::OldDataFolder old = OldData();
    old.Message("Inbox", tvtest::SampleMessage());
    store.unopenable.clear();
    if (c.versionRefused) store.unopenable.push_back("System Settings");
    ui.boxes.clear();
    ui.folderChoices = {chosen};
    services.dialogScript = [](CZV30TO31Dlg& dialog, tvtest::ScriptedDialogWindow& window) {
      dialog.OnCommand(window, kIdBackUp);
      dialog.OnCommand(window, kIdConvert);  // and No to the backup question
    };
    EXPECT_EQ(Run(c.commandLine), kExitConversionErrors);
    EXPECT_EQ(VersionWritten(), !c.versionRefused);
    EXPECT_EQ(RunOutcome().failures, 1u);
    const auto failureBoxes = std::count_if(ui.boxes.begin(), ui.boxes.end(), [](const auto& b) {
      return b.icon == platform::BoxIcon::kError;
    });
    ASSERT_EQ(failureBoxes, c.boxStart != nullptr ? 1 : 0);
    if (c.boxStart != nullptr) {
      EXPECT_TRUE(std::any_of(ui.boxes.begin(), ui.boxes.end(),
                              [&](const auto& b) { return b.text.rfind(c.boxStart, 0) == 0; }));
    }
    const std::string log = DataFolder() + "Conversion3.0-3.1.Log.Txt";
    EXPECT_EQ(PathExists(log), c.logLine != nullptr);
    if (c.logLine != nullptr) {
      EXPECT_NE(tvtest::ReadWholeFile(log).find(c.logLine), std::string::npos);
    }
    tvtest::RemoveTree(DataFolder());
  }
}

// Boxes that tell of a failure are counted wherever they are raised; questions and notices are not.
TEST_F(AppTest, OnlyErrorAndWarningBoxesCountAsFailures) {
  const std::pair<platform::BoxIcon, uint32_t> kCases[] = {
      {platform::BoxIcon::kError, 1},       {platform::BoxIcon::kWarning, 1},
      {platform::BoxIcon::kInformation, 0}, {platform::BoxIcon::kQuestion, 0},
      {platform::BoxIcon::kNone, 0},
  };
  for (const auto& [icon, counted] : kCases) {
    ResetRunOutcome();
    platform::UI().MessageBox("text", platform::BoxButtons::kOk, icon);
    EXPECT_EQ(RunOutcome().failures, counted) << static_cast<int>(icon);
  }
}

}  // namespace
