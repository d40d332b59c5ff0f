#include "app/run_report.h"

#include <cstdio>

#include "app/information.h"
#include "foundation/replacing_file.h"
#include "foundation/tv_error.h"
#include "platform/command_line.h"
#include "platform/system_info.h"
#include "platform/terminal.h"
#include "platform/ui.h"

namespace {

// Days since 1970-01-01 of a civil date (proleptic Gregorian), for the offset between two
// broken-down times without asking the time zone database.
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day) {
  year -= month <= 2 ? 1 : 0;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

int64_t SecondsOf(const std::tm& t) {
  return DaysFromCivil(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday) * 86400 + t.tm_hour * 3600 +
         t.tm_min * 60 + t.tm_sec;
}

std::string OrNull(const std::string& text) { return text.empty() ? "null" : JsonString(text); }

std::string UpperAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

}  // namespace

std::string JsonString(const std::string& bytes) {
  static const char kHex[] = "0123456789abcdef";
  std::string out = "\"";
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '"':
        out += "\\\"";
        continue;
      case '\\':
        out += "\\\\";
        continue;
      case '\n':
        out += "\\n";
        continue;
      case '\r':
        out += "\\r";
        continue;
      case '\t':
        out += "\\t";
        continue;
      default:
        break;
    }
    if (byte < 0x20 || byte >= 0x7f) {
      out += "\\u00";
      out += kHex[byte >> 4];
      out += kHex[byte & 0xf];
    } else {
      out += c;
    }
  }
  return out + "\"";
}

const char* ExitStatusWord(int exitStatus) {
  switch (exitStatus) {
    case 0:
      return "done";
    case 1:
      return "errors";
    case 2:
      return "could not start";
    case 3:
      return "another copy running";
    default:
      return "interrupted";
  }
}

std::string IsoLocalTime(std::time_t t) {
  std::tm local = *std::localtime(&t);
  const std::tm utc = *std::gmtime(&t);
  const int64_t offsetMinutes = (SecondsOf(local) - SecondsOf(utc)) / 60;
  const int64_t absolute = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
  char text[96];
  std::snprintf(text, sizeof(text), "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d",
                local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                local.tm_sec, offsetMinutes < 0 ? '-' : '+', static_cast<int>(absolute / 60),
                static_cast<int>(absolute % 60));
  return text;
}

std::string ReportPathArgument(const std::string& commandLine) {
  static const std::string kSwitch = "/REPORT:";
  // The splitter takes its first word as the program's name, which this command line lacks.
  const std::vector<std::string> words = platform::SplitCommandLine("x " + commandLine);
  for (size_t i = 1; i < words.size(); ++i) {
    if (UpperAscii(words[i].substr(0, kSwitch.size())) == kSwitch) {
      return words[i].substr(kSwitch.size());
    }
  }
  return std::string();
}

std::string ReportJson(const TvReportFacts& facts) {
  const TvRunOutcome& outcome = facts.outcome;
  char duration[32];
  std::snprintf(duration, sizeof(duration), "%.3f", facts.durationSeconds);
  std::string json = "{\n";
  json += "  \"report\": \"ZV30TO31 run\",\n";
  json += "  \"reportFormat\": 1,\n";
  json += "  \"version\": " + JsonString(facts.version) + ",\n";
  json += "  \"revision\": " + OrNull(facts.revision) + ",\n";
  json += "  \"computer\": " + JsonString(facts.computer) + ",\n";
  json += "  \"user\": " + JsonString(facts.user) + ",\n";
  json += "  \"dataFolder\": " + OrNull(facts.dataFolder) + ",\n";
  json += "  \"start\": " + JsonString(facts.startTime) + ",\n";
  json += "  \"end\": " + JsonString(facts.endTime) + ",\n";
  json += "  \"durationSeconds\": " + std::string(duration) + ",\n";
  json += "  \"exitStatus\": " + std::to_string(facts.exitStatus) + ",\n";
  json += "  \"outcome\": " + JsonString(ExitStatusWord(facts.exitStatus)) + ",\n";
  json += "  \"messagesConverted\": " + std::to_string(outcome.messagesConverted) + ",\n";
  json += "  \"messagesNotConverted\": " + std::to_string(outcome.messagesNotConverted) + ",\n";
  json += "  \"listFilesConverted\": " + std::to_string(outcome.listFilesConverted) + ",\n";
  json += "  \"errors\": " + std::to_string(outcome.failures) + ",\n";
  json += "  \"firstErrors\": [";
  for (size_t i = 0; i < facts.firstErrors.size(); ++i) {
    json += (i == 0 ? "\n    " : ",\n    ") + JsonString(facts.firstErrors[i]);
  }
  json += facts.firstErrors.empty() ? "],\n" : "\n  ],\n";
  json += "  \"keptLog\": " + OrNull(facts.keptLog) + "\n";
  return json + "}\n";
}

TvRunReport::TvRunReport(std::string path)
    : m_path(std::move(path)),
      m_start(std::time(nullptr)),
      m_startTick(std::chrono::steady_clock::now()) {}

bool TvRunReport::Write(const std::string& dataFolder, int exitStatus,
                        const std::string& keptLog) const {
  TvReportFacts facts;
  facts.version = ToolVersion();
  facts.revision = ToolRevision();
  platform::ComputerName(&facts.computer);
  platform::LogonUserName(&facts.user);
  facts.dataFolder = dataFolder;
  facts.startTime = IsoLocalTime(m_start);
  facts.endTime = IsoLocalTime(std::time(nullptr));
  facts.durationSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - m_startTick).count();
  facts.exitStatus = exitStatus;
  facts.outcome = RunOutcome();
  facts.firstErrors = FirstFailures();
  facts.keptLog = keptLog;
  const std::string json = ReportJson(facts);

  // Told once below with the report's own words, not as a file error box of each step.
  TvReplacingFile file(0);
  if (file.Open(m_path, kModeReadWriteCreate) &&
      file.Write(json.data(), static_cast<uint32_t>(json.size())) && file.Commit()) {
    return true;
  }
  const std::string reason = LastErrorReason();
  file.Abandon();
  const std::string text =
      "The report could not be written to '" + m_path + "', because: " + reason + ".";
  platform::UI().MessageBox(text, platform::BoxButtons::kOk, platform::BoxIcon::kError);
  // A quiet run shows no box (it is a log line then); a script watching stderr still gets it.
  if (platform::UI().IsQuiet()) platform::WriteConsoleLine(text);
  return false;
}
