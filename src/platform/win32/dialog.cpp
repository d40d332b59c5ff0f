// Modal dialogs from the program's dialog resources.
#include "platform/dialog.h"

#include <windows.h>

namespace platform {

namespace {

class Win32Dialog : public DialogWindow {
 public:
  Win32Dialog(const DialogTemplate& dialogTemplate, DialogHandler& handler)
      : m_template(dialogTemplate), m_handler(handler) {}

  bool IsChecked(int controlId) override {
    return ::IsDlgButtonChecked(m_window, controlId) == BST_CHECKED;
  }
  void SetChecked(int controlId, bool checked) override {
    ::CheckDlgButton(m_window, controlId, checked ? BST_CHECKED : BST_UNCHECKED);
  }
  void End(int result) override { ::EndDialog(m_window, result); }

  static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Win32Dialog* self;
    if (message == WM_INITDIALOG) {
      self = reinterpret_cast<Win32Dialog*>(lParam);
      ::SetWindowLongPtrA(window, DWLP_USER, lParam);
      self->m_window = window;
    } else {
      self = reinterpret_cast<Win32Dialog*>(::GetWindowLongPtrA(window, DWLP_USER));
      if (self == nullptr) return FALSE;
    }
    return self->Handle(message, wParam, lParam);
  }

 private:
  INT_PTR Handle(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
      case WM_INITDIALOG: {
        HINSTANCE instance = ::GetModuleHandleA(nullptr);
        m_icon = ::LoadIconA(instance, MAKEINTRESOURCEA(m_template.iconId));
        ::SendMessageA(m_window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
        ::SendMessageA(m_window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon));
        m_handler.OnInitDialog(*this);
        // TRUE: the focus goes to the first tab stop of the template.
        return TRUE;
      }
      case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) {
          m_handler.OnCommand(*this, LOWORD(wParam));
          return TRUE;
        }
        return FALSE;
      case WM_PAINT:
        if (::IsIconic(m_window)) {
          PAINTSTRUCT paint;
          HDC dc = ::BeginPaint(m_window, &paint);
          ::SendMessageA(m_window, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
          RECT client;
          ::GetClientRect(m_window, &client);
          int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
          int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
          ::DrawIcon(dc, x, y, m_icon);
          ::EndPaint(m_window, &paint);
          return TRUE;
        }
        return FALSE;
      case WM_QUERYDRAGICON:
        ::SetWindowLongPtrA(m_window, DWLP_MSGRESULT, reinterpret_cast<LONG_PTR>(m_icon));
        return reinterpret_cast<INT_PTR>(m_icon);
      default:
        return FALSE;
    }
  }

  const DialogTemplate& m_template;
  DialogHandler& m_handler;
  HWND m_window = nullptr;
  HICON m_icon = nullptr;
};

}  // namespace

int RunModalDialog(const DialogTemplate& dialogTemplate, DialogHandler& handler) {
  Win32Dialog dialog(dialogTemplate, handler);
  INT_PTR result =
      ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(dialogTemplate.resourceId),
                        nullptr, &Win32Dialog::Procedure, reinterpret_cast<LPARAM>(&dialog));
  return static_cast<int>(result);
}

}  // namespace platform
