// The POSIX build's own message box and folder chooser: answers come from stdin.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <sstream>

#include "platform/system_ui.h"
#include "support/scratch_dir.h"

namespace {

using namespace platform;

// Feeds a text to std::cin for the life of the object.
class FakeInput {
 public:
  explicit FakeInput(const std::string& text) : m_input(text), m_saved(std::cin.rdbuf()) {
    std::cin.rdbuf(m_input.rdbuf());
    std::cin.clear();
  }
  ~FakeInput() {
    std::cin.rdbuf(m_saved);
    std::cin.clear();
  }

 private:
  std::istringstream m_input;
  std::streambuf* m_saved;
};

TEST(TerminalUI, YesNoReadsOneLineAndDefaultsToNo) {
  FakeInput input("y\nYES\n  yes please\nn\nmaybe\n\n");
  // The last answer is read at the end of input.
  const BoxAnswer kAnswers[] = {BoxAnswer::kYes, BoxAnswer::kYes, BoxAnswer::kYes, BoxAnswer::kNo,
                                BoxAnswer::kNo,  BoxAnswer::kNo,  BoxAnswer::kNo};
  int question = 0;
  for (BoxAnswer answer : kAnswers) {
    EXPECT_EQ(SystemUserInterface().MessageBox("q" + std::to_string(++question), BoxButtons::kYesNo,
                                               BoxIcon::kQuestion),
              answer)
        << question;
  }
}

TEST(TerminalUI, OkBoxDoesNotWaitWithoutATerminal) {
  FakeInput input("first line\n");
  EXPECT_EQ(SystemUserInterface().MessageBox("note", BoxButtons::kOk, BoxIcon::kError),
            BoxAnswer::kOk);
  // The line was left for whoever reads next.
  std::string line;
  ASSERT_TRUE(std::getline(std::cin, line));
  EXPECT_EQ(line, "first line");
}

TEST(TerminalUI, FolderChooserTakesAnExistingDirectoryOnly) {
  tvtest::ScratchDir scratch;
  std::string dir = scratch.MakeDir("target");
  FakeInput input("\n" + scratch.File("missing") + "\n" + scratch.File("f") + "\n" + dir +
                  "//\r\n");
  ASSERT_TRUE(tvtest::WriteWholeFile(scratch.File("f"), ""));
  UserInterface& ui = SystemUserInterface();
  std::string path = "unchanged";
  EXPECT_FALSE(ui.ChooseFolder("Select a folder:", &path));  // empty line cancels
  EXPECT_FALSE(ui.ChooseFolder("Select a folder:", &path));  // no such path
  EXPECT_FALSE(ui.ChooseFolder("Select a folder:", &path));  // a file is no folder
  EXPECT_EQ(path, "unchanged");
  EXPECT_TRUE(ui.ChooseFolder("Select a folder:", &path));
  EXPECT_EQ(path, dir);
  EXPECT_FALSE(ui.ChooseFolder("Select a folder:", &path));  // end of input cancels
  EXPECT_EQ(path, dir);
}

// Answers relative to where the user started the program, which is not the current directory
// once start-up has moved to the program's folder.
TEST(TerminalUI, FolderChooserResolvesAnswersAgainstTheStartingDirectory) {
  tvtest::ScratchDir scratch;
  std::string start = scratch.MakeDir("start");
  std::string target = start + "/target";
  ASSERT_TRUE(std::filesystem::create_directory(target));
  const std::pair<const char*, std::string> kCases[] = {
      {".", start},
      {"target", target},
      {"./target/../target/", target},
      {"..", scratch.Path()},
  };
  SetStartingDirectory(start);
  UserInterface& ui = SystemUserInterface();
  for (const auto& [answer, expected] : kCases) {
    FakeInput input(std::string(answer) + "\n");
    std::string path;
    ASSERT_TRUE(ui.ChooseFolder("Select a folder:", &path)) << answer;
    // An absolute path of the same folder, without "." or ".." levels or a trailing separator.
    EXPECT_EQ(path.front(), '/') << path;
    EXPECT_NE(path.back(), '/') << path;
    EXPECT_EQ((path + "/").find("/./"), std::string::npos) << path;
    EXPECT_EQ((path + "/").find("/../"), std::string::npos) << path;
    EXPECT_TRUE(std::filesystem::equivalent(path, expected)) << answer << " gave " << path;
  }
  SetStartingDirectory("");
}

}  // namespace

#endif  // _WIN32
