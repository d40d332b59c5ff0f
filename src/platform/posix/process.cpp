#include "platform/process.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>

#include "platform/command_line.h"
#include "platform/system_error.h"

extern char** environ;

namespace platform {

bool RunProcessAndWait(const std::string& commandLine, uint32_t* exitCode) {
  std::vector<std::string> args = SplitCommandLine(commandLine);
  if (args.empty() || args[0].empty()) {
    SetLastError(ENOENT);
    return false;
  }
  std::vector<char*> argv;
  argv.reserve(args.size() + 1);
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);

  // No shell: the program is searched in PATH and started with the arguments as split.
  pid_t pid;
  int rc = ::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
  if (rc != 0) {
    SetLastError(static_cast<uint32_t>(rc));
    return false;
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) break;
  }
  if (exitCode != nullptr) {
    *exitCode = WIFEXITED(status)     ? static_cast<uint32_t>(WEXITSTATUS(status))
                : WIFSIGNALED(status) ? 128u + static_cast<uint32_t>(WTERMSIG(status))
                                      : 1u;
  }
  return true;
}

}  // namespace platform
