#include "platform/system_info.h"

namespace platform {

uint32_t PackedVersion() {
  // GetVersion's layout: build number in the high word, minor then major version in the low word.
  return (7601u << 16) | (1u << 8) | 6u;
}

}  // namespace platform
