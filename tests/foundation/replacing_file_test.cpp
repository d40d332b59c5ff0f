#include <gtest/gtest.h>

#include "foundation/replacing_file.h"
#include "platform/fault_injection.h"
#include "platform/file_system.h"
#include "platform/system_error.h"
#include "support/fault_sweep.h"
#include "support/scratch_dir.h"

namespace {

using platform::ErrorCode;
using platform::SysError;

class ReplacingFileTest : public tvtest::ScratchTest {
 protected:
  // Opens `file` on the final name and writes bytes under the temporary one.
  void OpenAndWrite(const std::string& bytes) {
    ASSERT_TRUE(file.Open(final_, kModeReadWriteCreate));
    EXPECT_TRUE(file.Write(bytes.data(), static_cast<uint32_t>(bytes.size())));
  }
  TvReplacingFile file;
  std::string final_ = scratch.File("Folders.List");
  std::string temp_ = final_ + ".zvtmp";
};

TEST_F(ReplacingFileTest, WritesUnderTheTemporaryNameUntilCommit) {
  ASSERT_TRUE(tvtest::WriteWholeFile(final_, "old"));
  OpenAndWrite("new contents");
  EXPECT_EQ(file.FileName(), final_);
  EXPECT_EQ(file.TempName(), temp_);
  EXPECT_EQ(tvtest::ReadWholeFile(final_), "old");
  EXPECT_TRUE(tvtest::PathExists(temp_));
  EXPECT_TRUE(file.Commit());
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(tvtest::ReadWholeFile(final_), "new contents");
  EXPECT_FALSE(tvtest::PathExists(temp_));
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(ReplacingFileTest, UncommittedFileIsAbandoned) {
  ASSERT_TRUE(tvtest::WriteWholeFile(final_, "old"));
  {
    TvReplacingFile abandoned;
    ASSERT_TRUE(abandoned.Open(final_, kModeReadWriteCreate));
    abandoned.Write("partial", 7);
  }
  EXPECT_EQ(tvtest::ReadWholeFile(final_), "old");
  EXPECT_FALSE(tvtest::PathExists(temp_));
}

TEST_F(ReplacingFileTest, ClosedWithoutCommitIsNotCommittedLater) {
  OpenAndWrite("x");
  file.Close();
  EXPECT_FALSE(file.Commit());
  EXPECT_FALSE(tvtest::PathExists(final_));
  EXPECT_FALSE(tvtest::PathExists(temp_));
}

TEST_F(ReplacingFileTest, FailedMoveKeepsTheOldFileAndRemovesTheTemporary) {
  ASSERT_TRUE(tvtest::WriteWholeFile(final_, "old"));
  OpenAndWrite("new");
  {
    tvtest::ScopedFault fault(platform::FileOp::kMove, platform::SysError::kAccessDenied);
    EXPECT_FALSE(file.Commit());
    // The caller sees the failure's code (checked before the test's own file access changes it).
    EXPECT_EQ(platform::LastError(), ErrorCode(SysError::kAccessDenied));
  }
  EXPECT_EQ(tvtest::ReadWholeFile(final_), "old");
  EXPECT_FALSE(tvtest::PathExists(temp_));
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, "Operation with file '" + final_ + "' has failed, because: " +
                                  platform::ErrorText(ErrorCode(SysError::kAccessDenied)));
}

TEST_F(ReplacingFileTest, FailedFlushAbandonsTheFile) {
  OpenAndWrite("new");
  {
    tvtest::ScopedFault fault(platform::FileOp::kFlush, platform::SysError::kDiskFull);
    EXPECT_FALSE(file.Commit());
  }
  EXPECT_FALSE(tvtest::PathExists(final_));
  EXPECT_FALSE(tvtest::PathExists(temp_));
  EXPECT_EQ(ui.boxes.size(), 1u);
}

TEST_F(ReplacingFileTest, FailedOpenNamesTheFinalFile) {
  std::string missing = scratch.File("no folder") + platform::kPathSeparator + "x.List";
  EXPECT_FALSE(file.Open(missing, kModeReadWriteCreate));
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text.rfind("Operation with file '" + missing + "'", 0), 0u);
  EXPECT_FALSE(file.Commit());
}

TEST_F(ReplacingFileTest, FlushesBeforeMovingAndNothingAfter) {
  std::vector<platform::FileOp> ops;
  ASSERT_TRUE(file.Open(final_, kModeReadWriteCreate));
  platform::FaultInjector::SetObserver(
      [&](platform::FileOp op, const std::string&, platform::FileHandle) { ops.push_back(op); });
  EXPECT_TRUE(file.Commit());
  platform::FaultInjector::SetObserver(nullptr);
  std::vector<platform::FileOp> expected = {platform::FileOp::kFlush, platform::FileOp::kClose,
                                            platform::FileOp::kMove};
#ifndef _WIN32
  // The move flushes its folder (a Windows move is written through).
  expected.push_back(platform::FileOp::kFlushDirectory);
#endif
  EXPECT_EQ(ops, expected);
}

}  // namespace
