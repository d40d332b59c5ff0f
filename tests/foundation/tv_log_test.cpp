#include "foundation/tv_log.h"

#include <gtest/gtest.h>

#include <regex>
#include <thread>
#include <tuple>
#include <vector>

#include "foundation/data_paths.h"
#include "foundation/tv_file.h"
#include "platform/file_system.h"
#include "support/scratch_dir.h"

namespace {

// The stamp for a broken-down time: years since 1900, months from 0.
std::string Stamp(int year, int month, int day, int hour, int minute, int second) {
  std::tm t{};
  std::tie(t.tm_year, t.tm_mon, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec) =
      std::tie(year, month, day, hour, minute, second);
  return TvLog::FormatTimeStamp(t);
}

TEST(LogLayout, TimeStampIsMonthDayYearAndTwentyFourHourClock) {
  EXPECT_EQ(Stamp(126, 11, 6, 9, 24, 0), "12/06/26 09:24:00");   // 2026
  EXPECT_EQ(Stamp(100, 0, 31, 23, 5, 59), "01/31/00 23:05:59");  // 2000
}

TEST(LogLayout, InfoWithoutCategory) {
  EXPECT_EQ(
      TvLog::FormatLine("12/06/26 09:24:00", "Message: x , Converted", kLogInfo, kLogNoCategory),
      " 2 12/06/26 09:24:00 @  Info: Message: x , Converted\r\n");
}

TEST(LogLayout, CategoryAndLevelCodes) {
  EXPECT_EQ(TvLog::FormatLine("T", "m", kLogError, 1), " 10 T @  Database Error: m\r\n");
  EXPECT_EQ(TvLog::FormatLine("T", "m", kLogSecurity, 6), " 63 T @  Scheduler Security: m\r\n");
  EXPECT_EQ(TvLog::FormatLine("T", "m", kLogNotify, 0), " 01 T @  System Notify: m\r\n");
  // A category outside 0..6 gives only its code character.
  EXPECT_EQ(TvLog::FormatLine("T", "m", kLogInfo, 7), " 72 T @  Info: m\r\n");
  // An unknown level gives its code character and no text.
  EXPECT_EQ(TvLog::FormatLine("T", "m", 4, kLogNoCategory), " 4 T @ m\r\n");
  // An empty time stamp leaves the separator.
  EXPECT_EQ(TvLog::FormatLine("", "m", kLogInfo, kLogNoCategory), " 2  @  Info: m\r\n");
}

class LogTest : public tvtest::ScratchTest {
 protected:
  LogTest() : paths(scratch.Path()), log(paths) {}
  std::vector<std::string> Lines() {
    std::string text = tvtest::ReadWholeFile(log.FilePath());
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
      lines.push_back(text.substr(start, end - start + 2));
    }
    EXPECT_EQ(start, text.size()) << "text after the last line end";
    return lines;
  }
  TvFixedDataPaths paths;
  TvLog log;
};

TEST_F(LogTest, AppendsLinesWithACurrentTimeStamp) {
  EXPECT_TRUE(log.Add("first", kLogInfo));
  EXPECT_TRUE(log.Add("second", kLogError));
  std::vector<std::string> lines = Lines();
  ASSERT_EQ(lines.size(), 2u);
  std::regex info(R"( 2 \d\d/\d\d/\d\d \d\d:\d\d:\d\d @  Info: first\r\n)");
  std::regex error(R"( 0 \d\d/\d\d/\d\d \d\d:\d\d:\d\d @  Error: second\r\n)");
  EXPECT_TRUE(std::regex_match(lines[0], info)) << lines[0];
  EXPECT_TRUE(std::regex_match(lines[1], error)) << lines[1];
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(LogTest, OnlyErrorLinesAreCounted) {
  log.Add("a", kLogNotify);
  log.Add("b", kLogSecurity);
  log.Add("c", 4);
  EXPECT_EQ(log.m_dwordErrorCount, 0u);
  log.Add("d", kLogError, 2);
  log.Add("e", kLogError);
  EXPECT_EQ(log.m_dwordErrorCount, 2u);
}

TEST_F(LogTest, ErrorLineThatCannotBeWrittenIsStillCounted) {
  TvFile holder(0, 1);
  ASSERT_TRUE(holder.Open(log.FilePath(), kModeLog));  // held without sharing
  EXPECT_FALSE(log.Add("lost", kLogError));
  EXPECT_EQ(log.m_dwordErrorCount, 1u);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text.rfind("Operation with file '" + log.FilePath() + "'", 0), 0u);
  holder.Close();
  // The lock was released on that way out too.
  EXPECT_TRUE(log.Add("kept", kLogInfo));
  EXPECT_EQ(Lines().size(), 1u);
}

TEST_F(LogTest, FileIsInTheUserDataFolderAndAMissingFolderLosesTheLine) {
  EXPECT_EQ(log.FilePath(), scratch.Path() + "Conversion3.0-3.1.Log.Txt");
  TvFixedDataPaths missing(scratch.File("no such folder"));
  TvLog other(missing);
  EXPECT_FALSE(other.Add("x", kLogError));
  EXPECT_EQ(other.m_dwordErrorCount, 1u);
  EXPECT_EQ(ui.boxes.size(), 1u);
}

TEST_F(LogTest, SecondRunAppendsBelowTheFirst) {
  log.Add("run one", kLogError);
  {
    TvLog second(paths);
    second.Add("run two", kLogError);
  }
  std::vector<std::string> lines = Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0].find("run one"), std::string::npos);
  EXPECT_NE(lines[1].find("run two"), std::string::npos);
}

TEST_F(LogTest, MessageIsWrittenUnchanged) {
  log.Add("one\r\ntwo", kLogInfo);
  std::string text = tvtest::ReadWholeFile(log.FilePath());
  EXPECT_EQ(text.substr(text.size() - 16), "Info: one\r\ntwo\r\n");
}

TEST_F(LogTest, DeleteLogFile) {
  log.DeleteLogFile();  // no file: nothing shown
  EXPECT_TRUE(ui.boxes.empty());
  log.Add("x", kLogInfo);
  ASSERT_TRUE(tvtest::PathExists(log.FilePath()));
  log.DeleteLogFile();
  EXPECT_FALSE(tvtest::PathExists(log.FilePath()));
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(LogTest, LinesFromSeveralThreadsNeverInterleave) {
  const int kThreads = 4;
  const int kLines = 25;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kLines; ++i) {
        log.Add("thread " + std::to_string(t) + " line " + std::to_string(i), kLogError);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(log.m_dwordErrorCount, static_cast<uint32_t>(kThreads * kLines));
  std::vector<std::string> lines = Lines();
  ASSERT_EQ(lines.size(), static_cast<size_t>(kThreads * kLines));
  std::regex shape(R"( 0 [0-9/: ]{17} @  Error: thread \d line \d+\r\n)");
  for (const std::string& line : lines) EXPECT_TRUE(std::regex_match(line, shape)) << line;
}

}  // namespace
