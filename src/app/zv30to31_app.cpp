#include "app/zv30to31_app.h"

#include "app/conversion_core.h"
#include "app/conversion_run.h"
#include "app/information.h"
#include "app/main_dialog.h"
#include "app/run_report.h"
#include "foundation/run_outcome.h"
#include "platform/file_system.h"
#include "platform/interrupt.h"
#include "platform/process_setup.h"
#include "platform/quiet_ui.h"
#include "platform/shell.h"
#include "platform/terminal.h"
#include "platform/ui.h"
#include "settings/settings_store.h"

// ---- The system's services -----------------------------------------------------------------

TvStartupServices::~TvStartupServices() = default;
void TvStartupServices::InitUserInterface() { platform::InitCommonControls(); }
std::string TvStartupServices::ProgramPath() { return platform::ProgramPath(); }
bool TvStartupServices::SetCurrentDirectory(const std::string& path) {
  // Where the user started the program: the folder chooser's answers are relative to it.
  platform::SetStartingDirectory(platform::CurrentDirectory());
  return platform::SetCurrentDirectory(path);
}
bool TvStartupServices::StartSockets() { return platform::StartSockets(); }
platform::GuardResult TvStartupServices::AcquireInstanceGuard(const std::string& name) {
  return m_guard.Acquire(name);
}
void TvStartupServices::ReleaseInstanceGuard() { m_guard.Release(); }
void TvStartupServices::AbandonInstanceGuard() { m_guard.Abandon(); }
SettingsStore& TvStartupServices::SelectSettingsStore(const std::string& company,
                                                      const std::string& application) {
  m_store = std::make_unique<TvRegistrySettingsStore>(company, application);
  return *m_store;
}
void TvStartupServices::InitComLibrary() { platform::InitComLibrary(); }
bool TvStartupServices::LoadRichEditLibraries() { return platform::LoadRichEditLibraries(); }
int TvStartupServices::RunDialog(CZV30TO31Dlg& dialog) { return dialog.DoModal(); }
void TvStartupServices::ShellOpen(const std::string& path) { platform::ShellOpen(path); }

// ---- Start-up ------------------------------------------------------------------------------

CZV30TO31App::CZV30TO31App(std::string commandLine, TvStartupServices* services)
    : m_commandLine(std::move(commandLine)),
      m_ownServices(services == nullptr ? std::make_unique<TvStartupServices>() : nullptr),
      m_services(services != nullptr ? *services : *m_ownServices) {}

CZV30TO31App::~CZV30TO31App() = default;

std::string CZV30TO31App::RemoveFileSpec(const std::string& path) {
  size_t last = std::string::npos;
  for (size_t i = 0; i < path.size(); ++i) {
    if (platform::IsPathSeparator(path[i])) last = i;
  }
  if (last == std::string::npos) {
    // "C:name" keeps its drive; a bare name leaves nothing.
    return (path.size() >= 2 && path[1] == ':') ? path.substr(0, 2) : std::string();
  }
  // The root's separator stays: "C:\x.exe" gives "C:\", "/x" gives "/".
  bool root = last == 0 || (last == 2 && path[1] == ':');
  return path.substr(0, root ? last + 1 : last);
}

bool CZV30TO31App::IsSilent(const std::string& commandLine) {
  // "/SILENT" is plain ASCII starting with '/', which no double-byte character has as its second
  // byte, so a byte search cannot match inside a character.
  return !commandLine.empty() && commandLine.find("/SILENT") != std::string::npos;
}

bool CZV30TO31App::IsQuiet(const std::string& commandLine) {
  // Any letter case, unlike /SILENT, which the messenger's own installer spells one way only.
  std::string upper = commandLine;
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper.find("/QUIET") != std::string::npos;
}

namespace {

// Where a box goes in quiet mode: once a conversion can run (the core initialised, so the log
// knows its folder), into the log, an Error line for an error or warning box (counted there);
// before that, a failure box is counted directly, so the exit status and the report still tell.
void QuietBoxToLog(const std::string& text, platform::BoxIcon icon) {
  const bool failure = icon == platform::BoxIcon::kError || icon == platform::BoxIcon::kWarning;
  std::string line = text;
  for (char& c : line) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  if (g_pConversionCore != nullptr && g_pConversionCore->m_initialised != 0) {
    g_pConversionCore->m_log.Add("Not shown (quiet): " + line, failure ? kLogError : kLogInfo,
                                 kLogNoCategory);
  } else if (failure) {
    CountFailure(line);
  }
}

}  // namespace

TvBool CZV30TO31App::InitInstance() {
  m_exitStatus = kExitDone;
  // Help and version end here, before anything is read or written.
  if (ShowInformationRequest(m_commandLine)) return 0;
  ResetRunOutcome();
  const bool quiet = IsQuiet(m_commandLine);
  const bool silent = quiet || IsSilent(m_commandLine);
  platform::ScopedQuietMode quietMode(quiet, &QuietBoxToLog);
  TvRunReport report(ReportPathArgument(m_commandLine));
  // A silent run takes a stop request from the start; the dialog only while it converts.
  if (silent) platform::InstallStopHandlers();
  m_services.InitUserInterface();

  std::string programFolder = RemoveFileSpec(m_services.ProgramPath());
  m_services.SetCurrentDirectory(programFolder);

  if (!m_services.StartSockets()) {
    platform::UI().MessageBox(
        "Winsock 2.0 is required for this application, please update your system",
        platform::BoxButtons::kOk, platform::BoxIcon::kError);
    m_exitStatus = kExitStartupFailed;
    WriteReport(report, std::string(), std::string());
    return 0;
  }

  if (m_services.AcquireInstanceGuard(kMutexName) == platform::GuardResult::kAlreadyRunning) {
    m_services.AbandonInstanceGuard();
    platform::WriteConsoleLine("Another copy of the tool is running; this one did nothing.");
    m_exitStatus = kExitAlreadyRunning;
    WriteReport(report, std::string(), std::string());
    return 0;
  }

  std::string savedName = platform::ApplicationName();
  platform::SetApplicationName("Zorvane");
  SettingsStore* previousStore =
      SetSettingsStore(&m_services.SelectSettingsStore("Tarvo software", "Zorvane"));

  m_services.InitComLibrary();
  CreateConversionCore();
  ConversionCore& core = *g_pConversionCore;

  TvBool done = 0;
  TvBool launch = 0;
  bool converting = false;
  if (!m_services.LoadRichEditLibraries()) {
    platform::UI().MessageBox("The RichEdit initialization failed", platform::BoxButtons::kOk,
                              platform::BoxIcon::kError);
    m_exitStatus = kExitStartupFailed;
  } else if (!core.Init()) {
    platform::UI().MessageBox(core.InitFailureText(), platform::BoxButtons::kOk,
                              platform::BoxIcon::kError);
    m_exitStatus = kExitStartupFailed;
  } else {
    converting = true;
    if (silent) {
      RunConversion(core, 1, false);
    } else {
      CZV30TO31Dlg dialog;
      m_services.RunDialog(dialog);
    }
    done = core.m_settingsSystem.conversionDone;
    launch = core.m_settingsSystem.launchMessenger;
    // The run's last write, before its outcome is settled, so a failure here counts too.
    core.RecordDatabaseVersion();
    m_exitStatus = SettledExitStatus();
  }

  const std::string dataFolder = core.m_settingsRunTime.m_csUserDataFolder;
  WriteReport(report, dataFolder, converting ? KeptLog(core) : std::string());
  if (converting && (done != 0 || RunOutcome().interrupted)) {
    platform::WriteConsoleLine(RunSummary(core));
  }

  // The version was recorded above; destroying the core writes nothing more.
  DestroyConversionCore();
  SetSettingsStore(previousStore);

  platform::SetApplicationName(savedName);
  m_services.ReleaseInstanceGuard();

  if (done == 1 && launch == 1) {
    std::string messenger = programFolder;
    if (messenger.empty() || !platform::IsPathSeparator(messenger.back())) {
      messenger += platform::kPathSeparator;
    }
    messenger += "Zorvane.exe";
    m_services.ShellOpen(messenger);
  }
  return 0;
}

int CZV30TO31App::SettledExitStatus() {
  // Any failure the session reported: an Error line, a file-error box, a failed backup or
  // restore, a version that could not be recorded.
  if (RunOutcome().interrupted) return InterruptedExitStatus();
  return RunOutcome().failures != 0 ? kExitConversionErrors : kExitDone;
}

void CZV30TO31App::WriteReport(const TvRunReport& report, const std::string& dataFolder,
                               const std::string& keptLog) {
  if (!report.Asked()) return;
  if (!report.Write(dataFolder, m_exitStatus, keptLog) && m_exitStatus == kExitDone) {
    m_exitStatus = kExitConversionErrors;
  }
}
