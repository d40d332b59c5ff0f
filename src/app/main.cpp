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

int main(int argc, char** argv) {
  std::string commandLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) commandLine += ' ';
    commandLine += argv[i];
  }
  CZV30TO31App app(commandLine);
  app.InitInstance();
  return app.ExitStatus();
}

#endif
