#include "platform/system_error.h"

#include <cerrno>
#include <cstring>
#include <mutex>

namespace platform {

namespace {
// Kept apart from errno, which every library call may change, so that the value survives
// message boxes and other work between a failure and its report, as GetLastError() does.
thread_local uint32_t t_lastError = 0;
}  // namespace

uint32_t LastError() { return t_lastError; }

void SetLastError(uint32_t code) { t_lastError = code; }

std::string ErrorText(uint32_t code) {
  static std::mutex mutex;  // strerror may use a shared buffer
  std::lock_guard<std::mutex> lock(mutex);
  std::string text = std::strerror(static_cast<int>(code));
  if (text.size() > 1023) text.resize(1023);
  return text;
}

uint32_t ErrorCode(SysError error) {
  switch (error) {
    case SysError::kFileNotFound:
    case SysError::kPathNotFound:
      return ENOENT;
    case SysError::kAccessDenied:
      return EACCES;
    case SysError::kSharingViolation:
      return EBUSY;
    case SysError::kDiskFull:
      return ENOSPC;
    case SysError::kWriteFault:
    case SysError::kReadFault:
      return EIO;
    case SysError::kAlreadyExists:
      return EEXIST;
    case SysError::kInvalidParameter:
      return EINVAL;
    case SysError::kHandleEof:
      return 0;
  }
  return EINVAL;
}

}  // namespace platform
