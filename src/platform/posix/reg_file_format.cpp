#include "platform/posix/reg_file_format.h"

#include <cstdio>

#include "platform/settings_store.h"

namespace platform {
namespace regfile {

namespace {

char FoldCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

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

}  // namespace

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

Key* Document::Find(const std::string& path) {
  for (Key& key : keys) {
    if (SameName(key.path, path)) return &key;
  }
  return nullptr;
}

Key& Document::FindOrAdd(const std::string& path) {
  if (Key* key = Find(path)) return *key;
  keys.push_back(Key{path, {}});
  return keys.back();
}

bool Document::Exists(const std::string& path) const {
  for (const Key& key : keys) {
    if (IsAtOrBelow(key.path, path)) return true;
  }
  return false;
}

Value* FindValue(Key& key, const std::string& name) {
  for (Value& value : key.values) {
    if (SameName(value.name, name)) return &value;
  }
  return nullptr;
}

Parsed Parse(const std::string& content) {
  Parsed parsed;
  Document* doc = &parsed.document;
  std::string* error = &parsed.problem;
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
        return parsed;
      }
      headerSeen = true;
      continue;
    }
    if (line[0] == '[') {
      if (line.back() != ']' || line.size() < 3) {
        *error = "line " + std::to_string(lineNumber) + ": unfinished key name";
        return parsed;
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
        return parsed;
      }
      doc->FindOrAdd(path);
      currentPath = path;
      current = doc->Find(path);
      continue;
    }
    if (current == nullptr) {
      *error = "line " + std::to_string(lineNumber) + ": value outside a key";
      return parsed;
    }
    std::string name;
    size_t pos = 0;
    if (line[0] == '@') {
      pos = 1;
    } else if (!ParseQuoted(line, &pos, &name)) {
      *error = "line " + std::to_string(lineNumber) + ": cannot read the value name";
      return parsed;
    }
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
    if (pos >= line.size() || line[pos] != '=') {
      *error = "line " + std::to_string(lineNumber) + ": no '=' after the value name";
      return parsed;
    }
    Value value;
    value.name = name;
    bool remove = false;
    if (!ParseData(line.substr(pos + 1), &value.type, &value.data, &remove)) {
      *error = "line " + std::to_string(lineNumber) + ": cannot read the value of \"" + name + "\"";
      return parsed;
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
    return parsed;
  }
  return parsed;
}

std::string Format(const Document& doc) {
  std::string out = "REGEDIT4\n";
  for (const Key& key : doc.keys) {
    out += "\n[" + key.path + "]\n";
    for (const Value& value : key.values) out += FormatValue(value) + "\n";
  }
  return out;
}

}  // namespace regfile
}  // namespace platform
