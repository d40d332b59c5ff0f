// What every fuzz target shares: a private scratch data folder (with its standard folders and a
// staging folder) that lives as long as the process, a recording user interface so that no file
// error box waits for anyone, and whole-file helpers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/data_paths.h"
#include "foundation/tv_log.h"

namespace tvfuzz {

class Scratch {
 public:
  Scratch();
  ~Scratch();
  const std::string& Data() const { return m_data; }        // ends in a separator
  const std::string& Staging() const { return m_staging; }  // ends in a separator
  const TvDataPaths& Paths() const { return m_paths; }
  TvLog& Log() { return m_log; }
  // Removes every file of the data folder and the staging folder, keeps the folders.
  void Clean();

 private:
  std::string m_root;
  std::string m_data;
  std::string m_staging;
  TvFixedDataPaths m_paths;
  TvLog m_log;
};

// The one scratch folder of this process (made on first use, removed at exit).
Scratch& TheScratch();

void WriteFile(const std::string& path, const uint8_t* data, size_t size);
std::string ReadFile(const std::string& path);

// Stops the process with a message: a broken invariant is a finding like a crash.
[[noreturn]] void Fail(const std::string& what);

}  // namespace tvfuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
