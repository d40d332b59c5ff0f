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

std::string TvLog::NewLine(const std::string& message, int32_t level, int32_t category) {
  std::string timeStamp;
  std::tm now{};
  if (platform::LocalTimeNow(&now)) timeStamp = FormatTimeStamp(now);
  // Counted before the write, so an Error line that cannot be written still keeps the log.
  if (level == kLogError) {
    ++m_dwordErrorCount;
    CountFailure(message);
  }
  return FormatLine(timeStamp, message, level, category);
}

TvBool TvLog::Append(const std::string& text) {
  if (text.empty()) return 1;
  TvBool result = 0;
  TvFile file(0, 1);
  if (file.Open(FilePath(), kModeLog)) {
    if (file.SeekRaw(0, 2)) result = file.Write(text.data(), static_cast<uint32_t>(text.size()));
    file.Close();
  }
  return result;
}

TvBool TvLog::Add(const std::string& message, int32_t level, int32_t category) {
  TvLockGuard guard("TvLog::Add()", m_lock);
  std::string line = NewLine(message, level, category);
  if (m_holding) {
    m_held.push_back(std::move(line));
    return 1;
  }
  return Append(line);
}

void TvLog::Hold() {
  TvLockGuard guard("TvLog::Hold()", m_lock);
  m_holding = true;
}

size_t TvLog::Reserve() {
  TvLockGuard guard("TvLog::Reserve()", m_lock);
  m_held.emplace_back();
  return m_settledPlaces + m_held.size() - 1;
}

void TvLog::Fill(size_t place, const std::string& message, int32_t level) {
  TvLockGuard guard("TvLog::Fill()", m_lock);
  std::string line = NewLine(message, level, kLogNoCategory);
  if (place >= m_settledPlaces && place - m_settledPlaces < m_held.size()) {
    m_held[place - m_settledPlaces] += line;
  } else {
    Append(line);  // the place was settled already: the line still reaches the log
  }
}

TvBool TvLog::Settle() {
  TvLockGuard guard("TvLog::Settle()", m_lock);
  std::string text;
  for (const std::string& line : m_held) text += line;
  m_settledPlaces += m_held.size();
  m_held.clear();
  return Append(text);
}

void TvLog::Release() {
  TvLockGuard guard("TvLog::Release()", m_lock);
  Settle();
  m_holding = false;
}

void TvLog::DeleteLogFile() { DeleteFileIfExists(FilePath()); }
