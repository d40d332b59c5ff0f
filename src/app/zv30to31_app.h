// CZV30TO31App: the program's start-up routine, from the instance guard to the messenger's
// launch, and the exit status it leaves for people who deploy the tool unattended:
//   0  nothing failed: the dialog was closed without converting, or the conversion reported no
//      failure
//   1  a failure was reported anywhere in the session: an Error log line (the log was kept), or a
//      box with the error or warning icon (a file that could not be read or written, a failed
//      backup or restore, a database version that could not be recorded, a report that could
//      not be written); in quiet mode those boxes are Error lines of the log
//   2  start-up failed (sockets, rich-edit libraries, core initialisation, a configured data
//      folder that cannot be used); nothing was converted or recorded
//   3  another copy was running
//   130, 143  the user stopped the conversion (SIGINT, SIGTERM; POSIX): a rerun finishes it
#pragma once

#include <memory>
#include <string>

#include "foundation/types.h"
#include "platform/instance_guard.h"

class CZV30TO31Dlg;
class TvRunReport;
class SettingsStore;

enum TvExitStatus : int {
  kExitDone = 0,
  kExitConversionErrors = 1,
  kExitStartupFailed = 2,
  kExitAlreadyRunning = 3,
};

// What start-up asks of the system. Tests replace it to stage failures and to watch the order.
class TvStartupServices {
 public:
  virtual ~TvStartupServices();
  virtual void InitUserInterface();
  virtual std::string ProgramPath();
  virtual bool SetCurrentDirectory(const std::string& path);
  virtual bool StartSockets();
  virtual platform::GuardResult AcquireInstanceGuard(const std::string& name);
  virtual void ReleaseInstanceGuard();
  // After kAlreadyRunning: the process ends without closing what it got.
  virtual void AbandonInstanceGuard();
  // The settings store under HKEY_CURRENT_USER\software\<company>\<application>; owned here.
  virtual SettingsStore& SelectSettingsStore(const std::string& company,
                                             const std::string& application);
  virtual void InitComLibrary();
  virtual bool LoadRichEditLibraries();
  virtual int RunDialog(CZV30TO31Dlg& dialog);
  virtual void ShellOpen(const std::string& path);

 private:
  platform::InstanceGuard m_guard;
  std::unique_ptr<SettingsStore> m_store;
};

class CZV30TO31App {
 public:
  static constexpr const char* kMutexName = "Tarvo software Zorvane 3.0";

  // commandLine: the arguments after the program's name. services: the system's when null.
  explicit CZV30TO31App(std::string commandLine, TvStartupServices* services = nullptr);
  ~CZV30TO31App();

  // The whole run: guards, core, silent conversion or dialog, core destroyed, guard released,
  // messenger started when asked. Always 0 (the process ends after it).
  TvBool InitInstance();
  int ExitStatus() const { return m_exitStatus; }

  // The program's folder from its full path (the file part removed, a root kept).
  static std::string RemoveFileSpec(const std::string& path);
  // "/SILENT" anywhere in the command line, case-sensitive.
  static bool IsSilent(const std::string& commandLine);
  // "/QUIET" anywhere in the command line, any letter case: a silent run that shows nothing.
  static bool IsQuiet(const std::string& commandLine);

 private:
  // The exit status of a run that converted or showed the dialog, from the session's tally.
  static int SettledExitStatus();
  // Writes the report when one was asked for; one that cannot be written turns a clean exit
  // status into 1 (its error box is counted and, in quiet mode, logged).
  void WriteReport(const TvRunReport& report, const std::string& dataFolder,
                   const std::string& keptLog);

  std::string m_commandLine;
  std::unique_ptr<TvStartupServices> m_ownServices;
  TvStartupServices& m_services;
  int m_exitStatus = kExitDone;
};
