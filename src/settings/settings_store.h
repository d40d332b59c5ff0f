// SettingsStore: the messenger's settings, one key per section under
// HKEY_CURRENT_USER\software\<company>\<application>\<section>, read and written value by value.
//
// The rules every store follows live here (ReadInt, ReadText, ReadBlock and their writers);
// where the values are kept is the job of three primitives, so a test can keep them in memory
// and watch every access.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "foundation/types.h"

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;

  // The stored 32-bit number; def when the section cannot be opened, the value is missing or its
  // data is longer than 4 bytes. Shorter data is taken zero-extended.
  uint32_t ReadInt(const std::string& section, const std::string& name, uint32_t def);
  TvBool WriteInt(const std::string& section, const std::string& name, uint32_t value);
  // The stored text up to its first NUL; def when the section cannot be opened or the value is
  // missing or unreadable.
  std::string ReadText(const std::string& section, const std::string& name,
                       const std::string& def = std::string());
  // Stored as text, its terminating NUL included.
  TvBool WriteText(const std::string& section, const std::string& name, const std::string& text);
  // 0 (destination untouched) when the value is missing, unreadable or empty; otherwise the
  // smaller of the stored length and size is copied to the start of destination, the rest of it
  // is left as it was, and 1 is returned.
  TvBool ReadBlock(const std::string& section, const std::string& name, void* destination,
                   uint32_t size);
  TvBool WriteBlock(const std::string& section, const std::string& name, const void* source,
                    uint32_t size);

  // The machine-wide start-up entry, in the key
  // "HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Run": command set as text, or the value deleted when command is null. The key
  // is never created; nothing happens when it cannot be opened.
  virtual void SetStartupEntry(const std::string& name, const std::string* command) = 0;

 protected:
  // Opens the section's key, creating what is missing, and reads one value.
  virtual bool QueryValue(const std::string& section, const std::string& name, uint32_t* type,
                          std::string* data) = 0;
  // Opens the section's key, creating what is missing, and stores one value.
  virtual bool SetValue(const std::string& section, const std::string& name, uint32_t type,
                        const std::string& data) = 0;
};

// The store on the system's settings (the registry, or its POSIX file).
class TvRegistrySettingsStore : public SettingsStore {
 public:
  TvRegistrySettingsStore(std::string company, std::string application);
  void SetStartupEntry(const std::string& name, const std::string* command) override;
  // "software\<company>\<application>\<section>"
  std::string SectionPath(const std::string& section) const;

 protected:
  bool QueryValue(const std::string& section, const std::string& name, uint32_t* type,
                  std::string* data) override;
  bool SetValue(const std::string& section, const std::string& name, uint32_t type,
                const std::string& data) override;

 private:
  std::string m_company;
  std::string m_application;
};

// A store kept in memory, for tests: every access is journalled, and sections can be made
// unopenable.
class TvMemorySettingsStore : public SettingsStore {
 public:
  struct Access {
    char kind;  // 'R' read, 'W' write, 'S' start-up entry
    std::string section;
    std::string name;
  };
  struct Stored {
    uint32_t type;
    std::string data;
  };

  void SetStartupEntry(const std::string& name, const std::string* command) override;

  // Direct access for tests (section and value names compare without regard to case).
  void Put(const std::string& section, const std::string& name, uint32_t type,
           const std::string& data);
  void PutInt(const std::string& section, const std::string& name, uint32_t value);
  void PutText(const std::string& section, const std::string& name, const std::string& text);
  const Stored* Get(const std::string& section, const std::string& name) const;
  bool HasSection(const std::string& section) const;
  // Sections read, in the order of their first read since the journal was cleared.
  std::vector<std::string> SectionsRead() const;
  size_t Reads(const std::string& section, const std::string& name) const;

  std::vector<Access> journal;
  std::vector<std::string> unopenable;  // sections whose key cannot be opened
  bool startupKeyExists = false;        // whether the machine's Run key can be opened
  std::map<std::string, std::string> startupEntries;

 protected:
  bool QueryValue(const std::string& section, const std::string& name, uint32_t* type,
                  std::string* data) override;
  bool SetValue(const std::string& section, const std::string& name, uint32_t type,
                const std::string& data) override;

 private:
  bool Unopenable(const std::string& section) const;
  static std::string Fold(const std::string& text);
  std::map<std::string, std::map<std::string, Stored>> m_sections;  // folded names
};

// The store the sections use: the one start-up selected, or none (every read gives its default,
// every write is lost). Not owned.
SettingsStore* TheSettingsStore();
// Installs a store and returns the one it replaces.
SettingsStore* SetSettingsStore(SettingsStore* store);
