// The settings store as a REGEDIT4 text file (see settings_store.h for the contract).
#include "platform/settings_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/posix/reg_file_format.h"
#include "platform/system_error.h"

namespace platform {

namespace {

using regfile::Document;
using regfile::FindValue;
using regfile::IsAtOrBelow;
using regfile::Key;
using regfile::SameName;
using regfile::Value;

const char* RootName(SettingsRoot root) {
  return root == SettingsRoot::kCurrentUser ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
}

// ---- The file ------------------------------------------------------------------------------

std::string FolderOf(const std::string& path) { return path.substr(0, path.rfind('/')); }

bool MakeFolders(const std::string& path) {
  for (size_t i = 1; i <= path.size(); ++i) {
    if (i != path.size() && path[i] != '/') continue;
    std::string level = path.substr(0, i);
    if (::mkdir(level.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return true;
}

bool WriteAll(int fd, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

// The document of the store file, guarded so that one process never interleaves its own edits.
class StoreFile {
 public:
  // Loads the file. False when it exists but cannot be read or parsed (reported once per content).
  bool Load(Document* doc) {
    std::string path = SettingsFilePath();
    if (path.empty()) {
      SetLastError(ENOENT);
      return false;
    }
    std::string content;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      if (errno == ENOENT) return true;  // no file yet: an empty store
      SetLastError(static_cast<uint32_t>(errno));
      Report(path, std::string("cannot be read: ") + std::strerror(errno));
      return false;
    }
    char buffer[4096];
    while (true) {
      ssize_t n = ::read(fd, buffer, sizeof(buffer));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        int e = errno;
        ::close(fd);
        SetLastError(static_cast<uint32_t>(e));
        Report(path, std::string("cannot be read: ") + std::strerror(e));
        return false;
      }
      if (n == 0) break;
      content.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    regfile::Parsed parsed = regfile::Parse(content);
    if (!parsed.Ok()) {
      SetLastError(EINVAL);
      Report(path, "cannot be parsed (" + parsed.problem +
                       "); it is left as it is and defaults are used");
      return false;
    }
    *doc = std::move(parsed.document);
    return true;
  }

  // Writes the whole document to a temporary file beside the store and renames it over the store.
  bool Save(const Document& doc) {
    std::string path = SettingsFilePath();
    if (path.empty()) {
      SetLastError(ENOENT);
      return false;
    }
    std::string folder = FolderOf(path);
    if (!MakeFolders(folder)) {
      SetLastError(static_cast<uint32_t>(errno));
      return false;
    }
    std::string temp = path + ".tmp" + std::to_string(::getpid());
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
      SetLastError(static_cast<uint32_t>(errno));
      return false;
    }
    bool ok = WriteAll(fd, regfile::Format(doc)) && ::fsync(fd) == 0;
    int e = errno;
    if (::close(fd) != 0 && ok) {
      ok = false;
      e = errno;
    }
    if (ok && ::rename(temp.c_str(), path.c_str()) != 0) {
      ok = false;
      e = errno;
    }
    if (!ok) {
      ::unlink(temp.c_str());
      SetLastError(static_cast<uint32_t>(e));
      return false;
    }
    int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
      ::fsync(dir);
      ::close(dir);
    }
    return true;
  }

  std::mutex mutex;

 private:
  void Report(const std::string& path, const std::string& problem) {
    std::string message = "Settings file '" + path + "' " + problem;
    if (message == m_lastReport) return;
    m_lastReport = message;
    std::fprintf(stderr, "%s\n", message.c_str());
  }
  std::string m_lastReport;
};

StoreFile& TheFile() {
  static StoreFile file;
  return file;
}

// Open keys: handle -> full path.
std::map<SettingsKey, std::string>& OpenKeys() {
  static std::map<SettingsKey, std::string> keys;
  return keys;
}
SettingsKey g_nextKey = 1;

bool KeyPath(SettingsKey key, std::string* path) {
  auto it = OpenKeys().find(key);
  if (it == OpenKeys().end()) {
    SetLastError(EBADF);
    return false;
  }
  *path = it->second;
  return true;
}

std::string JoinPath(SettingsRoot root, const std::string& path) {
  std::string full = RootName(root);
  std::string rest = path;
  while (!rest.empty() && rest.front() == '\\') rest.erase(0, 1);
  while (!rest.empty() && rest.back() == '\\') rest.pop_back();
  if (!rest.empty()) full += "\\" + rest;
  return full;
}

}  // namespace

std::string SettingsFilePath() {
  std::string base;
  const char* configHome = std::getenv("XDG_CONFIG_HOME");
  if (configHome != nullptr && configHome[0] == '/') {
    base = configHome;
  } else {
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') return std::string();
    base = home;
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    base += "/.config";
  }
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  return base + "/Tarvo software/Zorvane.reg";
}

SettingsKey OpenSettingsKey(SettingsRoot root, const std::string& path, bool create) {
  std::lock_guard<std::mutex> lock(TheFile().mutex);
  std::string full = JoinPath(root, path);
  Document doc;
  if (!TheFile().Load(&doc)) return kNoSettingsKey;
  if (!doc.Exists(full)) {
    if (!create) {
      SetLastError(ENOENT);
      return kNoSettingsKey;
    }
    doc.FindOrAdd(full);
    if (!TheFile().Save(doc)) return kNoSettingsKey;
  }
  SettingsKey key = g_nextKey++;
  OpenKeys()[key] = full;
  return key;
}

void CloseSettingsKey(SettingsKey key) {
  std::lock_guard<std::mutex> lock(TheFile().mutex);
  OpenKeys().erase(key);
}

bool QuerySettingsValue(SettingsKey key, const std::string& name, uint32_t* type,
                        std::string* data) {
  std::lock_guard<std::mutex> lock(TheFile().mutex);
  std::string path;
  if (!KeyPath(key, &path)) return false;
  Document doc;
  if (!TheFile().Load(&doc)) return false;
  Key* found = doc.Find(path);
  Value* value = found != nullptr ? FindValue(*found, name) : nullptr;
  if (value == nullptr) {
    SetLastError(ENOENT);
    return false;
  }
  *type = value->type;
  *data = value->data;
  return true;
}

bool SetSettingsValue(SettingsKey key, const std::string& name, uint32_t type,
                      const std::string& data) {
  std::lock_guard<std::mutex> lock(TheFile().mutex);
  std::string path;
  if (!KeyPath(key, &path)) return false;
  Document doc;
  if (!TheFile().Load(&doc)) return false;
  // A key deleted by someone else meanwhile is made again, as an open registry key keeps taking
  // values until it is closed.
  Key& target = doc.FindOrAdd(path);
  if (Value* value = FindValue(target, name)) {
    value->type = type;
    value->data = data;
  } else {
    target.values.push_back(Value{name, type, data});
  }
  return TheFile().Save(doc);
}

bool DeleteSettingsValue(SettingsKey key, const std::string& name) {
  std::lock_guard<std::mutex> lock(TheFile().mutex);
  std::string path;
  if (!KeyPath(key, &path)) return false;
  Document doc;
  if (!TheFile().Load(&doc)) return false;
  Key* target = doc.Find(path);
  if (target != nullptr) {
    for (size_t i = 0; i < target->values.size(); ++i) {
      if (SameName(target->values[i].name, name)) {
        target->values.erase(target->values.begin() + static_cast<long>(i));
        return TheFile().Save(doc);
      }
    }
  }
  SetLastError(ENOENT);
  return false;
}

bool DeleteSettingsTree(SettingsRoot root, const std::string& path) {
  std::lock_guard<std::mutex> lock(TheFile().mutex);
  std::string full = JoinPath(root, path);
  Document doc;
  if (!TheFile().Load(&doc)) return false;
  if (!doc.Exists(full)) return true;
  std::vector<Key> kept;
  for (Key& key : doc.keys) {
    if (!IsAtOrBelow(key.path, full)) kept.push_back(std::move(key));
  }
  doc.keys.swap(kept);
  return TheFile().Save(doc);
}

}  // namespace platform
