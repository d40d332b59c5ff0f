// Name matching of a directory search, shared by both backends' callers and tests.
#pragma once

#include <string>

namespace platform {

// Matches name against a search pattern as FindFirstFileA does for long names: '*' any run of
// characters, '?' exactly one, ASCII letters without regard to case, and a pattern ending in ".*"
// also matches the names without that extension, so "*.*" matches every name.
bool WildcardMatch(const std::string& pattern, const std::string& name);

}  // namespace platform
