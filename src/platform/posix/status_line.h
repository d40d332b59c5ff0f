// The one line on stderr that is rewritten in place (the progress line). Whatever else writes to
// stderr while it shows (a message box) erases it first, so the two never share a line.
#pragma once

#include <string>

namespace platform {

// Replaces the line's text (carriage return, text, erase to the end of the line).
void WriteStatusLine(const std::string& text);
// Erases the line if one is shown; the cursor is left at the start of the empty line.
void EraseStatusLine();

}  // namespace platform
