#include "platform/system_error.h"

#include <cerrno>
#include <cstring>
#include <mutex>

namespace platform {

namespace {
// Kept apart from errno, which every library call may change, so that the value survives
// message boxes and other work between a failure and its report, as GetLastError() does.
thread_local uint32_t t_lastError = 0;

// POSIX has no errno for a read that ends early at the end of a file; this code, outside the
// errno range, stands for it so that the report names the real reason.
constexpr uint32_t kEndOfFileCode = 0x20000026;
}  // namespace

uint32_t LastError() { return t_lastError; }

void SetLastError(uint32_t code) { t_lastError = code; }

std::string ErrorText(uint32_t code) {
  static std::mutex mutex;  // strerror may use a shared buffer
  std::lock_guard<std::mutex> lock(mutex);
  if (code == kEndOfFileCode) return "Reached the end of the file.";
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
      return kEndOfFileCode;
    case SysError::kTooManyOpenFiles:
      return EMFILE;
  }
  return EINVAL;
}

bool IsHandleShortage(uint32_t code) { return code == EMFILE || code == ENFILE; }

}  // namespace platform
