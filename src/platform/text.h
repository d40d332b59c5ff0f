// Code-page aware text helpers that need the system's code page.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// True when byte starts a double-byte character of the ANSI code page in force (always false on
// POSIX, where texts are treated as single-byte).
bool IsLeadByte(uint8_t byte);

// Compares two texts without regard to case, multi-byte aware in the ANSI code page on Windows;
// on POSIX the ASCII letters are folded and every other byte compares exactly.
bool EqualNoCase(const std::string& a, const std::string& b);

}  // namespace platform
