// Binary file handles with the open modes of the file-access design.
//
// A mode is one access value, one sharing value and any of the flags below, or'ed together (the
// same values TvFile takes).
//
// Sharing is enforced as Windows does it on both backends: an open whose access conflicts with the
// sharing of an open handle on the same file (or whose sharing forbids the access of one) fails
// with SysError::kSharingViolation.
//
// Every function sets LastError() when it fails. Every call passes through the fault injector
// (fault_injection.h) first, so tests can make any one of them fail.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

using FileHandle = std::intptr_t;
inline constexpr FileHandle kInvalidFile = -1;

// Access: mode & kOpenAccessMask.
inline constexpr uint32_t kOpenAccessMask = 0x3;
inline constexpr uint32_t kOpenRead = 0x0;
inline constexpr uint32_t kOpenWrite = 0x1;
inline constexpr uint32_t kOpenReadWrite = 0x2;
inline constexpr uint32_t kOpenNoAccess = 0x3;  // size and attribute queries only
// Sharing: mode & kOpenShareMask; what other handles on the same file may do while this one is
// open. Every value not named here (0x50, 0x60, 0x70) shares nothing, as kOpenShareNone does.
inline constexpr uint32_t kOpenShareMask = 0x70;
inline constexpr uint32_t kOpenShareNone = 0x00;
inline constexpr uint32_t kOpenExclusive = 0x10;  // shares nothing either; new files use it
inline constexpr uint32_t kOpenShareRead = 0x20;
inline constexpr uint32_t kOpenShareWrite = 0x30;
inline constexpr uint32_t kOpenShareReadWrite = 0x40;
// The handle is not inherited by child processes (it is when the bit is clear).
inline constexpr uint32_t kOpenNoInherit = 0x80;
// Creation. Without kOpenCreate only an existing file opens (kOpenKeepContents alone changes
// nothing); kOpenCreate alone creates the file or truncates an existing one; with
// kOpenKeepContents it opens an existing file as it is or creates a missing one empty.
inline constexpr uint32_t kOpenCreate = 0x1000;
inline constexpr uint32_t kOpenKeepContents = 0x2000;
// With kOpenCreate, create a new file only: an existing name (a link included) fails with
// SysError::kAlreadyExists and no link is followed. POSIX only (O_EXCL | O_NOFOLLOW); the Windows
// backend ignores the bit.
inline constexpr uint32_t kOpenNewOnly = 0x4000;

enum FileOrigin : int { kFromStart = 0, kFromCurrent = 1, kFromEnd = 2 };

// The open handle, or kInvalidFile (a directory never opens as a file).
FileHandle OpenFile(const std::string& path, uint32_t mode);

// Reads up to count bytes at the file pointer; *done receives the bytes read, fewer than count
// only at the end of the file. False (with *done the bytes read before it) only on an error.
bool ReadFile(FileHandle file, void* buffer, uint32_t count, uint32_t* done);
// Writes count bytes at the file pointer; on success *done == count. False (with *done the bytes
// written before it) on an error, a full disk included.
bool WriteFile(FileHandle file, const void* buffer, uint32_t count, uint32_t* done);
// Moves the file pointer by a signed 64-bit distance from the origin; *newPosition (may be null)
// receives the new position. A position before the start fails and leaves the pointer where it
// was (ERROR_NEGATIVE_SEEK on Windows, EINVAL on POSIX); one past the end is allowed.
bool SeekFile(FileHandle file, int64_t distance, FileOrigin origin, uint64_t* newPosition);
// *size receives the file's length in bytes.
bool FileSize(FileHandle file, uint64_t* size);
// When true, the file's contents and metadata are on stable storage (FlushFileBuffers / fsync).
bool FlushFile(FileHandle file);
// Forces the contents of several files to stable storage with as few system calls as the
// platform allows: one syncfs per file system where that is sound, a flush of each file
// everywhere else (flush_method.h; FlushFileBuffers of each on Windows). errors[i] receives 0
// for a file that is on stable storage, else the system error for it; true when every file is.
bool FlushFiles(const FileHandle* files, size_t count, uint32_t* errors);
bool CloseFile(FileHandle file);

}  // namespace platform
