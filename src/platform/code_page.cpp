#include <atomic>

#include "platform/text.h"

namespace platform {

namespace {

// -1 when no override is in force, else the code page.
std::atomic<int64_t> g_override{-1};

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

namespace detail {

bool TableIsLeadByte(uint32_t codePage, uint8_t byte) {
  switch (codePage) {
    case 932:  // Japanese (Shift JIS)
      return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case 936:  // Simplified Chinese (GBK)
    case 949:  // Korean
    case 950:  // Traditional Chinese (Big5)
      return byte >= 0x81 && byte <= 0xFE;
    default:
      return false;
  }
}

std::string TableFoldCase(uint32_t codePage, const std::string& text) {
  std::string folded = text;
  for (size_t i = 0; i < folded.size(); ++i) {
    if (TableIsLeadByte(codePage, static_cast<uint8_t>(folded[i])) && i + 1 < folded.size()) {
      ++i;  // the trail byte is part of the character, not a letter
    } else {
      folded[i] = UpperAscii(folded[i]);
    }
  }
  return folded;
}

bool TableEqualNoCase(uint32_t codePage, const std::string& a, const std::string& b) {
  return a.size() == b.size() && TableFoldCase(codePage, a) == TableFoldCase(codePage, b);
}

bool OverrideCodePage(uint32_t* codePage) {
  int64_t value = g_override.load();
  if (value < 0) return false;
  *codePage = static_cast<uint32_t>(value);
  return true;
}

}  // namespace detail

ScopedNameCodePage::ScopedNameCodePage(uint32_t codePage) {
  m_hadOverride = detail::OverrideCodePage(&m_previous);
  g_override.store(codePage);
}

ScopedNameCodePage::~ScopedNameCodePage() {
  g_override.store(m_hadOverride ? static_cast<int64_t>(m_previous) : -1);
}

}  // namespace platform
