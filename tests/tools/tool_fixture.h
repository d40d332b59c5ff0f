// Shared by the zvtool tests: running the built binaries and capturing what they print, an
// in-process conversion of a data folder with the stores themselves, and small file helpers.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "support/new_format_reader.h"

namespace tooltest {

// The platform's path separator, as a text.
extern const std::string kSep;

struct RunResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// The built binary of that name beside the test executable ("zvtool", "zv30to31"), with ".exe"
// on Windows and the converter's Windows name there.
std::string Binary(const std::string& name);

// Runs program with arguments (each quoted), stdout and stderr captured into files in scratch.
// environment: "NAME=value" pairs set for the child (POSIX only).
RunResult Run(const std::string& program, const std::vector<std::string>& arguments,
              const std::string& scratch, const std::vector<std::string>& environment = {});

// The whole conversion of a data folder as the conversion core runs it: standard folders,
// database, contact list, fast replies, auto answers; the log file goes when no Error line was
// written. Attachments are staged in stagingFolder.
void ConvertInProcess(const std::string& dataFolder, const std::string& stagingFolder,
                      bool deleteOld);

// Every file under root (relative path -> contents), for "nothing changed" checks.
std::map<std::string, std::string> Snapshot(const std::string& root);

bool CopyTree(const std::string& from, const std::string& to);
using tvtest::FilesIn;  // bare names, sorted
bool Truncate(const std::string& path, uint64_t length);
bool FlipByte(const std::string& path, uint64_t offset);

}  // namespace tooltest
