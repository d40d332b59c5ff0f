// Read-back before delete: a new file that does not hold what was written when it reaches its
// final name (here: cut short by one byte between its flush and its move, as a lying disk would
// leave it) never lets the old file go.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/fault_injection.h"
#include "reliability/reliability_fixture.h"
#include "support/power_cut.h"
#include "support/test_helpers.h"

namespace reliability {
namespace {

namespace fs = std::filesystem;

using tvtest::EndsWith;

class ReadBack : public tvtest::ScratchTest {
 protected:
  Layout layout{scratch.Path()};
};

TEST_F(ReadBack, ANewFileDamagedBeforeItsMoveKeepsItsOldFile) {
  layout.Reset();
  const std::vector<Item> items = WriteSmallDataFolder(layout.data, 3);
  const Tree original = DataTree(layout);
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
          fs::resize_file(path, fs::file_size(path, error) - 1, error);
          damaged = !error;
        });
    RunResult run = RunConversion(layout, 1);
    platform::FaultInjector::SetObserver(nullptr);
    ASSERT_TRUE(damaged) << "the new file was never moved into place";
    const Tree now = DataTree(layout);
    // The old file is still there, byte for byte.
    ASSERT_EQ(now.count(target.oldFile), 1u);
    EXPECT_EQ(now.at(target.oldFile), original.at(target.oldFile));
    if (EndsWith(target.oldFile, ".Message")) {
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
