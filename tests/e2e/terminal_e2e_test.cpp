// The native program as a person at a terminal or a script sees it: the progress line only on a
// terminal, the summary line, help and version without side effects, a second copy that says
// why it did nothing, SIGINT/SIGTERM that stop a conversion a rerun finishes, and the terminal
// dialog (the POSIX build's own rendition of the dialog) with its folder chooser.
#include <gmock/gmock.h>
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <thread>

#include "e2e/e2e_fixture.h"
#include "support/scratch_dir.h"

namespace tvtest::e2e {
namespace {

using testing::HasSubstr;
using testing::Not;

class TerminalTest : public E2eTest {
 protected:
  void SetUp() override {
    E2eTest::SetUp();
    if (IsSkipped()) return;
    if (!Native()) GTEST_SKIP() << "signals and terminals of the POSIX build";
  }

  // A sample 3.0 data folder where the program looks for it, and a copy of it at `copy`.
  void MakeSample(int messages, const std::string& copy) {
    std::filesystem::create_directories(harness->DefaultDataFolder());
    Result made =
        harness->RunInEnvironment({TV_E2E_ZVTOOL, "sample", harness->DefaultDataFolder(),
                                   "--messages", std::to_string(messages), "--seed", "5"});
    ASSERT_EQ(made.exitStatus, 0) << made.err;
    std::filesystem::copy(harness->DefaultDataFolder(), copy,
                          std::filesystem::copy_options::recursive);
  }

  static std::string Summary(int messages) {
    return std::to_string(messages) +
           " messages converted, 0 not converted, 4 list files converted, 0 errors\n";
  }
};

TEST_F(TerminalTest, HelpAndVersionPrintAndTouchNothing) {
  for (const char* argument : {"--version", "--help", "-h", "/?"}) {
    Result r = harness->Run({argument});
    EXPECT_EQ(r.exitStatus, 0) << argument;
    EXPECT_EQ(r.err, "") << argument;
    const std::string expected =
        argument == std::string("--version") ? "ZV30TO31 1.0.0.137" : "Usage: zv30to31";
    EXPECT_EQ(r.out.rfind(expected, 0), 0u) << r.out;
  }
  EXPECT_FALSE(harness->StoredDataFolder().has_value());
  EXPECT_FALSE(Exists(harness->DefaultDataFolder()));
}

TEST_F(TerminalTest, TheProgressLineShowsOnATerminalOnlyAndTheSummaryAlways) {
  constexpr int kMessages = 60;
  const std::string copy = harness->Scratch() + "/copy";
  MakeSample(kMessages, copy);
  // Through a pipe: the summary line and nothing else.
  Result piped = harness->Run({"/SILENT"});
  EXPECT_EQ(piped.exitStatus, 0);
  EXPECT_EQ(piped.err, Summary(kMessages));

  // On a terminal (script gives the program one): the line, rewritten in place, then erased.
  std::filesystem::remove_all(harness->DefaultDataFolder());
  std::filesystem::copy(copy, harness->DefaultDataFolder(),
                        std::filesystem::copy_options::recursive);
  Result tty = harness->RunInEnvironment(
      {"script", "-qec", "'" + std::string(TV_E2E_PROGRAM) + "' /SILENT", "/dev/null"});
  EXPECT_EQ(tty.exitStatus, 0) << tty.out;
  const std::string first = "\rConverting: 0 of " + std::to_string(kMessages) + " messages";
  const std::string last = "\rConverting: " + std::to_string(kMessages) + " of " +
                           std::to_string(kMessages) + " messages (100%)";
  EXPECT_NE(tty.out.find(first), std::string::npos) << tty.out;
  EXPECT_NE(tty.out.find(last), std::string::npos) << tty.out;
  EXPECT_NE(tty.out.find("\033[K\r\033[K" + Summary(kMessages).substr(0, 20)), std::string::npos)
      << tty.out;
}


TEST_F(TerminalTest, SignalsStopBetweenMessagesAndARerunFinishesWithNothingLost) {
  constexpr int kMessages = 1500;
  const std::string backup = harness->Scratch() + "/Zorvane BackUp";
  MakeSample(kMessages, backup);
  const std::string log = harness->DefaultDataFolder() + "/Conversion3.0-3.1.Log.Txt";

  // Each signal lands at a seeded point of the conversion's own progress (the number of new
  // files present), so it hits a running conversion however fast the machine converts.
  std::mt19937 random(20261207);
  int stopped = 0;
  for (int round = 0; round < 4; ++round) {
    const int signal = round % 2 == 0 ? SIGINT : SIGTERM;
    const int present = NewMessageFiles(harness->DefaultDataFolder());
    if (kMessages - present < 2) break;
    const int target =
        present + std::uniform_int_distribution<int>(1, kMessages - present - 1)(random);
    SCOPED_TRACE("signal " + std::to_string(signal) + " at " + std::to_string(target) +
                 " new files");
    auto child = harness->StartProgram({"/SILENT"});
    bool secondCopyTried = round != 0;
    while (child->Running() && NewMessageFiles(harness->DefaultDataFolder()) < target) {
      if (!secondCopyTried && NewMessageFiles(harness->DefaultDataFolder()) > present) {
        // The first copy holds the guard while it converts.
        secondCopyTried = true;
        Result second = harness->Run({"/SILENT"});
        EXPECT_EQ(second.exitStatus, 3);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_TRUE(secondCopyTried);
    const bool running = child->Running();
    ::kill(child->Pid(), signal);
    Result r = child->Wait(600000);
    ASSERT_FALSE(r.timedOut);
    if (!running) continue;
    if (r.exitStatus == 0) {
      // The signal came after the conversion's last step: everything was done.
      EXPECT_EQ(harness->QueryDword("System Settings", "m_dwordDatabaseVersion"), 0x301u);
      continue;
    }
    ++stopped;
    EXPECT_EQ(r.exitStatus, 128 + signal) << r.err;
    EXPECT_EQ(r.err.rfind("Interrupted, run the conversion again to finish it: ", 0), 0u) << r.err;
    EXPECT_FALSE(harness->QueryDword("System Settings", "m_dwordDatabaseVersion").has_value());
    std::string text;
    EXPECT_TRUE(ReadWholeFile(log, &text));
    EXPECT_NE(text.find("Error: Conversion: interrupted by the user"), std::string::npos);
  }
  EXPECT_GT(stopped, 0);
  std::printf("[ stop     ] %d of 4 signals hit a running conversion of %d messages\n", stopped,
              kMessages);
  Result last = harness->Run({"/SILENT"}, "", 600000);
  EXPECT_EQ(last.exitStatus, 0) << last.err;
  EXPECT_EQ(harness->QueryDword("System Settings", "m_dwordDatabaseVersion"), 0x301u);
  Result verify =
      harness->RunInEnvironment({TV_E2E_ZVTOOL, "verify", backup, harness->DefaultDataFolder()});
  EXPECT_EQ(verify.exitStatus, 0) << verify.out << verify.err;
  EXPECT_NE(verify.out.find("result: nothing lost"), std::string::npos) << verify.out;
}

// ---- The terminal dialog ------------------------------------------------------------------

TEST_F(TerminalTest, TheTerminalDialogConvertsWithoutDeletingWhenTold) {
  const std::string data = WithOldData(harness->DefaultDataFolder());
  // d: clear "Delete old database when done"; c: convert; n: no backup first.
  Result run = harness->Run({}, "d\nc\nn\n");
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_THAT(run.err, HasSubstr("Zorvane Database Tool"));
  EXPECT_THAT(run.err, HasSubstr("Do the backup before conversion?"));
  EXPECT_THAT(run.err, HasSubstr("Done [ hit 'OK' ] to exit and launch Zorvane"));
  EXPECT_TRUE(Exists(data + "/Database.Folders"));
  EXPECT_TRUE(Exists(data + "/Folders.List"));
  EXPECT_EQ(harness->QueryDword("System Settings", "m_dwordDatabaseVersion"), 0x301u);
}

// "/silent" is not the silent switch: the dialog shows, and Exit or the end of input converts
// nothing.
TEST_F(TerminalTest, ExitOrTheEndOfInputConvertsNothing) {
  struct Case {
    std::vector<std::string> arguments;
    const char* input;
  };
  for (const Case& c :
       {Case{{}, "x\n"}, Case{{}, ""}, Case{{}, "what\nX\n"}, Case{{"/silent"}, "x\n"}}) {
    Result run = harness->Run(c.arguments, c.input);
    EXPECT_EQ(run.exitStatus, 0) << c.input;
    EXPECT_THAT(run.err, HasSubstr("Zorvane Database Tool")) << c.input;
    EXPECT_THAT(run.err, HasSubstr("Convert 3.0 -> 3.1")) << c.input;
    EXPECT_FALSE(harness->QueryDword("System Settings", "m_dwordDatabaseVersion").has_value());
  }
  // The folder is found and written back at every start, converted or not.
  EXPECT_TRUE(harness->StoredDataFolder().has_value());
}

TEST_F(TerminalTest, TheFolderChooserTakesARelativeAnswerFromWhereTheUserStarted) {
  std::string data = harness->DefaultDataFolder();
  Write(data + "/Inbox/keep.txt", "kept");
  std::string start = harness->Scratch() + "/Start";
  std::filesystem::create_directories(start);
  std::unique_ptr<Child> run = harness->StartInEnvironment({"env", "-C", start, TV_E2E_PROGRAM});
  run->WriteInput("b\n.\nx\n");
  run->CloseInput();
  Result ended = run->Wait(60000);
  EXPECT_EQ(ended.exitStatus, 0) << ended.err;
  EXPECT_TRUE(Exists(start + "/Zorvane BackUp/Inbox/keep.txt"));
  EXPECT_TRUE(IsDir(start + "/Zorvane BackUp/Drafts"));
}

TEST_F(TerminalTest, ABackUpThatFailsBeforeConvertingStopsTheConversion) {
  const std::string data = WithOldData(harness->DefaultDataFolder());
  std::string target = harness->Scratch() + "/Full";
  // The backup folder's name is taken by a plain file, so the copy cannot be made.
  Write(target + "/Zorvane BackUp", "in the way");
  // c: convert; y: back up first; the folder; then x: exit.
  Result run = harness->Run({}, "c\ny\n" + target + "\nx\n");
  EXPECT_EQ(run.exitStatus, 1) << run.err;
  EXPECT_THAT(run.err, HasSubstr("The backup into '" + target + "/Zorvane BackUp' has failed"));
  EXPECT_THAT(run.err, Not(HasSubstr("Please be patient")));
  EXPECT_TRUE(Exists(data + "/Database.Folders"));
  EXPECT_FALSE(Exists(data + "/Folders.List"));
  EXPECT_FALSE(harness->QueryDword("System Settings", "m_dwordDatabaseVersion").has_value());
}

}  // namespace
}  // namespace tvtest::e2e
