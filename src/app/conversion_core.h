// ConversionCore: the one process-wide object that owns the log, the message database, the
// contact list and the seven settings sections, initialises them and runs the conversion once.
//
// Members are constructed in declaration order and destroyed in reverse; the log, the database
// and the contact list take their paths from the run-time section (used only after Init).
#pragma once

#include <cstdint>
#include <string>

#include "contacts/tv_contact_list.h"
#include "database/tv_database.h"
#include "foundation/tv_log.h"
#include "foundation/types.h"
#include "settings/tv_settings.h"

// The run-time section's paths, reachable from the core's first member on: the log, the
// database and the contact list are built before the run-time section is, so they are handed
// this forwarder, which looks the section up only when asked (after Init).
class TvRunTimePaths : public TvDataPaths {
 public:
  explicit TvRunTimePaths(const TvSettingsRunTime* runTime) : m_runTime(runTime) {}
  const std::string& UserDataFolder() const override { return m_runTime->UserDataFolder(); }
  const std::string& StandardFolderDirectory(int folderId) const override {
    return m_runTime->StandardFolderDirectory(folderId);
  }

 private:
  const TvSettingsRunTime* m_runTime;
};

// Holds the forwarder as a base, so it exists before the core's members are built.
struct TvCorePathsHolder {
  explicit TvCorePathsHolder(const TvSettingsRunTime* runTime) : m_paths(runTime) {}
  TvRunTimePaths m_paths;
};

class ConversionCore : private TvCorePathsHolder {
 public:
  ConversionCore();
  ~ConversionCore();
  ConversionCore(const ConversionCore&) = delete;
  ConversionCore& operator=(const ConversionCore&) = delete;

  // Loads the sections: system, interface, run-time (a failure ends Init at once with 0), then
  // system again, windows, networking, user info and contact list, all tried. 1 only when the
  // run-time load and the last five loads succeeded.
  TvBool Init();
  // What start-up shows when Init failed: why the data folder named in the settings cannot be
  // used, when that was the cause, else "Core Initialization failed".
  std::string InitFailureText() const;
  // Standard folders, database, contact list, fast replies, auto answers, then the log file goes
  // when no Error line was written, and conversionDone is set whatever happened before, unless
  // the user stopped the run: then the stores not reached are skipped, kInterruptedLine is
  // logged and conversionDone stays 0.
  void Convert(TvBool deleteOld);
  // Records the database version when a conversion ran (the system section's Save), while the
  // run can still count a failure: a version that cannot be written shows an error box saying
  // why (counted like every failed write). 0 then; 1 when recorded or nothing was to be.
  TvBool RecordDatabaseVersion();
  static constexpr const char* kInterruptedLine =
      "Conversion: interrupted by the user , NOT finished (run the conversion again)";

  int32_t m_initialised = 0;
  TvLog m_log;
  TvDatabase m_database;
  TvContactList m_contactList;
  TvSettingsContactList m_settingsContactList;
  TvSettingsUserInfo m_settingsUserInfo;
  TvSettingsSystem m_settingsSystem;
  TvSettingsRunTime m_settingsRunTime;
  TvSettingsInterface m_settingsInterface;
  TvSettingsWindows m_settingsWindows;
  TvSettingsNetworking m_settingsNetworking;
};

// The single core; null before CreateConversionCore and after DestroyConversionCore.
extern ConversionCore* g_pConversionCore;

void CreateConversionCore();
void DestroyConversionCore();
