// Power cuts: the machine goes down at file operation k, for every k of a whole conversion with
// delete-old. What was written to a file since its last flush is lost; creations, renames and
// deletions already made stay. Right after the cut every item must still exist, complete, in its
// old or its new file; a rerun must then end exactly where an uninterrupted run ends, with every
// message once and complete. And read-back before delete: a new file that does not hold what was
// written when it reaches its final name (cut short by one byte between its flush and its move, as
// a lying disk would leave it) never lets the old file go.
#include <gtest/gtest.h>

#include <algorithm>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "foundation/replacing_file.h"
#include "foundation/tv_file.h"
#include "foundation/utilities.h"
#include "platform/flush_method.h"
#include "platform/system_error.h"
#include "reliability/reliability_fixture.h"
#include "support/fault_sweep.h"
#include "support/new_format_reader.h"
#include "support/power_cut.h"
#include "support/test_helpers.h"

namespace reliability {
namespace {

using PowerCutModel = LayoutTest;

// The model itself: without a flush, written contents are lost; with one they stay; a rename
// and a delete stay either way. Without these the sweep below would prove nothing.
TEST_F(PowerCutModel, LosesUnflushedContentsAndKeepsFlushedOnesRenamesAndDeletes) {
  const std::string unflushed = layout.data + "unflushed.bin";
  const std::string flushed = layout.data + "flushed.bin";
  const std::string existing = layout.data + "existing.bin";
  const std::string doomed = layout.data + "doomed.bin";
  ASSERT_TRUE(tvtest::WriteWholeFile(existing, "before"));
  ASSERT_TRUE(tvtest::WriteWholeFile(doomed, "doomed"));

  tvtest::FileOpWatch watch({layout.data}, 1000,
                            platform::ErrorCode(platform::SysError::kWriteFault));
  watch.Start();
  {
    TvFile a(0, 1);
    ASSERT_TRUE(a.Open(unflushed, kModeReadWriteCreate));
    ASSERT_TRUE(a.WriteString("lost on the cut"));
    TvFile b(0, 1);
    ASSERT_TRUE(b.Open(flushed, kModeReadWriteCreate));
    ASSERT_TRUE(b.WriteString("kept"));
    ASSERT_TRUE(b.Flush());
    TvFile c(0, 1);
    ASSERT_TRUE(c.Open(existing, kModeReadWriteOpenOrCreate));
    ASSERT_TRUE(c.WriteString("overwritten but not flushed"));
    TvReplacingFile d(1);
    ASSERT_TRUE(d.Open(layout.data + "replaced.bin", kModeReadWriteCreate));
    ASSERT_TRUE(d.WriteString("committed"));
    ASSERT_TRUE(d.Commit());
    ASSERT_TRUE(DeleteFileIfExists(doomed));
  }
  watch.PowerOffNow();
  ASSERT_TRUE(watch.Cut());
  EXPECT_EQ(tvtest::ReadWholeFile(unflushed), "") << "created, never flushed: empty";
  EXPECT_EQ(tvtest::ReadWholeFile(flushed), std::string("\x04\0\0\0kept", 8));
  EXPECT_EQ(tvtest::ReadWholeFile(existing), "before") << "back to its contents at the start";
  EXPECT_EQ(tvtest::ReadWholeFile(layout.data + "replaced.bin"),
            std::string("\x09\0\0\0committed", 13));
  EXPECT_FALSE(tvtest::PathExists(layout.data + "replaced.bin.zvtmp"));
  EXPECT_FALSE(tvtest::PathExists(doomed)) << "the delete stays";
  EXPECT_TRUE(watch.ModelGaps().empty());

  tvtest::FileOpWatch cut({layout.data}, 2, platform::ErrorCode(platform::SysError::kWriteFault));
  cut.Start();
  {
    TvFile e(0, 1);
    ASSERT_TRUE(e.Open(layout.data + "late.bin", kModeReadWriteCreate));  // operation 1
    EXPECT_FALSE(e.WriteString("never reaches the disk"));                // operation 2: cut
  }
  ASSERT_TRUE(cut.Cut());
  EXPECT_EQ(tvtest::ReadWholeFile(layout.data + "late.bin"), "") << "the creation stays";
  EXPECT_TRUE(cut.ModelGaps().empty());
}

// A run cut at operation k, then checked against the contents at the cut.
TEST_F(PowerCutModel, RevertsEveryFileWrittenSinceItsLastFlush) {
  const std::string path = layout.data + "file.bin";
  ASSERT_TRUE(tvtest::WriteWholeFile(path, "durable"));
  // open (1), write (2), flush (3), write (4), close (5), then the cut at 6.
  tvtest::FileOpWatch watch({layout.data}, 6, platform::ErrorCode(platform::SysError::kWriteFault));
  watch.Start();
  {
    TvFile f(0, 1);
    ASSERT_TRUE(f.Open(path, kModeReadWriteCreate));
    ASSERT_TRUE(f.WriteUInt32(0x31313131));
    ASSERT_TRUE(f.Flush());
    ASSERT_TRUE(f.WriteUInt32(0x32323232));
  }
  TvFile g(0, 0);
  EXPECT_FALSE(g.Open(path, kModeReadShared)) << "the power is already gone";
  ASSERT_TRUE(watch.Cut());
#ifdef _WIN32
  // A file held without sharing cannot be read between its flush and its next write; the model
  // says so instead of guessing (the conversion always closes a file after flushing it).
  EXPECT_EQ(watch.ModelGaps().size(), 1u);
#else
  EXPECT_EQ(tvtest::ReadWholeFile(path), "1111") << "contents as at the flush";
  EXPECT_TRUE(watch.ModelGaps().empty());
#endif
}

using CrashSweep = LayoutTest;

// The points the sweep below cuts between, in the order the group commit takes them: within a
// folder every new message file is written before any is flushed, flushed before any is moved to
// its final name, moved before its directory is flushed, and that before any old file goes. The
// same on the file system the test runs on and on one taken for FUSE, where every message file
// gets a flush of its own and no syncfs serves it.
TEST_F(CrashSweep, AFolderIsWrittenThenFlushedThenMovedThenItsOldFilesDeleted) {
  struct Restore {
    ~Restore() { platform::OverrideFileSystemType(0); }
  } restore;
  for (const uint64_t fileSystem : {uint64_t{0}, platform::kFuseType}) {
    SCOPED_TRACE(fileSystem == 0 ? "this file system" : "FUSE");
    layout.Reset();
    platform::OverrideFileSystemType(fileSystem);
    const platform::FlushCounts before = platform::FlushCountsSoFar();
    const std::vector<Item> items = WriteSmallDataFolder(layout.data, 7);  // 2 or 3 per folder
    std::vector<std::pair<platform::FileOp, std::string>> ops;
    platform::FaultInjector::SetObserver(
        [&ops](platform::FileOp op, const std::string& path, platform::FileHandle) {
          ops.emplace_back(op, path);
        });
    RunConversion(layout, 1);
    platform::FaultInjector::SetObserver(nullptr);
    const platform::FlushCounts after = platform::FlushCountsSoFar();
    if (fileSystem == platform::kFuseType) {
      EXPECT_EQ(after.filesFlushed - before.filesFlushed, 7u) << "one flush per message file";
      EXPECT_EQ(after.fileSystemsSynced, before.fileSystemsSynced);
    }

    struct Steps {
      size_t lastWrite = 0, firstFlush = SIZE_MAX, lastFlush = 0, firstMove = SIZE_MAX,
             lastMove = 0, directoryFlush = SIZE_MAX, firstDelete = SIZE_MAX, messages = 0;
    };
    std::map<std::string, Steps> folders;  // directory of the new file -> its steps
    auto indexOf = [&ops](platform::FileOp op, const std::string& path, bool last) {
      size_t found = SIZE_MAX;
      for (size_t i = 0; i < ops.size(); ++i) {
        if (ops[i].first != op || ops[i].second != path) continue;
        found = i;
        if (!last) break;
      }
      return found;
    };
    for (const Item& item : items) {
      if (!tvtest::EndsWith(item.oldFile, ".Message")) continue;
      const std::string temp = layout.data + item.newFile + TvReplacingFile::kTempSuffix;
      const std::string directory = item.newFile.substr(0, item.newFile.find_last_of("/\\") + 1);
      const size_t write = indexOf(platform::FileOp::kWrite, temp, true);
      const size_t flush = indexOf(platform::FileOp::kFlush, temp, false);
      const size_t move = indexOf(platform::FileOp::kMove, temp, false);
      const size_t erase = indexOf(platform::FileOp::kDelete, layout.data + item.oldFile, false);
      const size_t directoryFlush =
          indexOf(platform::FileOp::kFlushDirectory, layout.data + directory, false);
      for (size_t step : {write, flush, move, erase, directoryFlush}) {
        ASSERT_NE(step, SIZE_MAX) << item.oldFile;
      }
      Steps& f = folders[directory];
      f.lastWrite = std::max(f.lastWrite, write);
      f.firstFlush = std::min(f.firstFlush, flush);
      f.lastFlush = std::max(f.lastFlush, flush);
      f.firstMove = std::min(f.firstMove, move);
      f.lastMove = std::max(f.lastMove, move);
      f.directoryFlush = directoryFlush;
      f.firstDelete = std::min(f.firstDelete, erase);
      ++f.messages;
    }
    bool grouped = false;
    for (const auto& [folder, f] : folders) {
      EXPECT_LT(f.lastWrite, f.firstFlush) << folder;
      EXPECT_LT(f.lastFlush, f.firstMove) << folder;
      EXPECT_LT(f.lastMove, f.directoryFlush) << folder;
      EXPECT_LT(f.directoryFlush, f.firstDelete) << folder;
      grouped = grouped || f.messages > 1;
    }
    EXPECT_TRUE(grouped) << "no folder held two messages: the order above proves nothing";
  }
}

TEST_F(CrashSweep, PowerCutAtEveryOperationThenRerunLosesNothing) {
  const auto prepare = [&] {
    layout.Reset();
    return WriteSmallDataFolder(layout.data, 3);
  };
  const std::vector<Item> items = prepare();
  const Tree original = DataTree(layout.data);
  ASSERT_EQ(RunConversion(layout, 1).errorLines, 0u);
  const Tree reference = DataTree(layout.data);

  std::optional<tvtest::FileOpWatch> watch;
  const auto cutAt = [&](uint64_t k) {
    watch.emplace(std::vector<std::string>{layout.data, layout.staging}, k,
                  platform::ErrorCode(platform::SysError::kWriteFault));
    watch->Start();
    RunConversion(layout, 1);
    return watch->Cut();  // false: the run ended before operation k
  };
  const auto check = [&](uint64_t k) {
    const std::string where = "power cut at operation " + std::to_string(k);
    for (const auto& gap : watch->ModelGaps()) ADD_FAILURE() << where << ": model gap: " << gap;
    for (const std::string& change : watch->OutsideChanges()) {
      ADD_FAILURE() << where << ": changed outside the data folder: " << change;
    }

    // Right after the cut: every item complete, old or new.
    ExpectPromiseKept(where, DataTree(layout.data), original, reference, items, true);
    ExpectDeletedOnlyAfterDurable(where, *watch, layout.data, items);

    // The rerun finishes the job.
    RunConversion(layout, 1);
    const Tree after = DataTree(layout.data);
    EXPECT_TRUE(after == reference) << where << ": the rerun did not end as an uninterrupted run:"
                                    << tvtest::DescribeTreeDifference(after, reference);
    // Every message exactly once: the old file gone, the new one complete and readable.
    for (const Item& item : items) {
      if (!tvtest::EndsWith(item.oldFile, ".Message")) continue;
      EXPECT_EQ(after.count(item.oldFile), 0u) << where << ": " << item.oldFile << " still there";
      tvtest::NewMessage message = tvtest::ReadNewMessage(layout.data + item.newFile);
      EXPECT_TRUE(message.ok) << where << ": " << item.newFile << ": " << message.problem;
    }
  };
  const uint64_t cuts =
      tvtest::SweepPoints("power cut", prepare, cutAt, check, kSweepStride).points;
  std::printf("[ sweep    ] power cut: %" PRIu64 " cut points, each followed by a rerun\n", cuts);
  EXPECT_GT(cuts, 150u / kSweepStride);
}

// A disk that loses the renames of a run and keeps its deletions: every new file is left under its
// temporary name and every old file is gone. The temporary files are the only copies: the rerun
// recovers each one and ends where an uninterrupted run ends.
TEST_F(CrashSweep, RenamesLostDeletionsKeptThenRerunRecoversEveryFile) {
  const std::vector<Item> items = WriteSmallDataFolder(layout.data, 3);
  ASSERT_EQ(RunConversion(layout, 1).errorLines, 0u);
  const Tree reference = DataTree(layout.data);
  layout.Reset();
  WriteSmallDataFolder(layout.data, 3);

  tvtest::FileOpWatch watch({layout.data, layout.staging});
  watch.Start();
  RunConversion(layout, 1);
  watch.Cut();
  watch.LoseRenames();
  const Tree lost = DataTree(layout.data);
  for (const Item& item : items) {
    EXPECT_EQ(lost.count(item.oldFile), 0u) << item.oldFile;
    EXPECT_EQ(lost.count(item.newFile), 0u) << item.newFile;
    EXPECT_EQ(lost.count(item.newFile + TvReplacingFile::kTempSuffix), 1u) << item.newFile;
  }

  EXPECT_EQ(RunConversion(layout, 1).errorLines, 0u);
  const Tree after = DataTree(layout.data);
  EXPECT_TRUE(after == reference) << tvtest::DescribeTreeDifference(after, reference);
}

using ReadBack = CrashSweep;

TEST_F(ReadBack, ANewFileDamagedBeforeItsMoveKeepsItsOldFile) {
  const std::vector<Item> items = WriteSmallDataFolder(layout.data, 3);
  const Tree original = DataTree(layout.data);
  for (const Item& target : items) {
    SCOPED_TRACE(target.newFile);
    layout.Reset();
    WriteSmallDataFolder(layout.data, 3);
    const std::string temp = layout.data + target.newFile + ".zvtmp";
    bool damaged = false;
    platform::FaultInjector::SetObserver(
        [&](platform::FileOp op, const std::string& path, platform::FileHandle) {
          if (op != platform::FileOp::kMove || path != temp || damaged) return;
          std::error_code error;
          std::filesystem::resize_file(path, std::filesystem::file_size(path, error) - 1, error);
          damaged = !error;
        });
    RunResult run = RunConversion(layout, 1);
    platform::FaultInjector::SetObserver(nullptr);
    ASSERT_TRUE(damaged) << "the new file was never moved into place";
    const Tree now = DataTree(layout.data);
    // The old file is still there, byte for byte.
    ASSERT_EQ(now.count(target.oldFile), 1u);
    EXPECT_EQ(now.at(target.oldFile), original.at(target.oldFile));
    if (tvtest::EndsWith(target.oldFile, ".Message")) {
      // The damaged message file is not left under its final name.
      EXPECT_EQ(now.count(target.newFile), 0u);
      EXPECT_TRUE(LogHasError(LogEntries(layout), target.oldFile + " , NOT saved"));
    } else if (target.oldFile != "Database.Folders") {
      EXPECT_GT(run.errorLines, 0u) << "the kept old file is logged as NOT deleted";
    }
  }
}

}  // namespace
}  // namespace reliability
