// Files on POSIX with the Windows open modes.
//
// Sharing: every open that asks for read or write access is entered in a table keyed by device and
// inode, with its access and the sharing it grants; a new open is checked against every entry for
// the same file exactly as Windows checks share access, and fails with EBUSY on a conflict. Across
// processes an flock approximates it: an open without sharing takes an exclusive lock, one that
// shares anything a shared lock. A file the open itself created exclusively (kOpenNewOnly) has no
// other handle anywhere, so it takes no lock: that saves a system call per staged file.
#include "platform/file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <mutex>
#include <vector>

#include "platform/fault_injection.h"
#include "platform/flush_method.h"
#include "platform/posix/open_files.h"
#include "platform/system_error.h"

namespace platform {

namespace {

constexpr uint32_t kAccessRead = 1;
constexpr uint32_t kAccessWrite = 2;

struct FileKey {
  dev_t device;
  ino_t inode;
  bool operator<(const FileKey& other) const {
    return device != other.device ? device < other.device : inode < other.inode;
  }
};

struct OpenEntry {
  FileKey key;
  uint32_t access;  // kAccessRead | kAccessWrite; 0 for "no access requested"
  uint32_t share;   // what others may do
};

struct OpenTable {
  std::mutex mutex;
  std::map<int, OpenEntry> byHandle;
};

OpenTable& Table() {
  static OpenTable table;
  return table;
}

uint32_t AccessOf(uint32_t mode) {
  switch (mode & kOpenAccessMask) {
    case kOpenRead:
      return kAccessRead;
    case kOpenWrite:
      return kAccessWrite;
    case kOpenReadWrite:
      return kAccessRead | kAccessWrite;
    default:
      return 0;
  }
}

uint32_t ShareOf(uint32_t mode) {
  switch (mode & kOpenShareMask) {
    case kOpenShareRead:
      return kAccessRead;
    case kOpenShareWrite:
      return kAccessWrite;
    case kOpenShareReadWrite:
      return kAccessRead | kAccessWrite;
    default:
      return 0;
  }
}

// Windows' share-access rule: each side's access must be allowed by the other side's sharing.
bool Conflicts(const OpenEntry& a, const OpenEntry& b) {
  if ((a.access & ~b.share) != 0) return true;
  if ((b.access & ~a.share) != 0) return true;
  return false;
}

bool Fail(int error) {
  SetLastError(static_cast<uint32_t>(error));
  return false;
}

const OpenEntry* FindEntry(OpenTable& table, int fd) {
  auto it = table.byHandle.find(fd);
  return it == table.byHandle.end() ? nullptr : &it->second;
}

// The flush method of the file system a file is on, decided once per file system (its device)
// from its statfs type. One that cannot be asked is flushed file by file.
FlushMethod MethodForFileSystem(int fd, dev_t device) {
  static const std::string release = KernelRelease();
  if (const uint64_t forced = FileSystemTypeOverride(); forced != 0) {
    return ChooseFlushMethod(forced, release);
  }
  static std::mutex mutex;
  static std::map<dev_t, FlushMethod> known;
  std::lock_guard<std::mutex> lock(mutex);
  auto it = known.find(device);
  if (it != known.end()) return it->second;
  struct statfs fs;
  const FlushMethod method = ::fstatfs(fd, &fs) == 0
                                 ? ChooseFlushMethod(static_cast<uint64_t>(fs.f_type), release)
                                 : FlushMethod::kEachFile;
  known.emplace(device, method);
  return method;
}

}  // namespace

namespace posix {

void FailWithErrno() { SetLastError(static_cast<uint32_t>(errno)); }

bool IsFileOpen(const std::string& path) {
  {
    // Nothing open that takes part in sharing: no need to look the file up.
    OpenTable& table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    bool any = false;
    for (const auto& [fd, entry] : table.byHandle) any = any || entry.access != 0;
    if (!any) return false;
  }
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return false;
  FileKey key{st.st_dev, st.st_ino};
  OpenTable& table = Table();
  std::lock_guard<std::mutex> lock(table.mutex);
  for (const auto& [fd, entry] : table.byHandle) {
    if (entry.access != 0 && !(entry.key < key) && !(key < entry.key)) return true;
  }
  return false;
}

}  // namespace posix

FileHandle OpenFile(const std::string& path, uint32_t mode) {
  if (ShouldFail(FileOp::kOpen, path, kInvalidFile)) return kInvalidFile;

  uint32_t access = AccessOf(mode);
  int flags = O_NOCTTY;
  switch (mode & kOpenAccessMask) {
    case kOpenWrite:
      flags |= O_WRONLY;
      break;
    case kOpenReadWrite:
      flags |= O_RDWR;
      break;
    default:  // read, or no access requested (reads are refused through the table)
      flags |= O_RDONLY;
      break;
  }
  bool create = (mode & kOpenCreate) != 0;
  bool keepContents = (mode & kOpenKeepContents) != 0;
  bool truncate = create && !keepContents;
  if (create) flags |= O_CREAT;
  const bool newOnly = create && (mode & kOpenNewOnly) != 0;
  if (newOnly) flags |= O_EXCL | O_NOFOLLOW;
  if ((mode & kOpenNoInherit) != 0) flags |= O_CLOEXEC;

  int fd;
  do {
    fd = ::open(path.c_str(), flags, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    posix::FailWithErrno();
    return kInvalidFile;
  }

  struct stat st;
  if (::fstat(fd, &st) != 0) {
    int error = errno;
    ::close(fd);
    Fail(error);
    return kInvalidFile;
  }
  if (S_ISDIR(st.st_mode)) {
    // A directory is no file: CreateFileA refuses it too.
    ::close(fd);
    Fail(EISDIR);
    return kInvalidFile;
  }

  OpenEntry entry{FileKey{st.st_dev, st.st_ino}, access, ShareOf(mode)};
  OpenTable& table = Table();
  {
    std::lock_guard<std::mutex> lock(table.mutex);
    if (access != 0) {
      for (const auto& [otherFd, other] : table.byHandle) {
        if (other.access == 0) continue;
        if (other.key < entry.key || entry.key < other.key) continue;
        if (Conflicts(entry, other)) {
          ::close(fd);
          Fail(EBUSY);
          return kInvalidFile;
        }
      }
      // Other processes: exclusive without sharing, shared otherwise. A file system without
      // flock support is accepted as it is.
      int how = (entry.share == 0 ? LOCK_EX : LOCK_SH) | LOCK_NB;
      if (!newOnly && ::flock(fd, how) != 0 && (errno == EWOULDBLOCK || errno == EAGAIN)) {
        ::close(fd);
        Fail(EBUSY);
        return kInvalidFile;
      }
    }
    table.byHandle[fd] = entry;
  }

  // Truncation comes after the sharing check, so a refused open changes nothing.
  if (truncate && st.st_size != 0) {
    int rc;
    if ((access & kAccessWrite) != 0) {
      rc = ::ftruncate(fd, 0);
    } else {
      rc = ::truncate(path.c_str(), 0);
    }
    if (rc != 0) {
      int error = errno;
      {
        std::lock_guard<std::mutex> lock(table.mutex);
        table.byHandle.erase(fd);
      }
      ::close(fd);
      Fail(error);
      return kInvalidFile;
    }
  }
  NoteOpened(fd, path);
  return fd;
}

bool ReadFile(FileHandle file, void* buffer, uint32_t count, uint32_t* done) {
  *done = 0;
  if (ShouldFail(FileOp::kRead, std::string(), file)) return false;
  int fd = static_cast<int>(file);
  {
    OpenTable& table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    const OpenEntry* entry = FindEntry(table, fd);
    if (entry == nullptr || (entry->access & kAccessRead) == 0) return Fail(EBADF);
  }
  char* p = static_cast<char*>(buffer);
  uint32_t total = 0;
  while (total < count) {
    ssize_t n = ::read(fd, p + total, count - total);
    if (n < 0) {
      if (errno == EINTR) continue;
      *done = total;
      posix::FailWithErrno();
      return false;
    }
    if (n == 0) break;  // end of file: a short count, not an error
    total += static_cast<uint32_t>(n);
  }
  *done = total;
  return true;
}

bool WriteFile(FileHandle file, const void* buffer, uint32_t count, uint32_t* done) {
  *done = 0;
  if (ShouldFail(FileOp::kWrite, std::string(), file)) return false;
  int fd = static_cast<int>(file);
  {
    OpenTable& table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    const OpenEntry* entry = FindEntry(table, fd);
    if (entry == nullptr || (entry->access & kAccessWrite) == 0) return Fail(EBADF);
  }
  const char* p = static_cast<const char*>(buffer);
  uint32_t total = 0;
  while (total < count) {
    ssize_t n = ::write(fd, p + total, count - total);
    if (n < 0) {
      if (errno == EINTR) continue;
      *done = total;
      posix::FailWithErrno();
      return false;
    }
    total += static_cast<uint32_t>(n);
  }
  *done = total;
  return true;
}

bool SeekFile(FileHandle file, int64_t distance, FileOrigin origin, uint64_t* newPosition) {
  if (ShouldFail(FileOp::kSeek, std::string(), file)) return false;
  int whence;
  switch (origin) {
    case kFromStart:
      whence = SEEK_SET;
      break;
    case kFromCurrent:
      whence = SEEK_CUR;
      break;
    case kFromEnd:
      whence = SEEK_END;
      break;
    default:
      return Fail(EINVAL);
  }
  off_t result = ::lseek(static_cast<int>(file), static_cast<off_t>(distance), whence);
  if (result < 0) {
    posix::FailWithErrno();
    return false;
  }
  if (newPosition != nullptr) *newPosition = static_cast<uint64_t>(result);
  return true;
}

bool FileSize(FileHandle file, uint64_t* size) {
  if (ShouldFail(FileOp::kSize, std::string(), file)) return false;
  struct stat st;
  if (::fstat(static_cast<int>(file), &st) != 0) {
    posix::FailWithErrno();
    return false;
  }
  *size = static_cast<uint64_t>(st.st_size);
  return true;
}

bool FlushFile(FileHandle file) {
  if (ShouldFail(FileOp::kFlush, std::string(), file)) return false;
  if (::fsync(static_cast<int>(file)) != 0) {
    posix::FailWithErrno();
    return false;
  }
  return true;
}

std::string KernelRelease() {
  struct utsname name;
  return ::uname(&name) == 0 ? std::string(name.release) : std::string();
}

bool FlushFiles(const FileHandle* files, size_t count, uint32_t* errors) {
  // Each file passes the fault injector as a flush of its own. A file system where syncfs is
  // sound gets one syncfs for all its files, which costs about what one fsync does; on any other
  // each file gets its own fdatasync.
  std::vector<dev_t> device(count, 0);
  std::vector<bool> synced(count, false);
  std::map<dev_t, int> firstByDevice;
  uint64_t flushedOneByOne = 0;
  for (size_t i = 0; i < count; ++i) {
    errors[i] = 0;
    if (ShouldFail(FileOp::kFlush, std::string(), files[i])) {
      errors[i] = LastError();
      continue;
    }
    const int fd = static_cast<int>(files[i]);
    struct stat st;
    if (::fstat(fd, &st) != 0) {
      errors[i] = static_cast<uint32_t>(errno);
      continue;
    }
    if (MethodForFileSystem(fd, st.st_dev) == FlushMethod::kEachFile) {
      ++flushedOneByOne;
      if (::fdatasync(fd) != 0) errors[i] = static_cast<uint32_t>(errno);
      continue;
    }
    device[i] = st.st_dev;
    synced[i] = true;
    firstByDevice.emplace(st.st_dev, fd);
  }
  std::map<dev_t, uint32_t> deviceError;
  for (const auto& [dev, fd] : firstByDevice) {
    deviceError[dev] = ::syncfs(fd) == 0 ? 0 : static_cast<uint32_t>(errno);
  }
  NoteFlushes(FlushMethod::kEachFile, flushedOneByOne);
  NoteFlushes(FlushMethod::kWholeFileSystem, firstByDevice.size());
  bool all = true;
  for (size_t i = 0; i < count; ++i) {
    if (synced[i]) errors[i] = deviceError[device[i]];
    if (errors[i] != 0) all = false;
  }
  if (!all) {
    for (size_t i = 0; i < count; ++i) {
      if (errors[i] != 0) SetLastError(errors[i]);
    }
  }
  return all;
}

bool CloseFile(FileHandle file) {
  // Even when the close is made to fail, the handle is released, as a failing close() does.
  bool injected = ShouldFail(FileOp::kClose, std::string(), file);
  int fd = static_cast<int>(file);
  bool known;
  {
    OpenTable& table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    known = table.byHandle.erase(fd) != 0;
  }
  if (!known) return Fail(EBADF);
  NoteClosed(file);
  if (::close(fd) != 0 && errno != EINTR) {
    if (!injected) posix::FailWithErrno();
    return false;
  }
  return !injected;
}

}  // namespace platform
