#include "foundation/tv_file.h"

#include <gtest/gtest.h>

#include "foundation/coding.h"
#include "platform/fault_injection.h"
#include "platform/system_error.h"
#include "support/fault_sweep.h"
#include "support/scratch_dir.h"

namespace {

using platform::ErrorCode;
using platform::SysError;

std::string FileErrorText(const std::string& name, uint32_t code) {
  return "Operation with file '" + name + "' has failed, because: " + platform::ErrorText(code);
}

class FileTest : public tvtest::ScratchTest {
 protected:
  std::string MakeFile(const std::string& name, const std::string& bytes) {
    std::string path = scratch.File(name);
    EXPECT_TRUE(tvtest::WriteWholeFile(path, bytes));
    return path;
  }
  // Writes `bytes` to `name` and opens it in `file`.
  std::string OpenMade(const std::string& name, const std::string& bytes,
                       uint32_t mode = kModeReadShared) {
    std::string path = MakeFile(name, bytes);
    EXPECT_TRUE(file.Open(path, mode));
    return path;
  }
  TvFile file{0, 1};
};

TEST_F(FileTest, OpenMissingFileReportsNameAndSystemTextUnlessSilentAndKeepsTheName) {
  std::string path = scratch.File("missing.bin");
  EXPECT_FALSE(file.Open(path, kModeReadShared));
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(file.FileName(), path);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, FileErrorText(path, ErrorCode(SysError::kFileNotFound)));
  // The caller still sees the failure's code after the report.
  EXPECT_EQ(platform::LastError(), ErrorCode(SysError::kFileNotFound));
  // A silent file shows nothing.
  TvFile silent(0, 0);
  EXPECT_FALSE(silent.Open(path, kModeReadShared));
  EXPECT_EQ(ui.boxes.size(), 1u);
}

TEST_F(FileTest, OpenClosesThePreviousFileEvenWhenTheNewOpenFails) {
  std::string first = MakeFile("first", "abc");
  ASSERT_TRUE(file.Open(first, kModeReadWriteOpenOrCreate));  // no sharing
  EXPECT_FALSE(file.Open(scratch.File("missing"), kModeReadShared));
  EXPECT_FALSE(file.IsOpen());
  // The first file is no longer held: an open without sharing succeeds.
  TvFile other(0, 1);
  EXPECT_TRUE(other.Open(first, kModeReadWriteOpenOrCreate));
}

TEST_F(FileTest, CloseEmptiesTheNameAndClosingTwiceIsHarmless) {
  std::string path = OpenMade("f", "x");
  EXPECT_TRUE(file.Close());
  EXPECT_TRUE(file.FileName().empty());
  EXPECT_TRUE(file.Close());
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(FileTest, DestructorReleasesTheFile) {
  std::string path = MakeFile("f", "x");
  {
    TvFile scoped(0, 1);
    ASSERT_TRUE(scoped.Open(path, kModeLog));
  }
  TvFile again(0, 1);
  EXPECT_TRUE(again.Open(path, kModeLog));
}

TEST_F(FileTest, CreateModes) {
  MakeFile("f", "old contents");
  // Opening or creating keeps the contents, creating truncates, and a missing name is made.
  const struct {
    const char* name;
    uint32_t mode;
    uint64_t length;
  } kOpens[] = {{"f", kModeReadWriteOpenOrCreate, 12},
                {"f", kModeReadWriteCreate, 0},
                {"fresh", kModeReadOpenOrCreate, 0}};
  for (const auto& open : kOpens) {
    ASSERT_TRUE(file.Open(scratch.File(open.name), open.mode)) << open.name;
    EXPECT_EQ(file.GetLength(), open.length) << open.name;
  }
  EXPECT_TRUE(tvtest::PathExists(scratch.File("fresh")));
  // Without the create bit only an existing file opens.
  EXPECT_FALSE(file.Open(scratch.File("none"), platform::kOpenReadWrite));
  EXPECT_FALSE(tvtest::PathExists(scratch.File("none")));
  EXPECT_EQ(ui.boxes.size(), 1u);
}

TEST_F(FileTest, ReadAndWriteExactCounts) {
  std::string path = scratch.File("f");
  ASSERT_TRUE(file.Open(path, kModeReadWriteCreate));
  EXPECT_TRUE(file.Write("hello", 5));
  EXPECT_TRUE(file.Write(nullptr, 0));
  EXPECT_TRUE(file.SeekTo(0));
  char buffer[8] = {};
  EXPECT_TRUE(file.Read(buffer, 5));
  EXPECT_EQ(std::string(buffer, 5), "hello");
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(FileTest, ShortReadFailsReportsAndConsumesTheRest) {
  std::string path = OpenMade("f", "abc");
  uint32_t value = 0;
  EXPECT_FALSE(file.ReadUInt32(value));
  EXPECT_EQ(file.GetPosition(), 3u);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text.rfind("Operation with file '" + path + "' has failed, because: ", 0),
            0u);
}

TEST_F(FileTest, WriteToAFileOpenedForReadingFails) {
  std::string path = OpenMade("f", "abc");
  EXPECT_FALSE(file.Write("x", 1));
  EXPECT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(tvtest::ReadWholeFile(path), "abc");
}

TEST_F(FileTest, IntegersAreLittleEndian) {
  std::string path = scratch.File("f");
  ASSERT_TRUE(file.Open(path, kModeReadWriteCreate));
  EXPECT_TRUE(file.WriteUInt32(0x11223344));
  EXPECT_TRUE(file.WriteUInt64(0x0102030405060708ull));
  EXPECT_TRUE(file.WriteZeros(3));
  file.Close();
  EXPECT_EQ(tvtest::ReadWholeFile(path),
            std::string("\x44\x33\x22\x11\x08\x07\x06\x05\x04\x03\x02\x01\0\0\0", 15));
  ASSERT_TRUE(file.Open(path, kModeReadShared));
  uint32_t v32 = 0;
  uint64_t v64 = 0;
  EXPECT_TRUE(file.ReadUInt32(v32));
  EXPECT_TRUE(file.ReadUInt64(v64));
  EXPECT_EQ(v32, 0x11223344u);
  EXPECT_EQ(v64, 0x0102030405060708ull);
}

TEST_F(FileTest, CountedStrings) {
  std::string path = scratch.File("f");
  std::string binary("a\0b\xFF", 4);
  ASSERT_TRUE(file.Open(path, kModeReadWriteCreate));
  EXPECT_TRUE(file.WriteString(""));
  EXPECT_TRUE(file.WriteString(binary));
  file.Close();
  std::string expected;
  PutCountedString(&expected, "");
  PutCountedString(&expected, binary);
  EXPECT_EQ(tvtest::ReadWholeFile(path), expected);

  ASSERT_TRUE(file.Open(path, kModeReadShared));
  std::string text = "not emptied";
  EXPECT_TRUE(file.ReadString(text));
  EXPECT_EQ(text, "");
  EXPECT_EQ(file.GetPosition(), 4u);  // the empty text is exactly its 4-byte length
  EXPECT_TRUE(file.ReadString(text));
  EXPECT_EQ(text, binary);
  EXPECT_FALSE(file.ReadString(text));  // nothing left
  EXPECT_EQ(ui.boxes.size(), 1u);
}

TEST_F(FileTest, HostileStringLengthFailsAsAShortReadWithoutAllocatingIt) {
  std::string bytes;
  PutFixed32(&bytes, 0xFFFFFFFFu);
  bytes += "only these bytes";
  std::string path = OpenMade("f", bytes);
  std::string text;
  EXPECT_FALSE(file.ReadString(text));
  EXPECT_LT(text.capacity(), 1024u);
  EXPECT_EQ(file.GetPosition(), bytes.size());  // the rest was consumed, as by a short read
  EXPECT_EQ(ui.boxes.size(), 1u);
}

TEST_F(FileTest, StringLengthOneBeyondTheEndFails) {
  std::string bytes;
  PutFixed32(&bytes, 5);
  bytes += "four";
  TvFile silent(0, 0);
  ASSERT_TRUE(silent.Open(MakeFile("f", bytes), kModeReadShared));
  std::string text;
  EXPECT_FALSE(silent.ReadString(text));
}

TEST_F(FileTest, SeekFromEachOrigin) {
  std::string path = OpenMade("f", "0123456789");
  EXPECT_EQ(file.GetLength(), 10u);
  // {offset, origin (0 start, 1 current, 2 end, any other the start), forward, position after};
  // a seek past the end is allowed.
  const uint64_t kSeeks[][4] = {{4, 2, 0, 6}, {2, 1, 1, 8}, {3, 1, 0, 5},
                                {3, 0, 1, 3}, {7, 9, 1, 0}, {5, 2, 1, 15}};
  for (const auto& [offset, origin, forward, after] : kSeeks) {
    EXPECT_TRUE(file.Seek(offset, static_cast<int>(origin), forward != 0));
    EXPECT_EQ(file.GetPosition(), after) << offset << " from " << origin;
  }
  uint64_t position = 0;
  EXPECT_TRUE(file.GetPosition(&position));
  EXPECT_EQ(position, 15u);
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(FileTest, SeekBeforeTheStartFailsAndReports) {
  std::string path = OpenMade("f", "0123");
  EXPECT_FALSE(file.Seek(5, 2, 0));
  EXPECT_EQ(ui.boxes.size(), 1u);
  EXPECT_FALSE(file.SeekRaw(-1, 0));
  EXPECT_EQ(ui.boxes.size(), 2u);
}

TEST_F(FileTest, SeekRawGivesTheLowPartOfTheNewPosition) {
  std::string path = OpenMade("f", "0123456789");
  uint32_t where = 99;
  EXPECT_TRUE(file.SeekRaw(0, 2, &where));
  EXPECT_EQ(where, 10u);
  EXPECT_TRUE(file.SeekRaw(-3, 1, &where));
  EXPECT_EQ(where, 7u);
  EXPECT_TRUE(file.SeekRaw(2, 0));
  EXPECT_EQ(file.GetPosition(), 2u);
}

TEST_F(FileTest, OnAClosedFileAZeroByteReadSucceedsAndQueriesReportAndGiveZero) {
  char c;
  EXPECT_TRUE(file.Read(&c, 0));
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(file.GetLength(), 0u);
  EXPECT_EQ(file.GetPosition(), 0u);
  uint64_t position = 5;
  EXPECT_FALSE(file.GetPosition(&position));
  EXPECT_EQ(position, 5u);
  EXPECT_EQ(ui.boxes.size(), 3u);
  // A closed file carries no name: the quotes stay empty.
  EXPECT_EQ(ui.boxes[0].text.rfind("Operation with file '' has failed, because: ", 0), 0u);
}

TEST_F(FileTest, ThrowingFileReportsThenThrowsItsValue) {
  TvFile throwing(1, 1);
  try {
    throwing.Open(scratch.File("missing"), kModeReadShared);
    FAIL() << "no exception";
  } catch (TvFile::ErrorExceptions e) {
    EXPECT_EQ(e, TvFile::ErrorOpen);
  }
  EXPECT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(platform::LastError(), ErrorCode(SysError::kFileNotFound));

  std::string path = MakeFile("f", "ab");
  ASSERT_TRUE(throwing.Open(path, kModeReadShared));
  char buffer[4];
  EXPECT_THROW(throwing.Read(buffer, 4), TvFile::ErrorExceptions);
  EXPECT_THROW(throwing.Seek(10, 2, 0), TvFile::ErrorExceptions);
  EXPECT_THROW(throwing.Write("x", 1), TvFile::ErrorExceptions);
  throwing.Close();
  EXPECT_THROW(throwing.GetLength(), TvFile::ErrorExceptions);
}

TEST_F(FileTest, InjectedFailureCarriesItsCodeIntoTheReport) {
  std::string path = OpenMade("f", "abcd");
  tvtest::ScopedFault fault(platform::FileOp::kRead, platform::SysError::kReadFault);
  char buffer[4];
  EXPECT_FALSE(file.Read(buffer, 4));
  EXPECT_TRUE(file.Read(buffer, 4));  // once only
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, FileErrorText(path, ErrorCode(SysError::kReadFault)));
  EXPECT_EQ(platform::LastError(), ErrorCode(SysError::kReadFault));
}

TEST_F(FileTest, FailedCloseIsReportedAndTheFileIsClosedAnyway) {
  std::string path = OpenMade("f", "x", kModeLog);
  {
    tvtest::ScopedFault fault(platform::FileOp::kClose, platform::SysError::kWriteFault);
    EXPECT_FALSE(file.Close());
  }
  EXPECT_FALSE(file.IsOpen());
  EXPECT_TRUE(file.FileName().empty());
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, FileErrorText(path, ErrorCode(SysError::kWriteFault)));
}

TEST_F(FileTest, FailedFlushIsReported) {
  ASSERT_TRUE(file.Open(scratch.File("f"), kModeReadWriteCreate));
  EXPECT_TRUE(file.Flush());
  tvtest::ScopedFault fault(platform::FileOp::kFlush, platform::SysError::kDiskFull);
  EXPECT_FALSE(file.Flush());
  EXPECT_EQ(ui.boxes.size(), 1u);
}

TEST_F(FileTest, StringWhoseSizeCannotBeCheckedIsNotRead) {
  std::string bytes;
  PutCountedString(&bytes, "abc");
  OpenMade("f", bytes);
  tvtest::ScopedFault fault(platform::FileOp::kSize, platform::SysError::kReadFault);
  std::string text;
  EXPECT_FALSE(file.ReadString(text));
  EXPECT_EQ(ui.boxes.size(), 1u);
}

TEST_F(FileTest, FileSizeByName) {
  EXPECT_EQ(GetFileSizeByName(MakeFile("f", std::string(1234, 'z'))), 1234u);
  EXPECT_EQ(GetFileSizeByName(scratch.File("missing")), 0u);
  EXPECT_EQ(GetFileSizeByName(scratch.MakeDir("sub")), 0u);
  EXPECT_TRUE(ui.boxes.empty());
}

class CopyRangeTest : public FileTest {
 protected:
  void SetUp() override {
    source.Open(MakeFile("source", "0123456789"), kModeReadShared);
    target.Open(scratch.File("target"), kModeReadWriteCreate);
  }
  std::string TargetBytes() {
    target.Close();
    return tvtest::ReadWholeFile(scratch.File("target"));
  }
  TvFile source{0, 1};
  TvFile target{0, 1};
};

TEST_F(CopyRangeTest, CopiesFromTheSourcePosition) {
  ASSERT_TRUE(source.SeekTo(2));
  EXPECT_TRUE(CopyFileRange(source, target, 5));
  EXPECT_EQ(source.GetPosition(), 7u);
  EXPECT_EQ(TargetBytes(), "23456");
}

TEST_F(CopyRangeTest, CountBeyondTheAvailableBytesFailsBeforeReading) {
  ASSERT_TRUE(source.SeekTo(4));
  EXPECT_FALSE(CopyFileRange(source, target, 7));
  EXPECT_EQ(source.GetPosition(), 4u);
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(TargetBytes(), "");
}

TEST_F(CopyRangeTest, ZeroCountCopiesNothing) {
  ASSERT_TRUE(source.SeekTo(10));
  EXPECT_TRUE(CopyFileRange(source, target, 0));
  EXPECT_EQ(TargetBytes(), "");
}

TEST_F(CopyRangeTest, FailedWriteStopsTheCopy) {
  tvtest::ScopedFault fault(platform::FileOp::kWrite, platform::SysError::kDiskFull);
  EXPECT_FALSE(CopyFileRange(source, target, 10));
  EXPECT_EQ(ui.boxes.size(), 1u);
}

TEST_F(FileTest, CopyRangeMovesLargeCountsInEightMebibytePieces) {
  const uint32_t size = 0x800000 + 3;
  std::string bytes(size, '\0');
  for (uint32_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7);
  TvFile source(0, 1), target(0, 1);
  ASSERT_TRUE(source.Open(MakeFile("big", bytes), kModeReadShared));
  ASSERT_TRUE(target.Open(scratch.File("copy"), kModeReadWriteCreate));
  std::vector<uint32_t> reads;
  platform::FaultInjector::SetObserver(
      [&](platform::FileOp op, const std::string&, platform::FileHandle) {
        if (op == platform::FileOp::kRead) reads.push_back(0);
      });
  EXPECT_TRUE(CopyFileRange(source, target, size));
  platform::FaultInjector::SetObserver(nullptr);
  EXPECT_EQ(reads.size(), 2u);
  target.Close();
  EXPECT_TRUE(tvtest::ReadWholeFile(scratch.File("copy")) == bytes);
}

}  // namespace
