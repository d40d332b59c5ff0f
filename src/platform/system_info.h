// Facts about the system the tool runs on.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// The packed platform version as GetVersion() returns it (on POSIX a fixed value standing for
// the NT family: major 6, minor 1, build 7601). Written into folder records, never read back.
uint32_t PackedVersion();

// The version record of GetVersionExA (its size field is 148, as the system expects).
struct OsVersionInfo {
  uint32_t size = 148;
  uint32_t majorVersion = 0;
  uint32_t minorVersion = 0;
  uint32_t buildNumber = 0;
  uint32_t platformId = 0;  // 2: the NT family
  char csdVersion[128] = {};
};
inline constexpr uint32_t kPlatformNt = 2;

// Fills the version record (POSIX: the NT family, 6.1 build 7601). False when the system refuses.
bool GetOsVersion(OsVersionInfo* info);

// user32.dll's module as GetModuleHandleA gives it (looked up, never loaded); null on POSIX.
void* User32Module();
// The address of a function of a module, or null (always null on POSIX).
void* LookUpFunction(void* module, const char* name);

// The workstation's LAN group name (NetWkstaGetInfo at level 102 through a netapi32.dll loaded
// for the call and released after it). False when the library, the function or the call fails,
// or on POSIX, where there is none. *name may be empty on success.
bool WorkgroupName(std::string* name);

// The computer's name, at most 15 characters (POSIX: the host name cut to 15). False when the
// system gives none.
bool ComputerName(std::string* name);
// The logged-on user's name (POSIX: the login name of the effective user). False when unknown.
bool LogonUserName(std::string* name);

// The user's application-data folder, without a trailing separator: SHGetFolderPathA of
// SHFOLDER.DLL for CSIDL_APPDATA | CSIDL_FLAG_CREATE, the library loaded for the call and
// released after it; POSIX: ${XDG_DATA_HOME:-$HOME/.local/share}, created when missing. False
// when the library, the function or the call fails, or the folder cannot be made.
bool AppDataFolder(std::string* path);

// The taskbar window (FindWindowA "Shell_TrayWnd"), or null.
void* TaskbarWindow();

enum class SystemColorId { kWindow, kWindowText };
// A system colour as 0x00BBGGRR (GetSysColor); POSIX: white for windows, black for their text.
uint32_t SystemColor(SystemColorId id);

}  // namespace platform
