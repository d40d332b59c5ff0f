// The commands of zvtool. Each writes its report to out and its errors to err and returns
// the process exit status: 0 success, 1 when the command's answer is "no" (check: something would
// fail; verify: something was lost or differs; dump: the file is damaged), 2 for a usage error or
// a path that cannot be used.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

namespace zvtool {

inline constexpr int kExitOk = 0;
inline constexpr int kExitNo = 1;
inline constexpr int kExitError = 2;

struct SampleOptions {
  uint32_t messages = 200;
  uint32_t userFolders = 3;
  uint32_t seed = 1;
};
int RunSample(const std::string& dir, const SampleOptions& options, std::ostream& out,
              std::ostream& err);

int RunDump(const std::string& file, bool json, std::ostream& out, std::ostream& err);

int RunCheck(const std::string& dir, bool json, std::ostream& out, std::ostream& err);

int RunVerify(const std::string& oldDir, const std::string& newDir, bool json, std::ostream& out,
              std::ostream& err);

// A table of the converter's run reports (*.json) in dir, one row per file, then totals; csv:
// comma-separated for spreadsheets, with a header line. 0 when every file is a report of a run
// that ended with exit status 0; 1 when a run did not, a file is damaged or foreign, or there is
// none; 2 when dir cannot be read.
int RunReports(const std::string& dir, bool csv, std::ostream& out, std::ostream& err);

}  // namespace zvtool
