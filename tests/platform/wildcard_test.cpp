#include <gtest/gtest.h>

#include "platform/wildcard.h"

namespace {

using platform::WildcardMatch;

TEST(Wildcard, StarAndQuestionMark) {
  EXPECT_TRUE(WildcardMatch("*.Message", "0123.Message"));
  EXPECT_TRUE(WildcardMatch("*.Message", ".Message"));
  EXPECT_FALSE(WildcardMatch("*.Message", "x.Message.zvtmp"));
  EXPECT_TRUE(WildcardMatch("a?c", "abc"));
  EXPECT_FALSE(WildcardMatch("a?c", "ac"));
  EXPECT_FALSE(WildcardMatch("a?c", "abbc"));
  EXPECT_TRUE(WildcardMatch("*", ""));
  EXPECT_TRUE(WildcardMatch("a*b*c", "a-b-b-c"));
  EXPECT_FALSE(WildcardMatch("a*b*c", "a-b-b-d"));
  EXPECT_TRUE(WildcardMatch("**x", "yyx"));
}

TEST(Wildcard, CaseIsIgnored) {
  EXPECT_TRUE(WildcardMatch("*.message", "x.MESSAGE"));
  EXPECT_TRUE(WildcardMatch("NAMES.INDEX", "Names.Index"));
  EXPECT_FALSE(WildcardMatch("names.index", "Names.Indey"));
}

TEST(Wildcard, DotStarAlsoMatchesNamesWithoutExtension) {
  EXPECT_TRUE(WildcardMatch("*.*", "noext"));
  EXPECT_TRUE(WildcardMatch("*.*", "a.b.c"));
  EXPECT_TRUE(WildcardMatch("*.*", "."));
  EXPECT_TRUE(WildcardMatch("*.*", ".."));
  EXPECT_TRUE(WildcardMatch("Inbox.*", "Inbox"));
  EXPECT_FALSE(WildcardMatch("Inbox.*", "Outbox"));
}

TEST(Wildcard, LongNamesStayLinear) {
  std::string name(5000, 'a');
  EXPECT_FALSE(WildcardMatch("*a*a*a*a*a*a*a*a*b", name));
  EXPECT_TRUE(WildcardMatch("*a*a*a*a*a*a*a*a*", name));
}

}  // namespace
