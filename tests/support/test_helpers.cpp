#include "support/test_helpers.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace tvtest {

bool EndsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string DescribeTreeDifference(const std::map<std::string, std::string>& a,
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

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::map<size_t, int> MessageNames(const std::string& directory) {
  std::map<size_t, int> counts;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(directory, error)) {
    const std::string name = entry.path().filename().string();
    if (name.size() > 8 && EndsWith(name, ".Message")) ++counts[name.size()];
  }
  return counts;
}

}  // namespace tvtest
