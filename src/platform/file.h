// Binary file handles with the open modes of the file-access design.
//
// Mode bits (the same values TvFile takes):
//   access  (mode & 3):    0 read, 1 write, 2 read and write, 3 no access requested
//   sharing (mode & 0x70): 0x20 others may read, 0x30 others may write, 0x40 others may read and
//                          write; 0x00, 0x10, 0x50, 0x60, 0x70 no sharing
//   0x80:   the handle is not inherited by child processes (inherited when clear)
//   0x1000: create; with 0x2000 open-or-create keeping the contents, without it create-or-truncate
//           (without 0x1000 an existing file only; 0x2000 alone has no effect)
//   0x4000: with 0x1000, create a new file only: an existing name (a link included) fails with
//           SysError::kAlreadyExists and no link is followed. POSIX only (O_EXCL | O_NOFOLLOW);
//           the Windows backend ignores the bit.
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

// Mode bit: create a new file only, following no link (see above).
inline constexpr uint32_t kModeNewOnly = 0x4000;

enum FileOrigin : int { kFromStart = 0, kFromCurrent = 1, kFromEnd = 2 };

FileHandle OpenFile(const std::string& path, uint32_t mode);

// One system read of count bytes; *done receives the bytes read (fewer at the end of the file).
// False only when the system call fails.
bool ReadFile(FileHandle file, void* buffer, uint32_t count, uint32_t* done);
// One system write; *done receives the bytes written.
bool WriteFile(FileHandle file, const void* buffer, uint32_t count, uint32_t* done);
// Moves the file pointer by a signed 64-bit distance from the origin; a position before the start
// fails and leaves the pointer where it was (ERROR_NEGATIVE_SEEK on Windows, EINVAL on POSIX), one
// past the end is allowed. *newPosition may be null.
bool SeekFile(FileHandle file, int64_t distance, FileOrigin origin, uint64_t* newPosition);
bool FileSize(FileHandle file, uint64_t* size);
// Forces the file's contents and metadata to stable storage (FlushFileBuffers / fsync).
bool FlushFile(FileHandle file);
// Forces the contents of several files to stable storage with as few system calls as the
// platform allows (one syncfs per file system on Linux, FlushFileBuffers of each on Windows).
// errors[i] receives 0 for a file that is on stable storage, else the system error for it; true
// when every file is.
bool FlushFiles(const FileHandle* files, size_t count, uint32_t* errors);
bool CloseFile(FileHandle file);

}  // namespace platform
