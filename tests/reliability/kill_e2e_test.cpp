// The real native program killed (SIGKILL) at 10 seeded random moments of a silent conversion of
// 2,000 messages with delete-old, rerun each time: after every kill each item is complete in its
// old or its new file, and the last run ends exactly where an uninterrupted run ends.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "reliability/reliability_fixture.h"
#include "support/e2e_runner.h"
#include "support/test_helpers.h"

namespace reliability {
namespace {

using KillEndToEnd = LayoutTest;

TEST_F(KillEndToEnd, TenKillsDuringASilentConversionLoseNoMessage) {
  constexpr int kMessages = 2000;
  // The reference: the same data folder converted by an uninterrupted run in this process.
  const std::vector<Item> items = WriteSmallDataFolder(layout.data, kMessages);
  const Tree original = DataTree(layout.data);
  ASSERT_EQ(RunConversion(layout, 1).errorLines, 0u);
  const Tree converted = DataTree(layout.data);

  tvtest::e2e::Harness harness(tvtest::e2e::Harness::Mode::kNative, TV_RELIABILITY_PROGRAM);
  const std::string data = harness.DefaultDataFolder() + "/";
  WriteSmallDataFolder(data, kMessages);
  const auto newMessagesPresent = [&] {
    int present = 0;
    for (const Item& item : items) {
      present +=
          tvtest::EndsWith(item.newFile, ".Message") && tvtest::PathExists(data + item.newFile);
    }
    return present;
  };

  // Each kill lands at a seeded point of the conversion's own progress (the number of new files
  // present), so the kills hit a running conversion however fast the machine converts.
  std::mt19937 random(20261207);
  int killedWhileRunning = 0;
  for (int round = 0; round < 10; ++round) {
    const int present = newMessagesPresent();
    const int remaining = kMessages - present;
    if (remaining < 2) break;
    const int target = present + std::uniform_int_distribution<int>(1, remaining - 1)(random);
    auto child = harness.StartProgram({"/SILENT"});
    while (child->Running() && newMessagesPresent() < target) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (child->Running()) ++killedWhileRunning;
    child->Kill();
    ExpectPromiseKept("after the kill at " + std::to_string(target) + " new files", DataTree(data),
                      original, converted, items, true);
    if (::testing::Test::HasFailure()) return;
  }
  tvtest::e2e::Result last = harness.Run({"/SILENT"}, "", 600000);
  EXPECT_EQ(last.exitStatus, 0) << last.err;
  const Tree after = DataTree(data);
  EXPECT_TRUE(after == converted) << "the last run did not end as an uninterrupted run:"
                                  << tvtest::DescribeTreeDifference(after, converted);
  // The kills hit a running conversion, not a finished one.
  EXPECT_GT(killedWhileRunning, 0);
  std::printf("[ kill     ] %d of 10 kills hit a running conversion of %d messages\n",
              killedWhileRunning, kMessages);
}

}  // namespace
}  // namespace reliability
