// Directories, names and whole files.
//
// Paths are byte strings in the ANSI code page with the platform's separator ('\' on Windows,
// '/' on POSIX). Every function that fails sets LastError().
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

inline constexpr char kPathSeparator =
#ifdef _WIN32
    '\\';
#else
    '/';
#endif

bool IsPathSeparator(char c);  // '\' and '/' on Windows, '/' on POSIX

struct DirEntry {
  std::string name;  // bare name, no folder
  bool isDirectory = false;
};

// Directory search as FindFirstFileA/FindNextFileA: the last component of pattern may hold '*'
// and '?', matched without regard to case on both backends, and "*.*" matches every name, with a
// dot or without. The result may include "." and "..". Order is the platform's. Returns false
// (LastError set) when nothing matches or the folder cannot be searched.
bool FindEntries(const std::string& pattern, std::vector<DirEntry>* entries);

// True when the file at path was removed; false when it is missing, a directory, open (as Windows
// refuses), or cannot be removed.
bool DeleteFile(const std::string& path);
// Creates one directory level. When the name already exists (directory or file) it fails with
// SysError::kAlreadyExists.
bool CreateDirectory(const std::string& path);
// On success `to` holds what `from` held, replaced in one step, `from` is gone, and the rename is
// on stable storage (MoveFileExA with MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH; rename
// and fsync of the directory on POSIX).
bool MoveFileReplace(const std::string& from, const std::string& to);
// Renames from to to without flushing the directory (FlushDirectory does, once for many
// renames). Without replaceExisting an existing `to` is left alone and the call fails with
// SysError::kAlreadyExists. On Windows every rename is written through, as MoveFileReplace.
bool MoveFileUnflushed(const std::string& from, const std::string& to, bool replaceExisting);
// Makes the renames and deletions made in directory durable (fsync of the directory on POSIX;
// nothing on Windows, whose renames are written through). The fault injector can fail it
// (FileOp::kFlushDirectory), as it can the directory flush inside MoveFileReplace on POSIX.
bool FlushDirectory(const std::string& directory);
// True when path names an existing directory.
bool IsDirectory(const std::string& path);
// path when an entry of that exact name exists, or when none exists under any letter case;
// otherwise the path of the first entry of the same folder whose name equals the last component
// without regard to case. Windows names already ignore case, so there it is path itself.
std::string ExistingEntryName(const std::string& path);
// True when directory can be listed; false with LastError set (no permission, not a directory,
// missing) when it cannot.
bool CanListDirectory(const std::string& directory);
// True when the two paths name one directory as the file system sees it. POSIX: the same bytes,
// or one existing directory reached by both (a volume that ignores case); "Projects" and
// "projects" are two directories elsewhere. Windows: equal without regard to case.
bool SameDirectory(const std::string& a, const std::string& b);
// The size of the file at path, by name, without opening it (a query: not counted by the fault
// injector). False (LastError set) when there is no such file.
bool FileSizeByPath(const std::string& path, uint64_t* size);
// A folder that only this user may use for private files: a real directory (no link), owned by
// the user. POSIX: created with mode 0700 when missing; a folder that exists but is a link or
// belongs to someone else fails with SysError::kAccessDenied. Windows: created when missing.
// True when it exists as such afterwards.
bool EnsurePrivateDirectory(const std::string& path);

// The system temporary directory, ending in a separator (GetTempPathA; ${TMPDIR:-/tmp}/).
std::string TempDirectory();
std::string CurrentDirectory();
bool SetCurrentDirectory(const std::string& path);
// Full path of the running executable.
std::string ProgramPath();

}  // namespace platform
