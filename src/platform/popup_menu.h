// Popup menus shown at a point on the screen, for the fast replies.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// An opaque window handle (HWND on Windows).
using WindowHandle = void*;

// A rectangle in screen coordinates.
struct ScreenRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

struct PopupMenuItem {
  uint32_t id = 0;
  std::string text;
  bool separator = false;
};

// Brings owner to the foreground, shows the items as a popup menu whose top left corner is at
// (x, y), owned by owner, and waits until the user chooses or dismisses it. Returns the chosen
// item's id, or 0 when the menu was dismissed, could not be shown or owner is null. The POSIX
// backend has no menus and always returns 0.
uint32_t TrackPopupMenu(const std::vector<PopupMenuItem>& items, int32_t x, int32_t y,
                        WindowHandle owner);

}  // namespace platform
