// Set-up of the process's system libraries at start-up. None of them is used by the conversion.
#pragma once

namespace platform {

// Common controls and the visual style of dialogs (nothing on POSIX).
void InitCommonControls();
// The socket library, version 2.0 (WSAStartup). Never shut down again. Always true on POSIX.
bool StartSockets();
// The component object library for this thread (CoInitialize, result not checked; never
// uninitialised). Nothing on POSIX.
void InitComLibrary();
// The rich-edit control libraries, loaded once per process and kept until it ends: the original
// rich-edit library, then "RICHED20.DLL". False when either cannot be loaded. Always true on POSIX.
bool LoadRichEditLibraries();

}  // namespace platform
