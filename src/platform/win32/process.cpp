#include "platform/process.h"

#include <windows.h>

#include <vector>

namespace platform {

bool RunProcessAndWait(const std::string& commandLine, uint32_t* exitCode) {
  // CreateProcessA may write into the command line: give it a copy.
  std::vector<char> command(commandLine.begin(), commandLine.end());
  command.push_back('\0');
  STARTUPINFOA startup;
  ZeroMemory(&startup, sizeof(startup));
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process;
  ZeroMemory(&process, sizeof(process));
  if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS,
                        nullptr, nullptr, &startup, &process)) {
    return false;
  }
  ::WaitForSingleObject(process.hProcess, INFINITE);
  if (exitCode != nullptr) {
    DWORD code = 1;
    if (!::GetExitCodeProcess(process.hProcess, &code)) code = 1;
    *exitCode = code;
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return true;
}

}  // namespace platform
