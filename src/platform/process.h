// Child processes.
#pragma once

#include <string>

namespace platform {

// Starts a command line as a new process and waits without limit until it ends. The command line
// is split and searched by the Windows rules on both backends; on POSIX the program is started
// directly (posix_spawnp), never through a shell. Handles marked inheritable are inherited.
// False (LastError set) when the process could not be started; the exit code is not examined.
bool RunProcessAndWait(const std::string& commandLine);

}  // namespace platform
