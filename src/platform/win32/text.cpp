#include "platform/text.h"

#include <windows.h>

namespace platform {

uint32_t NameCodePage() {
  uint32_t codePage = 0;
  return detail::OverrideCodePage(&codePage) ? codePage : static_cast<uint32_t>(::GetACP());
}

bool IsLeadByte(uint8_t byte) {
  uint32_t codePage = 0;
  if (detail::OverrideCodePage(&codePage)) return detail::TableIsLeadByte(codePage, byte);
  return ::IsDBCSLeadByte(byte) != FALSE;
}

bool EqualNoCase(const std::string& a, const std::string& b) {
  uint32_t codePage = 0;
  if (detail::OverrideCodePage(&codePage)) return detail::TableEqualNoCase(codePage, a, b);
  // Case variants have the same length in the ANSI code pages.
  if (a.size() != b.size()) return false;
  if (a.empty()) return true;
  return ::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(),
                          static_cast<int>(a.size()), b.data(),
                          static_cast<int>(b.size())) == CSTR_EQUAL;
}

std::string FoldCaseKey(const std::string& text) {
  uint32_t codePage = 0;
  if (detail::OverrideCodePage(&codePage)) return detail::TableFoldCase(codePage, text);
  if (text.empty()) return text;
  std::string folded(text.size(), '\0');
  int n =
      ::LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_UPPERCASE, text.data(),
                     static_cast<int>(text.size()), folded.data(), static_cast<int>(folded.size()));
  if (n <= 0) return text;
  folded.resize(static_cast<size_t>(n));
  return folded;
}

}  // namespace platform
