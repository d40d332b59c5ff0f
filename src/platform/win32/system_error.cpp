#include "platform/system_error.h"

#include <windows.h>

namespace platform {

uint32_t LastError() { return static_cast<uint32_t>(::GetLastError()); }

void SetLastError(uint32_t code) { ::SetLastError(static_cast<DWORD>(code)); }

std::string ErrorText(uint32_t code) {
  char buffer[1024];
  DWORD n = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             static_cast<DWORD>(code), 0x400, buffer, 1023, nullptr);
  return std::string(buffer, n > 1023 ? 1023 : n);
}

uint32_t ErrorCode(SysError error) {
  switch (error) {
    case SysError::kFileNotFound:
      return ERROR_FILE_NOT_FOUND;
    case SysError::kPathNotFound:
      return ERROR_PATH_NOT_FOUND;
    case SysError::kAccessDenied:
      return ERROR_ACCESS_DENIED;
    case SysError::kSharingViolation:
      return ERROR_SHARING_VIOLATION;
    case SysError::kDiskFull:
      return ERROR_DISK_FULL;
    case SysError::kWriteFault:
      return ERROR_WRITE_FAULT;
    case SysError::kReadFault:
      return ERROR_READ_FAULT;
    case SysError::kAlreadyExists:
      return ERROR_ALREADY_EXISTS;
    case SysError::kInvalidParameter:
      return ERROR_INVALID_PARAMETER;
    case SysError::kHandleEof:
      return ERROR_HANDLE_EOF;
    case SysError::kTooManyOpenFiles:
      return ERROR_TOO_MANY_OPEN_FILES;
  }
  return ERROR_INVALID_PARAMETER;
}

bool IsHandleShortage(uint32_t code) { return code == ERROR_TOO_MANY_OPEN_FILES; }

}  // namespace platform
