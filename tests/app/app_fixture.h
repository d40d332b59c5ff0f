// Shared staging of the application tests: a scratch application-data folder, a settings store
// in memory, a recording user interface, and start-up services that record what start-up asks of
// the system.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/conversion_core.h"
#include "app/main_dialog.h"
#include "app/zv30to31_app.h"
#include "foundation/run_outcome.h"
#include "platform/file_system.h"
#include "settings/settings_store.h"
#include "settings/staged_facts.h"
#include "support/old_data_writer.h"
#include "support/scratch_dir.h"

namespace tvtest {

// A well-formed 3.0 message with one recipient.
inline OldMessage SampleMessage() {
  OldMessage m;
  m.hexName = HexName(1);
  m.body = "hello";
  m.recipients = {{"someone", 1, 0, 0}};
  return m;
}

// A dialog window of the test's own: check boxes in a map, End recorded.
class ScriptedDialogWindow : public platform::DialogWindow {
 public:
  bool IsChecked(int controlId) override { return checked[controlId]; }
  void SetChecked(int controlId, bool value) override { checked[controlId] = value; }
  void End(int result) override {
    ended = true;
    endResult = result;
  }
  std::map<int, bool> checked;
  bool ended = false;
  int endResult = 0;
};

// Copies recorded instead of run; each fails with failReason when one is set.
class RecordingCopier : public TvFolderCopier {
 public:
  struct Copy_ {
    std::string commandLine, source, target;
  };
  bool Copy(const std::string& commandLine, const std::string& source, const std::string& target,
            std::string* reason) override {
    copies.push_back({commandLine, source, target});
    if (failReason.empty()) return true;
    *reason = failReason;
    return false;
  }
  std::vector<Copy_> copies;
  std::string failReason;
};

class RecordingServices : public TvStartupServices {
 public:
  explicit RecordingServices(SettingsStore& store) : m_store(store) {}

  std::vector<std::string> events;
  std::string programPath;
  bool socketsOk = true;
  bool richEditOk = true;
  platform::GuardResult guard = platform::GuardResult::kAcquired;
  // The dialog's run: gets the dialog and a window; by default it presses Exit.
  std::function<void(CZV30TO31Dlg&, ScriptedDialogWindow&)> dialogScript;
  ScriptedDialogWindow window;
  bool guardHeld = false;
  bool coreAliveAtShellOpen = true;
  bool guardHeldAtShellOpen = true;

  void InitUserInterface() override { events.push_back("ui"); }
  std::string ProgramPath() override { return programPath; }
  bool SetCurrentDirectory(const std::string& path) override { return Record("cd " + path, true); }
  bool StartSockets() override { return Record("sockets", socketsOk); }
  platform::GuardResult AcquireInstanceGuard(const std::string& name) override {
    guardHeld = Record("guard " + name, guard == platform::GuardResult::kAcquired);
    return guard;
  }
  void ReleaseInstanceGuard() override { guardHeld = Record("release", false); }
  void AbandonInstanceGuard() override { events.push_back("abandon"); }
  SettingsStore& SelectSettingsStore(const std::string& company,
                                     const std::string& application) override {
    events.push_back("store " + company + "\\" + application);
    return m_store;
  }
  void InitComLibrary() override { events.push_back("com"); }
  bool LoadRichEditLibraries() override { return Record("richedit", richEditOk); }
  int RunDialog(CZV30TO31Dlg& dialog) override {
    events.push_back("dialog");
    dialog.OnInitDialog(window);
    if (dialogScript) {
      dialogScript(dialog, window);
    } else {
      dialog.OnCommand(window, kIdExit);
    }
    return window.endResult;
  }
  void ShellOpen(const std::string& path) override {
    events.push_back("open " + path);
    coreAliveAtShellOpen = g_pConversionCore != nullptr;
    guardHeldAtShellOpen = guardHeld;
  }

 private:
  // Records the event and gives the result the call hands back.
  bool Record(const std::string& event, bool result) {
    events.push_back(event);
    return result;
  }
  SettingsStore& m_store;
};

class AppTest : public ScratchTest {
 protected:
  AppTest() {
    ResetRunOutcome();  // the run's tally is the process's: each test is a session of its own
    facts.appDataFolder = scratch.MakeDir("AppData");
    facts.currentDirectory = scratch.MakeDir("Program");
    services.programPath = facts.currentDirectory + platform::kPathSeparator + "ZV30TO31.exe";
  }
  ~AppTest() override { DestroyConversionCore(); }

  std::string DataFolder() const {
    const char s = platform::kPathSeparator;
    return facts.appDataFolder + s + "Tarvo software" + s + "Zorvane" + s;
  }
  bool VersionWritten() const {
    return store.Get("System Settings", "m_dwordDatabaseVersion") != nullptr;
  }
  // Starts the application on that command line; returns its exit status. The run leaves no
  // core behind and the settings store selected as it found it.
  int Run(const std::string& commandLine) {
    SettingsStore* const selected = TheSettingsStore();
    CZV30TO31App app(commandLine, &services);
    EXPECT_EQ(app.InitInstance(), 0);
    EXPECT_EQ(g_pConversionCore, nullptr);
    EXPECT_EQ(TheSettingsStore(), selected);
    return app.ExitStatus();
  }
  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> texts;
    for (const auto& box : ui.boxes) texts.push_back(box.text);
    return texts;
  }

  TvMemorySettingsStore store;
  ScopedSystemFacts scopedFacts;
  StagedSystemFacts& facts = scopedFacts.facts;
  RecordingServices services{store};
};

}  // namespace tvtest
