// The local wall-clock time.
#pragma once

#include <ctime>

namespace platform {

// Fills *out with the current local time (tm_year counted from 1900, tm_mon from 0). False when
// the time cannot be had.
bool LocalTimeNow(std::tm* out);

}  // namespace platform
