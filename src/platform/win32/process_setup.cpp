#include "platform/process_setup.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <winsock2.h>

namespace platform {

void InitCommonControls() {
  INITCOMMONCONTROLSEX controls;
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_WIN95_CLASSES;
  ::InitCommonControlsEx(&controls);
}

bool StartSockets() {
  WSADATA data;
  return ::WSAStartup(MAKEWORD(2, 0), &data) == 0;
}

void InitComLibrary() { ::CoInitialize(nullptr); }

namespace {

// Keeps a library loaded until the process ends and frees it then.
class LibraryHolder {
 public:
  explicit LibraryHolder(const char* name) : m_module(::LoadLibraryA(name)) {}
  ~LibraryHolder() {
    if (m_module != nullptr) ::FreeLibrary(m_module);
  }
  bool Loaded() const { return m_module != nullptr; }

 private:
  HMODULE m_module;
};

}  // namespace

bool LoadRichEditLibraries() {
  static LibraryHolder original("RICHED32.DLL");
  static LibraryHolder version2("RICHED20.DLL");
  return original.Loaded() && version2.Loaded();
}

}  // namespace platform
