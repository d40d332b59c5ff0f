// The outcome of each old message file as a real run's log tells it, so a test can hold it
// against what zvtool check foretold. Header only.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace tvtest {

// Old message path -> "Converted", "NOT loaded" or "NOT saved".
using MessageVerdicts = std::map<std::string, std::string>;

// The verdicts of a real run's log entries ("<level>: Message: <path> , <verdict>", the verdict
// perhaps followed by ", <reason>").
inline MessageVerdicts LoggedVerdicts(const std::vector<std::string>& entries) {
  MessageVerdicts verdicts;
  for (const std::string& entry : entries) {
    const size_t head = entry.find("Message: ");
    if (head == std::string::npos) continue;
    const size_t start = head + 9;
    for (const char* verdict : {"Converted", "NOT loaded", "NOT saved"}) {
      const std::string said = std::string(" , ") + verdict;
      const size_t at = entry.find(said, start);
      if (at == std::string::npos || at == start) continue;
      const size_t end = at + said.size();
      if (end == entry.size() || entry.compare(end, 2, ", ") == 0) {
        verdicts[entry.substr(start, at - start)] = verdict;
      }
    }
  }
  return verdicts;
}

}  // namespace tvtest
