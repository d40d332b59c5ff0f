// The whole database conversion: which files are converted, kept and deleted, and the log lines
// that say so, in order.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "database/database_fixture.h"
#include "foundation/progress.h"
#include "foundation/replacing_file.h"
#include "foundation/run_outcome.h"
#include "foundation/tv_error.h"
#include "platform/fault_injection.h"
#include "platform/file_system.h"
#include "platform/interrupt.h"
#include "platform/recording_ui.h"
#include "platform/system_error.h"
#include "replies/replies_format.h"
#include "support/fault_sweep.h"
#include "support/new_format_reader.h"
#include "support/new_message_bytes.h"

namespace tvtest {
namespace {

using ConvertDatabaseTest = DatabaseTest;

OldMessage Message(uint64_t number, const std::string& body) {
  OldMessage m;
  m.hexName = HexName(number);
  m.body = body;
  m.recipients = {{"someone", 1, 0, 0}};
  return m;
}

TEST_F(ConvertDatabaseTest, ConvertsLogsAndDeletesEveryOldFile) {
  data.Folders({Folder("Inbox", 0, 5), Folder("Work", 7, 1)}).NamesIndex({NamesIndexRecord(1)});
  OldMessage inboxMessage = Message(1, "in the inbox");
  inboxMessage.attachments = {{"a.txt", "attached"}};
  std::string inboxOld = data.Message("Inbox", inboxMessage);
  std::string workOld = data.Message("Work", Message(2, "at work"));
  std::string shortName = data.RawFile(
      std::string("Inbox") + platform::kPathSeparator + "ABCD.Message", "not a message");
  data.FolderIndex("Inbox").FolderIndex("Work");

  EXPECT_EQ(Convert(1), 0);

  const std::string inboxNew = Dir("Inbox") + NewMessageName(inboxMessage.hexName);
  const std::string workNew = Dir("Work") + NewMessageName(HexName(2));
  std::vector<std::string> expected = {
      "Info: Old folders file: " + DataFile("Database.Folders") + " , Deleted",
      "Info: Message: " + inboxOld + " , Converted",
      "Info: Message: " + inboxOld + " , Deleted",
      "Info: Old folder index: " + Dir("Inbox") + "Messages.Index , Deleted",
  };
  for (const char* folder : {"Outbox", "Sent", "Deleted", "Drafts", "Temp"}) {
    expected.push_back("Info: Old folder index: " + Dir(folder) + "Messages.Index , NOT deleted");
  }
  expected.push_back("Info: Message: " + workOld + " , Converted");
  expected.push_back("Info: Message: " + workOld + " , Deleted");
  expected.push_back("Info: Old folder index: " + Dir("Work") + "Messages.Index , Deleted");
  EXPECT_EQ(LogEntries(), expected);
  EXPECT_EQ(log.m_dwordErrorCount, 0u);
  EXPECT_TRUE(ui.boxes.empty());

  EXPECT_FALSE(PathExists(DataFile("Database.Folders")));
  EXPECT_TRUE(PathExists(DataFile("Folders.List")));
  std::vector<std::string> inboxFiles = {"ABCD.Message", NewMessageName(inboxMessage.hexName)};
  std::sort(inboxFiles.begin(), inboxFiles.end());
  EXPECT_EQ(FilesIn(Dir("Inbox")), inboxFiles);
  EXPECT_EQ(FilesIn(Dir("Work")), (std::vector<std::string>{NewMessageName(HexName(2))}));
  EXPECT_EQ(ReadWholeFile(shortName), "not a message");
  NewMessage converted = ReadNewMessage(inboxNew);
  ASSERT_TRUE(converted.ok) << converted.problem;
  EXPECT_EQ(converted.file.body, "in the inbox");
  EXPECT_EQ(converted.contents, (std::vector<std::string>{"attached"}));
  EXPECT_EQ(ReadNewMessage(workNew).file.body, "at work");
  EXPECT_EQ(ReadFoldersList(DataFile("Folders.List")).file.records.size(), 7u);
}

TEST_F(ConvertDatabaseTest, WithoutDeleteOldNothingIsDeletedOrLoggedAsDeleted) {
  data.Folders({Folder("Work", 7)});
  std::string old = data.Message("Work", Message(2, "at work"));
  data.FolderIndex("Work");
  Convert(0);
  EXPECT_EQ(LogEntries(), (std::vector<std::string>{"Info: Message: " + old + " , Converted"}));
  EXPECT_TRUE(PathExists(old));
  EXPECT_TRUE(PathExists(DataFile("Database.Folders")));
  EXPECT_TRUE(PathExists(Dir("Work") + "Messages.Index"));
  EXPECT_TRUE(PathExists(Dir("Work") + NewMessageName(HexName(2))));
}

TEST_F(ConvertDatabaseTest, OldFileThatCannotBeDeletedGetsAnErrorLineAfterTheBox) {
  std::string old = data.Message("Inbox", Message(4, "stays"));
  {
    tvtest::ScopedFault fault(platform::FileOp::kDelete, platform::SysError::kAccessDenied);
    Convert(1);
  }
  std::vector<std::string> entries = LogEntries();
  ASSERT_GE(entries.size(), 2u);
  EXPECT_EQ(entries[0], "Info: Message: " + old + " , Converted");
  EXPECT_EQ(entries[1], "Error: Message: " + old + " , NOT deleted");
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_NE(ui.boxes[0].text.find(old), std::string::npos);
  EXPECT_TRUE(PathExists(old));
}

TEST_F(ConvertDatabaseTest, MissingFoldersFileStillConvertsTheStandardFolders) {
  data.NamesIndex({NamesIndexRecord(5)}, 3);
  std::string names = Bytes("Names.Index");
  std::string old = data.Message("Sent", Message(5, "sent"));
  data.RawFile(std::string("Projects") + platform::kPathSeparator + HexName(6) + ".Message",
               EncodeOldMessage(Message(6, "not in any folder")));
  Convert(1);
  EXPECT_FALSE(PathExists(DataFile("Folders.List")));
  EXPECT_EQ(Bytes("Database.Folders"), "") << "a missing file is created empty";
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(Bytes("Names.Index"), names);
  EXPECT_TRUE(PathExists(Dir("Sent") + NewMessageName(HexName(5))));
  EXPECT_FALSE(PathExists(old));
  EXPECT_TRUE(PathExists(Dir("Projects") + HexName(6) + ".Message"));
  EXPECT_EQ(log.m_dwordErrorCount, 0u) << "index lines of folders without one are Info";
}

TEST_F(ConvertDatabaseTest, FoldersListThatCannotBeWrittenKeepsTheOldFoldersFile) {
  data.Folders({Folder("Work", 7)});
  std::string old = data.Message("Work", Message(8, "work"));
  // The move of "Folders.List" over its final name fails.
  {
    tvtest::ScopedFault fault(platform::FileOp::kMove, platform::SysError::kAccessDenied);
    Convert(1);
  }
  EXPECT_TRUE(PathExists(DataFile("Database.Folders")));
  EXPECT_FALSE(PathExists(DataFile("Folders.List")));
  std::vector<std::string> entries = LogEntries();
  for (const std::string& e : entries) {
    EXPECT_EQ(e.find("Old folders file"), std::string::npos) << e;
  }
  EXPECT_EQ(std::count(entries.begin(), entries.end(), "Info: Message: " + old + " , Converted"),
            1);
  EXPECT_FALSE(PathExists(old));
}

TEST_F(ConvertDatabaseTest, FolderWithAnUnusableNameIsListedButNeverTouched) {
  const std::string bad = "Bad.";
  data.Folders({Folder(bad, 9), Folder("Good", 10)});
#ifndef _WIN32
  // Only a POSIX file system can hold this name; the files in it must stay as they are.
  std::string inside = data.Message(bad, Message(9, "inside"));
  data.FolderIndex(bad);
#endif
  std::string good = data.Message("Good", Message(10, "good"));
  Convert(1);
  std::vector<std::string> entries = LogEntries();
  std::vector<std::string> errors;
  for (const std::string& e : entries) {
    if (e.rfind("Error: ", 0) == 0) errors.push_back(e);
  }
  EXPECT_EQ(errors,
            (std::vector<std::string>{
                "Error: Folder: 'Bad.' , NOT converted, its name is no plain folder name"}));
  NewFoldersList list = ReadFoldersList(DataFile("Folders.List"));
  ASSERT_EQ(list.file.records.size(), 8u);
  EXPECT_EQ(list.file.records[6].name, bad);
  EXPECT_FALSE(PathExists(good));
#ifndef _WIN32
  EXPECT_TRUE(PathExists(inside));
  EXPECT_TRUE(PathExists(Dir(bad) + "Messages.Index"));
  EXPECT_EQ(FilesIn(Dir(bad)).size(), 2u);
#endif
}

// A run stopped after the folders file went: the rerun takes the folders from the new list, in its
// order, and neither writes that list again nor makes a folders file.
TEST_F(ConvertDatabaseTest, RerunAfterTheFoldersFileWasDeletedConvertsTheUserFolders) {
  data.Folders({Folder("Work", 7), Folder("Home", 13, 2)});
  db.CreateStandardFolders();
  ASSERT_TRUE(db.ApplyFoldersPlan(db.PlanFoldersList(), 0));
  std::string list = Bytes("Folders.List");
  ASSERT_TRUE(RemoveTree(DataFile("Database.Folders")));
  std::string old = data.Message("Work", Message(11, "left behind"));

  TvDatabase rerun(log, paths);
  rerun.CreateStandardFolders();
  EXPECT_EQ(rerun.PlanFoldersList().list.verdict, TvListVerdict::kAlreadyConverted)
      << "nothing to write again";
  ASSERT_EQ(rerun.Folders().GetSize(), 8u);
  EXPECT_EQ(rerun.Folders()[6]->m_csName, "Work");
  EXPECT_EQ(rerun.Folders()[7]->m_id, 13);

  ConvertInNewRun(1);
  EXPECT_FALSE(PathExists(old));
  EXPECT_TRUE(PathExists(Dir("Work") + NewMessageName(HexName(11))));
  EXPECT_FALSE(PathExists(DataFile("Database.Folders")));
  EXPECT_EQ(Bytes("Folders.List"), list);
  EXPECT_EQ(FilesIn(Dir("Work")), (std::vector<std::string>{NewMessageName(HexName(11))}));
  EXPECT_EQ(log.m_dwordErrorCount, 0u);
}

// An earlier run's temporary files, each judged on its own: one whose old file is still there is
// deleted (the run converts the old file again); the only copy of a file, complete, becomes the
// file; anything else - damaged, beside a file already under its final name, or of a name the
// conversion never writes - stays, named in an Error line.
TEST_F(ConvertDatabaseTest, LeftoverTemporaryFilesAreJudgedOneByOne) {
  const std::string tmp = TvReplacingFile::kTempSuffix;
  const std::string sound = BuildNewMessage({"someone"}, "the only copy", {"attached"}).bytes;
  const std::string texts = EncodeTextMessages({0, 0, std::nullopt, {{2, 0, "Hi", "Hello", 0, 0}}});
  const auto work = [](uint64_t number) {
    return std::string("Work") + platform::kPathSeparator + NewMessageName(HexName(number));
  };
  data.Folders({Folder("Work", 7)});
  const std::string redone = data.Message("Work", Message(1, "converted again"));
  data.RawFile(work(3), "someone else's 3.1 file");
  data.RawFile("ContactList.Users", "old contacts");
  struct Case {
    std::string temp;  // relative to the data folder
    std::string bytes;
    const char* kept;     // the reason in the Error line; null: not kept
    std::string becomes;  // the file it is moved to (recovered), empty when none
  };
  const Case cases[] = {
      {work(1) + tmp, sound, nullptr, ""},
      {work(2) + tmp, sound, nullptr, work(2)},
      {work(3) + tmp, sound, "is already there", ""},
      {work(4) + tmp, sound.substr(0, sound.size() - 1), "it is no complete message file", ""},
      {"Folders.List" + tmp, "damaged, but its old file is there", nullptr, ""},
      {"Contacts.List" + tmp, "damaged, but its old file is there", nullptr, ""},
      {"FastReplys.List" + tmp, texts, nullptr, "FastReplys.List"},
      {"AutoAnswers.List" + tmp, texts.substr(0, 20), "it is no complete list of texts", ""},
      {"Unknown.List" + tmp, texts, "no file the conversion writes has that name", ""},
  };
  for (const Case& c : cases) data.RawFile(c.temp, c.bytes);

  platform::ScopedRecordingUI quiet;
  Convert(1);

  const std::vector<std::string> lines = LogEntries();
  const auto logged = [&](const std::string& text) {
    return std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
      return line.find(text) != std::string::npos;
    });
  };
  uint32_t keptCount = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.temp);
    const std::string temp = DataFile(c.temp);
    EXPECT_EQ(PathExists(temp), c.kept != nullptr);
    EXPECT_EQ(logged("Error: Temporary file: " + temp + " , kept, "), c.kept ? 1 : 0);
    if (c.kept != nullptr) {
      ++keptCount;
      EXPECT_EQ(logged(c.kept), 1);
      EXPECT_EQ(ReadWholeFile(temp), c.bytes) << "a kept file is left as it was";
    }
    EXPECT_EQ(logged("Info: Temporary file: " + temp + " , recovered as " + DataFile(c.becomes)),
              c.becomes.empty() ? 0 : 1);
    if (!c.becomes.empty()) {
      EXPECT_EQ(Bytes(c.becomes), c.bytes);
    }
  }
  EXPECT_EQ(Bytes(work(3)), "someone else's 3.1 file");
  EXPECT_FALSE(PathExists(redone));
  EXPECT_EQ(logged("Info: Message: " + redone + " , Converted"), 1);
  EXPECT_FALSE(PathExists(DataFile(work(4))));
  EXPECT_EQ(log.m_dwordErrorCount, keptCount);
}

// A stop requested during the walk: the message in flight is committed, logged and its old file
// deleted; nothing after it is touched, the folder keeps its old index, and the run says it was
// interrupted. The progress sink hears the total first and every message done.
TEST_F(ConvertDatabaseTest, StopRequestFinishesTheMessageInFlightAndStops) {
  struct StopAfterFirst : TvProgress {
    uint64_t total = 0, done = 0;
    void Begin(uint64_t messages) override { total = messages; }
    void Messages(uint64_t count) override {
      done = count;
      if (count == 1) platform::SetStopRequest(2);
    }
  } progress;
  data.Folders({Folder("Work", 7)});
  data.FolderIndex("Work");
  const std::string first = data.Message("Work", Message(31, "first"));
  const std::string second = data.Message("Work", Message(32, "second"));
  ResetRunOutcome();
  TvProgress* previous = SetProgress(&progress);
  Convert(1);
  SetProgress(previous);
  platform::SetStopRequest(0);
  // The process's tally is cleared again, or every later walk of this process would stop.
  const TvRunOutcome outcome = RunOutcome();
  ResetRunOutcome();

  EXPECT_TRUE(outcome.interrupted);
  EXPECT_EQ(progress.total, 2u);
  EXPECT_EQ(progress.done, 1u);
  EXPECT_EQ(outcome.messagesConverted, 1u);
  // Which file the listing gives first is the platform's: exactly one of them went.
  EXPECT_NE(PathExists(first), PathExists(second));
  EXPECT_TRUE(PathExists(Dir("Work") + "Messages.Index"));
  EXPECT_EQ(FilesIn(Dir("Work")).size(), 3u);  // the index, one old and one new message file
}

class BatchCommitTest : public DatabaseTest {
 protected:
  // Two messages with an attachment each in Inbox, no folders file; whatever an earlier case
  // left there, in the log and in the run's tally goes first.
  std::vector<std::string> FreshInbox(uint64_t first) {
    ResetRunOutcome();
    RemoveTree(Dir("Inbox"));
    RemoveTree(data.Path() + TvLog::kFileName);
    std::vector<std::string> olds;
    for (uint64_t n = first; n < first + 2; ++n) {
      OldMessage m = Message(n, "message " + std::to_string(n));
      m.attachments = {{"a.txt", "attached to " + std::to_string(n)}};
      olds.push_back(data.Message("Inbox", m));
    }
    return olds;
  }
};

// The file operations of a run, in order, and which of them the injector failed.
struct RecordedOp {
  platform::FileOp op;
  std::string path;
  bool failed;
};
std::vector<RecordedOp> RecordOps(const std::function<void()>& run) {
  std::vector<RecordedOp> ops;
  platform::FaultInjector::SetObserver(
      [&ops](platform::FileOp op, const std::string& path, platform::FileHandle) {
        ops.push_back({op, path, platform::FaultInjector::ObservedOperationFails()});
      });
  run();
  platform::FaultInjector::SetObserver(nullptr);
  return ops;
}

// A run that runs out of file handles commits its batch early - the batch holds its new files
// open - and opens again: wherever the second message's open fails (its old file, its staged
// attachment being made or read back, its new file), both messages convert and nothing is
// reported. With nothing waiting in the batch the open fails for good, and the message is NOT
// loaded with the system's reason, not as a damaged file.
TEST_F(BatchCommitTest, AnOpenOutOfHandlesCommitsTheBatchEarlyAndOpensAgain) {
  struct Case {
    const char* what;
    int message;     // 0 or 1, in the order the run reaches them
    int which;       // 0: the old file; 1: the staged attachment; 2: the new file
    int occurrence;  // of the opens of that path, counted from 1
  };
  const uint32_t emfile = platform::ErrorCode(platform::SysError::kTooManyOpenFiles);
  uint64_t number = 50;
  // A first run makes the folders file and the names index, so every run below opens the same
  // files in the same order.
  ConvertInNewRun(1);
  // A staged attachment is opened once more between being made and read back, for its size.
  for (const Case& c : {Case{"old file", 1, 0, 1}, Case{"staged attachment made", 1, 1, 1},
                        Case{"staged attachment read", 1, 1, 3}, Case{"new file", 1, 2, 1},
                        Case{"nothing to commit", 0, 0, 1}}) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> olds = FreshInbox(number);
    const std::vector<RecordedOp> clean = RecordOps([&] { ConvertInNewRun(1); });
    // The run's order of the two messages, and the k-th open that the case fails.
    std::vector<std::string> reached;
    for (const RecordedOp& op : clean) {
      if (op.op == platform::FileOp::kOpen &&
          std::find(olds.begin(), olds.end(), op.path) != olds.end() &&
          std::find(reached.begin(), reached.end(), op.path) == reached.end()) {
        reached.push_back(op.path);
      }
    }
    ASSERT_EQ(reached.size(), 2u);
    const std::string old = reached[static_cast<size_t>(c.message)];
    const std::string hex = old.substr(Dir("Inbox").size(), 32);
    const std::string target =
        c.which == 0   ? old
        : c.which == 1 ? scratch.Path() + "staging" + platform::kPathSeparator + "a.txt"
                       : Dir("Inbox") + NewMessageName(hex) + TvReplacingFile::kTempSuffix;
    uint64_t k = 0;
    int seen = 0;
    bool afterOld = false;
    for (const RecordedOp& op : clean) {
      if (op.op != platform::FileOp::kOpen) continue;
      ++k;
      afterOld = afterOld || op.path == old;
      if (afterOld && op.path == target && ++seen == c.occurrence) break;
    }
    ASSERT_EQ(seen, c.occurrence);

    olds = FreshInbox(number);
    ui.boxes.clear();
    const uint32_t errorsBefore = log.m_dwordErrorCount;
    tvtest::ScopedFault fault(platform::FileOp::kOpen, platform::SysError::kTooManyOpenFiles, k);
    const std::vector<RecordedOp> ops = RecordOps([&] { ConvertInNewRun(1); });
    ASSERT_EQ(fault.Failures(), 1u);
    if (c.message == 0) {
      EXPECT_TRUE(PathExists(old));
      EXPECT_TRUE(Logged("Error: Message: " + old +
                         " , NOT loaded, the file cannot be opened: " + ErrorReason(emfile)));
      EXPECT_EQ(log.m_dwordErrorCount - errorsBefore, 1u);
      number += 2;
      continue;
    }
    for (const std::string& each : olds) {
      EXPECT_FALSE(PathExists(each)) << each;
      EXPECT_TRUE(Logged("Info: Message: " + each + " , Converted")) << each;
    }
    EXPECT_EQ(log.m_dwordErrorCount, errorsBefore);
    EXPECT_TRUE(ui.boxes.empty());
    // Committed early: the first message's old file went between the refused open and the next.
    size_t failedAt = 0;
    while (failedAt < ops.size() && !ops[failedAt].failed) ++failedAt;
    size_t retried = failedAt + 1;
    while (retried < ops.size() && (ops[retried].op != platform::FileOp::kOpen ||
                                    ops[retried].path != ops[failedAt].path)) {
      ++retried;
    }
    ASSERT_LT(retried, ops.size()) << "the refused open is tried again";
    bool deletedBetween = false;
    for (size_t i = failedAt; i < retried; ++i) {
      deletedBetween |= ops[i].op == platform::FileOp::kDelete && ops[i].path == reached[0];
    }
    EXPECT_TRUE(deletedBetween);
    number += 2;
  }
}

// One failure of a batch's commit - its flush, a move, its directory's flush - is reported
// once: one file error box and one Error line that names the first file it cost and how many,
// with the system's reason; each file's own line is Info, and its old file stays. The tally
// counts the box and the line, whatever the number of files.
TEST_F(BatchCommitTest, AFailedCommitOfABatchIsReportedOnce) {
  struct Case {
    const char* what;
    platform::FileOp op;
    bool persistent;
    size_t cost;
  };
  const std::string reason = ErrorReason(platform::ErrorCode(platform::SysError::kDiskFull));
  uint64_t number = 60;
  for (const Case& c : {Case{"every flush", platform::FileOp::kFlush, true, 2},
                        Case{"the directory flush", platform::FileOp::kFlushDirectory, false, 2},
                        Case{"one move", platform::FileOp::kMove, false, 1}}) {
    SCOPED_TRACE(c.what);
    const std::vector<std::string> olds = FreshInbox(number);
    number += 2;
    ui.boxes.clear();
    const uint32_t errorsBefore = log.m_dwordErrorCount;
    {
      tvtest::ScopedFault fault(c.op, platform::SysError::kDiskFull, 1, c.persistent);
      ConvertInNewRun(1);
    }
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_NE(ui.boxes[0].text.find(Dir("Inbox")), std::string::npos) << ui.boxes[0].text;
    EXPECT_EQ(log.m_dwordErrorCount - errorsBefore, 1u);
    EXPECT_EQ(RunOutcome().failures, 2u) << "the box and the Error line";
    EXPECT_EQ(RunOutcome().messagesNotConverted, c.cost);
    std::vector<std::string> errors;
    for (const std::string& entry : LogEntries()) {
      if (entry.rfind("Error: ", 0) == 0) errors.push_back(entry);
    }
    ASSERT_EQ(errors.size(), 1u);
    const std::string& error = errors[0];
    std::string first;
    for (const std::string& each : olds) {
      if (error.find(each) != std::string::npos) first = each;
    }
    ASSERT_FALSE(first.empty()) << error;
    if (c.cost == 1) {
      EXPECT_EQ(error, "Error: Message: " + first + " , NOT saved, " + reason);
      EXPECT_TRUE(PathExists(first));
      continue;
    }
    EXPECT_EQ(error, "Error: Messages: " + first + " and 1 more , NOT saved, " + reason);
    for (const std::string& each : olds) {
      EXPECT_TRUE(PathExists(each)) << each;
      EXPECT_TRUE(Logged("Info: Message: " + each + " , NOT saved")) << each;
    }
  }
}

}  // namespace
}  // namespace tvtest
