#include "support/conversion_log_reader.h"

#include <fstream>
#include <iterator>

namespace tvtest {

std::vector<std::string> ConversionLogEntries(const std::string& logPath) {
  std::ifstream in(logPath, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::string> entries;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    // " 2 MM/DD/YY HH:MM:SS @  Info: text": the entry starts after "@ " and the level's blank.
    size_t at = line.find(" @ ");
    std::string entry = at == std::string::npos ? line : line.substr(at + 3);
    if (!entry.empty() && entry[0] == ' ') entry.erase(0, 1);
    entries.push_back(entry);
    start = end + 2;
  }
  return entries;
}

}  // namespace tvtest
