#include "platform/shell.h"

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/system_error.h"

extern char** environ;

namespace platform {

void ShellOpen(const std::string& path) {
  if (::access(path.c_str(), X_OK) != 0) return;
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return;
  std::string program = path;
  char* argv[] = {program.data(), nullptr};
  pid_t pid;
  // Started directly and left to run on its own; nothing waits for it.
  ::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ);
}

namespace {

bool CopyFile(const std::string& from, const std::string& to, mode_t mode) {
  int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode & 0777);
  if (out < 0) {
    int e = errno;
    ::close(in);
    errno = e;
    return false;
  }
  std::vector<char> buffer(1 << 16);
  bool ok = true;
  while (ok) {
    ssize_t n = ::read(in, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ok = false;
      break;
    }
    if (n == 0) break;
    ssize_t done = 0;
    while (done < n) {
      ssize_t w = ::write(out, buffer.data() + done, static_cast<size_t>(n - done));
      if (w < 0 && errno == EINTR) continue;
      if (w < 0) {
        ok = false;
        break;
      }
      done += w;
    }
  }
  int e = errno;
  ::close(in);
  if (::close(out) != 0 && ok) {
    ok = false;
    e = errno;
  }
  errno = e;
  return ok;
}

bool MakeFolder(const std::string& path) {
  if (::mkdir(path.c_str(), 0755) == 0) return true;
  if (errno != EEXIST) return false;
  struct stat st;
  if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
  errno = ENOTDIR;
  return false;
}

// Copies the contents of source into target (which exists); depth guards against loops.
bool CopyContents(const std::string& source, const std::string& target, int depth,
                  uint32_t* firstError) {
  auto fail = [firstError]() {
    if (*firstError == 0) *firstError = static_cast<uint32_t>(errno ? errno : EIO);
    return false;
  };
  if (depth > 64) {
    errno = ELOOP;
    return fail();
  }
  DIR* dir = ::opendir(source.c_str());
  if (dir == nullptr) return fail();
  std::vector<std::string> names;
  while (struct dirent* entry = ::readdir(dir)) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  ::closedir(dir);
  bool ok = true;
  for (const std::string& name : names) {
    std::string from = source + "/" + name;
    std::string to = target + "/" + name;
    struct stat st;
    if (::stat(from.c_str(), &st) != 0) {
      ok = fail();
      continue;
    }
    if (S_ISDIR(st.st_mode)) {
      if (!MakeFolder(to)) {
        ok = fail();
        continue;
      }
      if (!CopyContents(from, to, depth + 1, firstError)) ok = false;
    } else if (S_ISREG(st.st_mode)) {
      if (!CopyFile(from, to, st.st_mode)) ok = fail();
    }
  }
  return ok;
}

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// The absolute, resolved form of a path whose last levels may not exist yet.
std::string Resolved(const std::string& path) {
  std::string head = path;
  std::string tail;
  while (!head.empty()) {
    char* real = ::realpath(head.c_str(), nullptr);
    if (real != nullptr) {
      std::string out = real;
      std::free(real);
      return out + tail;
    }
    size_t slash = head.rfind('/');
    if (slash == std::string::npos) break;
    tail = head.substr(slash) + tail;
    head.erase(slash);
  }
  return path;
}

}  // namespace

bool CopyFolderTree(const std::string& sourceFolder, const std::string& targetFolder) {
  std::string source = WithoutTrailingSlash(sourceFolder);
  std::string target = WithoutTrailingSlash(targetFolder);
  uint32_t firstError = 0;
  struct stat st;
  if (::stat(source.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    SetLastError(static_cast<uint32_t>(errno ? errno : ENOTDIR));
    return false;
  }
  // A target inside the source would copy itself without end: refused, as the copy command does.
  std::string realSource = Resolved(source);
  std::string realTarget = Resolved(target);
  if (realTarget == realSource ||
      (realTarget.size() > realSource.size() &&
       realTarget.compare(0, realSource.size(), realSource) == 0 &&
       (realSource == "/" || realTarget[realSource.size()] == '/'))) {
    SetLastError(EINVAL);
    return false;
  }
  // The target and any missing level above it, as the copy command makes them.
  for (size_t i = 1; i <= target.size(); ++i) {
    if (i != target.size() && target[i] != '/') continue;
    if (!MakeFolder(target.substr(0, i)) && i == target.size()) {
      SetLastError(static_cast<uint32_t>(errno));
      return false;
    }
  }
  bool ok = CopyContents(source, target, 0, &firstError);
  if (!ok) SetLastError(firstError);
  return ok;
}

}  // namespace platform
