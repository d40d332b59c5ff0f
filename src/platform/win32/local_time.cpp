#include "platform/local_time.h"

#include <windows.h>

namespace platform {

bool LocalTimeNow(std::tm* out) {
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  *out = std::tm{};
  out->tm_year = now.wYear - 1900;
  out->tm_mon = now.wMonth - 1;
  out->tm_mday = now.wDay;
  out->tm_hour = now.wHour;
  out->tm_min = now.wMinute;
  out->tm_sec = now.wSecond;
  out->tm_wday = now.wDayOfWeek;
  return true;
}

}  // namespace platform
