#include "platform/wildcard.h"

namespace platform {

namespace {

char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Iterative glob match with one backtracking point for the last '*': linear in practice and never
// exponential, whatever the pattern.
bool Match(const char* p, const char* pEnd, const char* n, const char* nEnd) {
  const char* starP = nullptr;
  const char* starN = nullptr;
  while (n != nEnd) {
    if (p != pEnd && *p == '*') {
      starP = ++p;
      starN = n;
    } else if (p != pEnd && (*p == '?' || Fold(*p) == Fold(*n))) {
      ++p;
      ++n;
    } else if (starP != nullptr) {
      p = starP;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p != pEnd && *p == '*') ++p;
  return p == pEnd;
}

}  // namespace

bool WildcardMatch(const std::string& pattern, const std::string& name) {
  const char* p = pattern.data();
  const char* n = name.data();
  if (Match(p, p + pattern.size(), n, n + name.size())) return true;
  if (pattern.size() >= 2 && pattern.compare(pattern.size() - 2, 2, ".*") == 0) {
    return Match(p, p + pattern.size() - 2, n, n + name.size());
  }
  return false;
}

}  // namespace platform
