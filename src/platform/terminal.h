// Whether a standard stream goes to a terminal (a console on Windows), so command-line tools can
// show progress only to a person watching; and the few lines the program writes to them.
#pragma once

#include <string>

namespace platform {

enum class StandardStream { kInput, kOutput, kError };

bool IsTerminal(StandardStream stream);

// Help and version texts. POSIX: stdout. Windows: the standard output when the program has one
// (redirected to a file or a pipe); otherwise an information box.
void ShowInformation(const std::string& text);

// One line for whoever watches the run on a terminal or reads its output in a script (the
// end-of-run summary). POSIX: stderr. Windows: nothing, a GUI program has no console.
void WriteConsoleLine(const std::string& line);

}  // namespace platform
