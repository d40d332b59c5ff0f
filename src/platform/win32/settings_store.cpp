// The settings store on the registry.
#include "platform/settings_store.h"

#include <windows.h>

#include <vector>

#include "platform/system_error.h"

namespace platform {

namespace {

HKEY RootKey(SettingsRoot root) {
  return root == SettingsRoot::kCurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

}  // namespace

std::string SettingsFilePath() { return std::string(); }

SettingsKey OpenSettingsKey(SettingsRoot root, const std::string& path, bool create) {
  HKEY key = nullptr;
  LONG rc;
  if (create) {
    DWORD disposition = 0;
    rc = ::RegCreateKeyExA(RootKey(root), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                           KEY_READ | KEY_WRITE, nullptr, &key, &disposition);
  } else {
    rc = ::RegOpenKeyExA(RootKey(root), path.c_str(), 0, KEY_READ | KEY_WRITE, &key);
  }
  if (rc != ERROR_SUCCESS) {
    ::SetLastError(static_cast<DWORD>(rc));
    return kNoSettingsKey;
  }
  return reinterpret_cast<SettingsKey>(key);
}

void CloseSettingsKey(SettingsKey key) {
  if (key != kNoSettingsKey) ::RegCloseKey(reinterpret_cast<HKEY>(key));
}

bool QuerySettingsValue(SettingsKey key, const std::string& name, uint32_t* type,
                        std::string* data) {
  HKEY hkey = reinterpret_cast<HKEY>(key);
  // The value may change between asking its size and reading it: ask again when it grew.
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD valueType = 0;
    DWORD size = 0;
    LONG rc = ::RegQueryValueExA(hkey, name.c_str(), nullptr, &valueType, nullptr, &size);
    if (rc != ERROR_SUCCESS) {
      ::SetLastError(static_cast<DWORD>(rc));
      return false;
    }
    std::vector<BYTE> buffer(size + 1);
    DWORD got = size;
    rc = ::RegQueryValueExA(hkey, name.c_str(), nullptr, &valueType, buffer.data(), &got);
    if (rc == ERROR_MORE_DATA) continue;
    if (rc != ERROR_SUCCESS) {
      ::SetLastError(static_cast<DWORD>(rc));
      return false;
    }
    *type = valueType;
    data->assign(reinterpret_cast<const char*>(buffer.data()), got);
    return true;
  }
  ::SetLastError(ERROR_MORE_DATA);
  return false;
}

bool SetSettingsValue(SettingsKey key, const std::string& name, uint32_t type,
                      const std::string& data) {
  LONG rc = ::RegSetValueExA(reinterpret_cast<HKEY>(key), name.c_str(), 0, type,
                             reinterpret_cast<const BYTE*>(data.data()),
                             static_cast<DWORD>(data.size()));
  if (rc != ERROR_SUCCESS) {
    ::SetLastError(static_cast<DWORD>(rc));
    return false;
  }
  return true;
}

bool DeleteSettingsValue(SettingsKey key, const std::string& name) {
  LONG rc = ::RegDeleteValueA(reinterpret_cast<HKEY>(key), name.c_str());
  if (rc != ERROR_SUCCESS) {
    ::SetLastError(static_cast<DWORD>(rc));
    return false;
  }
  return true;
}

bool DeleteSettingsTree(SettingsRoot root, const std::string& path) {
  LONG rc = ::RegDeleteTreeA(RootKey(root), path.c_str());
  if (rc == ERROR_SUCCESS) rc = ::RegDeleteKeyA(RootKey(root), path.c_str());
  if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) {
    ::SetLastError(static_cast<DWORD>(rc));
    return false;
  }
  return true;
}

}  // namespace platform
