#include "platform/popup_menu.h"

#include <windows.h>

namespace platform {

uint32_t TrackPopupMenu(const std::vector<PopupMenuItem>& items, int32_t x, int32_t y,
                        WindowHandle owner) {
  HWND window = static_cast<HWND>(owner);
  if (window == nullptr) return 0;
  HMENU menu = ::CreatePopupMenu();
  if (menu == nullptr) return 0;
  for (const PopupMenuItem& item : items) {
    if (item.separator) {
      ::AppendMenuA(menu, MF_SEPARATOR, item.id, nullptr);
    } else {
      ::AppendMenuA(menu, MF_STRING, item.id, item.text.c_str());
    }
  }
  ::SetForegroundWindow(window);
  ::UpdateWindow(window);
  BOOL command = ::TrackPopupMenuEx(menu, TPM_RETURNCMD, x, y, window, nullptr);
  ::DestroyMenu(menu);
  return command > 0 ? static_cast<uint32_t>(command) : 0;
}

}  // namespace platform
