#include "platform/popup_menu.h"

namespace platform {

// No window system here: the menu is never shown and nothing is chosen.
uint32_t TrackPopupMenu(const std::vector<PopupMenuItem>&, int32_t, int32_t, WindowHandle) {
  return 0;
}

}  // namespace platform
