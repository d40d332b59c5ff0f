// The progress line on a terminal's stderr.
#include "platform/progress_view.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>

#include "platform/posix/status_line.h"

namespace platform {

namespace {

bool g_lineShown = false;

class TerminalProgressLine : public ProgressView {
 public:
  ~TerminalProgressLine() override { EraseStatusLine(); }

  void Show(uint64_t done, uint64_t total, const std::string& counts,
            const std::string& folder) override {
    std::string text = "Converting: " + counts;
    if (total != 0) text += " (" + std::to_string(done * 100 / total) + "%)";
    if (!folder.empty()) text += ", folder " + folder;
    // A line longer than the terminal would wrap, and "\r" would then rewrite only its end.
    struct winsize size = {};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 1 &&
        text.size() >= size.ws_col) {
      text.resize(size.ws_col - 1u);
    }
    WriteStatusLine(text);
  }
};

}  // namespace

void WriteStatusLine(const std::string& text) {
  // "\r" back to the start of the line, "\033[K" erases what a longer earlier text left.
  std::string out = "\r" + text + "\033[K";
  std::fwrite(out.data(), 1, out.size(), stderr);
  std::fflush(stderr);
  g_lineShown = true;
}

void EraseStatusLine() {
  if (!g_lineShown) return;
  std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
  g_lineShown = false;
}

std::unique_ptr<ProgressView> OpenProgressView(bool /*windowed*/) {
  if (::isatty(STDERR_FILENO) == 0) return nullptr;
  return std::make_unique<TerminalProgressLine>();
}

}  // namespace platform
