#include "platform/ui.h"

#include <atomic>

#include "platform/system_ui.h"

namespace platform {

namespace {

std::atomic<UserInterface*> g_installed{nullptr};
std::atomic<FailureBoxObserver> g_failureObserver{nullptr};

std::string& ApplicationNameStorage() {
  static std::string name;
  return name;
}

std::string& StartingDirectoryStorage() {
  static std::string directory;
  return directory;
}

}  // namespace

BoxAnswer UserInterface::MessageBox(const std::string& text, BoxButtons buttons, BoxIcon icon) {
  if ((icon == BoxIcon::kError || icon == BoxIcon::kWarning) && !IsQuiet()) {
    FailureBoxObserver observer = g_failureObserver.load();
    if (observer != nullptr) observer(text);
  }
  return ShowMessageBox(text, buttons, icon);
}

void SetFailureBoxObserver(FailureBoxObserver observer) { g_failureObserver.store(observer); }

UserInterface& UI() {
  UserInterface* installed = g_installed.load();
  return installed != nullptr ? *installed : SystemUserInterface();
}

UserInterface* SetUserInterface(UserInterface* ui) { return g_installed.exchange(ui); }

const std::string& StartingDirectory() { return StartingDirectoryStorage(); }

void SetStartingDirectory(const std::string& directory) { StartingDirectoryStorage() = directory; }

const std::string& ApplicationName() { return ApplicationNameStorage(); }

void SetApplicationName(const std::string& name) { ApplicationNameStorage() = name; }

}  // namespace platform
