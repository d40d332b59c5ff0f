// System facts staged by a test: an application-data folder inside the scratch folder (or none),
// a fixed computer, user and workgroup, and a current directory of the test's choosing.
#pragma once

#include <string>

#include "platform/file_system.h"
#include "settings/settings_store.h"
#include "settings/system_facts.h"

namespace tvtest {

class StagedSystemFacts : public TvSystemFacts {
 public:
  std::string currentDirectory = "current";
  bool appDataAvailable = true;
  std::string appDataFolder;  // created by the test
  bool userNameAvailable = true;
  std::string userName = "alice";
  std::string computerName = "DESK-07";
  bool workgroupAvailable = true;
  std::string workgroup = "SALES";
  uint32_t platformId = platform::kPlatformNt;
  uint32_t majorVersion = 6;
  uint32_t windowColor = 0x00C0D0E0;
  uint32_t windowTextColor = 0x00102030;
  int appDataCalls = 0;

  std::string CurrentDirectory() override { return currentDirectory; }
  bool GetOsVersion(platform::OsVersionInfo* info) override {
    info->majorVersion = majorVersion;
    info->minorVersion = 1;
    info->buildNumber = 7601;
    info->platformId = platformId;
    return true;
  }
  void* User32Module() override { return this; }
  void* LookUpFunction(void*, const char*) override { return &appDataCalls; }
  bool WorkgroupName(std::string* name) override {
    if (!workgroupAvailable) return false;
    *name = workgroup;
    return true;
  }
  bool ComputerName(std::string* name) override {
    *name = computerName;
    return true;
  }
  bool LogonUserName(std::string* name) override {
    if (!userNameAvailable) return false;
    *name = userName;
    return true;
  }
  bool AppDataFolder(std::string* path) override {
    ++appDataCalls;
    if (!appDataAvailable) return false;
    *path = appDataFolder;
    return true;
  }
  void* TaskbarWindow() override { return nullptr; }
  uint32_t SystemColor(platform::SystemColorId id) override {
    return id == platform::SystemColorId::kWindow ? windowColor : windowTextColor;
  }
};

// Installs staged facts for the life of the object.
class ScopedSystemFacts {
 public:
  ScopedSystemFacts() : m_previous(SetSystemFacts(&facts)) {}
  ~ScopedSystemFacts() { SetSystemFacts(m_previous); }
  ScopedSystemFacts(const ScopedSystemFacts&) = delete;
  ScopedSystemFacts& operator=(const ScopedSystemFacts&) = delete;
  StagedSystemFacts facts;

 private:
  TvSystemFacts* m_previous;
};

// Installs a settings store for the life of the object.
class ScopedSettingsStore {
 public:
  explicit ScopedSettingsStore(SettingsStore* store) : m_previous(SetSettingsStore(store)) {}
  ~ScopedSettingsStore() { SetSettingsStore(m_previous); }
  ScopedSettingsStore(const ScopedSettingsStore&) = delete;
  ScopedSettingsStore& operator=(const ScopedSettingsStore&) = delete;

 private:
  SettingsStore* m_previous;
};

}  // namespace tvtest
