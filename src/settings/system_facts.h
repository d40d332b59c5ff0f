// What the settings sections ask of the system, behind one seam so tests can stage any answer
// (an application-data folder that is unavailable, a user name that cannot be had, ...).
#pragma once

#include <cstdint>
#include <string>

#include "platform/system_info.h"

class TvSystemFacts {
 public:
  virtual ~TvSystemFacts() = default;
  virtual std::string CurrentDirectory();
  virtual bool GetOsVersion(platform::OsVersionInfo* info);
  virtual void* User32Module();
  virtual void* LookUpFunction(void* module, const char* name);
  virtual bool WorkgroupName(std::string* name);
  virtual bool ComputerName(std::string* name);
  virtual bool LogonUserName(std::string* name);
  virtual bool AppDataFolder(std::string* path);
  virtual void* TaskbarWindow();
  virtual uint32_t SystemColor(platform::SystemColorId id);
};

// The facts in force: the system's own unless a test installed others.
TvSystemFacts& SystemFacts();
// Installs facts (not owned) and returns the previous ones; null restores the system's.
TvSystemFacts* SetSystemFacts(TvSystemFacts* facts);
