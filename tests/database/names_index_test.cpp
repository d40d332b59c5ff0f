// The names index: records carried over byte for byte, rewritten in place without shortening.
#include <gtest/gtest.h>

#include "database/database_fixture.h"

namespace tvtest {
namespace {

using NamesIndexTest = DatabaseTest;

TEST_F(NamesIndexTest, RecordsPassThroughAndTheHeaderWordBecomesZero) {
  std::string records = NamesIndexRecord(1) + NamesIndexRecord(2);
  data.RawFile("Names.Index", ListHeader(7, 2) + records);
  TvDatabaseNamesIndex& index = db.NamesIndex();
  ASSERT_TRUE(index.Load());
  EXPECT_EQ(index.m_records.GetSize(), 2u);
  ASSERT_TRUE(index.Save());
  EXPECT_EQ(Bytes("Names.Index"), ListHeader(0, 2) + records);
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(NamesIndexTest, MissingRecordKeepsTheCompleteOnesAndReportsOnce) {
  std::string records = NamesIndexRecord(1) + NamesIndexRecord(2);
  data.RawFile("Names.Index", ListHeader(7, 3) + records);
  TvDatabaseNamesIndex& index = db.NamesIndex();
  EXPECT_FALSE(index.Load());
  EXPECT_EQ(index.m_records.GetSize(), 2u);
  EXPECT_EQ(ui.boxes.size(), 1u);
  ASSERT_TRUE(index.Save());
  EXPECT_EQ(Bytes("Names.Index"), ListHeader(0, 2) + records);
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

TEST_F(NamesIndexTest, ShortFileFailsToLoadAndGetsAHeaderWrittenOverIt) {
  data.RawFile("Names.Index", "abc");
  TvDatabaseNamesIndex& index = db.NamesIndex();
  EXPECT_FALSE(index.Load());
  EXPECT_EQ(ui.boxes.size(), 1u);
  ASSERT_TRUE(index.Save());
  EXPECT_EQ(Bytes("Names.Index"), ListHeader(0, 0));
}

// The one reader of the format, over bytes in memory and, through Load, over the file: both stop
// at the same place and keep the same records, and Load shows a box exactly when it read past the
// end.
TEST_F(NamesIndexTest, DamagedFilesReadTheSameInMemoryAndThroughLoad) {
  using folders::ProblemKind;
  const std::vector<std::string> two = {NamesIndexRecord(1), NamesIndexRecord(2)};
  const std::string sound = folders::EncodeNamesIndex(two, 7);
  const uint64_t second = 8 + folders::kNamesIndexRecordSize;
  struct Case {
    const char* what;
    std::string bytes;
    ProblemKind kind;
    uint64_t offset;
    size_t records;
  };
  const Case cases[] = {
      {"sound", sound, ProblemKind::kNone, 0, 2},
      {"empty", "", ProblemKind::kNone, 0, 0},
      {"bytes after the last record", sound + "xyz", ProblemKind::kNone, 0, 2},
      {"three bytes", sound.substr(0, 3), ProblemKind::kHeaderCut, 0, 0},
      {"count promises a third record", folders::EncodeNamesIndex(two, 7, 3),
       ProblemKind::kRecordCut, sound.size(), 2},
      {"second record cut", sound.substr(0, second + 20), ProblemKind::kRecordCut, second, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    BufferSource source(c.bytes);
    folders::NamesIndexFile read;
    const folders::Problem problem = folders::ReadNamesIndex(source, read);
    EXPECT_EQ(problem.kind, c.kind) << folders::ProblemKey(problem.kind);
    if (c.kind != ProblemKind::kNone) {
      EXPECT_EQ(problem.offset, c.offset);
      EXPECT_FALSE(problem.text.empty());
    }
    ASSERT_EQ(read.records.size(), c.records);

    data.RawFile("Names.Index", c.bytes);
    ui.boxes.clear();
    TvDatabaseNamesIndex& index = db.NamesIndex();
    EXPECT_EQ(index.Load() != 0, c.kind == ProblemKind::kNone);
    EXPECT_EQ(ui.boxes.size(), c.kind == ProblemKind::kNone ? 0u : 1u);
    ASSERT_EQ(index.m_records.GetSize(), c.records);
    for (size_t i = 0; i < c.records; ++i) {
      EXPECT_EQ(read.records[i], two[i]);
      EXPECT_EQ(std::string(reinterpret_cast<const char*>(index.m_records[i]->bytes), 38), two[i]);
    }
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
