// What a run shows its user: the throttled progress, the summary line, help and version without
// side effects, and a stop asked for by the user that leaves a run a rerun can finish.
#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <vector>

#include "app/app_fixture.h"
#include "app/conversion_run.h"
#include "app/information.h"
#include "app/progress_display.h"
#include "foundation/progress.h"
#include "platform/interrupt.h"
#include "support/old_data_writer.h"

namespace {

using tvtest::AppTest;
using tvtest::PathExists;

// ---- Progress ------------------------------------------------------------------------------

uint64_t g_nowMs = 0;
uint64_t FakeClock() { return g_nowMs; }

struct Shown {
  uint64_t done, total;
  std::string counts, folder;
  bool operator==(const Shown&) const = default;
};

class RecordingView : public platform::ProgressView {
 public:
  explicit RecordingView(std::vector<Shown>* shown) : m_shown(shown) {}
  void Show(uint64_t done, uint64_t total, const std::string& counts,
            const std::string& folder) override {
    m_shown->push_back({done, total, counts, folder});
  }

 private:
  std::vector<Shown>* m_shown;
};

TEST(ProgressDisplay, ShowsAtBeginAndEndAndAtMostOncePerInterval) {
  std::vector<Shown> shown;
  g_nowMs = 1000;
  TvProgressDisplay display(std::make_unique<RecordingView>(&shown), &FakeClock);
  display.Begin(3000);
  display.Folder("Inbox");
  for (uint64_t done = 1; done <= 1000; ++done) display.Messages(done);
  g_nowMs += TvProgressDisplay::kIntervalMs - 1;
  display.Messages(1001);
  g_nowMs += 1;
  display.Messages(1002);
  display.Folder("Sent");
  for (uint64_t done = 1003; done <= 3000; ++done) display.Messages(done);
  display.End();
  EXPECT_EQ(shown, (std::vector<Shown>{{0, 3000, "0 of 3000 messages", ""},
                                       {1002, 3000, "1002 of 3000 messages", "Inbox"},
                                       {3000, 3000, "3000 of 3000 messages", "Sent"}}));
}

// ---- Summary and information arguments -----------------------------------------------------

TEST(RunSummaryText, CountsErrorsLogAndInterruption) {
  const struct {
    TvRunOutcome outcome;
    const char* log;
    const char* text;
  } cases[] = {
      {{0, 1998, 0, 4, false},
       "",
       "1998 messages converted, 0 not converted, 4 list files "
       "converted, 0 errors"},
      {{3, 1, 2, 1, false},
       "/d/Conversion3.0-3.1.Log.Txt",
       "1 message converted, 2 not converted, 1 list file converted, 3 errors, log: "
       "/d/Conversion3.0-3.1.Log.Txt"},
      {{1, 40, 0, 0, true},
       "L",
       "Interrupted, run the conversion again to finish it: 40 messages converted, 0 not "
       "converted, 0 list files converted, 1 error, log: L"},
  };
  for (const auto& c : cases) EXPECT_EQ(SummaryText(c.outcome, c.log), c.text);
}

TEST(InformationArguments, HelpAndVersionWordsAnywhereOthersNot) {
  const struct {
    TvInformation expected;
    std::vector<const char*> commandLines;
  } cases[] = {
      {TvInformation::kUsage, {"/?", "-h", "--help"}},
      {TvInformation::kVersion, {"--version", "/SILENT --version", "--version -h"}},
      {TvInformation::kNone, {"", "/SILENT", "-help", "--versions", "/?x", "-H"}},
  };
  for (const auto& c : cases) {
    for (const char* commandLine : c.commandLines) {
      EXPECT_EQ(FindInformationRequest(commandLine), c.expected) << commandLine;
    }
  }
  EXPECT_EQ(VersionText().rfind("ZV30TO31 1.0.0.137", 0), 0u) << VersionText();
  EXPECT_NE(UsageText().find("/SILENT"), std::string::npos);
}

// ---- Stopping a run ------------------------------------------------------------------------

// Asks for a stop (as SIGINT would) once the walk has visited that many messages.
class StopAfter : public TvProgress {
 public:
  explicit StopAfter(uint64_t count) : m_count(count) {}
  void Messages(uint64_t done) override {
    if (done == m_count) platform::SetStopRequest(SIGINT);
  }

 private:
  uint64_t m_count;
};

class StopTest : public AppTest {
 protected:
  ~StopTest() override {
    platform::SetStopRequest(0);
    SetProgress(nullptr);
  }
  // Whether the database version was written since the store's journal was last cleared.
  bool VersionWrittenSinceCleared() const {
    for (const auto& access : store.journal) {
      if (access.kind == 'W' && access.name == "m_dwordDatabaseVersion") return true;
    }
    return false;
  }
  tvtest::ScopedSettingsStore scopedStore{&store};
};

TEST_F(StopTest, AStopEndsTheWalkBetweenMessagesSkipsTheStoresAndARerunFinishes) {
  constexpr int kMessages = 5;
  // 0: asked before the walk starts; kMessages: after its last message, before the stores.
  for (uint64_t stopAfter : {uint64_t{0}, uint64_t{2}, uint64_t{kMessages}}) {
    SCOPED_TRACE("stop after " + std::to_string(stopAfter));
    tvtest::OldDataFolder old(DataFolder());
    old.Folders({});
    store.journal.clear();
    std::vector<std::string> oldFiles, newFiles;
    for (int i = 0; i < kMessages; ++i) {
      tvtest::OldMessage m = tvtest::SampleMessage();
      m.hexName = tvtest::HexName(100 + i);
      oldFiles.push_back(old.Message("Inbox", m));
      newFiles.push_back(old.Directory("Inbox") + platform::kPathSeparator +
                         tvtest::NewMessageName(m.hexName));
    }
    {
      ConversionCore core;
      ASSERT_EQ(core.Init(), 1);
      StopAfter stop(stopAfter);
      SetProgress(&stop);
      if (stopAfter == 0) platform::SetStopRequest(SIGINT);
      ResetRunOutcome();  // each run is a session of its own
      core.Convert(1);
      SetProgress(nullptr);
      EXPECT_TRUE(RunOutcome().interrupted);
      EXPECT_EQ(RunOutcome().messagesConverted, stopAfter);
      EXPECT_EQ(core.m_settingsSystem.conversionDone, 0);
      int converted = 0;
      for (int i = 0; i < kMessages; ++i) {
        // Each message is in exactly one of its two files.
        EXPECT_NE(PathExists(oldFiles[i]), PathExists(newFiles[i])) << i;
        converted += PathExists(newFiles[i]) ? 1 : 0;
      }
      EXPECT_EQ(converted, static_cast<int>(stopAfter));
      EXPECT_FALSE(PathExists(DataFolder() + "FastReplys.List"));
      EXPECT_FALSE(PathExists(DataFolder() + "AutoAnswers.List"));
      const std::string log = tvtest::ReadWholeFile(core.m_log.FilePath());
      EXPECT_NE(log.find(std::string("Error: ") + ConversionCore::kInterruptedLine),
                std::string::npos);
    }
    EXPECT_FALSE(VersionWrittenSinceCleared());

    platform::SetStopRequest(0);
    {
      ConversionCore core;
      ASSERT_EQ(core.Init(), 1);
      ResetRunOutcome();
      core.Convert(1);
      EXPECT_FALSE(RunOutcome().interrupted);
      EXPECT_EQ(RunOutcome().messagesConverted, kMessages - stopAfter);
      EXPECT_EQ(core.m_settingsSystem.conversionDone, 1);
      for (int i = 0; i < kMessages; ++i) {
        EXPECT_FALSE(PathExists(oldFiles[i])) << i;
        EXPECT_TRUE(PathExists(newFiles[i])) << i;
      }
      EXPECT_TRUE(PathExists(DataFolder() + "FastReplys.List"));
    }
    EXPECT_TRUE(VersionWrittenSinceCleared());
    tvtest::RemoveTree(DataFolder());
  }
}

using StartupStopTest = StopTest;

TEST_F(StartupStopTest, AStoppedSilentRunExitsWithTheSignalsStatusAndRecordsNothing) {
  for (int signal : {SIGINT, SIGTERM}) {
    store.journal.clear();
    platform::SetStopRequest(signal);
    EXPECT_EQ(Run("/SILENT"), 128 + signal);
    EXPECT_FALSE(VersionWrittenSinceCleared());
  }
}

TEST_F(StartupStopTest, HelpAndVersionTouchNothing) {
  for (const char* commandLine : {"--help", "/?", "-h", "--version", "/SILENT --version"}) {
    EXPECT_EQ(Run(commandLine), kExitDone) << commandLine;
    EXPECT_TRUE(services.events.empty()) << commandLine;
    EXPECT_TRUE(ui.boxes.empty()) << commandLine;
    EXPECT_TRUE(store.journal.empty()) << commandLine;
    EXPECT_FALSE(PathExists(DataFolder())) << commandLine;
  }
}

}  // namespace
