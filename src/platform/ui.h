// What the tool shows to its user: message boxes, the wait cursor and the folder chooser.
//
// The system user interface is the default (Win32 boxes; on POSIX the caption and text on stderr,
// Yes/No read from stdin with No on end of input, folder path read from stdin). Tests install a
// recording interface (recording_ui.h) instead.
#pragma once

#include <string>

namespace platform {

enum class BoxButtons { kOk, kYesNo };
enum class BoxIcon { kNone, kError, kWarning, kInformation, kQuestion };
enum class BoxAnswer { kOk, kYes, kNo };

class UserInterface {
 public:
  virtual ~UserInterface() = default;
  // Modal message box; the caption is the application name in force (SetApplicationName).
  virtual BoxAnswer MessageBox(const std::string& text, BoxButtons buttons, BoxIcon icon) = 0;
  // Modal folder chooser with the given title, file-system folders only. True and *path set
  // (without a trailing separator) when a folder was chosen; *path untouched otherwise.
  virtual bool ChooseFolder(const std::string& title, std::string* path) = 0;
  virtual void SetWaitCursor(bool on) = 0;
};

// The interface in force.
UserInterface& UI();
// Installs an interface (not owned) and returns the previous one; null restores the system's.
UserInterface* SetUserInterface(UserInterface* ui);

// Caption of every message box. Empty until start-up sets it.
const std::string& ApplicationName();
void SetApplicationName(const std::string& name);

}  // namespace platform
