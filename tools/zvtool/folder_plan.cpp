#include "zvtool/folder_plan.h"

#include "database/tv_database.h"
#include "foundation/data_paths.h"
#include "foundation/tv_log.h"
#include "foundation/utilities.h"
#include "messages/plain_names.h"
#include "platform/file_system.h"
#include "platform/recording_ui.h"
#include "zvtool/tool_common.h"

namespace zvtool {

namespace {

// The reader's reason with where the broken part starts.
std::string ProblemWhere(const folders::Problem& problem) {
  return problem.text + " at offset " + std::to_string(problem.offset);
}

}  // namespace

FolderPlan PlanFolders(const std::string& dataFolder) {
  FolderPlan plan;
  plan.dataFolder = WithSeparator(dataFolder);
  const std::string oldPath = FixedFile(plan.dataFolder, folders::kOldFileName);
  const std::string newPath = FixedFile(plan.dataFolder, folders::kNewFileName);
  plan.oldFileExists = IsExistingFile(oldPath);
  plan.newFileExists = IsExistingFile(newPath);

  TvFixedDataPaths paths(plan.dataFolder);
  TvLog log(paths);
  TvDatabase database(log, paths);
  database.CreateStandardFolders();
  {
    // The database reads the list as the conversion does; a damaged file's boxes are the
    // reports' reasons below, not messages for the user.
    platform::ScopedRecordingUI quiet;
    database.PlanFoldersList();
  }
  plan.dropped = database.DroppedFolders();
  plan.leftBehind = database.StrandedFolders();

  std::string listPath;
  if (!plan.oldFileExists && plan.newFileExists) {
    plan.fromNewList = true;
    listPath = newPath;
    plan.listProblem =
        "already converted: \"Database.Folders\" is gone and \"Folders.List\" is there";
  } else if (plan.oldFileExists) {
    listPath = oldPath;
  } else {
    plan.listProblem =
        "\"Database.Folders\" is missing: no \"Folders.List\" is written and only the "
        "standard folders are converted (the conversion creates an empty file)";
  }

  if (!listPath.empty()) {
    std::string bytes;
    if (!folders::ReadWholeFile(listPath, bytes)) {
      plan.listProblem = "\"" + BaseName(listPath) + "\" cannot be read";
      plan.listDamaged = true;
    } else if (!plan.fromNewList) {
      plan.oldFileSize = bytes.size();
      folders::FoldersFile file;
      BufferSource source(bytes);
      const folders::Problem problem = folders::ReadFoldersFile(source, file);
      plan.promisedRecords = file.count;
      // Bytes after the last record do not matter to the conversion; a short file or a record
      // cut short does.
      if (problem.kind == folders::ProblemKind::kHeaderCut) {
        plan.listProblem = "\"Database.Folders\" is " + std::to_string(bytes.size()) +
                           " bytes long, shorter than its 8-byte header: no \"Folders.List\" is "
                           "written";
      } else if (problem.kind == folders::ProblemKind::kRecordCut) {
        plan.listDamaged = true;
        plan.listProblem = "\"Database.Folders\" promises " + std::to_string(file.count) +
                           " folders but holds " + std::to_string(file.records.size()) +
                           " complete records (" + ProblemWhere(problem) +
                           "): no \"Folders.List\" is written, the old file is kept";
      } else {
        // The database's own judgement of a "Folders.List" already there.
        platform::ScopedRecordingUI quiet;
        plan.newListBytes = database.EncodeFoldersList();
        const TvExistingList found = JudgeExistingList(newPath, plan.newListBytes,
                                                       TvDatabase::ReadFoldersListContent);
        plan.listConverts = MayReplace(found);
        plan.listKept = !plan.listConverts;
        if (plan.listKept) plan.listProblem = KeptListLine("Folders list", oldPath, newPath, found);
      }
    }
  }

  uint64_t listSize = 8;
  for (uint32_t i = 0; i < database.Folders().GetSize(); ++i) {
    TvFolder* folder = database.Folders()[i];
    PlannedFolder planned;
    planned.id = folder->m_id;
    planned.name = folder->m_csName;
    planned.text = folder->m_csText;
    planned.status = folder->m_dwordStatus;
    planned.flags = folder->m_flags;
    planned.standard = folder->m_id >= FOLDER_INBOX && folder->m_id <= FOLDER_TEMP;
    planned.usable = TvDatabase::HasUsableDirectory(*folder);
    if (planned.usable) {
      planned.directory =
          planned.standard
              ? WithSeparator(paths.StandardFolderDirectory(folder->m_id))
              : plan.dataFolder + folder->m_csName + std::string(1, platform::kPathSeparator);
    }
    folders::FolderRecord record;
    record.name = folder->m_csName;
    record.text = folder->m_csText;
    listSize += folders::FolderRecordSize(record);
    plan.folders.push_back(planned);
  }
  plan.newListSize = listSize;

  const std::string namesPath = FixedFile(plan.dataFolder, folders::kNamesIndexFileName);
  plan.namesIndexExists = IsExistingFile(namesPath);
  if (plan.namesIndexExists) {
    std::string bytes;
    if (!folders::ReadWholeFile(namesPath, bytes)) {
      plan.namesIndexOk = false;
      plan.namesIndexProblem = "\"Names.Index\" cannot be read";
    } else {
      plan.namesIndexSize = bytes.size();
      BufferSource source(bytes);
      const folders::Problem problem = folders::ReadNamesIndex(source, plan.namesIndex);
      if (!problem.Ok()) {
        plan.namesIndexOk = false;
        plan.namesIndexProblem = "\"Names.Index\": " + ProblemWhere(problem) + "; " +
                                 std::to_string(plan.namesIndex.records.size()) +
                                 " complete records are carried";
      }
    }
  }
  return plan;
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
