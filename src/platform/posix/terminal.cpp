#include "platform/terminal.h"

#include <unistd.h>

#include <cstdio>

#include "platform/posix/status_line.h"

namespace platform {

bool IsTerminal(StandardStream stream) {
  int fd = stream == StandardStream::kInput    ? STDIN_FILENO
           : stream == StandardStream::kOutput ? STDOUT_FILENO
                                               : STDERR_FILENO;
  return ::isatty(fd) != 0;
}

void ShowInformation(const std::string& text) {
  std::fputs(text.c_str(), stdout);
  if (text.empty() || text.back() != '\n') std::fputc('\n', stdout);
  std::fflush(stdout);
}

void WriteConsoleLine(const std::string& line) {
  EraseStatusLine();
  std::fprintf(stderr, "%s\n", line.c_str());
  std::fflush(stderr);
}

}  // namespace platform
