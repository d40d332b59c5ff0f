// The program's entry: one start-up routine, whose exit status is the process's.
#include <string>

#include "app/zv30to31_app.h"

#ifdef _WIN32

struct HINSTANCE__;

// The GUI subsystem's entry point; the command line is what follows the program's name.
extern "C" int __stdcall WinMain(HINSTANCE__*, HINSTANCE__*, char* commandLine, int) {
  CZV30TO31App app(commandLine != nullptr ? commandLine : "");
  app.InitInstance();
  return app.ExitStatus();
}

#else

namespace {

// One argument as a Windows command line holds it: in double quotes when it has blanks or quotes
// (a "/REPORT:<path>" with a blank in the path stays one argument), with the backslashes before a
// quote doubled and the quote escaped, so the Windows splitting rules give it back unchanged.
std::string CommandLineArgument(const std::string& argument) {
  if (argument.find_first_of(" \t\"") == std::string::npos) return argument;
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(2 * backslashes, '\\');
  return quoted + "\"";
}

}  // namespace

int main(int argc, char** argv) {
  std::string commandLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) commandLine += ' ';
    commandLine += CommandLineArgument(argv[i]);
  }
  CZV30TO31App app(commandLine);
  app.InitInstance();
  return app.ExitStatus();
}

#endif
