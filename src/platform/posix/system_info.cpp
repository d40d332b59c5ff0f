#include "platform/system_info.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/system_error.h"

namespace platform {

uint32_t PackedVersion() {
  // GetVersion's layout: build number in the high word, minor then major version in the low word.
  return (7601u << 16) | (1u << 8) | 6u;
}

bool GetOsVersion(OsVersionInfo* info) {
  if (info->size != 148) {
    SetLastError(EINVAL);
    return false;
  }
  info->majorVersion = 6;
  info->minorVersion = 1;
  info->buildNumber = 7601;
  info->platformId = kPlatformNt;
  std::memset(info->csdVersion, 0, sizeof(info->csdVersion));
  return true;
}

void* User32Module() { return nullptr; }

void* LookUpFunction(void*, const char*) { return nullptr; }

bool WorkgroupName(std::string*) {
  SetLastError(ENOSYS);
  return false;
}

bool ComputerName(std::string* name) {
  char buffer[256] = {};
  if (::gethostname(buffer, sizeof(buffer) - 1) != 0) {
    SetLastError(static_cast<uint32_t>(errno));
    return false;
  }
  *name = buffer;
  if (name->size() > 15) name->resize(15);
  return true;
}

bool LogonUserName(std::string* name) {
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
  struct passwd entry;
  struct passwd* found = nullptr;
  int rc = ::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found);
  if (rc != 0 || found == nullptr || found->pw_name == nullptr || found->pw_name[0] == '\0') {
    SetLastError(rc != 0 ? static_cast<uint32_t>(rc) : static_cast<uint32_t>(ENOENT));
    return false;
  }
  *name = found->pw_name;
  return true;
}

namespace {

// Creates every missing level of an absolute path.
bool MakeFolders(const std::string& path) {
  if (path.empty() || path[0] != '/') {
    SetLastError(ENOENT);
    return false;
  }
  for (size_t i = 1; i <= path.size(); ++i) {
    if (i != path.size() && path[i] != '/') continue;
    std::string level = path.substr(0, i);
    if (::mkdir(level.c_str(), 0700) != 0 && errno != EEXIST) {
      SetLastError(static_cast<uint32_t>(errno));
      return false;
    }
  }
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    SetLastError(ENOTDIR);
    return false;
  }
  return true;
}

}  // namespace

bool AppDataFolder(std::string* path) {
  // A relative XDG folder is to be ignored, as if it were not set.
  std::string folder;
  const char* dataHome = std::getenv("XDG_DATA_HOME");
  if (dataHome != nullptr && dataHome[0] == '/') {
    folder = dataHome;
  } else {
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') {
      SetLastError(ENOENT);
      return false;
    }
    folder = home;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    folder += folder == "/" ? ".local/share" : "/.local/share";
  }
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  if (!MakeFolders(folder)) return false;
  *path = folder;
  return true;
}

void* TaskbarWindow() { return nullptr; }

uint32_t SystemColor(SystemColorId id) {
  return id == SystemColorId::kWindow ? 0x00FFFFFFu : 0x00000000u;
}

}  // namespace platform
