// Names taken from stored data (folder names, attachment names) are text, not trusted paths.
// These helpers decide whether such a text can be used as one directory entry name, and make a
// safe, unique file name for an attachment when it cannot.
#pragma once

#include <cstdint>
#include <string>

// True when name is usable as a single file or directory name on every platform the tool runs
// on: not empty, not "." or "..", no separator, drive colon, wildcard or other character Windows
// forbids, no control character, no trailing dot or blank (Windows drops them, so two names
// would meet in one entry), and no reserved device name (CON, PRN, AUX, NUL, COM1-9, LPT1-9,
// with or without an extension).
bool IsPlainName(const std::string& name);

// ASCII letters folded to upper case, other bytes unchanged: the key under which two names are
// taken for the same entry.
std::string FoldCase(const std::string& text);
bool EqualNoCase(const std::string& a, const std::string& b);

// A file name for the attachment at index (0-based) of a message whose stored name is not plain,
// too long, or already used: "Attachment <index+1>" with the stored name's extension when that
// extension is short and plain. At most maxLength bytes (maxLength of 16 or more).
std::string FallbackAttachmentName(const std::string& storedName, uint32_t index,
                                   uint32_t maxLength);
