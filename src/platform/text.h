// Code-page facts for names and paths. Texts are byte strings in the system's ANSI code page; in
// a double-byte code page (932, 936, 949, 950) a lead byte starts a two-byte character whose
// second byte may equal a separator or an ASCII letter, so such bytes must be stepped over, never
// matched or folded on their own.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// The code page the name rules follow: one put in force by ScopedNameCodePage, else the system's
// ANSI code page (GetACP on Windows; 0, single-byte, on POSIX).
uint32_t NameCodePage();

// Puts codePage in force for the name rules of this process until the object goes (0 means
// single-byte). The rules are then those of the code page's table below, on every platform, so the
// double-byte handling can be exercised where the system does not use such a code page.
class ScopedNameCodePage {
 public:
  explicit ScopedNameCodePage(uint32_t codePage);
  ~ScopedNameCodePage();
  ScopedNameCodePage(const ScopedNameCodePage&) = delete;
  ScopedNameCodePage& operator=(const ScopedNameCodePage&) = delete;

 private:
  bool m_hadOverride;
  uint32_t m_previous;
};

// True when byte starts a double-byte character in the code page in force.
bool IsLeadByte(uint8_t byte);

// Equal without regard to case: CompareStringA on Windows (the system's rules); otherwise ASCII
// letters fold and the bytes of a double-byte character compare exactly.
bool EqualNoCase(const std::string& a, const std::string& b);

// A key under which texts that EqualNoCase takes for equal are the same: letters folded to upper
// case by the same rules (LCMapStringA on Windows), double-byte characters unchanged.
std::string FoldCaseKey(const std::string& text);

namespace detail {
// The portable rules of a given code page, shared by both backends.
bool TableIsLeadByte(uint32_t codePage, uint8_t byte);
bool TableEqualNoCase(uint32_t codePage, const std::string& a, const std::string& b);
std::string TableFoldCase(uint32_t codePage, const std::string& text);
// The override of ScopedNameCodePage; false when none is in force.
bool OverrideCodePage(uint32_t* codePage);
}  // namespace detail

}  // namespace platform
