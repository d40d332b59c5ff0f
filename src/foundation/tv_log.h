// The conversion log, "Conversion3.0-3.1.Log.Txt" in the user data folder: one line per event,
// appended (open, seek to end, write, close) under a lock; Error lines are counted.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

#include "foundation/data_paths.h"
#include "foundation/lock.h"
#include "foundation/types.h"

enum TvLogLevel : int32_t {
  kLogError = 0,
  kLogNotify = 1,
  kLogInfo = 2,
  kLogSecurity = 3,
};
inline constexpr int32_t kLogNoCategory = -1;

class TvLog {
 public:
  static constexpr const char* kFileName = "Conversion3.0-3.1.Log.Txt";

  // The log takes the user data folder from paths whenever it writes; paths must outlive it.
  explicit TvLog(const TvDataPaths& paths);

  TvBool Add(const std::string& message, int32_t level, int32_t category = kLogNoCategory);
  // Deletes the log file if it exists (the file error is shown when it exists but cannot go).
  void DeleteLogFile();
  std::string FilePath() const;

  // "MM/DD/YY HH:MM:SS" of a local time.
  static std::string FormatTimeStamp(const std::tm& localTime);
  // The whole line for a message, time stamp given, CR LF included.
  static std::string FormatLine(const std::string& timeStamp, const std::string& message,
                                int32_t level, int32_t category);

  uint32_t m_dwordErrorCount = 0;

 private:
  const TvDataPaths& m_paths;
  TvCriticalSection m_lock;
};
