// Child processes.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Starts a command line as a new process and waits without limit until it ends. The command line
// is split and searched by the Windows rules on both backends; on POSIX the program is started
// directly (posix_spawnp), never through a shell. Handles marked inheritable are inherited.
// False (LastError set) when the process could not be started. When exitCode is given it receives
// the process's exit code (on POSIX 128 + the signal number for a process ended by a signal).
bool RunProcessAndWait(const std::string& commandLine, uint32_t* exitCode = nullptr);

}  // namespace platform
