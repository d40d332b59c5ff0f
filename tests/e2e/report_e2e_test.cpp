// The run report (/REPORT:<path>) and quiet mode (/QUIET) of the native program, as a deployment
// script sees them: a report for every way a run ends, and a quiet run that shows nothing but its
// summary line while its log and report still tell what failed.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>
#include <regex>
#include <string>
#include <thread>

#include "e2e/e2e_fixture.h"
#include "support/scratch_dir.h"

namespace tvtest::e2e {
namespace {

using nlohmann::json;
using testing::HasSubstr;
using testing::Not;

class ReportTest : public E2eTest {
 protected:
  void SetUp() override {
    E2eTest::SetUp();
    if (IsSkipped()) return;
    if (!Native()) GTEST_SKIP() << "the native program's exit paths (Wine: GuiTest)";
  }

  std::string ReportPath() const { return harness->Scratch() + "/reports/PC.json"; }
  std::string Log() const { return harness->DefaultDataFolder() + "/Conversion3.0-3.1.Log.Txt"; }

  // The report the run left, parsed; the folder holds nothing else (no temporary file).
  json ReadReport() {
    const std::string dir = std::filesystem::path(ReportPath()).parent_path();
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
      names.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(names, std::vector<std::string>{"PC.json"});
    std::string text;
    EXPECT_TRUE(ReadWholeFile(ReportPath(), &text)) << ReportPath();
    json report = json::parse(text, nullptr, false);
    EXPECT_FALSE(report.is_discarded()) << text;
    return report;
  }

  // A handle without sharing on path, as the POSIX build sees another program's.
  int HoldOpen(const std::string& path) {
    int held = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    EXPECT_GE(held, 0);
    EXPECT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    return held;
  }
};

// Every way a run ends leaves one report that parses and tells the exit status, its word and the
// counts, with the kept log where there is one.
TEST_F(ReportTest, EveryExitPathWritesAReportThatTellsItsStatusAndCounts) {
  const std::regex iso("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d[+-]\\d\\d:\\d\\d$");
  const struct {
    const char* outcome;
    int exitStatus;
    bool logKept;
    unsigned notConverted;
    // Stages the case, runs the program with the arguments and gives its result.
    std::function<Result(Harness&, const std::vector<std::string>&)> run;
  } kCases[] = {
      {"done", 0, false, 0,
       [](Harness& h, const std::vector<std::string>& args) {
         WithOldData(h.DefaultDataFolder());
         return h.Run(args);
       }},
      {"errors", 1, true, 1,
       [](Harness& h, const std::vector<std::string>& args) {
         Write(
             WithOldData(h.DefaultDataFolder()) + "/Inbox/0123456789ABCDEF0123456789ABCDEF.Message",
             "not a message");
         return h.Run(args);
       }},
      {"could not start", 2, false, 0,
       [](Harness& h, const std::vector<std::string>& args) {
         const std::string plain = h.Scratch() + "/PlainFile";
         Write(plain, "not a folder");
         h.SetText("RunTime Settings", "m_csUserDataFolder", plain);
         return h.Run(args);
       }},
      {"another copy running", 3, false, 0,
       [](Harness& h, const std::vector<std::string>& args) {
         std::unique_ptr<Child> first = h.StartProgram({});
         EXPECT_TRUE(first->WaitForError("Choice:", 60000));
         Result second = h.Run(args);
         first->CloseInput();
         first->Wait(60000);
         return second;
       }},
      {"interrupted", 130, true, 0,
       [](Harness& h, const std::vector<std::string>& args) {
         std::filesystem::create_directories(h.DefaultDataFolder());
         h.RunInEnvironment(
             {TV_E2E_ZVTOOL, "sample", h.DefaultDataFolder(), "--messages", "3000", "--seed", "3"});
         std::unique_ptr<Child> child = h.StartProgram(args);
         // Stopped once the conversion has begun writing (the handler is in by then).
         while (child->Running() && NewMessageFiles(h.DefaultDataFolder()) == 0) {
           std::this_thread::sleep_for(std::chrono::milliseconds(1));
         }
         ::kill(child->Pid(), SIGINT);
         return child->Wait(600000);
       }},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.outcome);
    harness = std::make_unique<Harness>(Harness::Mode::kNative, TV_E2E_PROGRAM);
    std::filesystem::create_directories(std::filesystem::path(ReportPath()).parent_path());
    Result run = c.run(*harness, {"/SILENT", "/REPORT:" + ReportPath()});
    ASSERT_FALSE(run.timedOut);
    if (c.exitStatus == 130 && run.exitStatus == 0) continue;  // the signal came after the end
    EXPECT_EQ(run.exitStatus, c.exitStatus) << run.err;
    json report = ReadReport();
    if (report.is_discarded()) continue;
    EXPECT_EQ(report["report"], "ZV30TO31 run");
    EXPECT_FALSE(report["version"].get<std::string>().empty());
    EXPECT_FALSE(report["computer"].get<std::string>().empty());
    EXPECT_FALSE(report["user"].get<std::string>().empty());
    EXPECT_TRUE(std::regex_match(report["start"].get<std::string>(), iso)) << report["start"];
    EXPECT_TRUE(std::regex_match(report["end"].get<std::string>(), iso)) << report["end"];
    EXPECT_GE(report["durationSeconds"].get<double>(), 0.0);
    EXPECT_EQ(report["exitStatus"], c.exitStatus);
    EXPECT_EQ(report["outcome"], c.outcome);
    EXPECT_EQ(report["messagesNotConverted"], c.notConverted);
    // Each failure is one count and, while there are fewer than 20, one text.
    const unsigned errors = report["errors"];
    EXPECT_EQ(errors != 0, c.exitStatus == 1 || c.exitStatus == 130 || c.exitStatus == 2);
    EXPECT_EQ(report["firstErrors"].size(), std::min(errors, 20u));
    if (c.logKept) {
      EXPECT_EQ(report["keptLog"], Log());
      EXPECT_TRUE(Exists(Log()));
    } else {
      EXPECT_TRUE(report["keptLog"].is_null());
    }
    if (c.exitStatus < 2) {
      EXPECT_EQ(report["dataFolder"], harness->DefaultDataFolder() + "/");
      EXPECT_EQ(report["listFilesConverted"], 3u);
    }
  }
}

// /QUIET with a file another program holds: nothing on stderr but the summary, the box is an
// Error line of the kept log, and it counts once, in the exit status and in the report.
TEST_F(ReportTest, QuietTurnsTheBoxIntoOneErrorLineAndShowsOnlyTheSummary) {
  const std::string data = WithOldData(harness->DefaultDataFolder());
  const std::string contacts = data + "/ContactList.Users";
  Write(contacts, std::string(8, '\0'));
  std::filesystem::create_directories(std::filesystem::path(ReportPath()).parent_path());
  const int held = HoldOpen(contacts);
  Result run = harness->Run({"/quiet", "/REPORT:" + ReportPath()});
  ::close(held);
  EXPECT_EQ(run.exitStatus, 1) << run.err;
  EXPECT_EQ(run.err,
            "0 messages converted, 0 not converted, 3 list files converted, 1 error, "
            "log: " +
                Log() + "\n");
  std::string log;
  ASSERT_TRUE(ReadWholeFile(Log(), &log));
  EXPECT_THAT(log, HasSubstr("Error: Not shown (quiet): Operation with file '" + contacts +
                             "' has failed"));
  json report = ReadReport();
  EXPECT_EQ(report["errors"], 1u);
  EXPECT_THAT(report["firstErrors"][0].get<std::string>(), HasSubstr(contacts));
  EXPECT_EQ(harness->QueryDword("System Settings", "m_dwordDatabaseVersion"), 0x301u);
}

// A report that cannot be written turns a clean run into exit status 1; it is told on stderr and
// in the log, and nothing is created on its way (the missing folder stays missing).
TEST_F(ReportTest, AReportThatCannotBeWrittenIsAFailureAndCreatesNothing) {
  WithOldData(harness->DefaultDataFolder());
  const std::string missing = harness->Scratch() + "/no such folder";
  Result run = harness->Run({"/QUIET", "/REPORT:" + missing + "/PC.json"});
  EXPECT_EQ(run.exitStatus, 1) << run.err;
  EXPECT_THAT(run.err, HasSubstr("The report could not be written to '" + missing));
  EXPECT_THAT(run.err, HasSubstr(", 1 error, log: " + Log()));
  std::string log;
  ASSERT_TRUE(ReadWholeFile(Log(), &log));
  EXPECT_THAT(log, HasSubstr("Error: Not shown (quiet): The report could not be written"));
  EXPECT_FALSE(Exists(missing));
}

}  // namespace
}  // namespace tvtest::e2e
