// Splitting of a command line into arguments by the Windows rules.
#pragma once

#include <string>
#include <vector>

namespace platform {

// The program name ends at the first blank or tab outside double quotes, and its quotes are
// dropped without any escaping. In the following arguments, 2n backslashes before a double quote
// give n backslashes and the quote toggles quoting; 2n+1 backslashes give n backslashes and a
// literal quote; backslashes not followed by a quote are literal; "" inside quotes gives one
// literal quote.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

}  // namespace platform
