// The real program, run silently over a generated data folder of a few hundred messages in five
// folders (some with attachments): every message is converted and no log is left.
//
// The data folder is made by the benchmark's generator, built for the same target as the program
// (so under Wine it runs under Wine too).
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "e2e/e2e_fixture.h"
#include "support/test_helpers.h"

#ifndef TV_E2E_GENERATOR
#define TV_E2E_GENERATOR ""
#endif

namespace tvtest::e2e {
namespace {

TEST_F(E2eTest, SilentConvertsEveryMessageOfAGeneratedDataFolder) {
  if (std::string(TV_E2E_GENERATOR).empty()) GTEST_SKIP() << "no data folder generator";
  const int kMessages = 300;
  const std::string data = harness->DefaultDataFolder();
  std::filesystem::create_directories(data);
  std::vector<std::string> generate = {TV_E2E_GENERATOR, harness->ProgramPathOf(data),
                                       std::to_string(kMessages), "7"};
  if (!Native()) generate.insert(generate.begin(), "wine");
  Result made = harness->RunInEnvironment(generate);
  ASSERT_EQ(made.exitStatus, 0) << made.err;
  const std::string folder = data + "/";
  const char* folders[] = {"Inbox", "Sent", "Drafts", "Projects", "Archive"};
  for (const char* f : folders) {
    ASSERT_EQ(MessageNames(folder + f)[40], kMessages / 5) << f;
  }

  Result run = harness->Run({"/SILENT"});
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_FALSE(Exists(folder + "Conversion3.0-3.1.Log.Txt"))
      << ReadAll(folder + "Conversion3.0-3.1.Log.Txt");

  int converted = 0;
  for (const char* f : folders) {
    std::map<size_t, int> names = MessageNames(folder + f);
    EXPECT_EQ(names[40], 0) << "old files left in " << f;
    EXPECT_EQ(names[24], kMessages / 5) << "new files in " << f;
    converted += names[24];
    EXPECT_FALSE(Exists(folder + f + "/Messages.Index"));
  }
  EXPECT_EQ(converted, kMessages);
  EXPECT_TRUE(Exists(folder + "Folders.List"));
  EXPECT_TRUE(Exists(folder + "Names.Index"));
  EXPECT_FALSE(Exists(folder + "Database.Folders"));
}

}  // namespace
}  // namespace tvtest::e2e
