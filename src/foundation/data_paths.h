// Where the user's data lives. The run-time settings own these paths (and are the one source of
// truth for them); stores and the log reach them through this narrow interface, handed to them
// at construction, so that no store depends on the settings or on the conversion core.
#pragma once

#include <string>

class TvDataPaths {
 public:
  virtual ~TvDataPaths() = default;
  // The user data folder as loaded (ends in a separator after a successful load).
  virtual const std::string& UserDataFolder() const = 0;
  // Directory of a standard folder, without a trailing separator: 0 Inbox, 1 Outbox, 2 Sent,
  // 3 Deleted, 4 Drafts, 5 Temp. Any other id gives an empty text.
  virtual const std::string& StandardFolderDirectory(int folderId) const = 0;
};

// Fixed paths, for tests and tools that work on a folder without the messenger's settings.
class TvFixedDataPaths : public TvDataPaths {
 public:
  // dataFolder gets a trailing separator when it has none; the standard folders are built on it.
  explicit TvFixedDataPaths(std::string dataFolder);
  const std::string& UserDataFolder() const override { return m_dataFolder; }
  const std::string& StandardFolderDirectory(int folderId) const override;

 private:
  std::string m_dataFolder;
  std::string m_standard[6];
  std::string m_none;
};
