// Where the conversion's progress is shown while it runs.
//
// Windows: a small window of its own, owned by the active window (the main dialog), with a
// progress bar, the counts and the folder being converted; the owner takes no commands while it
// is up, and the window itself has none. POSIX: one line on stderr, rewritten in place, and only
// when stderr is a terminal (a pipe or a file never gets it).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

class ProgressView {
 public:
  virtual ~ProgressView() = default;
  // Shows done of total (total may be 0), the counts text and the folder's name. On Windows
  // this is also when the windows repaint: input that arrived meanwhile is thrown away.
  virtual void Show(uint64_t done, uint64_t total, const std::string& counts,
                    const std::string& folder) = 0;
};

// The view for a run; null when nothing is to be shown (silent mode on Windows, stderr not a
// terminal on POSIX). windowed: the run has a dialog (false for /SILENT).
std::unique_ptr<ProgressView> OpenProgressView(bool windowed);

}  // namespace platform
