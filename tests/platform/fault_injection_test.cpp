#include <gtest/gtest.h>

#include "platform/fault_injection.h"
#include "platform/file.h"
#include "platform/file_system.h"
#include "platform/system_error.h"
#include "support/scratch_dir.h"

namespace {

using namespace platform;

class FaultInjection : public tvtest::ScratchTest {
 protected:
  std::string path = scratch.File("f");
  uint32_t code = ErrorCode(SysError::kDiskFull);
  bool WriteOnce(FileHandle h) {
    uint32_t done;
    return WriteFile(h, "x", 1, &done);
  }
};

TEST_F(FaultInjection, FailsOnlyTheNthCountedOperation) {
  FileHandle h = OpenFile(path, kOpenReadWrite | kOpenCreate);
  ASSERT_NE(h, kInvalidFile);
  FaultInjector::Arm(
      {.ops = static_cast<uint32_t>(FileOp::kWrite), .failAt = 3, .errorCode = code});
  EXPECT_TRUE(WriteOnce(h));
  uint64_t size;
  EXPECT_TRUE(FileSize(h, &size));  // not counted
  EXPECT_TRUE(WriteOnce(h));
  EXPECT_FALSE(WriteOnce(h));
  EXPECT_EQ(LastError(), code);
  EXPECT_TRUE(WriteOnce(h));
  EXPECT_EQ(FaultInjector::Count(), 4u);
  EXPECT_EQ(FaultInjector::Failures(), 1u);
  FaultInjector::Disarm();
  EXPECT_TRUE(CloseFile(h));
  // The failed write never reached the file.
  EXPECT_EQ(tvtest::ReadWholeFile(path), "xxx");
}

TEST_F(FaultInjection, PersistentPlanFailsEveryOperationFromNOn) {
  FaultInjector::Arm({.failAt = 2, .errorCode = code, .persistent = true});
  FileHandle h = OpenFile(path, kOpenReadWrite | kOpenCreate);
  ASSERT_NE(h, kInvalidFile);
  EXPECT_FALSE(WriteOnce(h));
  EXPECT_FALSE(FlushFile(h));
  EXPECT_FALSE(CreateDirectory(scratch.File("d")));
  EXPECT_FALSE(CloseFile(h));  // reported as failed, yet the handle is released
  FaultInjector::Disarm();
  EXPECT_FALSE(tvtest::PathExists(scratch.File("d")));
  EXPECT_EQ(FaultInjector::Failures(), 4u);
  FileHandle again =
      OpenFile(path, kOpenReadWrite | kOpenCreate |
                         kOpenKeepContents);  // no sharing: only possible if the first is gone
  EXPECT_NE(again, kInvalidFile);
  CloseFile(again);
}

TEST_F(FaultInjection, InjectedOpenCreatesNothing) {
  FaultInjector::Arm({.ops = static_cast<uint32_t>(FileOp::kOpen),
                      .failAt = 1,
                      .errorCode = ErrorCode(SysError::kAccessDenied)});
  EXPECT_EQ(OpenFile(path, kOpenReadWrite | kOpenCreate), kInvalidFile);
  EXPECT_EQ(LastError(), ErrorCode(SysError::kAccessDenied));
  EXPECT_FALSE(tvtest::PathExists(path));
}

TEST_F(FaultInjection, DeleteAndMoveCanFail) {
  ASSERT_TRUE(tvtest::WriteWholeFile(path, "x"));
  FaultInjector::Arm(
      {.ops = static_cast<uint32_t>(FileOp::kDelete) | static_cast<uint32_t>(FileOp::kMove),
       .failAt = 1,
       .errorCode = code,
       .persistent = true});
  EXPECT_FALSE(DeleteFile(path));
  EXPECT_FALSE(MoveFileReplace(path, scratch.File("g")));
  FaultInjector::Disarm();
  EXPECT_TRUE(tvtest::PathExists(path));
  EXPECT_FALSE(tvtest::PathExists(scratch.File("g")));
}

TEST_F(FaultInjection, ObserverSeesEveryOperationWithThePath) {
  std::vector<std::pair<FileOp, std::string>> seen;
  FaultInjector::SetObserver([&](FileOp op, const std::string& p, FileHandle) {
    seen.emplace_back(op, p);
  });
  FileHandle h = OpenFile(path, kOpenReadWrite | kOpenCreate);
  WriteOnce(h);
  SeekFile(h, 0, kFromStart, nullptr);
  CloseFile(h);
  DeleteFile(path);
  FaultInjector::SetObserver(nullptr);
  std::vector<std::pair<FileOp, std::string>> expected = {
      {FileOp::kOpen, path},  {FileOp::kWrite, path}, {FileOp::kSeek, path},
      {FileOp::kClose, path}, {FileOp::kDelete, path}};
  EXPECT_EQ(seen, expected);
}

TEST_F(FaultInjection, DisarmedInjectorStillCounts) {
  FaultInjector::Arm(FaultPlan{});
  ASSERT_TRUE(tvtest::WriteWholeFile(path, "x"));  // outside the platform layer: not seen
  EXPECT_EQ(FaultInjector::Count(), 0u);
  FileHandle h = OpenFile(path, kOpenRead | kOpenShareRead | kOpenKeepContents);
  CloseFile(h);
  EXPECT_EQ(FaultInjector::Count(), 2u);
  EXPECT_EQ(FaultInjector::Failures(), 0u);
}

}  // namespace
