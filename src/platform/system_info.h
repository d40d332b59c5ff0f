// Facts about the system the tool runs on.
#pragma once

#include <cstdint>

namespace platform {

// The packed platform version as GetVersion() returns it (on POSIX a fixed value standing for
// the NT family: major 6, minor 1, build 7601). Written into folder records, never read back.
uint32_t PackedVersion();

}  // namespace platform
