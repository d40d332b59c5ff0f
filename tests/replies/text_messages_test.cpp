// Fast replies and auto answers: converting ".Array" to ".List", the delete-old log lines, damaged
// old files, failed writes and the fast replies menu. What every store of one old file does
// alike (the contact list too) runs once per store.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <optional>
#include <type_traits>
#include <string>
#include <utility>
#include <vector>

#include "contacts/tv_contact_list.h"
#include "platform/system_error.h"
#include "replies/replies_format.h"
#include "replies/tv_text_messages.h"
#include "support/fault_sweep.h"
#include "support/old_contacts_writer.h"
#include "support/power_cut.h"
#include "support/small_contact_list.h"

namespace {

using contacts_support::CannedText;
using contacts_support::SmallNewList;
using contacts_support::SmallOldList;
using contacts_support::Str;
using contacts_support::U32;
using ::testing::HasSubstr;

// An old list whose header word, type codes, data words and trailing values are all non-zero.
TvTextMessagesImage BusyOldList() {
  TvTextMessagesImage image;
  image.headerWord = 0xAABBCCDD;
  image.headerValue = 0x01020304;
  TvTextMessageImage first = CannedText("Busy", "I am busy, later please.", 7);
  first.type = 5;
  first.data = 0x11111111;
  first.trailing = 0x22222222;
  TvTextMessageImage second = CannedText("", "", 0);
  second.type = 0xFFFFFFFF;
  second.trailing = 1;
  TvTextMessageImage third = CannedText("Lunch", "Out for lunch\r\nback at 2", 0x80000000);
  third.data = 3;
  image.items = {first, second, third};
  return image;
}

// Spelled out field by field: header word 0, header value kept, the count, then each item with
// type code, data word and trailing value 0 and its texts and status unchanged.
std::string BusyNewList() {
  return U32(0) + U32(0x01020304) + U32(3) + U32(0) + U32(0) + Str("Busy") +
         Str("I am busy, later please.") + U32(7) + U32(0) + U32(0) + U32(0) + Str("") + Str("") +
         U32(0) + U32(0) + U32(0) + U32(0) + Str("Lunch") + Str("Out for lunch\r\nback at 2") +
         U32(0x80000000) + U32(0);
}

// Old files whose counts or lengths run far past their end, each with what it holds wrong.
using NamedFiles = std::vector<std::pair<std::string, std::string>>;

NamedFiles HostileArrays() {
  NamedFiles files;
  for (uint32_t count : {4u, 1000u, 0xFFFFFFFFu}) {
    TvTextMessagesImage image = BusyOldList();
    image.count = count;
    files.emplace_back("count " + std::to_string(count), EncodeTextMessages(image));
  }
  return files;
}

NamedFiles HostileContactLists() {
  TvOldContactListImage manyGroups = SmallOldList(2);
  manyGroups.groupCount = 0xFFFFFFFFu;
  TvOldContactListImage manyUsers = SmallOldList(2);
  manyUsers.groups[1].userCount = 0xFFFFFFFFu;
  // The first group's name length (after version, extra value, count, type, data word).
  std::string longName = EncodeOldContactList(SmallOldList(2));
  longName.replace(20, 4, U32(0x7FFFFFF0u));
  return {{"group count", EncodeOldContactList(manyGroups)},
          {"user count", EncodeOldContactList(manyUsers)},
          {"name length", longName}};
}

// Which store is under test: its file names, its log lines, how to run its conversion, a busy
// old file with the new file it must give, and hostile old files.
struct StoreKind {
  const char* label;
  const char* oldName;
  const char* newName;
  const char* logName;         // names the old file in the Deleted line
  const char* notDeletedName;  // names it in the NOT deleted line
  void (*convert)(TvLog&, const TvDataPaths&, TvBool);
  std::string (*busyOld)();
  std::string (*busyNew)();
  NamedFiles (*hostileOld)();
  uint64_t minOperations;  // a whole conversion of the busy file takes more file operations
  TvListPlan (*plan)(TvLog&, const TvDataPaths&);
  const char* nameInNew;  // a name the busy new file holds
};

template <typename Store>
void ConvertStore(TvLog& log, const TvDataPaths& paths, TvBool deleteOld) {
  Store store(log, paths);
  store.Convert(deleteOld);
}

template <typename Store>
TvListPlan PlanStore(TvLog& log, const TvDataPaths& paths) {
  Store store(log, paths);
  if constexpr (std::is_same_v<Store, TvContactList>) {
    return store.Plan();
  } else {
    return store.Plan(Store::kOldFileName, Store::kFileName, "Label");
  }
}

std::string BusyOldArray() { return EncodeTextMessages(BusyOldList()); }
std::string SmallOldContactList() { return EncodeOldContactList(SmallOldList(2)); }

const StoreKind kFastReplies = {"FastReplies",     "FastReplys.Array",
                                "FastReplys.List", "Old array file",
                                "Old array file",  ConvertStore<TvFastReplysService>,
                                BusyOldArray,      BusyNewList,
                                HostileArrays,     10,
                                PlanStore<TvFastReplysService>, "Lunch"};
const StoreKind kAutoAnswers = {"AutoAnswers",      "AutoAnswers.Array",
                                "AutoAnswers.List", "Old array file",
                                "Old array file",   ConvertStore<TvAutoAnswersService>,
                                BusyOldArray,       BusyNewList,
                                HostileArrays,      10,
                                PlanStore<TvAutoAnswersService>, "Lunch"};
const StoreKind kContactList = {"ContactList",
                                TvContactList::kOldFileName,
                                TvContactList::kFileName,
                                "Old contact list file",
                                "Old  contact list file",
                                ConvertStore<TvContactList>,
                                SmallOldContactList,
                                SmallNewList,
                                HostileContactLists,
                                20,
                                PlanStore<TvContactList>,
                                "Work"};

std::string StoreName(const ::testing::TestParamInfo<StoreKind>& param) {
  return param.param.label;
}

class StoreTest : public contacts_support::DataFolderTest,
                  public ::testing::WithParamInterface<StoreKind> {
 protected:
  std::string OldPath() const { return scratch.File(GetParam().oldName); }
  std::string NewPath() const { return scratch.File(GetParam().newName); }
  std::string BusyNew() const { return GetParam().busyNew(); }
  void Convert(TvBool deleteOld) { GetParam().convert(log, paths, deleteOld); }
};

// The plan of every situation only reads: the data folder is as it was, whatever the verdict.
TEST_P(StoreTest, PlanOnlyReadsAndNamesTheVerdict) {
  using V = TvListVerdict;
  const std::string old = GetParam().busyOld();
  std::string edited = BusyNew();
  const std::string name = GetParam().nameInNew;
  edited.replace(edited.find(name), 1, "X");
  const bool contacts = GetParam().oldName == std::string(TvContactList::kOldFileName);
  struct Case {
    const char* what;
    std::optional<std::string> oldFile, newFile;
    V verdict;
    size_t errorLines;
    bool createsOldFile;
  };
  const Case cases[] = {
      {"old file only", old, std::nullopt, V::kConverts, 0, false},
      {"the same list there", old, BusyNew(), V::kConverts, 0, false},
      {"an edited list there", old, edited, V::kNotConverted, 1, false},
      {"old file cut short", old.substr(0, old.size() - 1), std::nullopt, V::kNotConverted, 0,
       false},
      {"rerun after delete-old", std::nullopt, BusyNew(), V::kAlreadyConverted, 0, false},
      {"nothing there", std::nullopt, std::nullopt,
       contacts ? V::kNothingToConvert : V::kConverts, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    tvtest::RemoveTree(OldPath());
    tvtest::RemoveTree(NewPath());
    if (c.oldFile) tvtest::WriteWholeFile(OldPath(), *c.oldFile);
    if (c.newFile) tvtest::WriteWholeFile(NewPath(), *c.newFile);
    const auto before = tvtest::SnapshotTree(scratch.Path());
    const TvListPlan plan = GetParam().plan(log, paths);
    EXPECT_EQ(tvtest::SnapshotTree(scratch.Path()), before);
    EXPECT_EQ(plan.verdict, c.verdict) << VerdictKey(plan.verdict);
    EXPECT_EQ(plan.Failure(), c.errorLines != 0);
    EXPECT_EQ(plan.lines.size(), c.errorLines);
    EXPECT_EQ(plan.createsOldFile, c.createsOldFile);
    EXPECT_EQ(plan.newBytes.empty(), c.verdict != V::kConverts);
  }
}

// The old file is found in the defined letter case and in another one; the new file keeps its
// defined name, and no empty old file of the defined name is made, then or by a rerun.
TEST_P(StoreTest, DeleteOldRemovesTheOldFileLogsOneInfoLineAndARerunKeepsTheNewFile) {
  std::string upper = GetParam().oldName;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (const std::string& oldName : {std::string(GetParam().oldName), upper}) {
    SCOPED_TRACE(oldName);
    tvtest::RemoveTree(NewPath());
    tvtest::RemoveTree(log.FilePath());
    tvtest::WriteWholeFile(scratch.File(oldName), GetParam().busyOld());
    Convert(1);

    EXPECT_EQ(tvtest::ReadWholeFile(NewPath()), BusyNew());
    EXPECT_FALSE(tvtest::PathExists(scratch.File(oldName)));
    EXPECT_FALSE(tvtest::PathExists(OldPath())) << "no empty file of the defined name is made";
    // POSIX logs the file as it is spelled on the disk; Windows finds it under the name asked for.
#ifdef _WIN32
    const std::string deleted = OldPath();
#else
    const std::string deleted = scratch.File(oldName);
#endif
    const std::string text = LogText();
    const std::string line =
        std::string(" @  Info: ") + GetParam().logName + ": " + deleted + " , Deleted\r\n";
    EXPECT_EQ(text.rfind(" 2 ", 0), 0u) << text;
    EXPECT_THAT(text, HasSubstr(line));
    EXPECT_EQ(text.find(line) + line.size(), text.size()) << "one line only: " << text;
    EXPECT_EQ(log.m_dwordErrorCount, 0u);
    EXPECT_TRUE(ui.boxes.empty());

    Convert(1);
    EXPECT_EQ(tvtest::ReadWholeFile(NewPath()), BusyNew()) << "not replaced by an empty list";
    EXPECT_FALSE(tvtest::PathExists(OldPath())) << "no empty old file is made";
    EXPECT_EQ(LogText(), text);
    EXPECT_TRUE(ui.boxes.empty());
  }
}

TEST_P(StoreTest, OldFileThatCannotBeDeletedIsLoggedAsError) {
  tvtest::WriteWholeFile(OldPath(), GetParam().busyOld());
  {
    tvtest::ScopedFault fault(platform::FileOp::kDelete, platform::SysError::kAccessDenied);
    Convert(1);
  }

  EXPECT_TRUE(tvtest::PathExists(OldPath()));
  EXPECT_EQ(tvtest::ReadWholeFile(NewPath()), BusyNew());
  EXPECT_THAT(LogText(), HasSubstr(std::string(" @  Error: ") + GetParam().notDeletedName + ": " +
                                   OldPath() + " , NOT deleted\r\n"));
  EXPECT_EQ(log.m_dwordErrorCount, 1u);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_THAT(ui.boxes[0].text, HasSubstr("Operation with file '" + OldPath() + "' has failed"));
}

// An old file cut short, whose counts or lengths run past its end, or whose length cannot be
// asked for: the failure is reported once and stops the load, no new file is made and an earlier
// one stays. (Cuts at every length are the hostile input sweep's. An empty old file is no
// truncated one: it holds nothing to convert; see the tests of each store.)
TEST_P(StoreTest, DamagedOrUnreadableOldFileWritesAndDeletesNothing) {
  const std::string full = GetParam().busyOld();
  NamedFiles damaged = GetParam().hostileOld();
  damaged.emplace_back("failed length query", full);
  damaged.emplace_back("cut by one byte", full.substr(0, full.size() - 1));
  for (const auto& [what, bytes] : damaged) {
    for (const std::string earlier : {"", "earlier"}) {
      SCOPED_TRACE(what + ", new file: '" + earlier + "'");
      tvtest::WriteWholeFile(OldPath(), bytes);
      tvtest::RemoveTree(NewPath());
      if (!earlier.empty()) tvtest::WriteWholeFile(NewPath(), earlier);
      ui.boxes.clear();
      {
        std::optional<tvtest::ScopedFault> fault;  // only the whole file is read with one
        if (bytes == full) fault.emplace(platform::FileOp::kSize, platform::SysError::kReadFault);
        Convert(1);
      }

      ASSERT_EQ(tvtest::PathExists(NewPath()), !earlier.empty()) << "no list written over one";
      ASSERT_EQ(tvtest::ReadWholeFile(NewPath()), earlier);
      ASSERT_EQ(tvtest::ReadWholeFile(OldPath()), bytes);
      ASSERT_FALSE(tvtest::PathExists(log.FilePath()));
      ASSERT_EQ(ui.boxes.size(), 1u) << "one failed read ends the load";
    }
  }
  EXPECT_TRUE(LeftoverTempFiles().empty());
}

// Into a folder without a list and over an existing one: the list is written whole and the old
// file stays, with nothing to log.
TEST_P(StoreTest, WithoutDeleteOldTheOldFileStaysAndNothingIsLogged) {
  const std::string oldBytes = GetParam().busyOld();
  tvtest::WriteWholeFile(OldPath(), oldBytes);
  for (const std::string& existing : {std::string(), std::string(500, 'x')}) {
    SCOPED_TRACE(std::to_string(existing.size()) + " bytes in the existing list");
    tvtest::RemoveTree(NewPath());
    if (!existing.empty()) tvtest::WriteWholeFile(NewPath(), existing);

    Convert(0);

    EXPECT_EQ(tvtest::ReadWholeFile(NewPath()), BusyNew());
    EXPECT_EQ(tvtest::ReadWholeFile(OldPath()), oldBytes);
    EXPECT_FALSE(tvtest::PathExists(log.FilePath()));
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_TRUE(LeftoverTempFiles().empty());
  }
}

// Fails the Nth file operation, for N = 1, 2, ... until a run completes, and checks after every
// run that nothing was lost: the old file is intact, or the new file is whole.
TEST_P(StoreTest, AFailedOperationAnywhereNeverLosesTheOldFile) {
  tvtest::WriteWholeFile(OldPath(), GetParam().busyOld());
  const std::string oldBytes = tvtest::ReadWholeFile(OldPath());
  const std::string earlier = "earlier";
  int failedSaves = 0;
  auto prepare = [&] {
    tvtest::WriteWholeFile(OldPath(), oldBytes);
    tvtest::WriteWholeFile(NewPath(), earlier);
    tvtest::RemoveTree(log.FilePath());
  };
  auto check = [&](const tvtest::FaultPoint& point) {
    SCOPED_TRACE(point.Where());
    std::string now = tvtest::ReadWholeFile(NewPath());
    if (tvtest::PathExists(OldPath())) {
      ASSERT_EQ(tvtest::ReadWholeFile(OldPath()), oldBytes);
      ASSERT_TRUE(now == earlier || now == BusyNew()) << "a partial new file";
      if (now == earlier) ++failedSaves;
    } else {
      ASSERT_EQ(now, BusyNew()) << "old file deleted without a whole new one";
    }
    ASSERT_TRUE(LeftoverTempFiles().empty());
  };
  const std::vector<tvtest::FaultMode> once = {
      {"write fault", platform::SysError::kWriteFault, false},
      {"disk full", platform::SysError::kDiskFull, false}};
  tvtest::SweepStats stats = tvtest::SweepFaults(
      once, prepare, [&] { Convert(1); }, check);
  EXPECT_GT(stats.points, 2 * GetParam().minOperations) << "every operation, under both codes";
  EXPECT_GT(failedSaves, 2 * 3) << "the sweep reached the writing of the new file";
}

INSTANTIATE_TEST_SUITE_P(EveryStore, StoreTest,
                         ::testing::Values(kFastReplies, kAutoAnswers, kContactList), StoreName);

// ---------------------------------------------------------------------------------------------
// The canned-reply stores

class TextMessagesTest : public StoreTest {};

TEST_P(TextMessagesTest, MissingArrayGivesTheTwelveByteList) {
  Convert(0);
  EXPECT_TRUE(tvtest::PathExists(OldPath())) << "created empty by the reading";
  EXPECT_EQ(tvtest::ReadWholeFile(OldPath()), "");
  EXPECT_EQ(tvtest::ReadWholeFile(NewPath()), std::string(12, '\0'));
  EXPECT_FALSE(tvtest::PathExists(log.FilePath()));

  tvtest::RemoveTree(OldPath());
  tvtest::RemoveTree(NewPath());
  Convert(1);
  EXPECT_FALSE(tvtest::PathExists(OldPath()));
  EXPECT_EQ(tvtest::ReadWholeFile(NewPath()), std::string(12, '\0'));
  EXPECT_THAT(LogText(), HasSubstr(" @  Info: Old array file: " + OldPath() + " , Deleted\r\n"));
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_P(TextMessagesTest, AnOldFileWithoutTextsNeverEmptiesAListThatHoldsTexts) {
  TvTextMessagesImage noTexts;
  noTexts.headerValue = 9;
  const std::string damagedList = "xyz";  // cannot be read: it may hold texts, so it stays
  for (const std::string& oldBytes : {std::string(), EncodeTextMessages(noTexts)}) {
    for (const std::string& list : {BusyNewList(), damagedList}) {
      for (TvBool deleteOld : {0, 1}) {
        SCOPED_TRACE(std::to_string(oldBytes.size()) + " old bytes, " +
                     std::to_string(list.size()) + " list bytes, deleteOld " +
                     std::to_string(deleteOld));
        tvtest::WriteWholeFile(OldPath(), oldBytes);
        tvtest::WriteWholeFile(NewPath(), list);
        Convert(deleteOld);
        EXPECT_EQ(tvtest::ReadWholeFile(NewPath()), list);
        EXPECT_EQ(tvtest::PathExists(OldPath()), !deleteOld)
            << "the empty old file goes with deleteOld";
        EXPECT_TRUE(ui.boxes.empty());
        EXPECT_EQ(log.m_dwordErrorCount, 0u) << "nothing was lost";
      }
    }
  }
  // An empty list is still replaced by the old file's (empty) list and its header value.
  tvtest::WriteWholeFile(OldPath(), EncodeTextMessages(noTexts));
  tvtest::WriteWholeFile(NewPath(), std::string(12, '\0'));
  Convert(0);
  EXPECT_EQ(tvtest::ReadWholeFile(NewPath()), U32(0) + U32(9) + U32(0));
  EXPECT_THAT(LogText(), HasSubstr("Info: Old array file: " + OldPath() + " , holds no texts, " +
                                   GetParam().newName + " kept\r\n"));
}

INSTANTIATE_TEST_SUITE_P(BothStores, TextMessagesTest,
                         ::testing::Values(kFastReplies, kAutoAnswers), StoreName);

// ---------------------------------------------------------------------------------------------

using CannedStoresTest = contacts_support::DataFolderTest;

TEST_F(CannedStoresTest, EachStoreConvertsOnlyItsOwnFiles) {
  TvTextMessagesImage fast;
  fast.headerValue = 1;
  fast.items = {CannedText("fast", "f")};
  TvTextMessagesImage answers;
  answers.headerValue = 2;
  answers.items = {CannedText("auto", "a"), CannedText("auto2", "b")};
  contacts_support::WriteOldTextMessages(scratch.Path(), "FastReplys.Array", fast);
  contacts_support::WriteOldTextMessages(scratch.Path(), "AutoAnswers.Array", answers);

  ConvertStore<TvFastReplysService>(log, paths, 1);
  EXPECT_FALSE(tvtest::PathExists(scratch.File("FastReplys.Array")));
  EXPECT_TRUE(tvtest::PathExists(scratch.File("AutoAnswers.Array")));
  EXPECT_FALSE(tvtest::PathExists(scratch.File("AutoAnswers.List")));
  ConvertStore<TvAutoAnswersService>(log, paths, 1);
  TvTextMessagesImage parsed;
  std::string error;
  ASSERT_TRUE(contacts_support::ParseTextMessages(
      tvtest::ReadWholeFile(scratch.File("AutoAnswers.List")), &parsed, &error))
      << error;
  EXPECT_EQ(parsed.headerValue, 2u);
  ASSERT_EQ(parsed.items.size(), 2u);
  EXPECT_EQ(parsed.items[1].name, "auto2");
  ASSERT_TRUE(contacts_support::ParseTextMessages(
      tvtest::ReadWholeFile(scratch.File("FastReplys.List")), &parsed, &error))
      << error;
  EXPECT_EQ(parsed.headerValue, 1u);
}

TEST_F(CannedStoresTest, ReaderNamesWhereAndWhyTheReadingStopped) {
  using P = TextListProblem;
  const std::string full = EncodeTextMessages(BusyOldList());
  const uint64_t first = contacts_support::RecordAt(full, 5, 0x11111111, "Busy");
  const uint64_t second = contacts_support::RecordAt(full, 0xFFFFFFFF, 0, "");
  const uint64_t third = contacts_support::RecordAt(full, 0, 3, "Lunch");
  TvTextMessagesImage more = BusyOldList();
  more.count = 5;
  const std::string counted = EncodeTextMessages(more);
  struct Case {
    const char* what;
    std::string bytes;
    P kind;
    uint64_t offset;
    uint32_t items;  // read before the problem
  };
  const Case cases[] = {
      {"sound", full, P::kNone, 0, 3},
      {"empty", "", P::kNone, 0, 0},
      {"header", full.substr(0, 7), P::kHeaderCut, 0, 0},
      {"first item", full.substr(0, first + 5), P::kItemCut, first, 0},
      {"second item", full.substr(0, second + 9), P::kItemCut, second, 1},
      {"last trailing value", full.substr(0, full.size() - 1), P::kItemCut, third, 2},
      {"count beyond the items", counted, P::kItemCut, counted.size(), 3},
  };
  // The list the stores must write, spelled out by hand, is one the independent reader takes.
  TvTextMessagesImage parsed;
  std::string error;
  EXPECT_TRUE(contacts_support::ParseTextMessages(BusyNewList(), &parsed, &error)) << error;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TvTextListFile file;
    BufferSource source(c.bytes);
    const TextListReadProblem problem = ReadTextList(source, file);
    EXPECT_EQ(problem.kind, c.kind) << ProblemKey(problem.kind);
    EXPECT_EQ(problem.offset, c.offset);
    EXPECT_EQ(file.length, c.bytes.size());
    ASSERT_EQ(file.image.items.size(), c.items);
    const uint64_t offsets[] = {first, second, third};
    for (uint32_t i = 0; i < c.items; ++i) EXPECT_EQ(file.image.items[i].offset, offsets[i]);
    if (c.kind == P::kNone && c.items != 0) {
      EXPECT_EQ(file.end, c.bytes.size());
      EXPECT_EQ(file.image.headerWord, 0xAABBCCDDu);
      EXPECT_EQ(file.image.items[0].type, 5u);
      EXPECT_EQ(file.image.items[0].trailing, 0x22222222u);
    }
  }
}

TEST_F(CannedStoresTest, LoadFileReadsAListBackAndNeverCreatesOne) {
  TvFastReplysService missing(log, paths);
  EXPECT_FALSE(missing.LoadFile(scratch.File("FastReplys.List")));
  EXPECT_FALSE(tvtest::PathExists(scratch.File("FastReplys.List")));
  EXPECT_EQ(ui.boxes.size(), 1u);

  contacts_support::WriteOldTextMessages(scratch.Path(), "FastReplys.Array", BusyOldList());
  ConvertStore<TvFastReplysService>(log, paths, 0);
  TvFastReplysService store(log, paths);
  ASSERT_TRUE(store.LoadFile(scratch.File("FastReplys.List")));
  EXPECT_EQ(store.m_dwordHeaderValue, 0x01020304u);
  ASSERT_EQ(store.GetSize(), 3u);
  EXPECT_EQ(store[2]->m_csText, "Out for lunch\r\nback at 2");
  EXPECT_EQ(store[2]->m_dwordStatus, 0x80000000u);
  EXPECT_EQ(store[0]->GetImage(), 3u);
  EXPECT_EQ(store.m_intSecondValue, -1);
}

// A fast replies store whose menu answers from a script (the real menu when there is none) and
// whose hooks record their calls.
class ScriptedFastReplies : public TvFastReplysService {
 public:
  using TvFastReplysService::TvFastReplysService;

  std::optional<uint32_t> answer;
  std::vector<platform::PopupMenuItem> shown;
  int32_t shownX = 0;
  int32_t shownY = 0;
  std::vector<std::pair<void*, int32_t>> chosen;
  int firstCommands = 0;

 protected:
  uint32_t TrackMenu(const std::vector<platform::PopupMenuItem>& items, int32_t x, int32_t y,
                     platform::WindowHandle owner) override {
    if (!answer) return TvFastReplysService::TrackMenu(items, x, y, owner);
    shown = items;
    shownX = x;
    shownY = y;
    return *answer;
  }
  void OnReplyChosen(void* target, int32_t index) override { chosen.emplace_back(target, index); }
  void OnFirstCommand() override { ++firstCommands; }
};

TEST_F(CannedStoresTest, ShowMenuOffersEveryReplyAndHandsOnTheChoice) {
  TvTextMessagesImage image;
  image.items = {CannedText("one", ""), CannedText("two", ""), CannedText("three", "")};
  contacts_support::WriteOldTextMessages(scratch.Path(), "FastReplys.Array", image);
  ScriptedFastReplies store(log, paths);
  ASSERT_TRUE(store.LoadOld("FastReplys.Array"));
  int target = 0;
  platform::ScreenRect rect{10, 20, 110, 40};

  store.answer = 4;
  EXPECT_EQ(store.ShowMenu(&target, rect, nullptr), 0);
  ASSERT_EQ(store.shown.size(), 5u);
  std::vector<uint32_t> ids;
  for (const auto& item : store.shown) ids.push_back(item.id);
  EXPECT_EQ(ids, (std::vector<uint32_t>{1, 2, 3, 4, 5}));
  EXPECT_EQ(store.shown[0].text, "");
  EXPECT_FALSE(store.shown[0].separator);
  EXPECT_TRUE(store.shown[1].separator);
  EXPECT_EQ(store.shown[4].text, "three");
  EXPECT_EQ(store.shownX, 10) << "left edge";
  EXPECT_EQ(store.shownY, 40) << "bottom edge";
  ASSERT_EQ(store.chosen.size(), 1u);
  EXPECT_EQ(store.chosen[0].first, &target);
  EXPECT_EQ(store.chosen[0].second, 1);

  store.chosen.clear();
  store.answer = 0;  // dismissed
  store.ShowMenu(&target, rect, nullptr);
  EXPECT_TRUE(store.chosen.empty());
  EXPECT_EQ(store.firstCommands, 0);

  store.answer = 1;
  store.ShowMenu(&target, rect, nullptr);
  EXPECT_TRUE(store.chosen.empty());
  EXPECT_EQ(store.firstCommands, 1);

  EXPECT_EQ(TvFastReplysService::ReplyIndexOf(2), -1);
  EXPECT_EQ(TvFastReplysService::ReplyIndexOf(3), 0);
}

TEST_F(CannedStoresTest, ShowMenuWithoutAnOwnerWindowChoosesNothing) {
  // The real menu: without an owner window (and on a system without menus) nothing is chosen.
  ScriptedFastReplies store(log, paths);
  store.Add(new TvTextMessageItem);
  EXPECT_EQ(store.ShowMenu(nullptr, platform::ScreenRect{}, nullptr), 0);
  EXPECT_TRUE(store.chosen.empty());
  EXPECT_EQ(store.firstCommands, 0);
}

}  // namespace
