// The conversion log, "Conversion3.0-3.1.Log.Txt" in the user data folder: one line per event,
// appended (open, seek to end, write, close) under a lock; Error lines are counted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

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

  // Appends one line (while held: keeps it for Settle, counted at once).
  TvBool Add(const std::string& message, int32_t level, int32_t category = kLogNoCategory);

  // Holding: lines are kept in memory in the order they come and written by Settle with one
  // open and one write, so a batch of messages costs one log write. Reserve keeps a place in
  // that order for lines known only later (a message's outcome once its batch is committed);
  // Fill adds a line there, with the time it is filled. Settle writes everything kept so far
  // (an unfilled place writes nothing) and goes on holding; Release settles and stops holding.
  void Hold();
  size_t Reserve();
  void Fill(size_t place, const std::string& message, int32_t level);
  TvBool Settle();
  void Release();
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
  // The line for a message now, with the error counts taken.
  std::string NewLine(const std::string& message, int32_t level, int32_t category);
  TvBool Append(const std::string& text);

  const TvDataPaths& m_paths;
  TvCriticalSection m_lock;
  bool m_holding = false;
  std::vector<std::string> m_held;
  size_t m_settledPlaces = 0;  // places handed out before m_held's first one
};
