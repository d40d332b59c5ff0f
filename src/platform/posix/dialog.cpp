// The terminal rendition of a modal dialog.
#include "platform/dialog.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <map>

namespace platform {

namespace {

class TerminalDialog : public DialogWindow {
 public:
  explicit TerminalDialog(const DialogTemplate& dialogTemplate) : m_template(dialogTemplate) {}

  bool IsChecked(int controlId) override { return m_checked[controlId]; }
  void SetChecked(int controlId, bool checked) override { m_checked[controlId] = checked; }
  void End(int result) override {
    m_ended = true;
    m_result = result;
  }

  bool ended() const { return m_ended; }
  int result() const { return m_result; }

  // The window read top to bottom (then left to right): every text in the order it is seen.
  void Show() {
    std::vector<const DialogControl*> order;
    for (const DialogControl& control : m_template.controls) order.push_back(&control);
    std::stable_sort(order.begin(), order.end(), [](const DialogControl* a, const DialogControl* b) {
      return a->y != b->y ? a->y < b->y : a->x < b->x;
    });
    std::string out = "\n" + m_template.title + "\n";
    for (const DialogControl* control : order) {
      switch (control->kind) {
        case ControlKind::kEtchedLine:
          out += "  " + std::string(36, '-') + "\n";
          break;
        case ControlKind::kAutoCheckBox:
          out += "  ";
          out += control->key;
          out += std::string(")  [") + (m_checked[control->id] ? "x" : " ") + "] " +
                 control->text + "\n";
          break;
        case ControlKind::kPushButton:
          out += "  ";
          out += control->key;
          out += ")  " + control->text + "\n";
          break;
      }
    }
    out += "Choice: ";
    std::fputs(out.c_str(), stderr);
    std::fflush(stderr);
  }

  const DialogControl* ControlForKey(char key) const {
    if (key >= 'A' && key <= 'Z') key = static_cast<char>(key - 'A' + 'a');
    for (const DialogControl& control : m_template.controls) {
      if (control.key != 0 && control.key == key && control.kind != ControlKind::kEtchedLine) {
        return &control;
      }
    }
    return nullptr;
  }

 private:
  const DialogTemplate& m_template;
  std::map<int, bool> m_checked;
  bool m_ended = false;
  int m_result = kDialogCancel;
};

}  // namespace

int RunModalDialog(const DialogTemplate& dialogTemplate, DialogHandler& handler) {
  TerminalDialog dialog(dialogTemplate);
  handler.OnInitDialog(dialog);
  while (!dialog.ended()) {
    dialog.Show();
    std::string line;
    if (!std::getline(std::cin, line)) {
      // End of input: the cancel command, and the dialog is over whatever the handler did.
      std::fputs("\n", stderr);
      handler.OnCommand(dialog, kDialogCancel);
      if (!dialog.ended()) dialog.End(kDialogCancel);
      break;
    }
    size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos) continue;
    const DialogControl* control = dialog.ControlForKey(line[first]);
    if (control == nullptr) continue;
    if (control->kind == ControlKind::kAutoCheckBox) {
      dialog.SetChecked(control->id, !dialog.IsChecked(control->id));
    }
    handler.OnCommand(dialog, control->id);
  }
  return dialog.result();
}

}  // namespace platform
