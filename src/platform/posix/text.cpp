#include "platform/text.h"

namespace platform {

// POSIX texts are single-byte unless a code page was put in force.
uint32_t NameCodePage() {
  uint32_t codePage = 0;
  return detail::OverrideCodePage(&codePage) ? codePage : 0;
}

bool IsLeadByte(uint8_t byte) { return detail::TableIsLeadByte(NameCodePage(), byte); }

bool EqualNoCase(const std::string& a, const std::string& b) {
  return detail::TableEqualNoCase(NameCodePage(), a, b);
}

std::string FoldCaseKey(const std::string& text) {
  return detail::TableFoldCase(NameCodePage(), text);
}

}  // namespace platform
