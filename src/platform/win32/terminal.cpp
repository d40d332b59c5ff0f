#include "platform/terminal.h"

#include <windows.h>

namespace platform {

bool IsTerminal(StandardStream stream) {
  DWORD id = stream == StandardStream::kInput    ? STD_INPUT_HANDLE
             : stream == StandardStream::kOutput ? STD_OUTPUT_HANDLE
                                                 : STD_ERROR_HANDLE;
  HANDLE handle = ::GetStdHandle(id);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
  DWORD mode = 0;
  return ::GetFileType(handle) == FILE_TYPE_CHAR && ::GetConsoleMode(handle, &mode) != 0;
}

}  // namespace platform
