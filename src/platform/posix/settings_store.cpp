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

#include "platform/system_error.h"

namespace platform {

namespace {

const char* RootName(SettingsRoot root) {
  return root == SettingsRoot::kCurrentUser ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
}

char FoldCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

// True when key lies at or below ancestor ("A\B" is below "a\b" and "A", not below "A\" + "Bx").
bool IsAtOrBelow(const std::string& key, const std::string& ancestor) {
  if (key.size() < ancestor.size()) return false;
  if (!SameName(key.substr(0, ancestor.size()), ancestor)) return false;
  return key.size() == ancestor.size() || key[ancestor.size()] == '\\';
}

struct Value {
  std::string name;
  uint32_t type = 0;
  std::string data;
};

struct Key {
  std::string path;  // full path with its root, "HKEY_CURRENT_USER\software\..."
  std::vector<Value> values;
};

struct Document {
  std::vector<Key> keys;

  Key* Find(const std::string& path) {
    for (Key& key : keys) {
      if (SameName(key.path, path)) return &key;
    }
    return nullptr;
  }
  Key& FindOrAdd(const std::string& path) {
    if (Key* key = Find(path)) return *key;
    keys.push_back(Key{path, {}});
    return keys.back();
  }
  // A key exists when it is written or any key below it is (as the registry keeps parents).
  bool Exists(const std::string& path) const {
    for (const Key& key : keys) {
      if (IsAtOrBelow(key.path, path)) return true;
    }
    return false;
  }
};

Value* FindValue(Key& key, const std::string& name) {
  for (Value& value : key.values) {
    if (SameName(value.name, name)) return &value;
  }
  return nullptr;
}

// ---- Reading -------------------------------------------------------------------------------

std::string Trim(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return std::string();
  size_t end = text.find_last_not_of(" \t");
  return text.substr(begin, end - begin + 1);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A quoted name or text from text[*pos] (which is the opening quote); \\ and \" are escapes.
bool ParseQuoted(const std::string& text, size_t* pos, std::string* out) {
  if (*pos >= text.size() || text[*pos] != '"') return false;
  out->clear();
  for (size_t i = *pos + 1; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\\') {
      if (i + 1 >= text.size()) return false;
      out->push_back(text[++i]);
    } else if (c == '"') {
      *pos = i + 1;
      return true;
    } else {
      out->push_back(c);
    }
  }
  return false;
}

// "aa,bb,..." (possibly empty) to bytes.
bool ParseHexBytes(const std::string& text, std::string* out) {
  out->clear();
  std::string body = Trim(text);
  if (body.empty()) return true;
  size_t i = 0;
  while (true) {
    while (i < body.size() && (body[i] == ' ' || body[i] == '\t')) ++i;
    int high = i < body.size() ? HexDigit(body[i]) : -1;
    int low = i + 1 < body.size() ? HexDigit(body[i + 1]) : -1;
    if (high < 0 || low < 0) return false;
    out->push_back(static_cast<char>(high * 16 + low));
    i += 2;
    while (i < body.size() && (body[i] == ' ' || body[i] == '\t')) ++i;
    if (i == body.size()) return true;
    if (body[i] != ',') return false;
    ++i;
    // A trailing comma closes the list.
    while (i < body.size() && (body[i] == ' ' || body[i] == '\t')) ++i;
    if (i == body.size()) return true;
  }
}

// Right-hand side of a value line. *remove is set for "-" (the value is deleted).
bool ParseData(const std::string& rhs, uint32_t* type, std::string* data, bool* remove) {
  *remove = false;
  std::string text = Trim(rhs);
  if (text == "-") {
    *remove = true;
    return true;
  }
  if (!text.empty() && text[0] == '"') {
    size_t pos = 0;
    std::string value;
    if (!ParseQuoted(text, &pos, &value) || !Trim(text.substr(pos)).empty()) return false;
    *type = kSettingsText;
    *data = value;
    data->push_back('\0');
    return true;
  }
  std::string lower;
  for (char c : text) lower.push_back(FoldCase(c));
  if (lower.compare(0, 6, "dword:") == 0) {
    std::string digits = Trim(text.substr(6));
    if (digits.empty() || digits.size() > 8) return false;
    uint32_t number = 0;
    for (char c : digits) {
      int d = HexDigit(c);
      if (d < 0) return false;
      number = (number << 4) | static_cast<uint32_t>(d);
    }
    *type = kSettingsDword;
    data->clear();
    for (int i = 0; i < 4; ++i) data->push_back(static_cast<char>((number >> (8 * i)) & 0xFF));
    return true;
  }
  if (lower.compare(0, 4, "hex:") == 0) {
    *type = kSettingsBinary;
    return ParseHexBytes(text.substr(4), data);
  }
  if (lower.compare(0, 4, "hex(") == 0) {
    size_t close = lower.find("):", 4);
    if (close == std::string::npos || close == 4) return false;
    uint32_t number = 0;
    for (size_t i = 4; i < close; ++i) {
      int d = HexDigit(lower[i]);
      if (d < 0 || i - 4 >= 8) return false;
      number = (number << 4) | static_cast<uint32_t>(d);
    }
    *type = number;
    return ParseHexBytes(text.substr(close + 2), data);
  }
  return false;
}

// Parses the whole file; *error names the first line that cannot be read.
bool Parse(const std::string& content, Document* doc, std::string* error) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start <= content.size()) {
    size_t end = content.find('\n', start);
    if (end == std::string::npos) end = content.size();
    std::string line = content.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    if (end == content.size()) break;
    start = end + 1;
  }
  if (!lines.empty() && lines[0].compare(0, 3, "\xEF\xBB\xBF") == 0) lines[0].erase(0, 3);

  bool headerSeen = false;
  Key* current = nullptr;
  std::string currentPath;
  for (size_t n = 0; n < lines.size(); ++n) {
    std::string line = Trim(lines[n]);
    size_t lineNumber = n + 1;
    // Long hex values are continued on the next line after a trailing backslash.
    while (!line.empty() && line.back() == '\\' && line.find("=hex") != std::string::npos &&
           n + 1 < lines.size()) {
      line.pop_back();
      line += Trim(lines[++n]);
    }
    if (line.empty() || line[0] == ';') continue;
    if (!headerSeen) {
      std::string lower;
      for (char c : line) lower.push_back(FoldCase(c));
      if (lower != "regedit4" && lower != "windows registry editor version 5.00") {
        *error = "line " + std::to_string(lineNumber) + ": no REGEDIT4 header";
        return false;
      }
      headerSeen = true;
      continue;
    }
    if (line[0] == '[') {
      if (line.back() != ']' || line.size() < 3) {
        *error = "line " + std::to_string(lineNumber) + ": unfinished key name";
        return false;
      }
      std::string path = line.substr(1, line.size() - 2);
      if (path[0] == '-') {
        path.erase(0, 1);
        std::vector<Key> kept;
        for (Key& key : doc->keys) {
          if (!IsAtOrBelow(key.path, path)) kept.push_back(std::move(key));
        }
        doc->keys.swap(kept);
        current = nullptr;
        continue;
      }
      while (!path.empty() && path.back() == '\\') path.pop_back();
      if (path.empty()) {
        *error = "line " + std::to_string(lineNumber) + ": empty key name";
        return false;
      }
      doc->FindOrAdd(path);
      currentPath = path;
      current = doc->Find(path);
      continue;
    }
    if (current == nullptr) {
      *error = "line " + std::to_string(lineNumber) + ": value outside a key";
      return false;
    }
    std::string name;
    size_t pos = 0;
    if (line[0] == '@') {
      pos = 1;
    } else if (!ParseQuoted(line, &pos, &name)) {
      *error = "line " + std::to_string(lineNumber) + ": cannot read the value name";
      return false;
    }
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
    if (pos >= line.size() || line[pos] != '=') {
      *error = "line " + std::to_string(lineNumber) + ": no '=' after the value name";
      return false;
    }
    Value value;
    value.name = name;
    bool remove = false;
    if (!ParseData(line.substr(pos + 1), &value.type, &value.data, &remove)) {
      *error = "line " + std::to_string(lineNumber) + ": cannot read the value of \"" + name + "\"";
      return false;
    }
    current = doc->Find(currentPath);
    if (remove) {
      for (size_t i = 0; i < current->values.size(); ++i) {
        if (SameName(current->values[i].name, name)) {
          current->values.erase(current->values.begin() + static_cast<long>(i));
          break;
        }
      }
    } else if (Value* existing = FindValue(*current, name)) {
      existing->type = value.type;
      existing->data = value.data;
    } else {
      current->values.push_back(value);
    }
  }
  if (!headerSeen && !content.empty()) {
    *error = "no REGEDIT4 header";
    return false;
  }
  return true;
}

// ---- Writing -------------------------------------------------------------------------------

std::string Quote(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

std::string HexList(const std::string& data) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (size_t i = 0; i < data.size(); ++i) {
    if (i != 0) out.push_back(',');
    unsigned char b = static_cast<unsigned char>(data[i]);
    out.push_back(kDigits[b >> 4]);
    out.push_back(kDigits[b & 15]);
  }
  return out;
}

std::string FormatValue(const Value& value) {
  std::string line = value.name.empty() ? std::string("@") : Quote(value.name);
  line.push_back('=');
  if (value.type == kSettingsDword && value.data.size() == 4) {
    uint32_t number = 0;
    for (int i = 3; i >= 0; --i) number = (number << 8) | static_cast<unsigned char>(value.data[i]);
    char digits[16];
    std::snprintf(digits, sizeof(digits), "dword:%08x", number);
    return line + digits;
  }
  if (value.type == kSettingsText) {
    // Written as a quoted text only when reading it back gives the same bytes: one NUL at the end
    // and no other NUL nor line break inside.
    size_t nul = value.data.find('\0');
    if (nul != std::string::npos && nul + 1 == value.data.size() &&
        value.data.find_first_of("\r\n") == std::string::npos) {
      return line + Quote(value.data.substr(0, nul));
    }
  }
  if (value.type == kSettingsBinary) return line + "hex:" + HexList(value.data);
  char prefix[24];
  std::snprintf(prefix, sizeof(prefix), "hex(%x):", value.type);
  return line + prefix + HexList(value.data);
}

std::string Format(const Document& doc) {
  std::string out = "REGEDIT4\n";
  for (const Key& key : doc.keys) {
    out += "\n[" + key.path + "]\n";
    for (const Value& value : key.values) out += FormatValue(value) + "\n";
  }
  return out;
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
    std::string error;
    if (!Parse(content, doc, &error)) {
      SetLastError(EINVAL);
      Report(path, "cannot be parsed (" + error + "); it is left as it is and defaults are used");
      return false;
    }
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
    bool ok = WriteAll(fd, Format(doc)) && ::fsync(fd) == 0;
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
