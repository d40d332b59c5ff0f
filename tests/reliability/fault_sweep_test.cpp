// Fault-injection sweeps: make file operation k fail, for every k until a run completes without
// touching a fault, once with a single failure and once with every operation from k on failing,
// with the system's codes for a failed write, a full disk, a denied access and a sharing
// violation. After each run the promise must hold (every item complete in its old or its new
// file, nothing else under a final name, nothing written outside the data and staging folders,
// no old file deleted before its new file's contents and name were flushed), a failure that
// changed the outcome must have been reported, a single failure costs at most the item it hit,
// and a clean rerun must end exactly where an uninterrupted run ends.
#include "support/fault_sweep.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "foundation/data_paths.h"
#include "foundation/replacing_file.h"
#include "foundation/tv_log.h"
#include "platform/system_error.h"
#include "reliability/reliability_fixture.h"
#include "support/power_cut.h"
#include "support/test_helpers.h"

namespace reliability {
namespace {

using platform::SysError;
using tvtest::FaultMode;
using tvtest::FaultPoint;

// Natively: all four codes, each once and persistent. Under Wine every file operation is a round
// trip to the Wine server, so the Windows build sweeps the sharing violation once and the full
// disk persistently (one per kind of failure: the file's owner, the disk).
std::vector<FaultMode> SweepModes() {
#ifdef _WIN32
  return {{"sharing violation", SysError::kSharingViolation, false},
          {"disk full", SysError::kDiskFull, true}};
#else
  return tvtest::EveryFaultMode();
#endif
}

class FaultSweep : public LayoutTest {
 protected:
  // Sweeps the whole conversion with deleteOld set.
  tvtest::SweepStats Sweep() {
    const std::vector<Item> items = WriteSmallDataFolder(layout.data);
    const Tree original = DataTree(layout.data);
    EXPECT_EQ(RunConversion(layout, 1).errorLines, 0u) << "the uninterrupted run has errors";
    const Tree reference = DataTree(layout.data);
    // The reference really converted.
    EXPECT_NE(reference, original);

    std::optional<tvtest::FileOpWatch> watch;
    RunResult run;
    auto prepare = [&] {
      layout.Reset();
      WriteSmallDataFolder(layout.data);
      ui.boxes.clear();
      watch.emplace(std::vector<std::string>{layout.data, layout.staging});
      watch->Start();
    };
    auto convert = [&] {
      run = RunConversion(layout, 1);
      watch->Cut();
    };
    auto check = [&](const FaultPoint& point) {
      const bool persistent = point.mode.persistent;
      const std::string where = point.Where();
      for (const std::string& change : watch->OutsideChanges()) {
        ADD_FAILURE() << where << ": changed outside the data folder: " << change;
      }
      // With a single failure the tool itself cleans up its temporary files; with every operation
      // failing from k on, even their delete fails, and the next run's clean-up must take them
      // (checked by the rerun below).
      const Tree now = DataTree(layout.data);
      const std::vector<Item> unconverted =
          ExpectPromiseKept(where, now, original, reference, items, persistent);
      ExpectDeletedOnlyAfterDurable(where, *watch, layout.data, items);

      // A failure that changed the outcome was reported: a file error box or an Error line.
      if (now != reference) {
        EXPECT_TRUE(run.errorLines > 0 || run.boxes > 0)
            << where << ": the outcome differs from a clean run but nothing was reported:"
            << tvtest::DescribeTreeDifference(now, reference);
      }
      if (!persistent) CheckOneFailureCostsAtMostOneItem(where, now, unconverted);

      // A clean rerun finishes the job: the data folder ends as after an uninterrupted run.
      ui.boxes.clear();
      RunConversion(layout, 1);
      const Tree after = DataTree(layout.data);
      EXPECT_TRUE(after == reference) << where << ": the rerun did not finish the job:"
                                      << tvtest::DescribeTreeDifference(after, reference);
    };
    tvtest::SweepStats stats =
        tvtest::SweepFaults(SweepModes(), prepare, convert, check, kSweepStride);
    std::printf("[ sweep    ] whole conversion: %" PRIu64 " injection points, %" PRIu64 " runs\n",
                stats.points, stats.runs);
    return stats;
  }

  // One failure costs at most the one item it hit; when it hit the folders file, the messages of
  // folders known only from that file wait for the rerun as well.
  void CheckOneFailureCostsAtMostOneItem(const std::string& where, const Tree& now,
                                         const std::vector<Item>& unconverted) {
    const std::vector<std::string> log = LogEntries(layout);
    bool foldersLost = false;
    for (const Item& item : unconverted) foldersLost |= item.oldFile == folders::kOldFileName;
    int lost = 0;
    for (const Item& item : unconverted) {
      if (item.inUserFolder && foldersLost) continue;
      ++lost;
      const bool isMessage = tvtest::EndsWith(item.oldFile, ".Message");
      if (isMessage && now.count(item.oldFile) != 0) {
        // The message stayed: its line says so, unless the log itself was what failed.
        bool logFailed = false;
        for (const auto& box : ui.boxes) {
          if (box.text.find(kLogName) != std::string::npos) logFailed = true;
        }
        EXPECT_TRUE(LogHasError(log, item.oldFile) || logFailed)
            << where << ": " << item.oldFile << " was not converted and no Error line says so";
      }
    }
    EXPECT_LE(lost, 1) << where << ": one failure cost more than one item";
  }
};

// The whole conversion: every file operation of every store (the database, its folders list and
// names index, the contact list, both canned-reply lists), in the order the core runs them.
TEST_F(FaultSweep, WholeConversionOfASmallDataFolder) {
  EXPECT_GT(Sweep().points, 150u / kSweepStride);
}

// The log: a failing open, seek, write or close loses at most the line being added, says so with
// a file error box, and never leaves a partial line or touches the lines already written.
TEST_F(FaultSweep, ConversionLog) {
  const std::vector<std::string> lines = {
      "Message: first , Converted", "Message: second , NOT saved", "Message: third , Deleted"};
  TvFixedDataPaths paths(layout.data);
  std::optional<TvLog> log;
  std::vector<bool> written;
  auto prepare = [&] {
    layout.Reset();
    log.emplace(paths);
    ui.boxes.clear();
    written.clear();
  };
  auto add = [&] {
    for (size_t i = 0; i < lines.size(); ++i) {
      written.push_back(log->Add(lines[i], i == 1 ? kLogError : kLogInfo) != 0);
    }
  };
  auto check = [&](const FaultPoint& point) {
    const std::string where = point.Where();
    EXPECT_EQ(log->m_dwordErrorCount, 1u) << where << ": the Error line is counted regardless";
    std::vector<std::string> entries = LogEntries(layout);
    size_t next = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
      if (!written[i]) continue;
      ASSERT_LT(next, entries.size()) << where << ": a line reported as written is missing";
      EXPECT_NE(entries[next].find(lines[i]), std::string::npos) << where;
      ++next;
    }
    // Nothing else, in particular no partial line.
    EXPECT_EQ(next, entries.size()) << where;
    size_t lost = 0;
    for (bool w : written) lost += w ? 0 : 1;
    EXPECT_GE(ui.boxes.size(), lost > 0 ? 1u : 0u) << where << ": a lost line was not reported";
    if (!point.mode.persistent) {
      EXPECT_LE(lost, 1u) << where;
    }
  };
  const uint64_t points = tvtest::SweepFaults(SweepModes(), prepare, add, check, 1, 1000).points;
  std::printf("[ sweep    ] conversion log: %" PRIu64 " injection points\n", points);
  EXPECT_GT(points, 10u);
}

}  // namespace
}  // namespace reliability
