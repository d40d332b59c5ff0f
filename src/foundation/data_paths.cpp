#include "foundation/data_paths.h"

#include "platform/file_system.h"

TvFixedDataPaths::TvFixedDataPaths(std::string dataFolder) : m_dataFolder(std::move(dataFolder)) {
  if (!m_dataFolder.empty() && !platform::IsPathSeparator(m_dataFolder.back())) {
    m_dataFolder += platform::kPathSeparator;
  }
  static const char* const kNames[6] = {"Inbox", "Outbox", "Sent", "Deleted", "Drafts", "Temp"};
  for (int i = 0; i < 6; ++i) m_standard[i] = m_dataFolder + kNames[i];
}

const std::string& TvFixedDataPaths::StandardFolderDirectory(int folderId) const {
  return (folderId >= 0 && folderId < 6) ? m_standard[folderId] : m_none;
}
