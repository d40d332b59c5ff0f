// Quiet mode: a user interface that shows nothing at all, for runs nobody watches (a logon
// script, a scheduled task). Every message box goes to a sink instead, which tells the run about
// it (the application writes it to its log, or counts it while there is no log yet); the failure
// observer is left to the sink, so a failure box becomes one reported failure, not two. A Yes/No
// box takes the answer No: in every question the tool asks, No is the one that changes nothing.
// The folder chooser is cancelled and the wait cursor is not shown.
#pragma once

#include <functional>
#include <string>

#include "platform/ui.h"

namespace platform {

using BoxSink = std::function<void(const std::string& text, BoxIcon icon)>;

class QuietUserInterface : public UserInterface {
 public:
  explicit QuietUserInterface(BoxSink sink) : m_sink(std::move(sink)) {}

  bool ChooseFolder(const std::string& title, std::string* path) override;
  void SetWaitCursor(bool on) override;
  bool IsQuiet() const override { return true; }

 protected:
  BoxAnswer ShowMessageBox(const std::string& text, BoxButtons buttons, BoxIcon icon) override;

 private:
  BoxSink m_sink;
};

// Installs a QuietUserInterface for the life of the object when quiet is true; nothing otherwise.
class ScopedQuietMode {
 public:
  ScopedQuietMode(bool quiet, BoxSink sink);
  ~ScopedQuietMode();
  ScopedQuietMode(const ScopedQuietMode&) = delete;
  ScopedQuietMode& operator=(const ScopedQuietMode&) = delete;

 private:
  QuietUserInterface m_ui;
  bool m_installed;
  UserInterface* m_previous = nullptr;
};

}  // namespace platform
