#include "app/conversion_core.h"

#include "foundation/run_outcome.h"
#include "foundation/tv_error.h"
#include "platform/settings_store.h"
#include "platform/system_error.h"
#include "platform/terminal.h"
#include "platform/ui.h"
#include "replies/tv_text_messages.h"

ConversionCore* g_pConversionCore = nullptr;

ConversionCore::ConversionCore()
    : TvCorePathsHolder(&m_settingsRunTime),
      m_log(m_paths),
      m_database(m_log, m_paths),
      m_contactList(m_log, m_paths),
      m_settingsUserInfo(&m_settingsRunTime),
      m_settingsInterface(&m_settingsRunTime) {}

ConversionCore::~ConversionCore() = default;

TvBool ConversionCore::Init() {
  m_settingsSystem.Load();
  m_settingsInterface.Load();
  if (!m_settingsRunTime.Load()) return 0;

  // Every one is loaded, whatever the ones before it gave.
  TvBool system = m_settingsSystem.Load();
  TvBool windows = m_settingsWindows.Load();
  TvBool networking = m_settingsNetworking.Load();
  TvBool userInfo = m_settingsUserInfo.Load();
  TvBool contactList = m_settingsContactList.Load();
  m_initialised = (system && windows && networking && userInfo && contactList) ? 1 : 0;
  return m_initialised;
}

std::string ConversionCore::InitFailureText() const {
  const TvSettingsRunTime& runTime = m_settingsRunTime;
  if (runTime.m_csDataFolderProblem.empty()) return "Core Initialization failed";
  return "The data folder '" + runTime.m_csUserDataFolder +
         "' named in the settings cannot be used, because: " + runTime.m_csDataFolderProblem +
         ".\nNothing was converted and the setting was kept.";
}

void ConversionCore::Convert(TvBool deleteOld) {
  // The tally is the session's: a failed backup before this conversion still counts.
  m_database.CreateStandardFolders();
  m_database.ConvertDatabase(deleteOld);
  // A stop asked for by the user skips the stores not started yet (StopIfRequested).
  if (!StopIfRequested()) m_contactList.Convert(deleteOld);
  {
    TvFastReplysService fastReplys(m_log, m_settingsRunTime);
    if (!StopIfRequested()) fastReplys.Convert(deleteOld);
    TvAutoAnswersService autoAnswers(m_log, m_settingsRunTime);
    if (!StopIfRequested()) autoAnswers.Convert(deleteOld);
    // An interrupted run keeps its log and records no version: a rerun finishes the job.
    if (RunOutcome().interrupted) m_log.Add(kInterruptedLine, kLogError, kLogNoCategory);
    // A conversion without an Error line leaves no log behind.
    if (m_log.m_dwordErrorCount == 0) m_log.DeleteLogFile();
    if (!RunOutcome().interrupted) m_settingsSystem.conversionDone = 1;
    // The auto answers store goes first, then the fast replies store (reverse of construction).
  }
}

TvBool ConversionCore::RecordDatabaseVersion() {
  platform::SetLastError(0);
  if (m_settingsSystem.Save()) return 1;
  const std::string reason =
      platform::LastError() != 0 ? LastErrorReason() : "the settings store refused the value";
  const std::string where = platform::SettingsFilePath();
  const std::string text = "The new database version could not be recorded in the settings" +
                           (where.empty() ? std::string() : " '" + where + "'") +
                           ", because: " + reason +
                           ".\nRun the tool again once the settings can be written: it converts "
                           "what is left and records the version.";
  platform::UI().MessageBox(text, platform::BoxButtons::kOk, platform::BoxIcon::kError);
  // A quiet run shows no box; a script watching stderr still gets the reason.
  if (platform::UI().IsQuiet()) platform::WriteConsoleLine(text);
  return 0;
}

void CreateConversionCore() {
  if (g_pConversionCore == nullptr) g_pConversionCore = new ConversionCore();
}

void DestroyConversionCore() {
  if (g_pConversionCore == nullptr) return;
  ConversionCore* core = g_pConversionCore;
  delete core;
  g_pConversionCore = nullptr;
}
