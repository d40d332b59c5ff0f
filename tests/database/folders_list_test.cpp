// The folder list: the standard folders, the folders file and its dropping rules, the folder
// look-ups, and names that must not become paths. The names index: records carried over byte for
// byte, rewritten in place without shortening.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "database/database_fixture.h"
#include "foundation/replacing_file.h"
#include "messages/allocation_probe.h"
#include "platform/file_system.h"
#include "platform/system_error.h"
#include "platform/text.h"
#include "support/fault_sweep.h"
#include "support/new_format_reader.h"

namespace tvtest {
namespace {

using FoldersListTest = DatabaseTest;
using NamesIndexTest = DatabaseTest;
using K = folders::ProblemKind;

// A damaged folders file or names index: the problem the reader names and the records it keeps.
struct DamagedList {
  const char* what;
  std::string bytes;
  K kind;
  uint64_t offset;
  size_t records;
};

void ExpectProblem(const folders::Problem& problem, const DamagedList& c) {
  EXPECT_EQ(problem.kind, c.kind) << folders::ProblemKey(problem.kind);
  if (c.kind == K::kNone) return;
  EXPECT_EQ(problem.offset, c.offset);
  EXPECT_FALSE(problem.text.empty());
}

TEST_F(FoldersListTest, StandardFoldersAndOneUserFolderGiveSevenRecordsByteForByte) {
  data.Folders({Folder("Inbox", 0, 5), Folder("Outbox", 1, 5), Folder("Sent items", 2, 5),
                Folder("Deleted", 3, 5), Folder("Drafts", 4, 5), Folder("Temp", 5, 7),
                Folder("Projects", 7, 0x21)});
  ASSERT_TRUE(db.CreateStandardFolders());
  ASSERT_TRUE(db.ApplyFoldersPlan(db.PlanFoldersList(), 0));
  std::string expected = ListHeader(0, 7) + FolderRecordBytes("Inbox", 5, 0) +
                         FolderRecordBytes("Outbox", 5, 1) + FolderRecordBytes("Sent items", 5, 2) +
                         FolderRecordBytes("Deleted", 5, 3) + FolderRecordBytes("Drafts", 5, 4) +
                         FolderRecordBytes("Temp", 7, 5) + FolderRecordBytes("Projects", 0x21, 7);
  EXPECT_EQ(Bytes("Folders.List"), expected);
  EXPECT_FALSE(PathExists(DataFile("Folders.List") + TvReplacingFile::kTempSuffix));
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(FoldersListTest, LoadedFolderKeepsNameTextAndStatusButNotTypeAndData) {
  folders::FolderRecord r = Folder("Work", 9, 3, "second text", 42);
  r.type = 2;
  r.data = 77;
  data.Folders({r});
  db.CreateStandardFolders();
  ASSERT_TRUE(db.PlanFoldersList().oldFileReads);
  ASSERT_EQ(db.Folders().GetSize(), 7u);
  TvFolder* f = db.Folders()[6];
  EXPECT_EQ(f->m_csName, "Work");
  EXPECT_EQ(f->m_csText, "second text");
  EXPECT_EQ(f->m_dwordStatus, 42u);
  EXPECT_EQ(f->m_flags, 3u);
  EXPECT_EQ(f->m_id, 9);
  EXPECT_EQ(f->GetType(), 0u);
  EXPECT_EQ(f->GetData(), 0u);
  EXPECT_EQ(f->GetImage(), 5u);
  EXPECT_EQ(db.Folders()[2]->GetImage(), 2u);
}

TEST_F(FoldersListTest, StandardNamesTakenIdsAndDuplicatesAreDropped) {
  data.Folders({Folder("SENT", 20, 1), Folder("sent ITEMS", 21, 1), Folder("Mine", 3, 1),
                Folder("Keep", 30, 1), Folder("keep", 31, 1), Folder("Other", 30, 1),
                Folder("temp", 40, 1), Folder("Last", 41, 1)});
  db.CreateStandardFolders();
  ASSERT_TRUE(db.PlanFoldersList().oldFileReads);
  ASSERT_EQ(db.Folders().GetSize(), 8u);
  EXPECT_EQ(db.Folders()[6]->m_csName, "Keep");
  EXPECT_EQ(db.Folders()[7]->m_csName, "Last");
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(FoldersListTest, HugeCountIsReportedAsTheEndOfTheFileNotAsAMissingFile) {
  data.Folders({Folder("One", 10)}, 0, 0x7FFFFFFF);
  db.CreateStandardFolders();
  // Whatever an earlier call left behind must not become the reason shown.
  platform::SetLastError(platform::ErrorCode(platform::SysError::kFileNotFound));
  EXPECT_FALSE(db.PlanFoldersList().oldFileReads);
  ASSERT_EQ(ui.boxes.size(), 1u);
  const std::string endOfFile =
      platform::ErrorText(platform::ErrorCode(platform::SysError::kHandleEof));
  const std::string notFound =
      platform::ErrorText(platform::ErrorCode(platform::SysError::kFileNotFound));
  EXPECT_NE(ui.boxes[0].text.find("Database.Folders' has failed, because: " + endOfFile),
            std::string::npos)
      << ui.boxes[0].text;
  EXPECT_EQ(ui.boxes[0].text.find(notFound), std::string::npos) << ui.boxes[0].text;
  EXPECT_EQ(platform::LastError(), platform::ErrorCode(platform::SysError::kHandleEof))
      << "the reason stays for the caller";
}

// The one reader of the format, over bytes in memory and, through the database, over the file:
// both stop at the same place, keep the same records, allocate nothing the size a damaged length
// claims, and the database shows a box exactly when it read past the end.
TEST_F(FoldersListTest, DamagedFilesReadTheSameInMemoryAndThroughTheDatabase) {
  const std::vector<folders::FolderRecord> two = {Folder("One", 10), Folder("Two", 11)};
  const std::string sound = folders::EncodeFoldersFile(two);
  const uint64_t second = 8 + folders::FolderRecordSize(two[0]);
  std::string hugeName = sound;
  hugeName[second + 12 + 3] = '\x7F';  // the second name's length is beyond the file
  const DamagedList cases[] = {
      {"sound", sound, K::kNone, 0, 2},
      {"empty", "", K::kHeaderCut, 0, 0},
      {"seven bytes", sound.substr(0, 7), K::kHeaderCut, 0, 0},
      {"no records", folders::EncodeFoldersFile({}, 9), K::kNone, 0, 0},
      {"count promises a third record", folders::EncodeFoldersFile(two, 0, 3), K::kRecordCut,
       sound.size(), 2},
      {"second record cut in its name", sound.substr(0, second + 18), K::kRecordCut, second, 1},
      {"second record without its id", sound.substr(0, sound.size() - 1), K::kRecordCut, second, 1},
      {"second name longer than the file", hugeName, K::kRecordCut, second, 1},
      {"a byte after the last record", sound + "x", K::kBytesAfterEnd, sound.size(), 2},
  };
  for (const DamagedList& c : cases) {
    SCOPED_TRACE(c.what);
    ResetLargestAllocation();
    BufferSource source(c.bytes);
    folders::FoldersFile read;
    ExpectProblem(folders::ReadFoldersFile(source, read), c);
    ASSERT_EQ(read.records.size(), c.records);
    for (size_t i = 0; i < c.records; ++i) EXPECT_EQ(read.records[i].name, two[i].name);

    data.RawFile("Database.Folders", c.bytes);
    ui.boxes.clear();
    TvDatabase database(log, paths);
    database.CreateStandardFolders();
    const bool whole = c.kind == K::kNone || c.kind == K::kBytesAfterEnd;
    EXPECT_EQ(database.PlanFoldersList().oldFileReads, whole);
    EXPECT_EQ(database.Folders().GetSize(), 6 + c.records);
    EXPECT_EQ(ui.boxes.size(), c.kind == K::kRecordCut ? 1u : 0u);
    EXPECT_LT(LargestAllocation(), 1u << 20);
  }
}

// The plan of each state a data folder's list files can be in: its verdict, whether the names
// index is rewritten, and that making it created, changed and deleted nothing.
TEST_F(FoldersListTest, ThePlanDecidesEveryListStateAndChangesNothing) {
  const std::string sound = folders::EncodeFoldersFile({Folder("Work", 9)});
  const std::string other = folders::EncodeFoldersFile({Folder("Added in 3.1", 40)});
  using V = TvListVerdict;
  struct Case {
    const char* what;
    bool hasOld;  // "Database.Folders" is there, holding oldFile
    std::string oldFile;
    const char* newFile;  // null: no "Folders.List"
    V verdict;
    bool createsOld;
    bool rewritesIndex;
    bool errorLine;  // the kept list's Error line is planned
  };
  const Case cases[] = {
      {"no list files", false, "", nullptr, V::kNothingToConvert, true, false, false},
      {"an empty old file", true, "", nullptr, V::kNothingToConvert, false, false, false},
      {"an old file shorter than its header", true, sound.substr(0, 7), nullptr, V::kNotConverted,
       false, false, false},
      {"an old file cut in its record", true, sound.substr(0, sound.size() - 1), nullptr,
       V::kNotConverted, false, false, false},
      {"a sound old file", true, sound, nullptr, V::kConverts, false, true, false},
      {"a new list that is no list", true, sound, "x", V::kConverts, false, true, false},
      {"a new list changed in 3.1", true, sound, "other", V::kNotConverted, false, true, true},
      {"only the new list", false, "", "other", V::kAlreadyConverted, false, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RemoveTree(DataFile("Database.Folders"));
    RemoveTree(DataFile("Folders.List"));
    if (c.hasOld) data.RawFile("Database.Folders", c.oldFile);
    if (c.newFile != nullptr) {
      data.RawFile("Folders.List", std::string(c.newFile) == "other" ? other : c.newFile);
    }
    const std::vector<std::string> before = FilesIn(data.Path());
    const std::string listBefore = c.newFile != nullptr ? Bytes("Folders.List") : "";
    TvDatabase database(log, paths);
    database.CreateStandardFolders();
    const TvFoldersPlan plan = database.PlanFoldersList();
    EXPECT_EQ(plan.list.verdict, c.verdict) << VerdictKey(plan.list.verdict);
    EXPECT_EQ(plan.list.createsOldFile, c.createsOld);
    EXPECT_EQ(plan.namesIndex.rewrites, c.rewritesIndex);
    EXPECT_EQ(plan.list.Failure(), c.errorLine);
    EXPECT_EQ(plan.list.newBytes.empty(), c.verdict != V::kConverts && !c.errorLine);
    EXPECT_EQ(FilesIn(data.Path()), before);
    if (c.newFile != nullptr) {
      EXPECT_EQ(Bytes("Folders.List"), listBefore);
    }
  }
}

TEST_F(FoldersListTest, FoldersListThatCannotBeWrittenKeepsAnEarlierOne) {
  data.Folders({Folder("Work", 9)});
  data.RawFile("Folders.List", "earlier list");
  db.CreateStandardFolders();
  const TvFoldersPlan plan = db.PlanFoldersList();
  ASSERT_EQ(plan.list.verdict, TvListVerdict::kConverts);
  // The list's one write, after the names index's two, fails.
  {
    tvtest::ScopedFault fault(platform::FileOp::kWrite, platform::SysError::kDiskFull, 3);
    EXPECT_FALSE(db.ApplyFoldersPlan(plan, 0));
  }
  EXPECT_EQ(Bytes("Folders.List"), "earlier list");
  EXPECT_FALSE(PathExists(DataFile("Folders.List") + TvReplacingFile::kTempSuffix));
  EXPECT_EQ(ui.boxes.size(), 1u);
}

TEST_F(FoldersListTest, NamesIdsDirectoriesAndFilePathsMapToFolders) {
  db.CreateStandardFolders();
  data.Folders({Folder("Work", 12)});
  db.PlanFoldersList();
  EXPECT_EQ(db.FolderIdByName("Sent items"), 2);
  EXPECT_EQ(db.FolderIdByName("sent"), 2);
  EXPECT_EQ(db.FolderIdByName("WORK"), 12);
  EXPECT_EQ(db.FolderIdByName("Nowhere"), FOLDER_NONE);
  EXPECT_EQ(db.FindFolder(12)->m_csName, "Work");
  EXPECT_EQ(db.FindFolder(FOLDER_CURRENT), nullptr);
  EXPECT_EQ(db.FindFolder(13), nullptr);

  const char sep = platform::kPathSeparator;
  std::string dir;
  db.FolderDirectory(dir, 2);
  EXPECT_EQ(dir, Dir("Sent"));
  EXPECT_FALSE(std::filesystem::exists(Dir("Sent"))) << "a look-up makes no directory";
  db.FolderDirectory(dir, 99);
  EXPECT_EQ(dir, data.Path());

  EXPECT_EQ(db.FolderIdByFilePath(Dir("Inbox") + "x.Message"), 0);
  EXPECT_EQ(db.FolderIdByFilePath(Dir("work") + "x.Message"), 12) << "case-insensitive";
  EXPECT_EQ(db.FolderIdByFilePath(DataFile("x.Message")), FOLDER_NONE);
  EXPECT_EQ(db.FolderIdByFilePath(Dir("Work") + "deeper" + sep + "x.Message"), 12);
  EXPECT_EQ(db.FolderIdByFilePath(Dir("Unknown") + "x.Message"), FOLDER_NONE);
  EXPECT_EQ(db.FolderIdByFilePath(data.Path()), FOLDER_NONE);

  std::string path;
  db.MessageFilePath(path, 1, 0);
  EXPECT_EQ(path, Dir("Inbox") + "0000000000000001.Message");
  db.MessageFilePath(path, ~uint64_t{0}, 12);
  EXPECT_EQ(path, Dir("Work") + "FFFFFFFFFFFFFFFF.Message");
}

TEST_F(FoldersListTest, NamesThatAreNoPlainDirectoryNamesNeverBecomePaths) {
  const char sep = platform::kPathSeparator;
  std::string outside = scratch.Path() + "outside";
  data.Folders({Folder(std::string("..") + sep + "outside", 20), Folder("..", 21), Folder("", 22),
                Folder("C:", 23), Folder("a*b", 24), Folder("Fine", 25)});
  db.CreateStandardFolders();
  ASSERT_TRUE(db.PlanFoldersList().oldFileReads);
  ASSERT_EQ(db.Folders().GetSize(), 12u) << "every record is kept";
  for (int32_t id = 20; id <= 24; ++id) {
    std::string dir = "unchanged";
    db.FolderDirectory(dir, id);
    EXPECT_EQ(dir, "") << id;
    db.MessageFilePath(dir, 5, id);
    EXPECT_EQ(dir, "") << id;
  }
  EXPECT_EQ(db.FolderIdByFilePath(data.Path() + ".." + sep + "outside" + sep + "x.Message"),
            FOLDER_NONE);
  EXPECT_FALSE(PathExists(outside));
  std::string fine;
  db.FolderDirectory(fine, 25);
  EXPECT_EQ(fine, Dir("Fine"));
}

TEST_F(FoldersListTest, DoubleByteFolderNameWhoseTrailByteIsTheSeparatorByteIsAFolder) {
  platform::ScopedNameCodePage codePage(932);
  const std::string name = "\x95\x5C\x8E\xA6";  // two characters, the first ending in 0x5C
  data.Folders({Folder(name, 12)});
  db.CreateStandardFolders();
  ASSERT_TRUE(db.PlanFoldersList().oldFileReads);
  std::string dir;
  db.FolderDirectory(dir, 12);
  EXPECT_EQ(dir, Dir(name));
  EXPECT_EQ(db.FolderIdByFilePath(Dir(name) + "x.Message"), 12);
  EXPECT_EQ(db.FolderIdByDirectory(Dir(name)), 12);
}

TEST_F(FoldersListTest, NoFoldersMessagesAreStrandedWithoutALine) {
  const char sep = platform::kPathSeparator;
  const std::string oldName = std::string(32, 'A') + ".Message";
  // Projects is dropped (its id is Archive's) and its directory still holds a message; "Sent
  // items" is the standard folder's old entry, whose empty directory strands nothing; Current
  // has the reserved id; Blocked names a file, not a directory that can be listed. "archive" is
  // dropped (Archive has its name): on Windows its directory is Archive's and its message is
  // converted there; on POSIX it is a directory of its own, which strands its message.
  data.Folders({Folder("Archive", 12), Folder("Projects", 12), Folder("Sent items", 2),
                Folder("Current", FOLDER_CURRENT), Folder("Blocked", 14), Folder("archive", 15)});
  data.RawFile(std::string("Projects") + sep + oldName, "an old message");
  OldMessage twin;
  twin.body = "in the case twin's directory";
  twin.recipients = {{"someone", 1, 0, 0}};
  const std::string twinOld = data.Message("archive", twin);
  data.RawFile(std::string("Sent items") + sep + "notes.txt", "no message");
  data.RawFile("Blocked", "a file where a folder directory should be");
  Convert(1);

  const std::vector<std::string> entries = LogEntries();
  EXPECT_TRUE(
      Logged("Error: Folder: 'Projects' , NOT converted, dropped from the folders list "
             "(its id is taken by a folder listed before it); 1 old message file(s) "
             "left in " +
             Dir("Projects")));
  EXPECT_TRUE(
      Logged("Error: Folder: 'Current' , NOT converted, its id 65520 is reserved for the "
             "current folder"));
  const std::string blocked = "Error: Folder: 'Blocked' , NOT converted, its directory " +
                              Dir("Blocked") + " cannot be read: ";
  EXPECT_TRUE(std::any_of(entries.begin(), entries.end(), [&](const std::string& line) {
    return line.size() > blocked.size() && line.compare(0, blocked.size(), blocked) == 0;
  })) << ::testing::PrintToString(entries);
  EXPECT_TRUE(Logged("Info: Old folders file: " + DataFile("Database.Folders") +
                     " , kept, it lists folders whose messages are not converted"));
#ifdef _WIN32
  EXPECT_TRUE(Logged("Info: Message: " + Dir("Archive") + twin.FileName() + " , Converted"));
  const uint32_t stranded = 0;
#else
  EXPECT_TRUE(
      Logged("Error: Folder: 'archive' , NOT converted, dropped from the folders list "
             "(its name is taken by a folder listed before it); 1 old message file(s) "
             "left in " +
             Dir("archive")));
  EXPECT_TRUE(PathExists(twinOld));
  const uint32_t stranded = 1;
#endif
  EXPECT_EQ(log.m_dwordErrorCount, 3u + stranded) << ::testing::PrintToString(entries);
  EXPECT_TRUE(PathExists(DataFile("Database.Folders")));
  EXPECT_TRUE(PathExists(DataFile("Folders.List")));
  EXPECT_EQ(Bytes(std::string("Projects") + sep + oldName), "an old message");
  ASSERT_EQ(db.DroppedFolders().size(), 3u);
  EXPECT_EQ(db.DroppedFolders()[1].reason, "the old entry of a standard folder");
}

// Windows itself ignores case and reports the name as asked; POSIX finds the entry's own name.
#ifdef _WIN32
constexpr const char* kFoundFoldersName = "Database.Folders";
#else
constexpr const char* kFoundFoldersName = "DATABASE.FOLDERS";
#endif

TEST_F(FoldersListTest, FixedNamesInAnotherLetterCaseAreFoundAndNewFilesKeepTheirNames) {
  const char sep = platform::kPathSeparator;
  const std::vector<std::string> records = {NamesIndexRecord(1), NamesIndexRecord(2)};
  data.RawFile("DATABASE.FOLDERS", folders::EncodeFoldersFile({Folder("Work", 9)}));
  data.RawFile("NAMES.INDEX", folders::EncodeNamesIndex(records, 7));
  data.RawFile(std::string("Inbox") + sep + "MESSAGES.INDEX", "old index");
  Convert(1);

  EXPECT_EQ(db.Folders().GetSize(), 7u);
  EXPECT_NE(Bytes("Folders.List").find("Work"), std::string::npos);
  EXPECT_FALSE(PathExists(DataFile("DATABASE.FOLDERS")));
  EXPECT_EQ(Bytes("NAMES.INDEX"), folders::EncodeNamesIndex(records)) << "rewritten in place";
  EXPECT_FALSE(PathExists(Dir("Inbox") + "MESSAGES.INDEX"));
  EXPECT_TRUE(Logged("Info: Old folders file: " + DataFile(kFoundFoldersName) + " , Deleted"))
      << ::testing::PrintToString(LogEntries());
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(log.m_dwordErrorCount, 0u);
}

TEST_F(NamesIndexTest, SaveNeverShortensTheFile) {
  std::string records = NamesIndexRecord(1) + NamesIndexRecord(2) + NamesIndexRecord(3);
  data.RawFile("Names.Index", ListHeader(0, 3) + records);
  TvDatabaseNamesIndex& index = db.NamesIndex();
  ASSERT_TRUE(index.Load());
  index.m_records.DeleteAt(1);
  ASSERT_TRUE(index.Save());
  EXPECT_EQ(Bytes("Names.Index"),
            ListHeader(0, 2) + NamesIndexRecord(1) + NamesIndexRecord(3) + NamesIndexRecord(3));
}

// The one reader of the format, over bytes in memory and, through Load, over the file: both stop
// at the same place and keep the same records, and Load shows a box exactly when it read past the
// end. Save then writes the records kept behind header word 0, over the file's first bytes.
TEST_F(NamesIndexTest, DamagedFilesReadTheSameInMemoryAndThroughLoad) {
  const std::vector<std::string> two = {NamesIndexRecord(1), NamesIndexRecord(2)};
  const std::string sound = folders::EncodeNamesIndex(two, 7);
  const uint64_t second = 8 + folders::kNamesIndexRecordSize;
  const DamagedList cases[] = {
      {"sound", sound, K::kNone, 0, 2},
      {"empty", "", K::kNone, 0, 0},
      {"bytes after the last record", sound + "xyz", K::kNone, 0, 2},
      {"three bytes", sound.substr(0, 3), K::kHeaderCut, 0, 0},
      {"count promises a third record", folders::EncodeNamesIndex(two, 7, 3), K::kRecordCut,
       sound.size(), 2},
      {"second record cut", sound.substr(0, second + 20), K::kRecordCut, second, 1},
  };
  for (const DamagedList& c : cases) {
    SCOPED_TRACE(c.what);
    BufferSource source(c.bytes);
    folders::NamesIndexFile read;
    ExpectProblem(folders::ReadNamesIndex(source, read), c);
    ASSERT_EQ(read.records.size(), c.records);

    data.RawFile("Names.Index", c.bytes);
    ui.boxes.clear();
    TvDatabaseNamesIndex& index = db.NamesIndex();
    EXPECT_EQ(index.Load() != 0, c.kind == K::kNone);
    EXPECT_EQ(ui.boxes.size(), c.kind == K::kNone ? 0u : 1u);
    ASSERT_EQ(index.m_records.GetSize(), c.records);
    for (size_t i = 0; i < c.records; ++i) {
      EXPECT_EQ(read.records[i], two[i]);
      EXPECT_EQ(std::string(reinterpret_cast<const char*>(index.m_records[i]->bytes), 38), two[i]);
    }
    std::string saved = ListHeader(0, static_cast<uint32_t>(c.records));
    for (size_t i = 0; i < c.records; ++i) saved += two[i];
    if (c.bytes.size() > saved.size()) saved += c.bytes.substr(saved.size());
    ASSERT_TRUE(index.Save());
    EXPECT_EQ(Bytes("Names.Index"), saved);
  }
}

TEST_F(NamesIndexTest, EmptyIndexIsRewrittenOnlyWhenTheFoldersFileLoads) {
  data.RawFile("Names.Index", "");
  Convert(0);
  EXPECT_EQ(Bytes("Names.Index"), "") << "no folders file: nothing is written";

  data.Folders({});
  ConvertInNewRun(0);
  EXPECT_EQ(Bytes("Names.Index"), ListHeader(0, 0));
}

}  // namespace
}  // namespace tvtest
