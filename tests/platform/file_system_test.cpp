#include <gtest/gtest.h>

#include <algorithm>

#include "platform/file.h"
#include "platform/file_system.h"
#include "platform/system_error.h"
#include "support/scratch_dir.h"

namespace {

using namespace platform;

class FileSystem : public tvtest::ScratchTest {
 protected:
  std::vector<std::string> Names(const std::string& pattern) {
    std::vector<DirEntry> entries;
    FindEntries(scratch.File(pattern), &entries);
    std::vector<std::string> names;
    for (const DirEntry& e : entries) names.push_back(e.name + (e.isDirectory ? "/" : ""));
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(FileSystem, FindEntriesMatchesWithoutRegardToCase) {
  ASSERT_TRUE(tvtest::WriteWholeFile(scratch.File("x.MESSAGE"), ""));
  ASSERT_TRUE(tvtest::WriteWholeFile(scratch.File("y.message"), ""));
  ASSERT_TRUE(tvtest::WriteWholeFile(scratch.File("z.txt"), ""));
  scratch.MakeDir("Inbox");
  using V = std::vector<std::string>;
  EXPECT_EQ(Names("*.Message"), V({"x.MESSAGE", "y.message"}));
  EXPECT_EQ(Names("?.txt"), V({"z.txt"}));
  EXPECT_EQ(Names("inbox"), V({"Inbox/"}));
  V all = Names("*.*");
  all.erase(std::remove_if(all.begin(), all.end(),
                           [](const std::string& n) { return n == "./" || n == "../"; }),
            all.end());
  EXPECT_EQ(all, V({"Inbox/", "x.MESSAGE", "y.message", "z.txt"}));
}

TEST_F(FileSystem, FindEntriesReportsNothingFound) {
  std::vector<DirEntry> entries;
  EXPECT_FALSE(FindEntries(scratch.File("*.none"), &entries));
  EXPECT_TRUE(entries.empty());
  EXPECT_NE(LastError(), 0u);
  EXPECT_FALSE(FindEntries(scratch.File("no folder") + kPathSeparator + "*", &entries));
}

TEST_F(FileSystem, CreateDirectoryTellsAlreadyExistsApart) {
  std::string dir = scratch.File("d");
  EXPECT_TRUE(CreateDirectory(dir));
  EXPECT_TRUE(IsDirectory(dir));
  EXPECT_FALSE(CreateDirectory(dir));
  EXPECT_EQ(LastError(), ErrorCode(SysError::kAlreadyExists));
  ASSERT_TRUE(tvtest::WriteWholeFile(scratch.File("f"), ""));
  EXPECT_FALSE(CreateDirectory(scratch.File("f")));
  EXPECT_EQ(LastError(), ErrorCode(SysError::kAlreadyExists));
  EXPECT_FALSE(IsDirectory(scratch.File("f")));
  EXPECT_FALSE(CreateDirectory(scratch.File("a") + kPathSeparator + "b"));
  EXPECT_NE(LastError(), ErrorCode(SysError::kAlreadyExists));
}

TEST_F(FileSystem, DeleteFile) {
  std::string path = scratch.File("f");
  ASSERT_TRUE(tvtest::WriteWholeFile(path, "x"));
  EXPECT_TRUE(DeleteFile(path));
  EXPECT_FALSE(tvtest::PathExists(path));
  EXPECT_FALSE(DeleteFile(path));
  EXPECT_EQ(LastError(), ErrorCode(SysError::kFileNotFound));
  std::string dir = scratch.MakeDir("d");
  EXPECT_FALSE(DeleteFile(dir));
  EXPECT_TRUE(IsDirectory(dir));
}

TEST_F(FileSystem, OpenFileCannotBeDeletedOrReplaced) {
  std::string path = scratch.File("f");
  ASSERT_TRUE(tvtest::WriteWholeFile(path, "x"));
  ASSERT_TRUE(tvtest::WriteWholeFile(scratch.File("g"), "y"));
  FileHandle h = OpenFile(path, kOpenRead | kOpenShareRead | kOpenKeepContents);
  ASSERT_NE(h, kInvalidFile);
  EXPECT_FALSE(DeleteFile(path));
  EXPECT_FALSE(MoveFileReplace(scratch.File("g"), path));
  EXPECT_TRUE(CloseFile(h));
  EXPECT_TRUE(DeleteFile(path));
}

TEST_F(FileSystem, MoveFileReplaceReplacesTheTarget) {
  ASSERT_TRUE(tvtest::WriteWholeFile(scratch.File("new"), "new"));
  ASSERT_TRUE(tvtest::WriteWholeFile(scratch.File("old"), "old"));
  EXPECT_TRUE(MoveFileReplace(scratch.File("new"), scratch.File("old")));
  EXPECT_EQ(tvtest::ReadWholeFile(scratch.File("old")), "new");
  EXPECT_FALSE(tvtest::PathExists(scratch.File("new")));
  EXPECT_TRUE(MoveFileReplace(scratch.File("old"), scratch.File("fresh")));
  EXPECT_FALSE(MoveFileReplace(scratch.File("none"), scratch.File("fresh")));
  EXPECT_EQ(tvtest::ReadWholeFile(scratch.File("fresh")), "new");
}

TEST_F(FileSystem, Directories) {
  std::string temp = TempDirectory();
  ASSERT_FALSE(temp.empty());
  EXPECT_TRUE(IsPathSeparator(temp.back()));
  EXPECT_TRUE(IsDirectory(temp));
  EXPECT_TRUE(IsPathSeparator(kPathSeparator));

  std::string program = ProgramPath();
  EXPECT_NE(program.find("platform_tests"), std::string::npos) << program;

  std::string before = CurrentDirectory();
  ASSERT_FALSE(before.empty());
  std::string dir = scratch.MakeDir("cwd");
  ASSERT_TRUE(SetCurrentDirectory(dir));
  ASSERT_TRUE(tvtest::WriteWholeFile(dir + kPathSeparator + "here.txt", ""));
  std::vector<DirEntry> entries;
  EXPECT_TRUE(FindEntries("here.txt", &entries));  // relative to the current directory
  EXPECT_TRUE(SetCurrentDirectory(before));
  EXPECT_EQ(CurrentDirectory(), before);
  EXPECT_FALSE(SetCurrentDirectory(scratch.File("no folder")));
}

}  // namespace
