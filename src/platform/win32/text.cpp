#include "platform/text.h"

#include <windows.h>

namespace platform {

bool IsLeadByte(uint8_t byte) { return ::IsDBCSLeadByte(byte) != FALSE; }

bool EqualNoCase(const std::string& a, const std::string& b) {
  // Case variants have the same length in the ANSI code pages.
  if (a.size() != b.size()) return false;
  if (a.empty()) return true;
  return ::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(),
                          static_cast<int>(a.size()), b.data(),
                          static_cast<int>(b.size())) == CSTR_EQUAL;
}

}  // namespace platform
