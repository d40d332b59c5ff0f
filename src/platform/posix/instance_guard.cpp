#include "platform/instance_guard.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/system_error.h"

namespace platform {

std::string InstanceGuardPath(const std::string& name) {
  std::string folder;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  const char* temp = std::getenv("TMPDIR");
  if (runtime != nullptr && runtime[0] != '\0') {
    folder = runtime;
  } else if (temp != nullptr && temp[0] != '\0') {
    folder = temp;
  } else {
    folder = "/tmp";
  }
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder + "/" + name + ".lock";
}

InstanceGuard::~InstanceGuard() { Release(); }

GuardResult InstanceGuard::Acquire(const std::string& name) {
  Release();
  std::string path = InstanceGuardPath(name);
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    SetLastError(static_cast<uint32_t>(errno));
    return GuardResult::kUnavailable;
  }
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    int e = errno;
    ::close(fd);
    SetLastError(static_cast<uint32_t>(e));
    return e == EWOULDBLOCK ? GuardResult::kAlreadyRunning : GuardResult::kUnavailable;
  }
  m_handle = fd;
  m_owned = true;
  return GuardResult::kAcquired;
}

void InstanceGuard::Release() {
  if (m_handle < 0) return;
  int fd = static_cast<int>(m_handle);
  if (m_owned) ::flock(fd, LOCK_UN);
  ::close(fd);
  m_handle = -1;
  m_owned = false;
}

void InstanceGuard::Abandon() {
  m_handle = -1;
  m_owned = false;
}

}  // namespace platform
