#include <gtest/gtest.h>

#include "platform/command_line.h"

namespace {

using platform::SplitCommandLine;
using Args = std::vector<std::string>;

TEST(CommandLine, BlanksSeparateAndQuotesGroup) {
  EXPECT_EQ(SplitCommandLine("xcopy  a\tb "), Args({"xcopy", "a", "b"}));
  EXPECT_EQ(SplitCommandLine("xcopy \"C:\\data folder\\*.*\" \"D:\\Zorvane BackUp\\\" /E /Y"),
            Args({"xcopy", "C:\\data folder\\*.*", "D:\\Zorvane BackUp\" /E /Y"}));
  EXPECT_EQ(SplitCommandLine(""), Args());
  EXPECT_EQ(SplitCommandLine("   "), Args());
}

TEST(CommandLine, ProgramNameKeepsBackslashesAndDropsQuotes) {
  EXPECT_EQ(SplitCommandLine("\"C:\\Program Files\\x\\\" y"),
            Args({"C:\\Program Files\\x\\", "y"}));
  EXPECT_EQ(SplitCommandLine("C:\\bin\\tool.exe"), Args({"C:\\bin\\tool.exe"}));
}

TEST(CommandLine, BackslashesBeforeQuotes) {
  EXPECT_EQ(SplitCommandLine("p a\\\\\"b c\""), Args({"p", "a\\b c"}));    // 2n: n and a quote
  EXPECT_EQ(SplitCommandLine("p a\\\"b"), Args({"p", "a\"b"}));            // 2n+1: literal quote
  EXPECT_EQ(SplitCommandLine("p a\\\\b"), Args({"p", "a\\\\b"}));          // no quote: literal
  EXPECT_EQ(SplitCommandLine("p \"a\"\"b\""), Args({"p", "a\"b"}));        // "" inside quotes
  EXPECT_EQ(SplitCommandLine("p \"\""), Args({"p", ""}));                  // an empty argument
}

}  // namespace
