#include "foundation/utilities.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "foundation/data_paths.h"
#include "foundation/tv_file.h"
#include "platform/file_system.h"
#include "platform/system_error.h"
#include "platform/text.h"
#include "support/scratch_dir.h"
#include "support/test_helpers.h"

namespace {

using tvtest::Bytes;

const char kSep = platform::kPathSeparator;

std::string P(const std::string& text) {
  // Writes a path with '/' in the test and gives it the platform's separator.
  std::string out = text;
  std::replace(out.begin(), out.end(), '/', kSep);
  return out;
}

TEST(PathText, AppendBackslash) {
  // A separator is added once; a one-letter or empty text is left alone.
  for (const auto& [text, after] : {std::pair{"C:", "C:/"}, {"C:/", "C:/"}, {"C", "C"}, {"", ""}}) {
    std::string path = P(text);
    AppendBackslash(path);
    EXPECT_EQ(path, P(after)) << text;
  }
}

TEST(PathText, FileNameFromPath) {
  std::string name;
  EXPECT_FALSE(FileNameFromPath(name, "plain.txt"));
  EXPECT_EQ(name, "plain.txt");
  EXPECT_TRUE(FileNameFromPath(name, P("a/b/c.Message")));
  EXPECT_EQ(name, "c.Message");
  EXPECT_TRUE(FileNameFromPath(name, P("a/b/")));
  EXPECT_EQ(name, "");
  EXPECT_FALSE(FileNameFromPath(name, ""));
  EXPECT_EQ(name, "");
}

// Names under a double-byte code page: in code page 932 the character 0x95 0x5C has the
// separator's byte as its second byte, and 0x82 0x61 / 0x82 0x41 are two different characters
// whose second bytes look like 'a' and 'A'.
TEST(NameRules, DoubleByteCharactersAreStepsOfTheirOwn) {
  const std::string kanji = "\x95\x5C";
  const std::string lower = "\x82\x61", upper = "\x82\x41";
  const std::string path = "d" + std::string(1, kSep) + kanji + kSep + "x";
  struct Case {
    uint32_t codePage;
    bool kanjiFolderIsPlain;
    bool trailBytesFold;
  };
  // Code page 0 is the single-byte rule: every byte stands alone.
  for (const Case& c : {Case{932, true, false}, Case{0, false, true}}) {
    platform::ScopedNameCodePage codePage(c.codePage);
    SCOPED_TRACE(c.codePage);
    EXPECT_EQ(IsPlainName(kanji + "Docs"), c.kanjiFolderIsPlain);
    EXPECT_EQ(IsPlainName("Docs" + kanji), c.kanjiFolderIsPlain) << "a trail byte ends the name";
    EXPECT_EQ(EqualNoCase("x" + lower, "X" + upper), c.trailBytesFold);
    EXPECT_EQ(FoldCase("ab" + lower) == "AB" + lower, !c.trailBytesFold);
    EXPECT_TRUE(EqualNoCase("ab" + kanji, "AB" + kanji));
    // Only on Windows is the trail byte 0x5C also the separator.
    const bool trailSplits = c.codePage != 932 && kSep == '\\';
    EXPECT_EQ(FindSeparatorFrom(path, 3), trailSplits ? 3u : 4u);
    EXPECT_EQ(FindSeparatorFrom(path, 0), 1u);
    std::string name;
    EXPECT_TRUE(FileNameFromPath(name, "d" + std::string(1, kSep) + kanji));
    EXPECT_EQ(name, trailSplits ? "" : kanji);
  }
  // Names that are no plain name under any code page.
  platform::ScopedNameCodePage codePage(932);
  for (const std::string bad :
       {"", ".", "..", "a/b", "a\\b", "C:", "a*", "x.", "x ", "CON", "lpt1.txt"}) {
    EXPECT_FALSE(IsPlainName(bad)) << bad;
  }
  EXPECT_EQ(FindLastSeparator("d" + std::string(1, kSep) + kanji), 1u);
}

// The same rules from the system itself: runs where the ANSI code page is 932 (under Wine with
// LANG=ja_JP.UTF-8), and is skipped elsewhere.
TEST(NameRules, TheSystemsJapaneseCodePageIsFollowed) {
  if (platform::NameCodePage() != 932) GTEST_SKIP() << "the system code page is not 932";
  const std::string kanji = "\x95\x5C";
  EXPECT_TRUE(IsPlainName(kanji + "Docs"));
  EXPECT_TRUE(IsPlainName("Docs" + kanji));
  EXPECT_EQ(FindLastSeparator("d" + std::string(1, kSep) + kanji), 1u);
  std::string name;
  EXPECT_TRUE(FileNameFromPath(name, "d" + std::string(1, kSep) + kanji));
  EXPECT_EQ(name, kanji);
  EXPECT_TRUE(EqualNoCase("docs" + kanji, "DOCS" + kanji));
  EXPECT_EQ(FoldCase("docs" + kanji), "DOCS" + kanji);
}

TEST(Hex, AppendHex64) {
  std::string out = "keep";
  EXPECT_TRUE(AppendHex64(0, out, 1));
  EXPECT_EQ(out, "0000000000000000");
  EXPECT_TRUE(AppendHex64(255, out, 1));
  EXPECT_EQ(out, "00000000000000FF");
  AppendHex64(1ull << 63, out, 1);
  EXPECT_EQ(out, "8000000000000000");
  out = "x";
  AppendHex64(0xABCDEF0123456789ull, out, 0);
  EXPECT_EQ(out, "xABCDEF0123456789");
  out.clear();
  AppendHexByte(0x0A, out);
  AppendHexByte(0xF0, out);
  EXPECT_EQ(out, "0AF0");
}

TEST(Hex, HexToBytes) {
  // Pairs of digits of either case, at most maxBytes of them; an unpaired digit is dropped.
  const struct {
    const char* text;
    int32_t maxBytes;
    std::string bytes;  // the 4-byte buffer afterwards: 0xEE where nothing was written
  } kCases[] = {
      {"0aFf", 2, Bytes({0x0A, 0xFF, 0xEE, 0xEE})},   {"abcd", 2, Bytes({0xAB, 0xCD, 0xEE, 0xEE})},
      {"ABCD", 2, Bytes({0xAB, 0xCD, 0xEE, 0xEE})},   {"12A", 2, Bytes({0x12, 0xEE, 0xEE, 0xEE})},
      {"123456", 1, Bytes({0x12, 0xEE, 0xEE, 0xEE})}, {"12", 0, Bytes({0xEE, 0xEE, 0xEE, 0xEE})},
      {"12", -3, Bytes({0xEE, 0xEE, 0xEE, 0xEE})},
  };
  for (const auto& c : kCases) {
    uint8_t out[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    HexToBytes(out, c.maxBytes, c.text);
    EXPECT_EQ(std::string(out, out + 4), c.bytes) << c.text << " at most " << c.maxBytes;
  }
}

TEST(Hex, RoundTripOfAMessageId) {
  std::string text;
  AppendHex64(0x0123456789ABCDEFull, text, 1);
  uint8_t bytes[8];
  HexToBytes(bytes, 8, text);
  uint8_t expected[8] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
  EXPECT_EQ(std::string(bytes, bytes + 8), std::string(expected, expected + 8));
}

TEST(Bytes, ReadBigEndian32) {
  const uint8_t block[] = {0xFF, 0x12, 0x34, 0x56, 0x78, 0x9A};
  EXPECT_EQ(ReadBigEndian32(block, 1), 0x12345678u);
  EXPECT_EQ(ReadBigEndian32(block, 2), 0x3456789Au);
  EXPECT_EQ(ReadBigEndian32(block, 0), 0xFF123456u);
}

TEST(Bytes, CopyToFixedField) {
  uint8_t field[6];
  std::fill(field, field + 6, 0xEE);
  EXPECT_FALSE(CopyToFixedField(field, 6, ""));
  EXPECT_EQ(std::count(field, field + 6, 0), 6);

  EXPECT_TRUE(CopyToFixedField(field, 6, "abc"));
  EXPECT_EQ(std::string(field, field + 6), std::string("abc\0\0\0", 6));

  uint8_t exact[5 + 1];
  exact[5] = 0x77;  // just past the field: never touched
  EXPECT_TRUE(CopyToFixedField(exact, 5, "12345"));
  EXPECT_EQ(std::string(exact, exact + 5), "12345");
  EXPECT_EQ(exact[5], 0x77);

  EXPECT_TRUE(CopyToFixedField(exact, 5, "123456789"));
  EXPECT_EQ(std::string(exact, exact + 5), "12345");
  EXPECT_EQ(exact[5], 0x77);
}

TEST(Text, FormatSizeExamples) {
  const struct {
    int64_t count;
    const char* text;
  } cases[] = {
      {0, "0.000 b"},           {512, "512.0 b"},
      {999, "999.0 b"},         {1000, "0.976 Kb"},
      {1048576, "1.000 Mb"},    {999999999, "953.6 Mb"},
      {5000000000, "4.656 Gb"}, {1000000000000, "0.909 Tb"},
      {1023, "0.999 Kb"},       {999999, "976.5 Kb"},
      {1000000, "0.953 Mb"},    {1099511627776000, "1000. Tb"},
  };
  for (const auto& c : cases) {
    std::string out = "old";
    FormatSize(out, c.count);
    EXPECT_EQ(out, c.text) << c.count;
  }
}

TEST(DataPaths, FixedPathsBuildTheStandardFolders) {
  TvFixedDataPaths paths(P("/data/Zorvane"));
  EXPECT_EQ(paths.UserDataFolder(), P("/data/Zorvane/"));
  const char* const kNames[] = {"Inbox", "Outbox", "Sent", "Deleted", "Drafts", "Temp"};
  for (int id = 0; id < 6; ++id) {
    EXPECT_EQ(paths.StandardFolderDirectory(id), P("/data/Zorvane/") + kNames[id]);
  }
  EXPECT_EQ(paths.StandardFolderDirectory(6), "");
  EXPECT_EQ(paths.StandardFolderDirectory(-1), "");
  TvFixedDataPaths ended(P("/data/"));
  EXPECT_EQ(ended.UserDataFolder(), P("/data/"));
}

class FileSystemUtilities : public tvtest::ScratchTest {};

TEST_F(FileSystemUtilities, FileExistsFindsFilesDirectoriesAndPatterns) {
  ASSERT_TRUE(tvtest::WriteWholeFile(scratch.File("a.Message"), "x"));
  scratch.MakeDir("Inbox");
  EXPECT_TRUE(FileExists(scratch.File("a.Message")));
  EXPECT_TRUE(FileExists(scratch.File("Inbox")));
  EXPECT_TRUE(FileExists(scratch.File("*.message")));
  EXPECT_TRUE(FileExists(scratch.File("?.Message")));
  EXPECT_FALSE(FileExists(scratch.File("b.Message")));
  EXPECT_FALSE(FileExists(scratch.File("??.Message")));
}

TEST_F(FileSystemUtilities, DeleteFileIfExists) {
  std::string path = scratch.File("f");
  EXPECT_FALSE(DeleteFileIfExists(path));  // missing: false and silent
  EXPECT_TRUE(ui.boxes.empty());
  ASSERT_TRUE(tvtest::WriteWholeFile(path, "x"));
  EXPECT_TRUE(DeleteFileIfExists(path));
  EXPECT_FALSE(tvtest::PathExists(path));
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(FileSystemUtilities, DeletingAFileInUseOrRemovingAMissingOneShowsTheFileError) {
  std::string path = scratch.File("busy");
  TvFile holder(0, 1);
  ASSERT_TRUE(holder.Open(path, kModeLog));
  EXPECT_FALSE(DeleteFileIfExists(path));
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text.rfind("Operation with file '" + path + "' has failed, because: ", 0),
            0u);
  holder.Close();
  EXPECT_TRUE(RemoveFile(path));
  // Removing a missing file reports too.
  EXPECT_FALSE(RemoveFile(path));
  EXPECT_EQ(ui.boxes.size(), 2u);
}

TEST_F(FileSystemUtilities, EnsureDirectory) {
  std::string dir = scratch.File("Inbox");
  EXPECT_TRUE(EnsureDirectory(dir));
  EXPECT_TRUE(platform::IsDirectory(dir));
  EXPECT_TRUE(EnsureDirectory(dir));  // already there
  ASSERT_TRUE(tvtest::WriteWholeFile(scratch.File("file"), "x"));
  EXPECT_TRUE(EnsureDirectory(scratch.File("file")));  // the name exists, even as a file
  EXPECT_FALSE(EnsureDirectory(scratch.File(P("missing/child"))));
  EXPECT_FALSE(tvtest::PathExists(scratch.File("missing")));
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(FileSystemUtilities, ListFilesGivesFullPathsOfPlainFilesOnly) {
  std::string dir = scratch.MakeDir("Inbox");
  ASSERT_TRUE(tvtest::WriteWholeFile(dir + kSep + "one.Message", "1"));
  ASSERT_TRUE(tvtest::WriteWholeFile(dir + kSep + "TWO.MESSAGE", "2"));
  ASSERT_TRUE(tvtest::WriteWholeFile(dir + kSep + "other.txt", "3"));
  scratch.MakeDir(P("Inbox/sub.Message"));
  TvStringList list = {"kept"};
  ListFiles(list, dir, "*.Message");
  std::sort(list.begin() + 1, list.end());
  EXPECT_EQ(list, TvStringList({"kept", dir + kSep + "TWO.MESSAGE", dir + kSep + "one.Message"}));
  TvStringList none;
  ListFiles(none, dir, "*.nothing");
  ListFiles(none, scratch.File("no folder"), "*");
  EXPECT_TRUE(none.empty());
}

TEST_F(FileSystemUtilities, ListNamesSeparatesFilesFromDirectoriesAndSkipsDots) {
  scratch.MakeDir("Inbox");
  scratch.MakeDir("Custom");
  ASSERT_TRUE(tvtest::WriteWholeFile(scratch.File("Names.Index"), ""));
  ASSERT_TRUE(tvtest::WriteWholeFile(scratch.File("noext"), ""));
  TvStringList dirs;
  EXPECT_EQ(ListNames(dirs, scratch.File("*.*"), 1), 2u);
  std::sort(dirs.begin(), dirs.end());
  EXPECT_EQ(dirs, TvStringList({"Custom", "Inbox"}));
  TvStringList files = {"already"};
  EXPECT_EQ(ListNames(files, scratch.File("*"), 0), 3u);
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, TvStringList({"Names.Index", "already", "noext"}));
}

TEST_F(FileSystemUtilities, RunAndWaitOfAMissingCommandShowsTheSystemText) {
  EXPECT_FALSE(RunAndWait("zv-no-such-command-here /x"));
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].icon, platform::BoxIcon::kError);
  EXPECT_EQ(ui.boxes[0].text, platform::ErrorText(platform::LastError()));
  EXPECT_NE(platform::LastError(), 0u);
}

TEST_F(FileSystemUtilities, BrowseForFolderUsesTheChooserTitleAndKeepsOutputOnCancel) {
  ui.folderChoices = {"", P("/chosen/folder")};
  std::string out = "unchanged";
  EXPECT_FALSE(BrowseForFolder(out));
  EXPECT_EQ(out, "unchanged");
  EXPECT_TRUE(BrowseForFolder(out));
  EXPECT_EQ(out, P("/chosen/folder"));
  EXPECT_EQ(ui.folderTitles, std::vector<std::string>({"Select a folder:", "Select a folder:"}));
}

}  // namespace
