// The end-to-end fixture: a harness on the real program, native or under Wine as built.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "support/e2e_runner.h"

#ifndef TV_E2E_WINE
#define TV_E2E_WINE 0
#endif

namespace tvtest::e2e {

inline constexpr const char* kSubfolders[] = {"Temp", "Inbox", "Outbox", "Deleted", "Sent",
                                              "Drafts"};

class E2eTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (TV_E2E_WINE && !HaveProgram("wine")) GTEST_SKIP() << "wine is not installed";
    harness = std::make_unique<Harness>(TV_E2E_WINE ? Harness::Mode::kWine
                                                    : Harness::Mode::kNative,
                                        TV_E2E_PROGRAM);
  }

  static bool IsDir(const std::string& path) { return std::filesystem::is_directory(path); }
  static bool Exists(const std::string& path) { return std::filesystem::exists(path); }
  static void Write(const std::string& path, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
  }
  bool Native() const { return harness->mode() == Harness::Mode::kNative; }

  std::unique_ptr<Harness> harness;
};

}  // namespace tvtest::e2e
