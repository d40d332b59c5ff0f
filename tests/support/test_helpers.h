// Small helpers shared by the tests: bytes written as numbers, text suffixes, differences between
// two file trees, whole files and the message files of a folder. Standard library only: the Wine
// end-to-end driver, built for the build machine, uses it too.
#pragma once

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <map>
#include <string>
#include <system_error>

namespace tvtest {

// The bytes given as numbers (0..255), e.g. Bytes({0x01, 0x03, 0, 0}).
inline std::string Bytes(std::initializer_list<int> bytes) {
  std::string out;
  for (int b : bytes) out.push_back(static_cast<char>(b));
  return out;
}

inline bool EndsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// " extra:<path>", " differs:<path>" and " missing:<path>" for every path (relative path ->
// contents) that is only in a, in both with other contents, or only in b.
inline std::string DescribeTreeDifference(const std::map<std::string, std::string>& a,
                                          const std::map<std::string, std::string>& b) {
  std::string out;
  for (const auto& [path, bytes] : a) {
    auto it = b.find(path);
    if (it == b.end()) {
      out += " extra:" + path;
    } else if (it->second != bytes) {
      out += " differs:" + path;
    }
  }
  for (const auto& [path, bytes] : b) {
    if (a.find(path) == a.end()) out += " missing:" + path;
  }
  return out;
}

// The whole content of path, or an empty text when it cannot be read.
inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The ".Message" files of a folder directory, counted by name length: 40 for old files, 24 for
// new ones.
inline std::map<size_t, int> MessageNames(const std::string& directory) {
  std::map<size_t, int> counts;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(directory, error)) {
    const std::string name = entry.path().filename().string();
    if (name.size() > 8 && EndsWith(name, ".Message")) ++counts[name.size()];
  }
  return counts;
}

}  // namespace tvtest
