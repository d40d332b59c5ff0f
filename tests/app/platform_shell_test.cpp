// The platform pieces of the shell: the single-instance guard, the folder copy, the terminal
// dialog.
#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/dialog.h"
#include "platform/file_system.h"
#include "platform/instance_guard.h"
#include "platform/shell.h"
#include "support/scratch_dir.h"

namespace {

using tvtest::PathExists;
using tvtest::ReadWholeFile;
using tvtest::WriteWholeFile;

const char s = platform::kPathSeparator;

std::string UniqueGuardName() {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  return std::string("Tarvo software test guard ") + info->name();
}

TEST(InstanceGuard, ASecondHolderIsRefusedUntilTheFirstReleases) {
  std::string name = UniqueGuardName();
  platform::InstanceGuard first;
  ASSERT_EQ(first.Acquire(name), platform::GuardResult::kAcquired);
  {
    platform::InstanceGuard second;
    EXPECT_EQ(second.Acquire(name), platform::GuardResult::kAlreadyRunning);
  }
  first.Release();
  platform::InstanceGuard third;
  EXPECT_EQ(third.Acquire(name), platform::GuardResult::kAcquired);
  first.Release();  // harmless twice
}

#ifndef _WIN32
TEST(InstanceGuard, TheLockFileFollowsTheRuntimeFolder) {
  tvtest::ScopedEnvironment runtime("XDG_RUNTIME_DIR", "/run/user/1000");
  EXPECT_EQ(platform::InstanceGuardPath("Tarvo software Zorvane 3.0"),
            "/run/user/1000/Tarvo software Zorvane 3.0.lock");
  ::unsetenv("XDG_RUNTIME_DIR");
  tvtest::ScopedEnvironment temp("TMPDIR", "/var/tmp/");
  EXPECT_EQ(platform::InstanceGuardPath("G"), "/var/tmp/G.lock");
  ::unsetenv("TMPDIR");
  EXPECT_EQ(platform::InstanceGuardPath("G"), "/tmp/G.lock");
}
#endif

class FolderCopyTest : public tvtest::ScratchTest {};

TEST_F(FolderCopyTest, CopiesFilesSubfoldersAndEmptyFoldersOverwritingOldFiles) {
  std::string source = scratch.MakeDir("Data");
  std::filesystem::create_directories(source + s + "Inbox" + s + "Deep");
  std::filesystem::create_directories(source + s + "Empty");
  ASSERT_TRUE(WriteWholeFile(source + s + "Names.Index", std::string("\0\1\2", 3)));
  ASSERT_TRUE(WriteWholeFile(source + s + "Inbox" + s + "a.Message", "new contents"));
  ASSERT_TRUE(WriteWholeFile(source + s + "Inbox" + s + "Deep" + s + "b", "b"));
  std::string target = scratch.MakeDir("Backup");
  scratch.MakeDir(std::string("Backup") + s + "Inbox");
  ASSERT_TRUE(WriteWholeFile(target + s + "Inbox" + s + "a.Message", "old and longer contents"));
  ASSERT_TRUE(WriteWholeFile(target + s + "Unrelated", "stays"));

  EXPECT_TRUE(platform::CopyFolderTree(source + s, target + s + "Zorvane BackUp"));
  std::string backup = target + s + "Zorvane BackUp";
  EXPECT_EQ(ReadWholeFile(backup + s + "Names.Index"), std::string("\0\1\2", 3));
  EXPECT_EQ(ReadWholeFile(backup + s + "Inbox" + s + "a.Message"), "new contents");
  EXPECT_EQ(ReadWholeFile(backup + s + "Inbox" + s + "Deep" + s + "b"), "b");
  EXPECT_TRUE(platform::IsDirectory(backup + s + "Empty"));

  // Restoring over a folder that has files overwrites them and leaves the others.
  EXPECT_TRUE(platform::CopyFolderTree(source, target));
  EXPECT_EQ(ReadWholeFile(target + s + "Inbox" + s + "a.Message"), "new contents");
  EXPECT_EQ(ReadWholeFile(target + s + "Unrelated"), "stays");
}

TEST_F(FolderCopyTest, RefusesToCopyAFolderIntoItself) {
  std::string source = scratch.MakeDir("Data");
  ASSERT_TRUE(WriteWholeFile(source + s + "x", "x"));
  EXPECT_FALSE(platform::CopyFolderTree(source, source + s + "Zorvane BackUp"));
  EXPECT_FALSE(PathExists(source + s + "Zorvane BackUp" + s + "x"));
  EXPECT_FALSE(platform::CopyFolderTree(source + s, source));
  EXPECT_FALSE(platform::CopyFolderTree(scratch.File("Missing"), scratch.File("Target")));
}

#ifndef _WIN32
class Handler : public platform::DialogHandler {
 public:
  void OnInitDialog(platform::DialogWindow& window) override {
    window.SetChecked(1005, true);
    window.SetChecked(1007, true);
  }
  void OnCommand(platform::DialogWindow& window, int id) override {
    commands.push_back(id);
    states.push_back(std::string(window.IsChecked(1005) ? "D" : "d") +
                     (window.IsChecked(1007) ? "L" : "l"));
    if (id == 1 || id == 2) window.End(id);
  }
  std::vector<int> commands;
  std::vector<std::string> states;
};

const platform::DialogTemplate& Template() {
  using platform::ControlKind;
  static const platform::DialogTemplate t = {
      102, 128, "Tool", "Tahoma", 8, 178, 148,
      {{1, ControlKind::kPushButton, "Convert", 48, 70, 80, 14, 'c'},
       {2, ControlKind::kPushButton, "Exit", 64, 129, 50, 14, 'x'},
       {1003, ControlKind::kPushButton, "BackUp", 48, 20, 80, 14, 'b'},
       {-1, ControlKind::kEtchedLine, "", 0, 123, 178, 1, 0},
       {1005, ControlKind::kAutoCheckBox, "Delete", 28, 90, 123, 12, 'd'},
       {1007, ControlKind::kAutoCheckBox, "Launch", 28, 106, 124, 12, 'l'}}};
  return t;
}

// Runs the terminal dialog on the given input; returns its result, stderr in *shown.
int RunOnInput(const std::string& input, Handler& handler, std::string* shown) {
  std::istringstream in(input);
  std::streambuf* saved = std::cin.rdbuf(in.rdbuf());
  testing::internal::CaptureStderr();
  int result = platform::RunModalDialog(Template(), handler);
  *shown = testing::internal::GetCapturedStderr();
  std::cin.rdbuf(saved);
  return result;
}

TEST(TerminalDialog, LettersChooseControlsAndToggleBoxes) {
  Handler handler;
  std::string shown;
  EXPECT_EQ(RunOnInput("d\nB\n  l\nc\nx\n", handler, &shown), 1);
  EXPECT_EQ(handler.commands, (std::vector<int>{1005, 1003, 1007, 1}));
  EXPECT_EQ(handler.states, (std::vector<std::string>{"dL", "dL", "dl", "dl"}));
  // Texts read top to bottom, the boxes with their state.
  size_t at = shown.find("Tool");
  for (const char* text :
       {"b)  BackUp", "c)  Convert", "d)  [x] Delete", "l)  [x] Launch", "----", "x)  Exit"}) {
    EXPECT_LT(at, shown.find(text)) << text;
    at = shown.find(text);
  }
  EXPECT_NE(at, std::string::npos);
  EXPECT_NE(shown.find("d)  [ ] Delete"), std::string::npos);
}

TEST(TerminalDialog, EndOfInputIsExitAndOtherInputShowsTheChoicesAgain) {
  Handler handler;
  std::string shown;
  EXPECT_EQ(RunOnInput("what\n\nq\n", handler, &shown), 2);
  EXPECT_EQ(handler.commands, std::vector<int>{2});
  size_t count = 0;
  for (size_t at = shown.find("x)  Exit"); at != std::string::npos;
       at = shown.find("x)  Exit", at + 1)) {
    ++count;
  }
  EXPECT_EQ(count, 4u);  // at the start and after each of the three lines
}
#endif

}  // namespace
