// The end-to-end fixture: a harness on the real program, native or under Wine as built.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "support/e2e_runner.h"
#include "support/test_helpers.h"

#ifndef TV_E2E_WINE
#define TV_E2E_WINE 0
#endif

namespace tvtest::e2e {

class E2eTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (TV_E2E_WINE && !HaveProgram("wine")) GTEST_SKIP() << "wine is not installed";
    harness = std::make_unique<Harness>(TV_E2E_WINE ? Harness::Mode::kWine : Harness::Mode::kNative,
                                        TV_E2E_PROGRAM);
  }

  static bool IsDir(const std::string& path) { return std::filesystem::is_directory(path); }
  static bool Exists(const std::string& path) { return std::filesystem::exists(path); }
  static void Write(const std::string& path, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
  }
  bool Native() const { return harness->mode() == Harness::Mode::kNative; }
  // 3.1 message files (16 hexadecimal digits and ".Message") anywhere in the data folder.
  static int NewMessageFiles(const std::string& dataFolder) {
    int count = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dataFolder)) {
      const std::string name = entry.path().filename().string();
      if (name.size() == 24 && name.compare(16, 8, ".Message") == 0) ++count;
    }
    return count;
  }

  // Gives folder old data to convert: an empty 3.0 folders file (header word and count zero).
  static std::string WithOldData(const std::string& folder) {
    Write(folder + "/Database.Folders", std::string(8, '\0'));
    return folder;
  }

  // Runs writer, a program built for the program's own target (so under Wine it runs under
  // Wine), on the default data folder (made first) followed by arguments.
  void WriteDefaultFolder(const std::string& writer, const std::vector<std::string>& arguments) {
    std::filesystem::create_directories(harness->DefaultDataFolder());
    std::vector<std::string> command = {writer,
                                        harness->ProgramPathOf(harness->DefaultDataFolder())};
    if (!Native()) command.insert(command.begin(), "wine");
    command.insert(command.end(), arguments.begin(), arguments.end());
    Result written = harness->RunInEnvironment(command);
    ASSERT_EQ(written.exitStatus, 0) << written.err;
  }

  // A silent run that ends with status 0 and leaves no log in folder (which ends in "/").
  void ExpectCleanSilentRun(const std::string& folder) {
    Result run = harness->Run({"/SILENT"});
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_FALSE(Exists(folder + "Conversion3.0-3.1.Log.Txt"))
        << ReadAll(folder + "Conversion3.0-3.1.Log.Txt");
  }

  std::unique_ptr<Harness> harness;
};

}  // namespace tvtest::e2e
