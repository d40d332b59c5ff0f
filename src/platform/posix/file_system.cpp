#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/fault_injection.h"
#include "platform/posix/open_files.h"
#include "platform/system_error.h"
#include "platform/wildcard.h"

namespace platform {

namespace {

bool Fail(int error) {
  SetLastError(static_cast<uint32_t>(error));
  return false;
}

// Splits a path into its folder (with the separator, or empty for the current folder) and its
// last component.
void SplitLast(const std::string& path, std::string* folder, std::string* name) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) {
    folder->clear();
    *name = path;
  } else {
    *folder = path.substr(0, slash + 1);
    *name = path.substr(slash + 1);
  }
}

bool StatIsDirectory(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  return false;  // a dangling link is listed as a file
}

bool HasWildcards(const std::string& name) { return name.find_first_of("*?") != std::string::npos; }

// Syncs the directory that holds path, so that a rename in it survives a crash. The fault
// injector sees it as a flush of that directory (ending in a separator).
bool SyncParentDirectory(const std::string& path) {
  size_t slash = path.find_last_of('/');
  std::string folder = slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
  if (ShouldFail(FileOp::kFlushDirectory, folder, kInvalidFile)) return false;
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    posix::FailWithErrno();
    return false;
  }
  bool ok = ::fsync(fd) == 0 || errno == EINVAL;  // some file systems cannot sync a directory
  if (!ok) posix::FailWithErrno();
  ::close(fd);
  return ok;
}

}  // namespace

bool IsPathSeparator(char c) { return c == '/'; }

bool FindEntries(const std::string& pattern, std::vector<DirEntry>* entries) {
  entries->clear();
  std::string folder, namePattern;
  SplitLast(pattern, &folder, &namePattern);
  if (namePattern.empty()) return Fail(ENOENT);

  // A plain name: look it up directly before scanning the folder for another case of it.
  if (!HasWildcards(namePattern)) {
    struct stat st;
    if (::lstat(pattern.c_str(), &st) == 0) {
      entries->push_back(DirEntry{namePattern, StatIsDirectory(pattern)});
      return true;
    }
  }

  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) {
    posix::FailWithErrno();
    return false;
  }
  for (;;) {
    errno = 0;
    struct dirent* ent = ::readdir(dir);
    if (ent == nullptr) break;
    std::string name = ent->d_name;
    if (!WildcardMatch(namePattern, name)) continue;
    bool isDirectory;
    if (ent->d_type == DT_DIR) {
      isDirectory = true;
    } else if (ent->d_type == DT_REG) {
      isDirectory = false;
    } else {
      isDirectory = StatIsDirectory(folder + name);
    }
    entries->push_back(DirEntry{name, isDirectory});
  }
  ::closedir(dir);
  if (entries->empty()) return Fail(ENOENT);
  return true;
}

bool DeleteFile(const std::string& path) {
  if (ShouldFail(FileOp::kDelete, path, kInvalidFile)) return false;
  // Windows refuses to delete a file that is open; the table gives the same within the process.
  if (posix::IsFileOpen(path)) return Fail(EBUSY);
  if (::unlink(path.c_str()) != 0) {
    // unlink refuses a directory with EISDIR on Linux and EPERM elsewhere; DeleteFileA's
    // refusal reads the same on both.
    int error = errno;
    struct stat st;
    if (error == EPERM && ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) error = EISDIR;
    return Fail(error);
  }
  return true;
}

bool CreateDirectory(const std::string& path) {
  if (ShouldFail(FileOp::kCreateDirectory, path, kInvalidFile)) return false;
  if (::mkdir(path.c_str(), 0777) != 0) {
    posix::FailWithErrno();
    return false;
  }
  return true;
}

bool MoveFileReplace(const std::string& from, const std::string& to) {
  if (ShouldFail(FileOp::kMove, from, kInvalidFile)) return false;
  if (posix::IsFileOpen(from) || posix::IsFileOpen(to)) return Fail(EBUSY);
  if (::rename(from.c_str(), to.c_str()) != 0) {
    posix::FailWithErrno();
    return false;
  }
  return SyncParentDirectory(to);
}

bool MoveFileUnflushed(const std::string& from, const std::string& to, bool replaceExisting) {
  if (ShouldFail(FileOp::kMove, from, kInvalidFile)) return false;
  if (posix::IsFileOpen(from) || posix::IsFileOpen(to)) return Fail(EBUSY);
  if (replaceExisting) {
    if (::rename(from.c_str(), to.c_str()) == 0) return true;
    posix::FailWithErrno();
    return false;
  }
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) {
    posix::FailWithErrno();
    return false;
  }
  // A file system without the no-replace rename: look first. The tool is the only writer of
  // these names while it runs.
  struct stat st;
  if (::lstat(to.c_str(), &st) == 0) return Fail(EEXIST);
  if (::rename(from.c_str(), to.c_str()) == 0) return true;
  posix::FailWithErrno();
  return false;
}

bool FlushDirectory(const std::string& directory) {
  std::string folder = directory;
  if (folder.empty() || folder.back() != '/') folder += '/';
  return SyncParentDirectory(folder);
}

bool EnsurePrivateDirectory(const std::string& path) {
  if (ShouldFail(FileOp::kCreateDirectory, path, kInvalidFile)) return false;
  if (::mkdir(path.c_str(), 0700) == 0) return true;
  if (errno != EEXIST) {
    posix::FailWithErrno();
    return false;
  }
  // Someone else's folder, or a link planted in a shared temporary directory, is never used.
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) {
    posix::FailWithErrno();
    return false;
  }
  if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) return Fail(EACCES);
  return true;
}

bool IsDirectory(const std::string& path) { return StatIsDirectory(path); }

std::string ExistingEntryName(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) == 0) return path;
  std::string folder, name;
  SplitLast(path, &folder, &name);
  if (name.empty() || HasWildcards(name)) return path;
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return path;
  std::string found;
  // Without wildcards the pattern matches exactly the names equal to it without regard to case.
  while (struct dirent* ent = ::readdir(dir)) {
    if (WildcardMatch(name, ent->d_name)) {
      found = folder + ent->d_name;
      break;
    }
  }
  ::closedir(dir);
  return found.empty() ? path : found;
}

bool CanListDirectory(const std::string& directory) {
  DIR* dir = ::opendir(directory.empty() ? "." : directory.c_str());
  if (dir == nullptr) {
    posix::FailWithErrno();
    return false;
  }
  errno = 0;
  bool ok = ::readdir(dir) != nullptr || errno == 0;
  if (!ok) posix::FailWithErrno();
  ::closedir(dir);
  return ok;
}

bool SameDirectory(const std::string& a, const std::string& b) {
  if (a == b) return true;
  struct stat first;
  struct stat second;
  return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
         S_ISDIR(first.st_mode) && first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool FileSizeByPath(const std::string& path, uint64_t* size) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) {
    posix::FailWithErrno();
    return false;
  }
  if (S_ISDIR(st.st_mode)) return Fail(EISDIR);
  *size = static_cast<uint64_t>(st.st_size);
  return true;
}

std::string TempDirectory() {
  const char* tmp = std::getenv("TMPDIR");
  std::string folder = (tmp != nullptr && *tmp != '\0') ? tmp : "/tmp";
  if (folder.back() != '/') folder += '/';
  return folder;
}

std::string CurrentDirectory() {
  std::string buffer(4096, '\0');
  for (;;) {
    if (::getcwd(buffer.data(), buffer.size()) != nullptr) {
      buffer.resize(std::char_traits<char>::length(buffer.c_str()));
      return buffer;
    }
    if (errno != ERANGE) {
      posix::FailWithErrno();
      return std::string();
    }
    buffer.resize(buffer.size() * 2);
  }
}

bool SetCurrentDirectory(const std::string& path) {
  if (::chdir(path.c_str()) != 0) {
    posix::FailWithErrno();
    return false;
  }
  return true;
}

std::string ProgramPath() {
  std::string buffer(4096, '\0');
  for (;;) {
    ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) {
      posix::FailWithErrno();
      return std::string();
    }
    if (static_cast<size_t>(n) < buffer.size()) {
      buffer.resize(static_cast<size_t>(n));
      return buffer;
    }
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace platform
