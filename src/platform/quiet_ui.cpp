#include "platform/quiet_ui.h"

namespace platform {

BoxAnswer QuietUserInterface::ShowMessageBox(const std::string& text, BoxButtons buttons,
                                             BoxIcon icon) {
  if (m_sink) m_sink(text, icon);
  return buttons == BoxButtons::kYesNo ? BoxAnswer::kNo : BoxAnswer::kOk;
}

bool QuietUserInterface::ChooseFolder(const std::string&, std::string*) { return false; }

void QuietUserInterface::SetWaitCursor(bool) {}

ScopedQuietMode::ScopedQuietMode(bool quiet, BoxSink sink)
    : m_ui(std::move(sink)), m_installed(quiet) {
  if (m_installed) m_previous = SetUserInterface(&m_ui);
}

ScopedQuietMode::~ScopedQuietMode() {
  if (m_installed) SetUserInterface(m_previous);
}

}  // namespace platform
