// The folders list's and the names index's plan, and its apply: the only code that decides what
// becomes of "Database.Folders", "Folders.List" and "Names.Index".
#include "database/folders_plan.h"

#include "database/tv_database.h"
#include "foundation/existing_list.h"
#include "foundation/utilities.h"
#include "platform/system_error.h"

namespace {

// The reader's reason with where the broken part starts.
std::string ProblemWhere(const folders::Problem& problem) {
  return problem.text + " at offset " + std::to_string(problem.offset);
}

constexpr const char* kAlreadyConvertedReason =
    "already converted: \"Database.Folders\" is gone and \"Folders.List\" is there";
constexpr const char* kMissingReason =
    "\"Database.Folders\" is missing: no \"Folders.List\" is written and only the standard folders "
    "are converted (the conversion creates an empty file)";

// Why an old folders file that does not read whole gives no "Folders.List".
std::string DamagedReason(const folders::Problem& problem, uint64_t length, uint32_t count,
                          size_t complete) {
  if (problem.kind == folders::ProblemKind::kHeaderCut) {
    return "\"Database.Folders\" is " + std::to_string(length) +
           " bytes long, shorter than its 8-byte header: no \"Folders.List\" is written";
  }
  return "\"Database.Folders\" promises " + std::to_string(count) + " folders but holds " +
         std::to_string(complete) + " complete records (" + ProblemWhere(problem) +
         "): no \"Folders.List\" is written, the old file is kept";
}

}  // namespace

TvFoldersPlan TvDatabase::PlanFoldersList() {
  TvLockGuard guard("PlanFoldersList", m_foldersLock);
  TvFoldersPlan plan;
  plan.dataFolder = DataFolder();
  m_dropped.clear();
  TvListPlan& list = plan.list;
  list.label = "Folders list";
  list.oldPath = ExistingFileName(plan.dataFolder + folders::kOldFileName);
  list.newPath = ExistingFileName(plan.dataFolder + folders::kNewFileName);
  list.deletedWord = list.notDeletedWord = "Old folders file";
  const bool oldThere = FileExists(list.oldPath) != 0;
  uint32_t readError = 0;
  if (!oldThere && FileExists(list.newPath)) {
    // An earlier run wrote "Folders.List" and deleted the old file before it was interrupted:
    // its folders are walked, and neither file is written again. The names index may not have
    // been rewritten before the interruption; rewriting it again writes the same records.
    ReadFolderRecords(list.newPath);
    list.verdict = TvListVerdict::kAlreadyConverted;
    list.reason = kAlreadyConvertedReason;
    plan.namesIndex.rewrites = true;
  } else if (!oldThere) {
    // Reading creates the missing file empty, which lists no folders.
    list.createsOldFile = true;
    list.reason = kMissingReason;
  } else {
    const size_t before = m_folders.GetSize();
    const RecordsRead read = ReadFolderRecords(list.oldPath);
    // The reason of a failed read stays for the caller, whatever the plan reads after it.
    readError = platform::LastError();
    plan.oldFileSize = read.length;
    plan.promisedRecords = read.count;
    // Whatever follows the counted records is never looked at.
    plan.oldFileReads = read.opened && (read.problem.Ok() ||
                                        read.problem.kind == folders::ProblemKind::kBytesAfterEnd);
    if (!read.opened) {
      list.verdict = TvListVerdict::kNotConverted;
      std::string name;
      FileNameFromPath(name, list.oldPath);
      list.reason = "\"" + name + "\" cannot be read";
    } else if (!plan.oldFileReads) {
      list.verdict =
          read.length == 0 ? TvListVerdict::kNothingToConvert : TvListVerdict::kNotConverted;
      list.reason = DamagedReason(read.problem, read.length, read.count,
                                  m_folders.GetSize() - before + m_dropped.size());
    } else {
      plan.namesIndex.rewrites = true;
      list.newBytes = EncodeFoldersList();
      list.existing = JudgeExistingList(list.newPath, list.newBytes, ReadFoldersListContent);
      if (MayReplace(list.existing)) {
        list.verdict = TvListVerdict::kConverts;
        list.reason =
            "\"Folders.List\" is written with " + std::to_string(m_folders.GetSize()) + " folders";
      } else {
        // Folders added in 3.1 since an earlier run are listed only there: neither file is
        // given up.
        list.verdict = TvListVerdict::kNotConverted;
        list.reason = KeptListLine("Folders list", list.oldPath, list.newPath, list.existing);
      }
    }
  }
  // Messages of a dropped folder that no kept folder reaches would exist nowhere once the old
  // folders file is gone: each such folder is named, and the old folders file stays.
  plan.dropped = m_dropped;
  plan.stranded = StrandedFolders();
  for (const TvStrandedFolder& stranded : plan.stranded) {
    list.lines.push_back({StrandedFolderLine(stranded), kLogError});
  }
  if (list.verdict == TvListVerdict::kNotConverted && plan.oldFileReads) {
    list.lines.push_back({list.reason, kLogError});
  }
  list.oldFileMayGo = plan.stranded.empty();
  if (!plan.stranded.empty()) {
    list.keptOldLine = "Old folders file: " + list.oldPath +
                       " , kept, it lists folders whose messages are not converted";
  }
  PlanFolders(plan);
  PlanNamesIndex(plan.namesIndex);
  if (readError != 0) platform::SetLastError(readError);
  return plan;
}

void TvDatabase::PlanFolders(TvFoldersPlan& plan) {
  for (uint32_t i = 0; i < m_folders.GetSize(); ++i) {
    const TvFolder& folder = *m_folders[i];
    TvPlannedFolder planned;
    planned.id = folder.m_id;
    planned.name = folder.m_csName;
    planned.usable = HasUsableDirectory(folder);
    if (planned.usable) {
      planned.directory = folder.m_id >= FOLDER_INBOX && folder.m_id <= FOLDER_TEMP
                              ? m_paths.StandardFolderDirectory(folder.m_id)
                              : plan.dataFolder + folder.m_csName;
      AppendBackslash(planned.directory);
    }
    plan.folders.push_back(std::move(planned));
  }
}

void TvDatabase::PlanNamesIndex(TvNamesIndexPlan& plan) {
  plan.path = ExistingFileName(DataFolder() + folders::kNamesIndexFileName);
  plan.exists = FileExists(plan.path) != 0;
  if (!plan.exists) return;
  std::string bytes;
  if (!folders::ReadWholeFile(plan.path, bytes)) {
    plan.problem = "\"Names.Index\" cannot be read";
    return;
  }
  plan.size = bytes.size();
  BufferSource source(bytes);
  const folders::Problem problem = folders::ReadNamesIndex(source, plan.read);
  if (!problem.Ok()) {
    plan.problem = "\"Names.Index\": " + ProblemWhere(problem) + "; " +
                   std::to_string(plan.read.records.size()) + " complete records are carried";
  }
}

bool TvDatabase::ApplyFoldersPlan(const TvFoldersPlan& plan, TvBool deleteOld) {
  Lock("ApplyFoldersPlan");
  // Loading the names index creates a missing one; it is on stable storage before the old
  // folders file may go.
  m_namesIndex.Load();
  const bool indexSaved = !plan.namesIndex.rewrites || m_namesIndex.Save() != 0;
  Unlock("ApplyFoldersPlan");
  return ApplyListPlan(plan.list, deleteOld, m_log) && indexSaved;
}
