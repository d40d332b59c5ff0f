// The terminal rendition of the message box and the folder chooser.
#include "platform/system_ui.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>

#include "platform/posix/status_line.h"

namespace platform {

namespace {

const char* IconText(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::kError:
      return "Error: ";
    case BoxIcon::kWarning:
      return "Warning: ";
    default:
      return "";
  }
}

// One line from stdin without its line end; false at end of input.
bool ReadLine(std::string* line) {
  if (!std::getline(std::cin, *line)) return false;
  while (!line->empty() && (line->back() == '\r' || line->back() == '\n')) line->pop_back();
  return true;
}

// The answer as an absolute path without "." and ".." levels or a trailing separator; a relative
// one is taken from the directory the user started the program in, not the program's folder.
std::string Absolute(const std::string& answer) {
  std::filesystem::path path(answer);
  if (path.is_relative()) {
    std::error_code ignored;
    std::filesystem::path base = StartingDirectory().empty()
                                     ? std::filesystem::current_path(ignored)
                                     : std::filesystem::path(StartingDirectory());
    path = base / path;
  }
  std::string folder = path.lexically_normal().string();
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

class TerminalUserInterface : public UserInterface {
 public:
  BoxAnswer ShowMessageBox(const std::string& text, BoxButtons buttons, BoxIcon icon) override {
    std::string out;
    if (!ApplicationName().empty()) out += "[" + ApplicationName() + "] ";
    out += IconText(icon);
    out += text;
    // A box during the conversion starts on a line of its own, not after the progress line.
    EraseStatusLine();
    if (out.empty() || out.back() != '\n') out += '\n';
    if (buttons == BoxButtons::kYesNo) {
      out += "Yes or No? ";
      std::fputs(out.c_str(), stderr);
      std::fflush(stderr);
      std::string line;
      if (!ReadLine(&line)) return BoxAnswer::kNo;
      size_t first = line.find_first_not_of(" \t");
      if (first != std::string::npos && (line[first] == 'y' || line[first] == 'Y')) {
        return BoxAnswer::kYes;
      }
      return BoxAnswer::kNo;
    }
    std::fputs(out.c_str(), stderr);
    std::fflush(stderr);
    // Only a person at a terminal is made to confirm; scripts run straight through.
    if (::isatty(STDIN_FILENO) && ::isatty(STDERR_FILENO)) {
      std::fputs("Press Enter to continue.", stderr);
      std::fflush(stderr);
      std::string line;
      ReadLine(&line);
    }
    return BoxAnswer::kOk;
  }

  bool ChooseFolder(const std::string& title, std::string* path) override {
    std::fprintf(stderr, "%s ", title.c_str());
    std::fflush(stderr);
    std::string line;
    if (!ReadLine(&line) || line.empty()) return false;
    std::string folder = Absolute(line);
    struct stat st;
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
      std::fprintf(stderr, "Not a folder: %s\n", line.c_str());
      return false;
    }
    *path = folder;
    return true;
  }

  void SetWaitCursor(bool) override {}
};

}  // namespace

UserInterface& SystemUserInterface() {
  static TerminalUserInterface ui;
  return ui;
}

}  // namespace platform
