#include "platform/system_info.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "platform/system_error.h"

namespace platform {

uint32_t PackedVersion() {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  return static_cast<uint32_t>(::GetVersion());
#pragma GCC diagnostic pop
}

bool GetOsVersion(OsVersionInfo* info) {
  OSVERSIONINFOA version;
  std::memset(&version, 0, sizeof(version));
  version.dwOSVersionInfoSize = info->size;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!::GetVersionExA(&version)) return false;
#pragma GCC diagnostic pop
  info->majorVersion = version.dwMajorVersion;
  info->minorVersion = version.dwMinorVersion;
  info->buildNumber = version.dwBuildNumber;
  info->platformId = version.dwPlatformId;
  static_assert(sizeof(info->csdVersion) == sizeof(version.szCSDVersion));
  std::memcpy(info->csdVersion, version.szCSDVersion, sizeof(info->csdVersion));
  return true;
}

void* User32Module() { return reinterpret_cast<void*>(::GetModuleHandleA("user32.dll")); }

void* LookUpFunction(void* module, const char* name) {
  if (module == nullptr) return nullptr;
  return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(module), name));
}

namespace {

// The record NetWkstaGetInfo gives at level 102.
struct WorkstationInfo102 {
  DWORD platformId;
  wchar_t* computerName;
  wchar_t* lanGroup;
  DWORD versionMajor;
  DWORD versionMinor;
  wchar_t* lanRoot;
  DWORD loggedOnUsers;
};
using NetWkstaGetInfoFn = DWORD(WINAPI*)(wchar_t*, DWORD, BYTE**);
using NetApiBufferFreeFn = DWORD(WINAPI*)(void*);
using SHGetFolderPathAFn = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);

}  // namespace

bool WorkgroupName(std::string* name) {
  HMODULE netapi = ::LoadLibraryA("netapi32.dll");
  if (netapi == nullptr) return false;
  auto getInfo = reinterpret_cast<NetWkstaGetInfoFn>(
      reinterpret_cast<void*>(::GetProcAddress(netapi, "NetWkstaGetInfo")));
  auto freeBuffer = reinterpret_cast<NetApiBufferFreeFn>(
      reinterpret_cast<void*>(::GetProcAddress(netapi, "NetApiBufferFree")));
  bool ok = false;
  if (getInfo != nullptr) {
    BYTE* record = nullptr;
    if (getInfo(nullptr, 102, &record) == 0 && record != nullptr) {
      const wchar_t* group = reinterpret_cast<WorkstationInfo102*>(record)->lanGroup;
      name->clear();
      if (group != nullptr && group[0] != L'\0') {
        // Sized by the conversion itself, so a double-byte code page cannot overflow it.
        int needed = ::WideCharToMultiByte(CP_ACP, 0, group, -1, nullptr, 0, nullptr, nullptr);
        if (needed > 0) {
          std::vector<char> buffer(static_cast<size_t>(needed) + 1, '\0');
          if (::WideCharToMultiByte(CP_ACP, 0, group, -1, buffer.data(), needed, nullptr,
                                    nullptr) > 0) {
            *name = buffer.data();
          }
        }
      }
      ok = true;
    }
    if (freeBuffer != nullptr && record != nullptr) freeBuffer(record);
  }
  ::FreeLibrary(netapi);
  return ok;
}

bool ComputerName(std::string* name) {
  char buffer[16] = {};
  DWORD size = sizeof(buffer);
  if (::GetComputerNameA(buffer, &size)) {
    // The reported length never reaches past what the buffer holds.
    if (size > 15) size = 15;
    name->assign(buffer, size);
    return true;
  }
  if (::GetLastError() != ERROR_BUFFER_OVERFLOW || size == 0 || size > 4096) return false;
  std::vector<char> longer(size + 1, '\0');
  DWORD longerSize = size + 1;
  if (!::GetComputerNameA(longer.data(), &longerSize)) return false;
  name->assign(longer.data(), longerSize < 15 ? longerSize : 15);
  return true;
}

bool LogonUserName(std::string* name) {
  char buffer[257] = {};
  DWORD size = sizeof(buffer);
  if (!::GetUserNameA(buffer, &size)) return false;
  *name = buffer;
  return true;
}

bool AppDataFolder(std::string* path) {
  HMODULE shfolder = ::LoadLibraryA("SHFOLDER.DLL");
  if (shfolder == nullptr) return false;
  auto getFolderPath = reinterpret_cast<SHGetFolderPathAFn>(
      reinterpret_cast<void*>(::GetProcAddress(shfolder, "SHGetFolderPathA")));
  char buffer[261] = {};
  bool ok = false;
  if (getFolderPath != nullptr) {
    // CSIDL_APPDATA | CSIDL_FLAG_CREATE, the folder's current path.
    ok = getFolderPath(nullptr, 0x801A, nullptr, 0, buffer) == 0 && buffer[0] != '\0';
  } else {
    SetLastError(ERROR_PROC_NOT_FOUND);
  }
  ::FreeLibrary(shfolder);
  if (!ok) return false;
  *path = buffer;
  return true;
}

void* TaskbarWindow() { return reinterpret_cast<void*>(::FindWindowA("Shell_TrayWnd", "")); }

uint32_t SystemColor(SystemColorId id) {
  return static_cast<uint32_t>(
      ::GetSysColor(id == SystemColorId::kWindow ? COLOR_WINDOW : COLOR_WINDOWTEXT));
}

}  // namespace platform
