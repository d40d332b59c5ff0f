#include "platform/process_setup.h"

namespace platform {

// Nothing of this exists on POSIX: dialogs are terminal renditions and sockets need no start.
void InitCommonControls() {}
bool StartSockets() { return true; }
void InitComLibrary() {}
bool LoadRichEditLibraries() { return true; }

}  // namespace platform
