// Reads the conversion log back for tests: each entry as its level text and message
// ("Info: Message: ... , Converted"), without the code prefix and the time stamp.
#pragma once

#include <string>
#include <vector>

namespace tvtest {

// Entries of the log file at path, in order; empty when there is no file.
std::vector<std::string> ConversionLogEntries(const std::string& logPath);

}  // namespace tvtest
