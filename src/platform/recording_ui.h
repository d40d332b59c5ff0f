// Test seam: a user interface that records every message box and answers from a script.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/ui.h"

namespace platform {

class RecordingUserInterface : public UserInterface {
 public:
  struct Box {
    std::string caption;
    std::string text;
    BoxButtons buttons;
    BoxIcon icon;
  };

  BoxAnswer ShowMessageBox(const std::string& text, BoxButtons buttons, BoxIcon icon) override;
  bool ChooseFolder(const std::string& title, std::string* path) override;
  void SetWaitCursor(bool on) override;

  // Answers for Yes/No boxes, in order; when none is left the answer is No.
  std::deque<BoxAnswer> yesNoAnswers;
  // Folder choices, in order; an empty text cancels; when none is left the choice is cancelled.
  std::deque<std::string> folderChoices;

  std::vector<Box> boxes;                 // every box shown, in order
  std::vector<std::string> folderTitles;  // the title of every folder chooser shown
  int waitCursorDepth = 0;                // +1 per wait cursor on, -1 per off
};

// Installs a RecordingUserInterface for the life of the object (RAII).
class ScopedRecordingUI {
 public:
  ScopedRecordingUI() : m_previous(SetUserInterface(&ui)) {}
  ~ScopedRecordingUI() { SetUserInterface(m_previous); }
  ScopedRecordingUI(const ScopedRecordingUI&) = delete;
  ScopedRecordingUI& operator=(const ScopedRecordingUI&) = delete;
  RecordingUserInterface ui;

 private:
  UserInterface* m_previous;
};

}  // namespace platform
