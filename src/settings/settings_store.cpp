#include "settings/settings_store.h"

#include <cstring>

#include "platform/settings_store.h"

namespace {

SettingsStore* g_store = nullptr;

const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

}  // namespace

SettingsStore* TheSettingsStore() { return g_store; }

SettingsStore* SetSettingsStore(SettingsStore* store) {
  SettingsStore* previous = g_store;
  g_store = store;
  return previous;
}

// ---- The rules -----------------------------------------------------------------------------

uint32_t SettingsStore::ReadInt(const std::string& section, const std::string& name,
                                uint32_t def) {
  uint32_t type = 0;
  std::string data;
  if (!QueryValue(section, name, &type, &data) || data.size() > 4) return def;
  uint32_t value = 0;
  for (size_t i = data.size(); i-- > 0;) value = (value << 8) | static_cast<uint8_t>(data[i]);
  return value;
}

TvBool SettingsStore::WriteInt(const std::string& section, const std::string& name,
                               uint32_t value) {
  std::string data;
  for (int i = 0; i < 4; ++i) data.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
  return SetValue(section, name, platform::kSettingsDword, data) ? 1 : 0;
}

std::string SettingsStore::ReadText(const std::string& section, const std::string& name,
                                    const std::string& def) {
  uint32_t type = 0;
  std::string data;
  if (!QueryValue(section, name, &type, &data)) return def;
  size_t nul = data.find('\0');
  if (nul != std::string::npos) data.resize(nul);
  return data;
}

TvBool SettingsStore::WriteText(const std::string& section, const std::string& name,
                                const std::string& text) {
  std::string data = text;
  data.push_back('\0');
  return SetValue(section, name, platform::kSettingsText, data) ? 1 : 0;
}

TvBool SettingsStore::ReadBlock(const std::string& section, const std::string& name,
                                void* destination, uint32_t size) {
  uint32_t type = 0;
  std::string data;
  if (!QueryValue(section, name, &type, &data) || data.empty()) return 0;
  size_t count = data.size() < size ? data.size() : size;
  std::memcpy(destination, data.data(), count);
  return 1;
}

TvBool SettingsStore::WriteBlock(const std::string& section, const std::string& name,
                                 const void* source, uint32_t size) {
  std::string data(static_cast<const char*>(source), size);
  return SetValue(section, name, platform::kSettingsBinary, data) ? 1 : 0;
}

// ---- On the system's settings --------------------------------------------------------------

TvRegistrySettingsStore::TvRegistrySettingsStore(std::string company, std::string application)
    : m_company(std::move(company)), m_application(std::move(application)) {}

std::string TvRegistrySettingsStore::SectionPath(const std::string& section) const {
  return "software\\" + m_company + "\\" + m_application + "\\" + section;
}

bool TvRegistrySettingsStore::QueryValue(const std::string& section, const std::string& name,
                                         uint32_t* type, std::string* data) {
  platform::SettingsKey key =
      platform::OpenSettingsKey(platform::SettingsRoot::kCurrentUser, SectionPath(section), true);
  if (key == platform::kNoSettingsKey) return false;
  bool ok = platform::QuerySettingsValue(key, name, type, data);
  platform::CloseSettingsKey(key);
  return ok;
}

bool TvRegistrySettingsStore::SetValue(const std::string& section, const std::string& name,
                                       uint32_t type, const std::string& data) {
  platform::SettingsKey key =
      platform::OpenSettingsKey(platform::SettingsRoot::kCurrentUser, SectionPath(section), true);
  if (key == platform::kNoSettingsKey) return false;
  bool ok = platform::SetSettingsValue(key, name, type, data);
  platform::CloseSettingsKey(key);
  return ok;
}

void TvRegistrySettingsStore::SetStartupEntry(const std::string& name,
                                              const std::string* command) {
  platform::SettingsKey key =
      platform::OpenSettingsKey(platform::SettingsRoot::kLocalMachine, kRunKey, false);
  if (key == platform::kNoSettingsKey) return;
  if (command != nullptr) {
    std::string data = *command;
    data.push_back('\0');
    platform::SetSettingsValue(key, name, platform::kSettingsText, data);
  } else {
    platform::DeleteSettingsValue(key, name);
  }
  platform::CloseSettingsKey(key);
}

// ---- In memory -----------------------------------------------------------------------------

std::string TvMemorySettingsStore::Fold(const std::string& text) {
  std::string out = text;
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool TvMemorySettingsStore::Unopenable(const std::string& section) const {
  for (const std::string& s : unopenable) {
    if (Fold(s) == Fold(section)) return true;
  }
  return false;
}

bool TvMemorySettingsStore::QueryValue(const std::string& section, const std::string& name,
                                       uint32_t* type, std::string* data) {
  journal.push_back(Access{'R', section, name});
  if (Unopenable(section)) return false;
  auto& values = m_sections[Fold(section)];  // opening creates the key
  auto it = values.find(Fold(name));
  if (it == values.end()) return false;
  *type = it->second.type;
  *data = it->second.data;
  return true;
}

bool TvMemorySettingsStore::SetValue(const std::string& section, const std::string& name,
                                     uint32_t type, const std::string& data) {
  journal.push_back(Access{'W', section, name});
  if (Unopenable(section)) return false;
  m_sections[Fold(section)][Fold(name)] = Stored{type, data};
  return true;
}

void TvMemorySettingsStore::SetStartupEntry(const std::string& name, const std::string* command) {
  journal.push_back(Access{'S', std::string(), name});
  if (!startupKeyExists) return;
  if (command != nullptr) {
    startupEntries[name] = *command;
  } else {
    startupEntries.erase(name);
  }
}

void TvMemorySettingsStore::Put(const std::string& section, const std::string& name,
                                uint32_t type, const std::string& data) {
  m_sections[Fold(section)][Fold(name)] = Stored{type, data};
}

void TvMemorySettingsStore::PutInt(const std::string& section, const std::string& name,
                                   uint32_t value) {
  std::string data;
  for (int i = 0; i < 4; ++i) data.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
  Put(section, name, platform::kSettingsDword, data);
}

void TvMemorySettingsStore::PutText(const std::string& section, const std::string& name,
                                    const std::string& text) {
  Put(section, name, platform::kSettingsText, text + std::string(1, '\0'));
}

const TvMemorySettingsStore::Stored* TvMemorySettingsStore::Get(const std::string& section,
                                                                const std::string& name) const {
  auto s = m_sections.find(Fold(section));
  if (s == m_sections.end()) return nullptr;
  auto v = s->second.find(Fold(name));
  return v == s->second.end() ? nullptr : &v->second;
}

bool TvMemorySettingsStore::HasSection(const std::string& section) const {
  return m_sections.count(Fold(section)) != 0;
}

std::vector<std::string> TvMemorySettingsStore::SectionsRead() const {
  std::vector<std::string> order;
  for (const Access& access : journal) {
    if (access.kind != 'R') continue;
    bool seen = false;
    for (const std::string& s : order) seen = seen || s == access.section;
    if (!seen) order.push_back(access.section);
  }
  return order;
}

size_t TvMemorySettingsStore::Reads(const std::string& section, const std::string& name) const {
  size_t count = 0;
  for (const Access& access : journal) {
    if (access.kind == 'R' && Fold(access.section) == Fold(section) &&
        Fold(access.name) == Fold(name)) {
      ++count;
    }
  }
  return count;
}
