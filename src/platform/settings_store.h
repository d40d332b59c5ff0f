// The messenger's settings store: keys holding named, typed values, as the registry keeps them.
//
// Windows: the registry itself. POSIX: the text file
// ${XDG_CONFIG_HOME:-$HOME/.config}/Tarvo software/Zorvane.reg in the REGEDIT4 export format, one
// "[HKEY_...\path]" header per key and one line per value. That file is rewritten whole through a
// temporary file and a rename, so a crash never leaves it half written; it is read tolerantly
// (CR LF or LF, key and value names in any case, continued hex lines, comments); a file that cannot
// be parsed is never overwritten: its values read as missing, writes fail, and the problem is
// reported once on stderr.
//
// Key paths are the components below the root separated by '\'. Key and value names compare
// without regard to case. No function shows anything; a failure leaves LastError() set where the
// system gives a reason.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

enum class SettingsRoot { kCurrentUser, kLocalMachine };

// Value types, with the registry's numbers.
enum SettingsType : uint32_t {
  kSettingsText = 1,    // REG_SZ: the text and its terminating NUL
  kSettingsBinary = 3,  // REG_BINARY
  kSettingsDword = 4,   // REG_DWORD: 4 bytes, least significant first
};

using SettingsKey = std::intptr_t;
inline constexpr SettingsKey kNoSettingsKey = 0;

// Opens root\path for reading and writing. With create, every missing key along the path is
// made; without it a missing key fails. kNoSettingsKey on failure.
SettingsKey OpenSettingsKey(SettingsRoot root, const std::string& path, bool create);
void CloseSettingsKey(SettingsKey key);

// A value's type and its data, byte for byte. False when it is missing or cannot be read.
bool QuerySettingsValue(SettingsKey key, const std::string& name, uint32_t* type,
                        std::string* data);
bool SetSettingsValue(SettingsKey key, const std::string& name, uint32_t type,
                      const std::string& data);
bool DeleteSettingsValue(SettingsKey key, const std::string& name);
// Removes root\path with all its subkeys and values. True when nothing of it is left.
bool DeleteSettingsTree(SettingsRoot root, const std::string& path);

// Where the POSIX store lives; empty on Windows, and empty when neither XDG_CONFIG_HOME nor HOME
// gives an absolute folder.
std::string SettingsFilePath();

}  // namespace platform
