#include "platform/file_system.h"

#include <windows.h>
// The platform functions share these names with the system's ANSI/wide macros.
#undef CreateDirectory
#undef DeleteFile
#undef SetCurrentDirectory

#include "platform/fault_injection.h"
#include "platform/system_error.h"
#include "platform/text.h"

namespace platform {

bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

bool FindEntries(const std::string& pattern, std::vector<DirEntry>* entries) {
  entries->clear();
  WIN32_FIND_DATAA data;
  HANDLE find = ::FindFirstFileA(pattern.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return false;
  do {
    entries->push_back(
        DirEntry{data.cFileName, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
  } while (::FindNextFileA(find, &data));
  ::FindClose(find);
  return true;
}

bool DeleteFile(const std::string& path) {
  if (ShouldFail(FileOp::kDelete, path, kInvalidFile)) return false;
  return ::DeleteFileA(path.c_str()) != FALSE;
}

bool CreateDirectory(const std::string& path) {
  if (ShouldFail(FileOp::kCreateDirectory, path, kInvalidFile)) return false;
  return ::CreateDirectoryA(path.c_str(), nullptr) != FALSE;
}

bool MoveFileReplace(const std::string& from, const std::string& to) {
  if (ShouldFail(FileOp::kMove, from, kInvalidFile)) return false;
  return ::MoveFileExA(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool MoveFileUnflushed(const std::string& from, const std::string& to, bool replaceExisting) {
  if (ShouldFail(FileOp::kMove, from, kInvalidFile)) return false;
  DWORD flags = MOVEFILE_WRITE_THROUGH | (replaceExisting ? MOVEFILE_REPLACE_EXISTING : 0);
  if (::MoveFileExA(from.c_str(), to.c_str(), flags) != FALSE) return true;
  if (::GetLastError() == ERROR_FILE_EXISTS) ::SetLastError(ERROR_ALREADY_EXISTS);
  return false;
}

// Renames are written through already; the call stays an operation the fault injector can fail,
// so the callers' handling of a failed directory flush is tested on both backends.
bool FlushDirectory(const std::string& directory) {
  std::string folder = directory;
  if (folder.empty() || !IsPathSeparator(folder.back())) folder += '\\';
  return !ShouldFail(FileOp::kFlushDirectory, folder, kInvalidFile);
}

bool EnsurePrivateDirectory(const std::string& path) {
  if (ShouldFail(FileOp::kCreateDirectory, path, kInvalidFile)) return false;
  if (::CreateDirectoryA(path.c_str(), nullptr) != FALSE) return true;
  return ::GetLastError() == ERROR_ALREADY_EXISTS;
}

bool FileSizeByPath(const std::string& path, uint64_t* size) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
  if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    ::SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  *size = (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
  return true;
}

bool IsDirectory(const std::string& path) {
  DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string ExistingEntryName(const std::string& path) { return path; }

bool CanListDirectory(const std::string& directory) {
  std::string pattern = directory;
  if (pattern.empty() || !IsPathSeparator(pattern.back())) pattern += '\\';
  pattern += '*';
  WIN32_FIND_DATAA data;
  HANDLE find = ::FindFirstFileA(pattern.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return ::GetLastError() == ERROR_FILE_NOT_FOUND;
  ::FindClose(find);
  return true;
}

bool SameDirectory(const std::string& a, const std::string& b) { return EqualNoCase(a, b); }

std::string TempDirectory() {
  char buffer[MAX_PATH + 1];
  DWORD n = ::GetTempPathA(sizeof(buffer), buffer);
  if (n == 0 || n > sizeof(buffer)) return std::string();
  return std::string(buffer, n);
}

std::string CurrentDirectory() {
  DWORD n = ::GetCurrentDirectoryA(0, nullptr);
  if (n == 0) return std::string();
  std::string buffer(n, '\0');
  n = ::GetCurrentDirectoryA(n, buffer.data());
  buffer.resize(n);
  return buffer;
}

bool SetCurrentDirectory(const std::string& path) {
  return ::SetCurrentDirectoryA(path.c_str()) != FALSE;
}

std::string ProgramPath() {
  std::string buffer(MAX_PATH, '\0');
  for (;;) {
    DWORD n = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return std::string();
    if (n < buffer.size()) {
      buffer.resize(n);
      return buffer;
    }
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace platform
