#include "zvtool/tool_common.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <vector>

#include "foundation/tv_file.h"
#include "foundation/utilities.h"
#include "platform/file_system.h"
#include "platform/terminal.h"

namespace zvtool {

std::string JsonText(const std::string& bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (unsigned char c : bytes) {
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

std::string HexBytes(const std::string& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (size_t i = 0; i < bytes.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (i != 0) out.push_back(' ');
    out.push_back(kDigits[c >> 4]);
    out.push_back(kDigits[c & 15]);
  }
  return out;
}

std::string Hex16(uint64_t value) {
  std::string out;
  AppendHex64(value, out, 1);
  return out;
}

std::string Hex32(uint32_t value) {
  char buffer[16];
  std::snprintf(buffer, sizeof(buffer), "0x%08X", static_cast<unsigned>(value));
  return buffer;
}

std::string Grouped(uint64_t value) {
  std::string digits = std::to_string(value);
  std::string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i != 0 && (digits.size() - i) % 3 == 0) out.push_back(',');
    out.push_back(digits[i]);
  }
  return out;
}

std::string WithSeparator(std::string dir) {
  if (dir.empty() || !platform::IsPathSeparator(dir.back())) dir.push_back(platform::kPathSeparator);
  return dir;
}

std::string FixedFile(const std::string& dataFolder, const char* name) {
  return ExistingFileName(dataFolder + name);
}

std::string JoinPath(const std::string& dir, const std::string& name) {
  return WithSeparator(dir) + name;
}

bool IsExistingDirectory(const std::string& path) { return platform::IsDirectory(path); }

bool IsExistingFile(const std::string& path) {
  // No wildcard in a name we check: a name holding one is no file of ours.
  if (path.find_first_of("*?") != std::string::npos) return false;
  return FileExists(path) && !platform::IsDirectory(path);
}

std::string BaseName(const std::string& path) {
  std::string name;
  FileNameFromPath(name, path);
  return name;
}

uint64_t FileLength(const std::string& path) { return GetFileSizeByName(path); }

ScratchFolder::ScratchFolder() {
  std::random_device device;
  uint64_t stamp =
      static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  for (int attempt = 0; attempt < 16; ++attempt) {
    uint64_t token = (uint64_t{device()} << 32) ^ device() ^ stamp ^ (uint64_t(attempt) << 7);
    std::string path = platform::TempDirectory() + "zvtool-" + Hex16(token);
    if (platform::CreateDirectory(path)) {
      m_path = WithSeparator(path);
      return;
    }
  }
}

ScratchFolder::~ScratchFolder() {
  if (m_path.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(std::filesystem::path(m_path), ignored);
}

Progress::Progress(std::string label, uint64_t total)
    : m_label(std::move(label)),
      m_total(total),
      m_enabled(total >= 200 && platform::IsTerminal(platform::StandardStream::kError)) {}

Progress::~Progress() {
  if (m_shown) {
    std::fprintf(stderr, "\r%*s\r", static_cast<int>(m_label.size() + 40), "");
    std::fflush(stderr);
  }
}

void Progress::Step() {
  ++m_done;
  if (!m_enabled) return;
  if (m_done % 50 != 0 && m_done != m_total) return;
  std::fprintf(stderr, "\r%s: %llu/%llu", m_label.c_str(),
               static_cast<unsigned long long>(m_done), static_cast<unsigned long long>(m_total));
  std::fflush(stderr);
  m_shown = true;
}

namespace {

// Control characters would break the layout of a line: shown as escapes.
std::string Printable(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c < 0x20 || c == 0x7F) {
      char buffer[8];
      std::snprintf(buffer, sizeof(buffer), "\\x%02X", c);
      out += buffer;
    } else {
      out.push_back(static_cast<char>(c));
    }
  }
  return out;
}

std::string Scalar(const Json& value) {
  if (value.is_string()) return Printable(value.get<std::string>());
  if (value.is_null()) return "-";
  return value.dump();
}

bool IsScalar(const Json& value) { return !value.is_object() && !value.is_array(); }

void Render(std::vector<std::string>& lines, const Json& value, const std::string& indent);

void RenderField(std::vector<std::string>& lines, const std::string& key, const Json& value,
                 const std::string& indent) {
  if (IsScalar(value)) {
    lines.push_back(indent + key + ": " + Scalar(value));
  } else if (value.empty()) {
    lines.push_back(indent + key + ": (none)");
  } else {
    lines.push_back(indent + key + ":");
    Render(lines, value, indent + "  ");
  }
}

void Render(std::vector<std::string>& lines, const Json& value, const std::string& indent) {
  if (value.is_object()) {
    for (auto it = value.begin(); it != value.end(); ++it) {
      RenderField(lines, it.key(), it.value(), indent);
    }
    return;
  }
  if (value.is_array()) {
    for (const Json& element : value) {
      if (IsScalar(element)) {
        lines.push_back(indent + "- " + Scalar(element));
        continue;
      }
      std::vector<std::string> inner;
      Render(inner, element, indent + "  ");
      if (inner.empty()) continue;
      // The first line of the element carries the marker in place of its indent.
      inner[0] = indent + "- " + inner[0].substr(indent.size() + 2);
      lines.insert(lines.end(), inner.begin(), inner.end());
    }
    return;
  }
  lines.push_back(indent + Scalar(value));
}

}  // namespace

void PrintReadable(std::ostream& out, const Json& document) {
  std::vector<std::string> lines;
  Render(lines, document, "");
  for (const std::string& line : lines) out << line << '\n';
}

}  // namespace zvtool
