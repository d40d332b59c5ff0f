// The outcome of each old message file as the conversion's walk decides it dry (nothing written)
// and as a real run's log tells it, so tests can hold the two equal. Header only: the tests that
// use it link the database.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "database/tv_database.h"
#include "foundation/data_paths.h"
#include "foundation/tv_log.h"
#include "support/power_cut.h"

namespace tvtest {

// Old message path -> "Converted", "NOT loaded" or "NOT saved".
using MessageVerdicts = std::map<std::string, std::string>;

class VerdictRecorder : public TvWalkListener {
 public:
  void NotLoaded(const std::string& oldPath, TvMessage&) override {
    verdicts[oldPath] = "NOT loaded";
  }
  void Decided(const TvMessageBatch::Outcome& outcome) override {
    verdicts[outcome.oldPath] = outcome.committed ? "Converted" : "NOT saved";
  }
  MessageVerdicts verdicts;
};

// Runs the walk dry over the data folder, which must come out unchanged (checked); its new files
// and log lines go to scratch (a folder ending in a separator, made when missing), its staged
// attachments to staging.
inline MessageVerdicts DryWalkVerdicts(const std::string& dataFolder, const std::string& staging,
                                       const std::string& scratch) {
  std::filesystem::create_directories(scratch);
  const std::map<std::string, std::string> before = SnapshotTree(dataFolder);
  TvFixedDataPaths data(dataFolder);
  TvFixedDataPaths scratchPaths(scratch);
  TvLog log(scratchPaths);
  TvDatabase database(log, data);
  database.CreateStandardFolders();
  database.SetStagingFolder(staging);
  database.SetDryRun(scratch);
  VerdictRecorder recorder;
  database.SetListener(&recorder);
  database.ConvertDatabase(0);
  EXPECT_EQ(SnapshotTree(dataFolder), before) << "the dry walk changed the data folder";
  return recorder.verdicts;
}

// The verdicts of a real run's log entries ("<level>: Message: <path> , <verdict>", the verdict
// perhaps followed by ", <reason>").
inline MessageVerdicts LoggedVerdicts(const std::vector<std::string>& entries) {
  MessageVerdicts verdicts;
  for (const std::string& entry : entries) {
    const size_t head = entry.find("Message: ");
    if (head == std::string::npos) continue;
    const size_t start = head + 9;
    for (const char* verdict : {"Converted", "NOT loaded", "NOT saved"}) {
      const std::string said = std::string(" , ") + verdict;
      const size_t at = entry.find(said, start);
      if (at == std::string::npos || at == start) continue;
      const size_t end = at + said.size();
      if (end == entry.size() || entry.compare(end, 2, ", ") == 0) {
        verdicts[entry.substr(start, at - start)] = verdict;
      }
    }
  }
  return verdicts;
}

}  // namespace tvtest
