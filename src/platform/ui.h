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
  // Modal message box; the caption is the application name in force (SetApplicationName). A box
  // with the error or warning icon tells the user something failed: it is passed to the failure
  // observer before it is shown, so every such box is counted, wherever it is raised.
  BoxAnswer MessageBox(const std::string& text, BoxButtons buttons, BoxIcon icon);
  // Modal folder chooser with the given title, file-system folders only. True and *path set
  // (without a trailing separator) when a folder was chosen; *path untouched otherwise.
  virtual bool ChooseFolder(const std::string& title, std::string* path) = 0;
  virtual void SetWaitCursor(bool on) = 0;
  // True for an interface that shows nothing at all (quiet mode): it tells the run of every box
  // itself, so MessageBox leaves the failure observer to it, and callers show no progress.
  virtual bool IsQuiet() const { return false; }

 protected:
  // The box itself, as the interface shows it.
  virtual BoxAnswer ShowMessageBox(const std::string& text, BoxButtons buttons, BoxIcon icon) = 0;
};

// Called once for every error or warning box, with its text, before it is shown; none by
// default. The run's tally of reported failures installs itself here (it lives above this layer).
using FailureBoxObserver = void (*)(const std::string& text);
void SetFailureBoxObserver(FailureBoxObserver observer);

// The interface in force.
UserInterface& UI();
// Installs an interface (not owned) and returns the previous one; null restores the system's.
UserInterface* SetUserInterface(UserInterface* ui);

// The directory the user started the program in, remembered before start-up makes the program's
// folder the current one: the terminal folder chooser resolves a relative answer against it.
// Empty (the default): against the current directory.
const std::string& StartingDirectory();
void SetStartingDirectory(const std::string& directory);

// Caption of every message box. Empty until start-up sets it.
const std::string& ApplicationName();
void SetApplicationName(const std::string& name);

}  // namespace platform
