#include "platform/ui.h"

#include <atomic>

#include "platform/system_ui.h"

namespace platform {

namespace {

std::atomic<UserInterface*> g_installed{nullptr};

std::string& ApplicationNameStorage() {
  static std::string name;
  return name;
}

}  // namespace

UserInterface& UI() {
  UserInterface* installed = g_installed.load();
  return installed != nullptr ? *installed : SystemUserInterface();
}

UserInterface* SetUserInterface(UserInterface* ui) { return g_installed.exchange(ui); }

const std::string& ApplicationName() { return ApplicationNameStorage(); }

void SetApplicationName(const std::string& name) { ApplicationNameStorage() = name; }

}  // namespace platform
