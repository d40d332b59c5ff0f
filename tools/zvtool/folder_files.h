// A data folder's folders and files as the conversion finds them: the database's own plan of the
// folders list and names index, the old message files of a directory, the same path in another
// copy of the data folder, and files looked up without regard to letter case.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "database/folders_plan.h"

namespace zvtool {

// The conversion's plan of dataFolder's folders list and names index, read without changing
// anything; a damaged file's boxes are the plan's reasons, not messages for the user.
TvFoldersPlan FoldersPlanOf(const std::string& dataFolder);

// Bare names of the old-format message files in a directory (names ending in ".Message", any
// letter case, exactly 40 characters), in the order the directory listing gives them.
std::vector<std::string> OldMessageNames(const std::string& directory);

// The same directory in another copy of the data folder (a backup against the converted folder).
std::string Rebase(const std::string& path, const std::string& fromDataFolder,
                   const std::string& toDataFolder);

// The plain files of directories, each listed once and looked up by name without regard to case
// (FoldCase, the converter's comparison), so a walk never searches a directory per file.
class DirectoryIndex {
 public:
  // The file at path as it is named on disk; empty when there is none.
  std::string Find(const std::string& path);

 private:
  // directory -> case-folded name -> name on disk
  std::unordered_map<std::string, std::unordered_map<std::string, std::string>> m_directories;
};

}  // namespace zvtool
