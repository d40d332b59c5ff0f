// Whether a standard stream goes to a terminal (a console on Windows), so command-line tools can
// show progress only to a person watching.
#pragma once

namespace platform {

enum class StandardStream { kInput, kOutput, kError };

bool IsTerminal(StandardStream stream);

}  // namespace platform
