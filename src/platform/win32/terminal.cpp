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

void ShowInformation(const std::string& text) {
  HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
  if (output != nullptr && output != INVALID_HANDLE_VALUE &&
      ::GetFileType(output) != FILE_TYPE_UNKNOWN) {
    std::string line = text;
    if (line.empty() || line.back() != '\n') line += '\n';
    DWORD written = 0;
    if (::WriteFile(output, line.data(), static_cast<DWORD>(line.size()), &written, nullptr)) {
      return;
    }
  }
  ::MessageBoxA(nullptr, text.c_str(), "Zorvane Database Tool", MB_OK | MB_ICONINFORMATION);
}

void WriteConsoleLine(const std::string&) {}

}  // namespace platform
