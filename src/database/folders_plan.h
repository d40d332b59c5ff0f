// What the conversion does with the folders list and the names index, decided from what is on
// disk before anything is changed: the folders the walk takes, the folders the rules drop, the
// "Folders.List" to write (a list plan) and what becomes of "Names.Index". The conversion applies
// it; zvtool check prints it and zvtool verify holds the old copy's plan against a converted
// folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "database/folders_format.h"
#include "foundation/list_plan.h"

// A folder record of the old folders file that the folder rules dropped.
struct TvDroppedFolder {
  std::string name;
  int32_t id = 0;
  std::string reason;  // "its name is taken by a folder listed before it", ...
};

// A dropped folder whose own directory no kept folder walks and that still holds old message
// files: the conversion cannot reach them, so they are reported and the old folders file kept.
struct TvStrandedFolder {
  TvDroppedFolder folder;
  std::string directory;  // ends in a separator
  uint32_t oldMessageFiles = 0;
};

// A folder of the list the walk takes, in its order.
struct TvPlannedFolder {
  int32_t id = 0;
  std::string name;
  bool usable = false;    // its name can be a directory; otherwise the walk skips it
  std::string directory;  // ends in a separator; empty when not usable
};

// "Names.Index": carried over record for record, rewritten in place.
struct TvNamesIndexPlan {
  std::string path;  // as named on disk, or where it would be
  bool exists = false;
  // Rewritten in place (created first when missing): the old folders file reads, or an earlier
  // run wrote "Folders.List" and was interrupted before it rewrote the index.
  bool rewrites = false;
  uint64_t size = 0;
  folders::NamesIndexFile read;  // the complete records, in file order
  std::string problem;           // why it does not read whole; empty when it does
};

struct TvFoldersPlan {
  std::string dataFolder;  // ends in a separator
  std::vector<TvPlannedFolder> folders;
  std::vector<TvDroppedFolder> dropped;
  std::vector<TvStrandedFolder> stranded;
  // "Database.Folders" -> "Folders.List". Its lines are the stranded folders' Error lines, then
  // the Error line of a "Folders.List" that is kept.
  TvListPlan list;
  // The old folders file reads whole: the list is written from it unless a list already there
  // is kept.
  bool oldFileReads = false;
  uint32_t promisedRecords = 0;  // the old folders file's count
  uint64_t oldFileSize = 0;
  TvNamesIndexPlan namesIndex;
};
