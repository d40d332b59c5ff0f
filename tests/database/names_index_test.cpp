// The names index: records carried over byte for byte, rewritten in place without shortening.
#include <gtest/gtest.h>

#include "database/database_fixture.h"

namespace tvtest {
namespace {

using NamesIndexTest = DatabaseTest;

std::string Header(uint32_t word, uint32_t count) {
  std::string out;
  for (uint32_t v : {word, count}) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
  }
  return out;
}

TEST_F(NamesIndexTest, RecordsPassThroughAndTheHeaderWordBecomesZero) {
  std::string records = NamesIndexRecord(1) + NamesIndexRecord(2);
  data.RawFile("Names.Index", Header(7, 2) + records);
  TvDatabaseNamesIndex& index = db.NamesIndex();
  ASSERT_TRUE(index.Load());
  EXPECT_EQ(index.m_records.GetSize(), 2u);
  ASSERT_TRUE(index.Save());
  EXPECT_EQ(Bytes("Names.Index"), Header(0, 2) + records);
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(NamesIndexTest, MissingRecordKeepsTheCompleteOnesAndReportsOnce) {
  std::string records = NamesIndexRecord(1) + NamesIndexRecord(2);
  data.RawFile("Names.Index", Header(7, 3) + records);
  TvDatabaseNamesIndex& index = db.NamesIndex();
  EXPECT_FALSE(index.Load());
  EXPECT_EQ(index.m_records.GetSize(), 2u);
  EXPECT_EQ(ui.boxes.size(), 1u);
  ASSERT_TRUE(index.Save());
  EXPECT_EQ(Bytes("Names.Index"), Header(0, 2) + records);
}

TEST_F(NamesIndexTest, SaveNeverShortensTheFile) {
  std::string records = NamesIndexRecord(1) + NamesIndexRecord(2) + NamesIndexRecord(3);
  data.RawFile("Names.Index", Header(0, 3) + records);
  TvDatabaseNamesIndex& index = db.NamesIndex();
  ASSERT_TRUE(index.Load());
  index.m_records.DeleteAt(1);
  ASSERT_TRUE(index.Save());
  EXPECT_EQ(Bytes("Names.Index"),
            Header(0, 2) + NamesIndexRecord(1) + NamesIndexRecord(3) + NamesIndexRecord(3));
}

TEST_F(NamesIndexTest, ShortFileFailsToLoadAndGetsAHeaderWrittenOverIt) {
  data.RawFile("Names.Index", "abc");
  TvDatabaseNamesIndex& index = db.NamesIndex();
  EXPECT_FALSE(index.Load());
  EXPECT_EQ(ui.boxes.size(), 1u);
  ASSERT_TRUE(index.Save());
  EXPECT_EQ(Bytes("Names.Index"), Header(0, 0));
}

TEST_F(NamesIndexTest, EmptyIndexIsRewrittenOnlyWhenTheFoldersFileLoads) {
  data.RawFile("Names.Index", "");
  db.CreateStandardFolders();
  db.ConvertDatabase(0);
  EXPECT_EQ(Bytes("Names.Index"), "") << "no folders file: nothing is written";

  data.Folders({});
  TvDatabase second(log, paths);
  second.SetStagingFolder(scratch.Path() + "staging");
  second.CreateStandardFolders();
  second.ConvertDatabase(0);
  EXPECT_EQ(Bytes("Names.Index"), Header(0, 0));
}

}  // namespace
}  // namespace tvtest
