// What the conversion will do with a 3.0 data folder's folder list, worked out without changing
// anything: the database reads the list as the conversion does (its own dropping rules), and
// the plan adds what the list files hold, for reports.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "database/folders_format.h"
#include "database/tv_database.h"

namespace zvtool {

struct PlannedFolder {
  int32_t id = 0;
  std::string name;
  std::string text;
  uint32_t status = 0;
  uint32_t flags = 0;
  bool standard = false;
  bool usable = true;     // its name can be a directory; otherwise the conversion skips it
  std::string directory;  // ends in a separator; empty when not usable
};

struct FolderPlan {
  std::string dataFolder;      // ends in a separator
  bool oldFileExists = false;  // "Database.Folders"
  bool newFileExists = false;  // "Folders.List"
  // The old file is gone and "Folders.List" is there: an earlier run converted the list; its
  // folders are walked and neither file is written again.
  bool fromNewList = false;
  // The conversion writes "Folders.List" and rewrites "Names.Index".
  bool listConverts = false;
  std::string listProblem;   // why not, when it does not
  // A "Folders.List" already there holds other folders: the conversion keeps it and the old file,
  // with the Error line in listProblem.
  bool listKept = false;
  std::string newListBytes;  // the "Folders.List" the conversion writes
  bool listDamaged = false;  // the old file is there but cut short
  uint32_t promisedRecords = 0;
  std::vector<PlannedFolder> folders;  // the list the conversion walks, in its order
  std::vector<TvDroppedFolder> dropped;
  // Dropped folders whose messages no kept folder reaches: the conversion leaves them behind.
  std::vector<TvStrandedFolder> leftBehind;
  uint64_t oldFileSize = 0;
  uint64_t newListSize = 0;  // bytes "Folders.List" will take

  bool namesIndexExists = false;
  uint64_t namesIndexSize = 0;
  folders::NamesIndexFile namesIndex;
  bool namesIndexOk = true;
  std::string namesIndexProblem;
};

FolderPlan PlanFolders(const std::string& dataFolder);

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
