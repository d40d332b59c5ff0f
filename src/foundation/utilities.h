// Path, file-system, text and process utilities shared by the stores. None keeps state.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/types.h"

using TvStringList = std::vector<std::string>;

// Names and paths in the system's code page. These are the one place where a path is split at a
// separator, a name is judged plain and two names are compared without regard to case: each
// steps over double-byte characters, whose second byte may look like a separator or a letter.

// Position of the last separator of path, or npos.
size_t FindLastSeparator(const std::string& path);
// Position of the first separator at or after from, or npos; characters are counted from the
// start of path, so a trail byte at from is never taken for a separator.
size_t FindSeparatorFrom(const std::string& path, size_t from);
// True when name is usable as a single file or directory name on every platform the tool runs
// on: not empty, not "." or "..", no separator, drive colon, wildcard or other character Windows
// forbids, no control character, no trailing dot or blank (Windows drops them, so two names
// would meet in one entry), and no reserved device name (CON, PRN, AUX, NUL, COM1-9, LPT1-9,
// with or without an extension).
bool IsPlainName(const std::string& name);
// Equal without regard to case, in the system's rules.
bool EqualNoCase(const std::string& a, const std::string& b);
// The key under which names EqualNoCase takes for the same are the same (for hash and map keys).
std::string FoldCase(const std::string& text);
// path itself when it exists; otherwise, when the entry it names exists under another letter case
// (a data folder copied from Windows to POSIX), the path of that entry; otherwise path. Fixed file
// names of the data folder are looked up through this; new files keep the names the formats define.
std::string ExistingFileName(const std::string& path);

// Appends the platform's separator when the text is longer than one byte and does not end in one.
void AppendBackslash(std::string& text);
// The part after the last separator (code-page aware); the whole path and false when none.
TvBool FileNameFromPath(std::string& output, const std::string& path);
// A directory search for path (wildcards allowed) finds a file or a directory.
TvBool FileExists(const std::string& path);
// Deletes a file; shows the file error and returns false when it cannot.
TvBool RemoveFile(const std::string& path);
// RemoveFile when the file exists; false without a message when it does not.
TvBool DeleteFileIfExists(const std::string& path);
// Creates the last level of path; true when created or when the name already exists.
TvBool EnsureDirectory(const std::string& path);
// Full paths of the plain files in directory that match pattern, in the platform's order.
void ListFiles(TvStringList& list, const std::string& directory, const std::string& pattern);
// Bare names matching pattern whose directory bit equals wantDirectories, never "." or "..".
// Returns the list's size afterwards.
uint32_t ListNames(TvStringList& list, const std::string& pattern, TvBool wantDirectories);

// Sixteen upper-case hexadecimal digits, most significant first.
TvBool AppendHex64(uint64_t value, std::string& output, TvBool clear);
TvBool AppendHexByte(uint8_t byte, std::string& output);
// Pairs of hexadecimal digits (either case) to bytes, at most maxBytes.
void HexToBytes(uint8_t* output, int32_t maxBytes, const std::string& text);
uint32_t ReadBigEndian32(const uint8_t* block, uint32_t offset);
// Zero-fills width bytes and copies at most width bytes of text; false (all zeros) for "".
TvBool CopyToFixedField(uint8_t* field, uint32_t width, const std::string& text);
// "512.0 b", "1.000 Mb", "4.656 Gb": decimal thresholds, binary divisors, cut to 5 characters.
void FormatSize(std::string& output, int64_t count);

// The folder chooser titled "Select a folder:"; true and output set when a folder was chosen.
TvBool BrowseForFolder(std::string& output);
// Runs a command line as a new process and waits for it; shows the system's text and returns
// false when it cannot be started.
TvBool RunAndWait(const std::string& commandLine);
