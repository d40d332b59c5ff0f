#include "platform/system_info.h"

#include <windows.h>

namespace platform {

uint32_t PackedVersion() {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  return static_cast<uint32_t>(::GetVersion());
#pragma GCC diagnostic pop
}

}  // namespace platform
