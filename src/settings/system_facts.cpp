#include "settings/system_facts.h"

#include "platform/file_system.h"

std::string TvSystemFacts::CurrentDirectory() { return platform::CurrentDirectory(); }
bool TvSystemFacts::GetOsVersion(platform::OsVersionInfo* info) {
  return platform::GetOsVersion(info);
}
void* TvSystemFacts::User32Module() { return platform::User32Module(); }
void* TvSystemFacts::LookUpFunction(void* module, const char* name) {
  return platform::LookUpFunction(module, name);
}
bool TvSystemFacts::WorkgroupName(std::string* name) { return platform::WorkgroupName(name); }
bool TvSystemFacts::ComputerName(std::string* name) { return platform::ComputerName(name); }
bool TvSystemFacts::LogonUserName(std::string* name) { return platform::LogonUserName(name); }
bool TvSystemFacts::AppDataFolder(std::string* path) { return platform::AppDataFolder(path); }
void* TvSystemFacts::TaskbarWindow() { return platform::TaskbarWindow(); }
uint32_t TvSystemFacts::SystemColor(platform::SystemColorId id) {
  return platform::SystemColor(id);
}

namespace {
TvSystemFacts* g_facts = nullptr;
}  // namespace

TvSystemFacts& SystemFacts() {
  static TvSystemFacts system;
  return g_facts != nullptr ? *g_facts : system;
}

TvSystemFacts* SetSystemFacts(TvSystemFacts* facts) {
  TvSystemFacts* previous = g_facts;
  g_facts = facts;
  return previous;
}
