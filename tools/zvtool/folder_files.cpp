#include "zvtool/folder_files.h"

#include "database/tv_database.h"
#include "foundation/data_paths.h"
#include "foundation/tv_log.h"
#include "foundation/utilities.h"
#include "platform/file_system.h"
#include "platform/recording_ui.h"
#include "zvtool/tool_common.h"

namespace zvtool {

TvFoldersPlan FoldersPlanOf(const std::string& dataFolder) {
  TvFixedDataPaths paths(WithSeparator(dataFolder));
  TvLog log(paths);
  TvDatabase database(log, paths);
  database.CreateStandardFolders();
  platform::ScopedRecordingUI quiet;
  return database.PlanFoldersList();
}

std::vector<std::string> OldMessageNames(const std::string& directory) {
  if (directory.empty() || !IsExistingDirectory(directory)) return {};
  // The converter's own rule for what an old message file is.
  return TvDatabase::OldMessageFileNames(WithSeparator(directory));
}

std::string Rebase(const std::string& path, const std::string& fromDataFolder,
                   const std::string& toDataFolder) {
  const std::string from = WithSeparator(fromDataFolder);
  if (path.compare(0, from.size(), from) != 0) return path;
  return WithSeparator(toDataFolder) + path.substr(from.size());
}

std::string DirectoryIndex::Find(const std::string& path) {
  std::string name;
  if (!FileNameFromPath(name, path) || name.empty()) return std::string();
  const std::string directory = path.substr(0, path.size() - name.size());
  auto listed = m_directories.find(directory);
  if (listed == m_directories.end()) {
    std::unordered_map<std::string, std::string> files;
    TvStringList names;
    ListNames(names, directory + "*", 0);
    for (const std::string& found : names) files.emplace(FoldCase(found), found);
    listed = m_directories.emplace(directory, std::move(files)).first;
  }
  auto file = listed->second.find(FoldCase(name));
  return file == listed->second.end() ? std::string() : directory + file->second;
}

}  // namespace zvtool
