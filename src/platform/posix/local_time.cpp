#include "platform/local_time.h"

namespace platform {

bool LocalTimeNow(std::tm* out) {
  std::time_t now = std::time(nullptr);
  if (now == static_cast<std::time_t>(-1)) return false;
  return ::localtime_r(&now, out) != nullptr;
}

}  // namespace platform
