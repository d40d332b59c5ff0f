// The system's last-error value and its message text.
//
// Codes are the platform's own numbering: Win32 error codes on Windows, errno values on POSIX.
// Every platform call below that fails leaves its reason in LastError(), as GetLastError() does.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

uint32_t LastError();
void SetLastError(uint32_t code);

// The system's message text for a code (FormatMessageA with the user's default language on Windows,
// strerror on POSIX), as the system gives it, line end included. At most 1023 characters.
std::string ErrorText(uint32_t code);

// Well-known failures, mapped to the platform's own code for each.
enum class SysError {
  kFileNotFound,      // ERROR_FILE_NOT_FOUND / ENOENT
  kPathNotFound,      // ERROR_PATH_NOT_FOUND / ENOENT
  kAccessDenied,      // ERROR_ACCESS_DENIED / EACCES
  kSharingViolation,  // ERROR_SHARING_VIOLATION / EBUSY
  kDiskFull,          // ERROR_DISK_FULL / ENOSPC
  kWriteFault,        // ERROR_WRITE_FAULT / EIO
  kReadFault,         // ERROR_READ_FAULT / EIO
  kAlreadyExists,     // ERROR_ALREADY_EXISTS / EEXIST
  kInvalidParameter,  // ERROR_INVALID_PARAMETER / EINVAL
  kHandleEof,         // ERROR_HANDLE_EOF / a code of its own: a read that ended at the end of the file
  kTooManyOpenFiles,  // ERROR_TOO_MANY_OPEN_FILES / EMFILE
};
uint32_t ErrorCode(SysError error);

// True when a failure means the process (or the system) has no file handle left: it says nothing
// about the file, and the same open may succeed once some handles are closed.
// ERROR_TOO_MANY_OPEN_FILES on Windows; EMFILE or ENFILE on POSIX.
bool IsHandleShortage(uint32_t code);

}  // namespace platform
