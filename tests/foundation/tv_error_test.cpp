#include <gtest/gtest.h>

#include "foundation/tv_error.h"
#include "platform/system_error.h"
#include "support/scratch_dir.h"

namespace {

using platform::ErrorCode;
using platform::SysError;

class ErrorTest : public tvtest::ScratchTest {};

TEST_F(ErrorTest, FileErrorFillsThePatternAndShowsOnceWhenAsked) {
  uint32_t code = ErrorCode(SysError::kAccessDenied);
  platform::SetLastError(code);
  {
    TvFileError error("C:\\data\\x.List", 1);
    EXPECT_EQ(error.m_csMessage, "Operation with file 'C:\\data\\x.List' has failed, because: " +
                                     platform::ErrorText(code));
    EXPECT_EQ(error.m_dwordErrorCode, code);
    EXPECT_EQ(error.m_dwordSavedError, code);
    EXPECT_EQ(error.m_boolFormatted, 1);
  }
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].icon, platform::BoxIcon::kError);
  EXPECT_EQ(ui.boxes[0].buttons, platform::BoxButtons::kOk);
}

TEST_F(ErrorTest, NullNameReadsUnnamedAndEmptyNameStaysEmpty) {
  platform::SetLastError(ErrorCode(SysError::kFileNotFound));
  TvFileError unnamed(nullptr, 0);
  EXPECT_EQ(unnamed.m_csMessage.rfind("Operation with file 'Unnamed' has failed, because: ", 0),
            0u);
  TvFileError empty("", 0);
  EXPECT_EQ(empty.m_csMessage.rfind("Operation with file '' has failed, because: ", 0), 0u);
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(ErrorTest, CaptionIsTheApplicationName) {
  std::string previous = platform::ApplicationName();
  platform::SetApplicationName("ZV30TO31");
  platform::SetLastError(ErrorCode(SysError::kDiskFull));
  { TvError error(1); }
  platform::SetApplicationName(previous);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].caption, "ZV30TO31");
  EXPECT_EQ(ui.boxes[0].text, platform::ErrorText(ErrorCode(SysError::kDiskFull)));
}

TEST_F(ErrorTest, DestructionRestoresTheLastErrorSeenAtConstruction) {
  uint32_t code = ErrorCode(SysError::kWriteFault);
  platform::SetLastError(code);
  {
    TvFileError error("f", 0);
    platform::SetLastError(ErrorCode(SysError::kInvalidParameter));  // work done meanwhile
  }
  EXPECT_EQ(platform::LastError(), code);
}

TEST_F(ErrorTest, SystemTextIsNotEmptyForWellKnownCodes) {
  for (SysError e : {SysError::kFileNotFound, SysError::kAccessDenied, SysError::kSharingViolation,
                     SysError::kDiskFull, SysError::kAlreadyExists}) {
    std::string text = platform::ErrorText(ErrorCode(e));
    EXPECT_FALSE(text.empty());
    EXPECT_LE(text.size(), 1023u);
  }
  EXPECT_NE(platform::ErrorText(ErrorCode(SysError::kFileNotFound)),
            platform::ErrorText(ErrorCode(SysError::kAccessDenied)));
}

}  // namespace
