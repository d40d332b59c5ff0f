#include "platform/wildcard.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using platform::WildcardMatch;

TEST(Wildcard, MatchesLikeTheFileSystem) {
  const std::string longName(5000, 'a');  // many stars over a long name must stay linear
  const struct {
    const char* pattern;
    std::vector<std::string> matched, unmatched;
  } cases[] = {
      // star and question mark
      {"*.Message", {"0123.Message", ".Message"}, {"x.Message.zvtmp"}},
      {"a?c", {"abc"}, {"ac", "abbc"}},
      {"*", {""}, {}},
      {"a*b*c", {"a-b-b-c"}, {"a-b-b-d"}},
      {"**x", {"yyx"}, {}},
      // case is ignored
      {"*.message", {"x.MESSAGE"}, {}},
      {"NAMES.INDEX", {"Names.Index"}, {}},
      {"names.index", {}, {"Names.Indey"}},
      // "*.*" and "name.*" also match names without an extension
      {"*.*", {"noext", "a.b.c", ".", ".."}, {}},
      {"Inbox.*", {"Inbox"}, {"Outbox"}},
      // long names
      {"*a*a*a*a*a*a*a*a*", {longName}, {}},
      {"*a*a*a*a*a*a*a*a*b", {}, {longName}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pattern);
    for (const auto& name : c.matched) EXPECT_TRUE(WildcardMatch(c.pattern, name)) << name;
    for (const auto& name : c.unmatched) EXPECT_FALSE(WildcardMatch(c.pattern, name)) << name;
  }
}

}  // namespace
