// Files through CreateFileA and its companions, with the open modes mapped one to one.
#include "platform/file.h"

#include <windows.h>

#include "platform/fault_injection.h"
#include "platform/flush_method.h"
#include "platform/system_error.h"

namespace platform {

namespace {

HANDLE ToHandle(FileHandle file) { return reinterpret_cast<HANDLE>(file); }

// INVALID_HANDLE_VALUE is also the current process's pseudo handle, which some calls accept:
// refuse it before the system sees it.
bool Invalid(FileHandle file) {
  if (file != kInvalidFile) return false;
  ::SetLastError(ERROR_INVALID_HANDLE);
  return true;
}

DWORD AccessOf(uint32_t mode) {
  switch (mode & kOpenAccessMask) {
    case kOpenRead:
      return GENERIC_READ;
    case kOpenWrite:
      return GENERIC_WRITE;
    case kOpenReadWrite:
      return GENERIC_READ | GENERIC_WRITE;
    default:
      return 0;
  }
}

DWORD ShareOf(uint32_t mode) {
  switch (mode & kOpenShareMask) {
    case kOpenShareRead:
      return FILE_SHARE_READ;
    case kOpenShareWrite:
      return FILE_SHARE_WRITE;
    case kOpenShareReadWrite:
      return FILE_SHARE_READ | FILE_SHARE_WRITE;
    default:
      return 0;
  }
}

DWORD DispositionOf(uint32_t mode) {
  if ((mode & kOpenCreate) == 0) return OPEN_EXISTING;
  return (mode & kOpenKeepContents) != 0 ? OPEN_ALWAYS : CREATE_ALWAYS;
}

}  // namespace

FileHandle OpenFile(const std::string& path, uint32_t mode) {
  if (ShouldFail(FileOp::kOpen, path, kInvalidFile)) return kInvalidFile;
  SECURITY_ATTRIBUTES security{};
  security.nLength = sizeof(security);
  security.lpSecurityDescriptor = nullptr;
  security.bInheritHandle = (mode & kOpenNoInherit) == 0 ? TRUE : FALSE;
  HANDLE handle = ::CreateFileA(path.c_str(), AccessOf(mode), ShareOf(mode), &security,
                                DispositionOf(mode), FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return kInvalidFile;
  FileHandle file = reinterpret_cast<FileHandle>(handle);
  NoteOpened(file, path);
  return file;
}

bool ReadFile(FileHandle file, void* buffer, uint32_t count, uint32_t* done) {
  *done = 0;
  if (ShouldFail(FileOp::kRead, std::string(), file) || Invalid(file)) return false;
  DWORD read = 0;
  BOOL ok = ::ReadFile(ToHandle(file), buffer, count, &read, nullptr);
  *done = read;
  return ok != FALSE;
}

bool WriteFile(FileHandle file, const void* buffer, uint32_t count, uint32_t* done) {
  *done = 0;
  if (ShouldFail(FileOp::kWrite, std::string(), file) || Invalid(file)) return false;
  DWORD written = 0;
  BOOL ok = ::WriteFile(ToHandle(file), buffer, count, &written, nullptr);
  *done = written;
  return ok != FALSE;
}

bool SeekFile(FileHandle file, int64_t distance, FileOrigin origin, uint64_t* newPosition) {
  if (ShouldFail(FileOp::kSeek, std::string(), file) || Invalid(file)) return false;
  DWORD method;
  switch (origin) {
    case kFromStart:
      method = FILE_BEGIN;
      break;
    case kFromCurrent:
      method = FILE_CURRENT;
      break;
    case kFromEnd:
      method = FILE_END;
      break;
    default:
      ::SetLastError(ERROR_INVALID_PARAMETER);
      return false;
  }
  LARGE_INTEGER move;
  move.QuadPart = distance;
  LARGE_INTEGER result;
  if (!::SetFilePointerEx(ToHandle(file), move, &result, method)) return false;
  if (newPosition != nullptr) *newPosition = static_cast<uint64_t>(result.QuadPart);
  return true;
}

bool FileSize(FileHandle file, uint64_t* size) {
  if (ShouldFail(FileOp::kSize, std::string(), file) || Invalid(file)) return false;
  LARGE_INTEGER result;
  if (!::GetFileSizeEx(ToHandle(file), &result)) return false;
  *size = static_cast<uint64_t>(result.QuadPart);
  return true;
}

bool FlushFile(FileHandle file) {
  if (ShouldFail(FileOp::kFlush, std::string(), file) || Invalid(file)) return false;
  return ::FlushFileBuffers(ToHandle(file)) != FALSE;
}

std::string KernelRelease() { return std::string(); }

bool FlushFiles(const FileHandle* files, size_t count, uint32_t* errors) {
  // Windows has no call that flushes a whole volume for an ordinary user: each file on its own.
  NoteFlushes(FlushMethod::kEachFile, count);
  bool all = true;
  for (size_t i = 0; i < count; ++i) {
    errors[i] = 0;
    if (!FlushFile(files[i])) {
      errors[i] = ::GetLastError();
      if (errors[i] == 0) errors[i] = ERROR_WRITE_FAULT;
      all = false;
    }
  }
  return all;
}

bool CloseFile(FileHandle file) {
  // Even when the close is made to fail, the handle is released.
  bool injected = ShouldFail(FileOp::kClose, std::string(), file);
  if (Invalid(file)) return false;
  NoteClosed(file);
  DWORD error = ::GetLastError();
  BOOL ok = ::CloseHandle(ToHandle(file));
  if (injected) {
    ::SetLastError(error);
    return false;
  }
  return ok != FALSE;
}

}  // namespace platform
