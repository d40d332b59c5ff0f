#include "foundation/utilities.h"

#include <cstdio>

#include "foundation/coding.h"
#include "foundation/tv_error.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "platform/system_error.h"
#include "platform/text.h"
#include "platform/ui.h"

namespace {

const char kHexDigits[] = "0123456789ABCDEF";

bool IsReservedDeviceName(const std::string& name) {
  // The device name is the part before the first dot, compared without regard to case.
  std::string base = platform::detail::TableFoldCase(0, name.substr(0, name.find('.')));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL") return true;
  return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
         base[3] >= '1' && base[3] <= '9';
}

bool IsForbiddenInName(char c) {
  if (static_cast<unsigned char>(c) < 32) return true;
  switch (c) {
    case '\\':
    case '/':
    case ':':
    case '*':
    case '?':
    case '"':
    case '<':
    case '>':
    case '|':
      return true;
    default:
      return false;
  }
}

// Calls visit(position) for the first byte of every character of text, in order, until it
// returns false.
template <typename Visit>
void ForEachCharacter(const std::string& text, Visit visit) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (!visit(i)) return;
    if (platform::IsLeadByte(static_cast<uint8_t>(text[i])) && i + 1 < text.size()) ++i;
  }
}

}  // namespace

size_t FindLastSeparator(const std::string& path) {
  size_t last = std::string::npos;
  ForEachCharacter(path, [&](size_t i) {
    if (platform::IsPathSeparator(path[i])) last = i;
    return true;
  });
  return last;
}

size_t FindSeparatorFrom(const std::string& path, size_t from) {
  size_t found = std::string::npos;
  ForEachCharacter(path, [&](size_t i) {
    if (i >= from && platform::IsPathSeparator(path[i])) found = i;
    return found == std::string::npos;
  });
  return found;
}

bool IsPlainName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  bool forbidden = false;
  size_t lastCharacter = 0;
  ForEachCharacter(name, [&](size_t i) {
    lastCharacter = i;
    // A double-byte character is one character, whatever its second byte looks like.
    bool dbcs = platform::IsLeadByte(static_cast<uint8_t>(name[i])) && i + 1 < name.size();
    forbidden = !dbcs && IsForbiddenInName(name[i]);
    return !forbidden;
  });
  if (forbidden) return false;
  const bool lastIsSingle = lastCharacter == name.size() - 1;
  if (lastIsSingle && (name.back() == '.' || name.back() == ' ')) return false;
  return !IsReservedDeviceName(name);
}

bool EqualNoCase(const std::string& a, const std::string& b) { return platform::EqualNoCase(a, b); }

std::string FoldCase(const std::string& text) { return platform::FoldCaseKey(text); }

std::string ExistingFileName(const std::string& path) { return platform::ExistingEntryName(path); }

void AppendBackslash(std::string& text) {
  if (text.size() > 1 && text.back() != platform::kPathSeparator) text += platform::kPathSeparator;
}

TvBool FileNameFromPath(std::string& output, const std::string& path) {
  output.clear();
  const size_t last = FindLastSeparator(path);
  if (last == std::string::npos) {
    output = path;
    return 0;
  }
  output = path.substr(last + 1);
  return 1;
}

TvBool FileExists(const std::string& path) {
  std::vector<platform::DirEntry> entries;
  return platform::FindEntries(path, &entries) ? 1 : 0;
}

TvBool RemoveFile(const std::string& path) {
  if (platform::DeleteFile(path)) return 1;
  TvFileError error(path.c_str(), 1);
  return 0;
}

TvBool DeleteFileIfExists(const std::string& path) {
  // One call: the delete itself tells a missing file apart.
  if (platform::DeleteFile(path)) return 1;
  const uint32_t error = platform::LastError();
  if (error == platform::ErrorCode(platform::SysError::kFileNotFound) ||
      error == platform::ErrorCode(platform::SysError::kPathNotFound)) {
    return 0;
  }
  TvFileError report(path.c_str(), 1);
  return 0;
}

TvBool EnsureDirectory(const std::string& path) {
  if (platform::CreateDirectory(path)) return 1;
  return platform::LastError() == platform::ErrorCode(platform::SysError::kAlreadyExists) ? 1 : 0;
}

void ListFiles(TvStringList& list, const std::string& directory, const std::string& pattern) {
  std::string prefix = directory;
  AppendBackslash(prefix);
  std::vector<platform::DirEntry> entries;
  if (!platform::FindEntries(prefix + pattern, &entries)) return;
  for (const platform::DirEntry& entry : entries) {
    if (!entry.isDirectory) list.push_back(prefix + entry.name);
  }
}

uint32_t ListNames(TvStringList& list, const std::string& pattern, TvBool wantDirectories) {
  std::vector<platform::DirEntry> entries;
  if (platform::FindEntries(pattern, &entries)) {
    for (const platform::DirEntry& entry : entries) {
      if ((entry.isDirectory ? 1 : 0) != wantDirectories) continue;
      if (entry.name == "." || entry.name == "..") continue;
      list.push_back(entry.name);
    }
  }
  return static_cast<uint32_t>(list.size());
}

TvBool AppendHexByte(uint8_t byte, std::string& output) {
  output += kHexDigits[byte >> 4];
  output += kHexDigits[byte & 0x0F];
  return 1;
}

TvBool AppendHex64(uint64_t value, std::string& output, TvBool clear) {
  if (clear) output.clear();
  for (int shift = 56; shift >= 0; shift -= 8) {
    AppendHexByte(static_cast<uint8_t>(value >> shift), output);
  }
  return 1;
}

void HexToBytes(uint8_t* output, int32_t maxBytes, const std::string& text) {
  int64_t n = static_cast<int64_t>(text.size());
  int64_t limit = 2 * static_cast<int64_t>(maxBytes);
  if (limit < n) n = limit;
  if (n <= 0) return;
  n &= ~int64_t{1};  // a final unpaired digit is dropped
  for (int64_t i = 0; i < n; i += 2) {
    int digits[2];
    for (int k = 0; k < 2; ++k) {
      char c = text[static_cast<size_t>(i + k)];
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
      digits[k] = c <= '9' ? c - '0' : c - 55;
    }
    output[i / 2] = static_cast<uint8_t>((digits[0] << 4) | (digits[1] & 0x0F));
  }
}

uint32_t ReadBigEndian32(const uint8_t* block, uint32_t offset) {
  return DecodeBigEndian32(block + offset);
}

TvBool CopyToFixedField(uint8_t* field, uint32_t width, const std::string& text) {
  for (uint32_t i = 0; i < width; ++i) field[i] = 0;
  size_t n = text.size();
  if (n == 0) return 0;
  if (n > width) n = width;
  for (size_t i = 0; i < n; ++i) field[i] = static_cast<uint8_t>(text[i]);
  return 1;
}

void FormatSize(std::string& output, int64_t count) {
  output.clear();
  double v = static_cast<double>(count);
  const char* unit = " b";
  if (v > 999999999999.0) {
    v /= 1099511627776.0;
    unit = " Tb";
  } else if (v > 999999999.0) {
    v /= 1073741824.0;
    unit = " Gb";
  } else if (v > 999999.0) {
    v /= 1048576.0;
    unit = " Mb";
  } else if (v > 999.0) {
    v /= 1024.0;
    unit = " Kb";
  }
  char buffer[512];
  std::snprintf(buffer, sizeof(buffer), "%f", v);
  std::string text = buffer;
  if (text.size() >= 6) text.resize(5);
  output = text + unit;
}

TvBool BrowseForFolder(std::string& output) {
  std::string chosen;
  if (!platform::UI().ChooseFolder("Select a folder:", &chosen)) return 0;
  output = chosen;
  return 1;
}

TvBool RunAndWait(const std::string& commandLine) {
  if (platform::RunProcessAndWait(commandLine)) return 1;
  TvError error(1);
  return 0;
}
