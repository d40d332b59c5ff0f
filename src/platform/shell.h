// Starting other programs through the shell, and copying whole folders.
#pragma once

#include <string>

namespace platform {

// Opens a file the way the shell does (ShellExecuteA, verb "open", normal show state). On POSIX
// the file is started as a program when it exists and is executable, directly and without waiting.
// Nothing is reported; the result is not checked by any caller.
void ShellOpen(const std::string& path);

// Copies everything in source into target: files, subfolders and empty subfolders, target and
// its missing subfolders created, existing files overwritten. Goes on past a file it cannot copy
// and returns false at the end when anything failed (LastError set). Never builds a shell command.
bool CopyFolderTree(const std::string& source, const std::string& target);

}  // namespace platform
