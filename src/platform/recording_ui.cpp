#include "platform/recording_ui.h"

namespace platform {

BoxAnswer RecordingUserInterface::ShowMessageBox(const std::string& text, BoxButtons buttons,
                                                 BoxIcon icon) {
  boxes.push_back(Box{ApplicationName(), text, buttons, icon});
  if (buttons == BoxButtons::kOk) return BoxAnswer::kOk;
  if (yesNoAnswers.empty()) return BoxAnswer::kNo;
  BoxAnswer answer = yesNoAnswers.front();
  yesNoAnswers.pop_front();
  return answer == BoxAnswer::kYes ? BoxAnswer::kYes : BoxAnswer::kNo;
}

bool RecordingUserInterface::ChooseFolder(const std::string& title, std::string* path) {
  folderTitles.push_back(title);
  if (folderChoices.empty()) return false;
  std::string choice = folderChoices.front();
  folderChoices.pop_front();
  if (choice.empty()) return false;
  *path = choice;
  return true;
}

void RecordingUserInterface::SetWaitCursor(bool on) { waitCursorDepth += on ? 1 : -1; }

}  // namespace platform
