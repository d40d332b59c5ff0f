// Modal dialogs.
//
// Windows: the dialog resource with the template's id (DialogBoxParamA), its icon resource as the
// large and small window icon, drawn centred while the window is minimised. POSIX: a terminal
// rendition on stderr with the same texts, read top to bottom, and one command per line read from
// stdin: the first letter of the line, either case, chooses the control whose key it is (an
// automatic check box toggles); end of input is the cancel command; anything else shows the
// choices again.
#pragma once

#include <string>
#include <vector>

namespace platform {

inline constexpr int kDialogOk = 1;
inline constexpr int kDialogCancel = 2;

enum class ControlKind { kPushButton, kAutoCheckBox, kEtchedLine };

struct DialogControl {
  int id;            // -1 for a control without an id
  ControlKind kind;
  std::string text;
  int x, y, width, height;  // dialog units
  char key;          // the terminal rendition's command letter; 0 for none
};

struct DialogTemplate {
  int resourceId;  // the dialog resource of the Windows build
  int iconId;      // its icon resource
  std::string title;
  std::string fontName;
  int fontSize;
  int width, height;  // dialog units
  std::vector<DialogControl> controls;  // template order, which is the tab order
};

// What a handler may do with the dialog while it runs.
class DialogWindow {
 public:
  virtual ~DialogWindow() = default;
  virtual bool IsChecked(int controlId) = 0;
  virtual void SetChecked(int controlId, bool checked) = 0;
  // Closes the dialog; RunModalDialog returns result.
  virtual void End(int result) = 0;
};

class DialogHandler {
 public:
  virtual ~DialogHandler() = default;
  // The dialog is up: put the data into the controls.
  virtual void OnInitDialog(DialogWindow& window) = 0;
  // A button was pressed (kDialogCancel also for the close box, the cancel key and, on POSIX,
  // the end of input).
  virtual void OnCommand(DialogWindow& window, int controlId) = 0;
};

// Runs the dialog until a handler ends it. The result given to End, or -1 when the dialog could
// not be shown.
int RunModalDialog(const DialogTemplate& dialogTemplate, DialogHandler& handler);

}  // namespace platform
