// The real native program killed (SIGKILL) at 10 seeded random moments of a silent conversion of
// 2,000 messages with delete-old, rerun each time: after every kill each message is complete in
// its old or its new file, and after the last run every message is in its new file, once.
#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "support/e2e_runner.h"
#include "support/new_format_reader.h"
#include "support/old_data_writer.h"
#include "support/scratch_dir.h"

namespace reliability {
namespace {

namespace fs = std::filesystem;

struct Expected {
  std::string oldPath;
  std::string oldBytes;
  std::string newPath;
  std::string body;
  std::vector<std::string> contents;
};

std::vector<Expected> WriteMessages(const std::string& dataFolder, int count) {
  tvtest::OldDataFolder folder(dataFolder + "/");
  folder.Folders({tvtest::Folder("Inbox", 0, 5), tvtest::Folder("Projects", 7, 1)});
  std::vector<Expected> out;
  const char* directories[3] = {"Inbox", "Projects", "Sent"};
  for (int i = 0; i < count; ++i) {
    tvtest::OldMessage m;
    m.hexName = tvtest::HexName(0x20000 + static_cast<uint64_t>(i));
    m.recipients.push_back({"peer" + std::to_string(i % 17), 1, 0, 0});
    m.body = "message " + std::to_string(i) + " " + std::string(static_cast<size_t>(i % 50), 'b');
    if (i % 4 == 0) m.attachments.push_back({"file.txt", "attachment of " + std::to_string(i)});
    const std::string directory = directories[i % 3];
    Expected e;
    e.oldPath = folder.Message(directory, m);
    e.oldBytes = tvtest::EncodeOldMessage(m);
    e.newPath = dataFolder + "/" + directory + "/" + tvtest::NewMessageName(m.hexName);
    e.body = m.body;
    for (const auto& a : m.attachments) e.contents.push_back(a.contents);
    out.push_back(e);
  }
  return out;
}

// Each message complete in its old file (as written) or its new file (readable, same body and
// attachments). With finished, only the new file may exist.
void CheckMessages(const std::vector<Expected>& messages, bool finished, const std::string& where) {
  int problems = 0;
  for (const Expected& e : messages) {
    const bool hasOld = fs::exists(e.oldPath);
    const bool hasNew = fs::exists(e.newPath);
    bool ok = true;
    if (hasOld && tvtest::ReadWholeFile(e.oldPath) != e.oldBytes) ok = false;
    if (hasNew) {
      tvtest::NewMessage m = tvtest::ReadNewMessage(e.newPath);
      if (!m.ok || m.file.body != e.body || m.contents != e.contents) ok = false;
    }
    if (!hasOld && !hasNew) ok = false;
    if (finished && (hasOld || !hasNew)) ok = false;
    if (!ok && ++problems <= 5) ADD_FAILURE() << where << ": " << e.oldPath;
  }
  EXPECT_EQ(problems, 0) << where;
}

int NewFilesPresent(const std::vector<Expected>& messages) {
  int present = 0;
  for (const Expected& e : messages) present += fs::exists(e.newPath) ? 1 : 0;
  return present;
}

TEST(KillEndToEnd, TenKillsDuringASilentConversionLoseNoMessage) {
  tvtest::e2e::Harness harness(tvtest::e2e::Harness::Mode::kNative, TV_RELIABILITY_PROGRAM);
  const std::string data = harness.DefaultDataFolder();
  const std::vector<Expected> messages = WriteMessages(data, 2000);

  // Each kill lands at a seeded point of the conversion's own progress (the number of new files
  // present), so the kills hit a running conversion however fast the machine converts.
  std::mt19937 random(20261207);
  int killedWhileRunning = 0;
  for (int round = 0; round < 10; ++round) {
    const int present = NewFilesPresent(messages);
    const int remaining = static_cast<int>(messages.size()) - present;
    if (remaining < 2) break;
    const int target = present + std::uniform_int_distribution<int>(1, remaining - 1)(random);
    auto child = harness.StartProgram({"/SILENT"});
    while (child->Running() && NewFilesPresent(messages) < target) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (child->Running()) ++killedWhileRunning;
    child->Kill();
    CheckMessages(messages, false, "after the kill at " + std::to_string(target) + " new files");
    if (::testing::Test::HasFailure()) return;
  }
  tvtest::e2e::Result last = harness.Run({"/SILENT"}, "", 600000);
  EXPECT_EQ(last.exitStatus, 0) << last.err;
  CheckMessages(messages, true, "after the last run");
  // The kills hit a running conversion, not a finished one.
  EXPECT_GT(killedWhileRunning, 0);
  std::printf("[ kill     ] %d of 10 kills hit a running conversion of %zu messages\n",
              killedWhileRunning, messages.size());
}

}  // namespace
}  // namespace reliability
