#include "foundation/tv_log.h"

#include <cstdio>

#include "foundation/run_outcome.h"
#include "foundation/tv_file.h"
#include "foundation/utilities.h"
#include "platform/local_time.h"

namespace {

const char* CategoryText(int32_t category) {
  static const char* const kTexts[] = {" System",       " Database",     " Contact List",
                                       " Folders List", " Fast Replies", " Auto Answers",
                                       " Scheduler"};
  return (category >= 0 && category <= 6) ? kTexts[category] : "";
}

const char* LevelText(int32_t level) {
  switch (level) {
    case kLogError:
      return " Error: ";
    case kLogNotify:
      return " Notify: ";
    case kLogInfo:
      return " Info: ";
    case kLogSecurity:
      return " Security: ";
    default:
      return "";
  }
}

}  // namespace

TvLog::TvLog(const TvDataPaths& paths) : m_paths(paths) {}

std::string TvLog::FormatTimeStamp(const std::tm& localTime) {
  char buffer[64];
  std::snprintf(buffer, sizeof(buffer), "%02d/%02d/%02d %02d:%02d:%02d", localTime.tm_mon + 1,
                localTime.tm_mday, localTime.tm_year % 100, localTime.tm_hour, localTime.tm_min,
                localTime.tm_sec);
  return buffer;
}

std::string TvLog::FormatLine(const std::string& timeStamp, const std::string& message,
                              int32_t level, int32_t category) {
  std::string prefix = " ";
  std::string body = timeStamp + " @ ";
  if (category != kLogNoCategory) {
    prefix += static_cast<char>('0' + category);
    body += CategoryText(category);
  }
  prefix += static_cast<char>('0' + level);
  body += LevelText(level);
  return prefix + " " + body + message + "\r\n";
}

std::string TvLog::FilePath() const { return m_paths.UserDataFolder() + kFileName; }

TvBool TvLog::Add(const std::string& message, int32_t level, int32_t category) {
  TvLockGuard guard("TvLog::Add()", m_lock);
  TvBool result = 0;

  std::string timeStamp;
  std::tm now{};
  if (platform::LocalTimeNow(&now)) timeStamp = FormatTimeStamp(now);
  // Counted before the write, so an Error line that cannot be written still keeps the log.
  if (level == kLogError) {
    ++m_dwordErrorCount;
    CountFailure();
  }
  std::string line = FormatLine(timeStamp, message, level, category);

  TvFile file(0, 1);
  if (file.Open(FilePath(), kModeLog)) {
    if (file.SeekRaw(0, 2)) result = file.Write(line.data(), static_cast<uint32_t>(line.size()));
    file.Close();
  }
  return result;
}

void TvLog::DeleteLogFile() { DeleteFileIfExists(FilePath()); }
