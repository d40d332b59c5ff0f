// The report of one run (/REPORT:<path>), for people who deploy the tool on many machines and
// gather what each run did: one JSON file written at the end of every run, whatever its exit
// status, under a temporary name in the same folder and then renamed over the path, so a reader
// never sees half a report. Nothing but the file is created (no folders).
//
// Texts are the system's ANSI code page bytes; JSON wants Unicode, so a byte of 0x80 or above is
// written as the Unicode character of the same number (\u0080 to \u00ff, read as Latin-1), and
// control characters, quotes and backslashes are escaped. ASCII comes through as it is.
#pragma once

#include <chrono>
#include <ctime>
#include <string>
#include <vector>

#include "foundation/run_outcome.h"

struct TvReportFacts {
  std::string version;
  std::string revision;  // empty: unknown (null)
  std::string computer;
  std::string user;
  std::string dataFolder;  // empty: not known yet when the run ended (null)
  std::string startTime;   // ISO 8601 local time with its offset
  std::string endTime;
  double durationSeconds = 0;
  int exitStatus = 0;
  TvRunOutcome outcome;
  std::vector<std::string> firstErrors;
  std::string keptLog;  // empty: no log was kept (null)
};

// The report's document, one field a line.
std::string ReportJson(const TvReportFacts& facts);
// A JSON string literal of the bytes, quotes included.
std::string JsonString(const std::string& bytes);
// The word for an exit status: "done", "errors", "could not start", "another copy running",
// "interrupted".
const char* ExitStatusWord(int exitStatus);
// "2026-12-07T21:05:09+01:00": the local time of t with its offset from UTC.
std::string IsoLocalTime(std::time_t t);

// The path given by "/REPORT:<path>" (any letter case; quoted when it holds blanks, either
// "/REPORT:<path>" whole or the path alone); empty when none is given.
std::string ReportPathArgument(const std::string& commandLine);

class TvRunReport {
 public:
  // Takes the start time. path: empty when no report is asked for.
  explicit TvRunReport(std::string path);

  bool Asked() const { return !m_path.empty(); }
  // Writes the report with the run's tally as it stands. False when it cannot be written: an
  // error box says why (counted like every failure; in quiet mode it becomes an Error line).
  bool Write(const std::string& dataFolder, int exitStatus, const std::string& keptLog) const;

 private:
  std::string m_path;
  std::time_t m_start;
  std::chrono::steady_clock::time_point m_startTick;
};
