#include "database/tv_database.h"

#include <utility>
#include <vector>

#include "database/folders_format.h"
#include "database/leftover_files.h"
#include "database/standard_folders.h"
#include "foundation/progress.h"
#include "foundation/replacing_file.h"
#include "foundation/run_outcome.h"
#include "foundation/tv_error.h"
#include "foundation/tv_file.h"
#include "foundation/utilities.h"
#include "messages/plain_names.h"
#include "platform/file_system.h"
#include "platform/system_error.h"
#include "platform/system_info.h"

namespace {

constexpr uint32_t kOldMessageNameLength = 40;

}  // namespace

TvDatabase::TvDatabase(TvLog& log, const TvDataPaths& paths)
    : m_log(log), m_paths(paths), m_namesIndex(paths) {}

TvDatabase::~TvDatabase() {
  m_userNames.DeleteAll();
  m_messages.DeleteAll();
  m_folders.DeleteAll();
}

std::string TvDatabase::DataFolder() const {
  std::string folder = m_paths.UserDataFolder();
  AppendBackslash(folder);
  return folder;
}

void TvDatabase::Lock(const char* /*label*/) { m_foldersLock.Enter(); }
void TvDatabase::Unlock(const char* /*label*/) { m_foldersLock.Leave(); }

void TvDatabase::Log(const std::string& text, int32_t level) {
  m_log.Add(text, level, kLogNoCategory);
}

TvBool TvDatabase::CreateStandardFolders() {
  for (const StandardFolder& standard : kStandardFolders) {
    auto* folder = new TvFolder(FOLDER_NONE);
    folder->m_id = standard.id;
    folder->m_csName = standard.listName;
    folder->m_flags = standard.flags;
    m_folders.Add(folder);
  }
  return 1;
}

// ---------------------------------------------------------------------------------------------
// Folder look-ups

int32_t TvDatabase::FolderIdByName(const std::string& name) {
  for (uint32_t i = 0; i < m_folders.GetSize(); ++i) {
    TvFolder* folder = m_folders[i];
    if (folder->HasName(name)) {
      if (folder->m_id != FOLDER_NONE) return folder->m_id;
      break;
    }
  }
  for (const StandardFolder& standard : kStandardFolders) {
    if (EqualNoCase(name, standard.directory)) return standard.id;
  }
  return FOLDER_NONE;
}

TvFolder* TvDatabase::FindFolder(int32_t id) {
  if (id == FOLDER_CURRENT) id = m_currentFolderId;
  for (uint32_t i = 0; i < m_folders.GetSize(); ++i) {
    if (m_folders[i]->m_id == id) return m_folders[i];
  }
  return nullptr;
}

bool TvDatabase::HasUsableDirectory(const TvFolder& folder) {
  if (folder.m_id >= FOLDER_INBOX && folder.m_id <= FOLDER_TEMP) return true;
  if (folder.m_id == FOLDER_CURRENT) return false;
  return IsPlainName(folder.m_csName);
}

void TvDatabase::FolderDirectory(std::string& out, int32_t id) {
  if (id == FOLDER_CURRENT) id = m_currentFolderId;
  TvFolder* folder = FindFolder(id);
  out = DataFolder();
  if (folder == nullptr) return;
  if (!HasUsableDirectory(*folder)) {
    // A stored name that is no plain directory name never becomes a path.
    out.clear();
    return;
  }
  if (id >= FOLDER_INBOX && id <= FOLDER_TEMP) {
    out = m_paths.StandardFolderDirectory(id);
  } else {
    out += folder->m_csName;
  }
  AppendBackslash(out);
}

int32_t TvDatabase::FolderIdByDirectory(const std::string& path) {
  for (uint32_t i = 0; i < m_folders.GetSize(); ++i) {
    TvFolder* folder = m_folders[i];
    if (!HasUsableDirectory(*folder)) continue;
    std::string directory;
    FolderDirectory(directory, folder->m_id);
    if (EqualNoCase(directory, path)) return folder->m_id;
  }
  return FOLDER_NONE;
}

int32_t TvDatabase::FolderIdByFilePath(const std::string& path) {
  TvLockGuard guard("FolderIdByFilePath", m_foldersLock);
  const std::string dataFolder = DataFolder();
  if (path.size() <= dataFolder.size()) return FOLDER_NONE;
  const size_t separator = FindSeparatorFrom(path, dataFolder.size());
  if (separator == std::string::npos || separator == 0) return FOLDER_NONE;
  return FolderIdByDirectory(path.substr(0, separator + 1));
}

void TvDatabase::MessageFilePath(std::string& out, uint64_t messageId, int32_t folderId) {
  if (folderId == FOLDER_CURRENT) folderId = m_currentFolderId;
  FolderDirectory(out, folderId);
  if (out.empty()) return;
  AppendHex64(messageId, out, 0);
  out += ".Message";
}

// ---------------------------------------------------------------------------------------------
// Folders list

TvDatabase::RecordsRead TvDatabase::ReadFolderRecords(const std::string& path) {
  RecordsRead result;
  TvFile file(0, 1);
  if (!file.Open(path, kModeReadShared)) return result;
  result.opened = true;
  result.length = file.GetLength();
  TvFileSource source(file, result.length);
  folders::FoldersFile read;
  result.problem = folders::ReadFoldersFile(source, read);
  result.count = read.count;
  for (const folders::FolderRecord& record : read.records) {
    auto* folder = new TvFolder(FOLDER_NONE);
    folder->m_csName = record.name;
    folder->m_csText = record.text;
    folder->m_dwordStatus = record.status;
    folder->m_flags = record.flags;
    folder->m_id = record.id;
    // Standard folders are already in the list: their old copies, and any folder whose name or
    // id is taken, are dropped.
    const int32_t byName = FolderIdByName(folder->m_csName);
    if (byName == FOLDER_NONE && FindFolder(folder->m_id) == nullptr) {
      m_folders.Add(folder);
      continue;
    }
    const char* reason = byName == FOLDER_NONE ? "its id is taken by a folder listed before it"
                         : byName == folder->m_id && byName >= FOLDER_INBOX && byName <= FOLDER_TEMP
                             ? "the old entry of a standard folder"
                             : "its name is taken by a folder listed before it";
    m_dropped.push_back({folder->m_csName, folder->m_id, reason});
    delete folder;
  }
  return result;
}

TvStringList TvDatabase::OldMessageFileNames(const std::string& directory) {
  TvStringList names;
  ListNames(names, directory + "*" + ".Message", 0);
  TvStringList old;
  for (const std::string& name : names) {
    if (name.size() == kOldMessageNameLength) old.push_back(name);
  }
  return old;
}

std::vector<TvStrandedFolder> TvDatabase::StrandedFolders() {
  std::vector<TvStrandedFolder> stranded;
  for (const TvDroppedFolder& dropped : m_dropped) {
    if (!IsPlainName(dropped.name)) continue;  // its name never was a directory
    std::string directory = DataFolder() + dropped.name;
    AppendBackslash(directory);
    bool walked = false;
    for (uint32_t i = 0; i < m_folders.GetSize() && !walked; ++i) {
      const TvFolder& folder = *m_folders[i];
      if (!HasUsableDirectory(folder)) continue;
      std::string kept = folder.m_id >= FOLDER_INBOX && folder.m_id <= FOLDER_TEMP
                             ? m_paths.StandardFolderDirectory(folder.m_id)
                             : DataFolder() + folder.m_csName;
      AppendBackslash(kept);
      // The file system's own comparison: on POSIX "projects" beside "Projects" is a directory
      // of its own that no kept folder walks.
      walked = platform::SameDirectory(kept, directory);
    }
    if (walked) continue;
    const uint32_t left = static_cast<uint32_t>(OldMessageFileNames(directory).size());
    if (left != 0) stranded.push_back({dropped, directory, left});
  }
  return stranded;
}

std::string TvDatabase::StrandedFolderLine(const TvStrandedFolder& stranded) {
  return "Folder: '" + stranded.folder.name + "' , NOT converted, dropped from the folders list (" +
         stranded.folder.reason + "); " + std::to_string(stranded.oldMessageFiles) +
         " old message file(s) left in " + stranded.directory;
}

std::string TvDatabase::UnreadableFolderLine(const std::string& name,
                                             const std::string& directory) {
  if (platform::CanListDirectory(directory)) return std::string();
  // A directory that is not there (it could not be created) holds nothing to convert.
  const uint32_t error = platform::LastError();
  if (error == platform::ErrorCode(platform::SysError::kFileNotFound) ||
      error == platform::ErrorCode(platform::SysError::kPathNotFound)) {
    return std::string();
  }
  std::string reason = platform::ErrorText(error);
  while (!reason.empty() &&
         (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ')) {
    reason.pop_back();
  }
  return "Folder: '" + name + "' , NOT converted, its directory " + directory +
         " cannot be read: " + reason;
}

std::string TvDatabase::EncodeFoldersList() {
  std::vector<folders::FolderRecord> records;
  records.reserve(m_folders.GetSize());
  for (uint32_t i = 0; i < m_folders.GetSize(); ++i) {
    TvFolder* folder = m_folders[i];
    folders::FolderRecord record;
    record.version = platform::PackedVersion();
    record.type = folder->GetType();
    record.data = folder->GetData();
    record.name = folder->m_csName;
    record.text = folder->m_csText;
    record.status = folder->m_dwordStatus;
    record.flags = folder->m_flags;
    record.id = folder->m_id;
    records.push_back(std::move(record));
  }
  return folders::EncodeFoldersFile(records);
}

TvListContent TvDatabase::ReadFoldersListContent(const std::string& bytes) {
  TvListContent content;
  BufferSource source(bytes);
  folders::FoldersFile file;
  const folders::Problem problem = folders::ReadFoldersFile(source, file);
  content.readsAsFormat = problem.Ok() || problem.kind == folders::ProblemKind::kBytesAfterEnd;
  // The six standard folders are in every list; anything beyond them was put there.
  for (const folders::FolderRecord& record : file.records) {
    if (record.id < FOLDER_INBOX || record.id > FOLDER_TEMP) content.holdsSomething = true;
  }
  return content;
}

// ---------------------------------------------------------------------------------------------
// Conversion

TvDatabase::FolderWork TvDatabase::ListFolder(TvFolder& folder) {
  FolderWork work;
  work.folder = &folder;
  if (folder.m_id == FOLDER_CURRENT || !HasUsableDirectory(folder)) return work;
  work.usable = true;
  FolderDirectory(work.directory, folder.m_id);
  work.unreadable = UnreadableFolderLine(folder.m_csName, work.directory);
  if (!work.unreadable.empty()) return work;
  work.names = OldMessageFileNames(work.directory);
  return work;
}

std::string TvDatabase::SkippedFolderLine(const FolderWork& work) {
  const TvFolder& folder = *work.folder;
  if (folder.m_id == FOLDER_CURRENT) {
    return "Folder: '" + folder.m_csName +
           "' , NOT converted, its id 65520 is reserved for the current folder";
  }
  if (!work.usable) {
    return "Folder: '" + folder.m_csName + "' , NOT converted, its name is no plain folder name";
  }
  return work.unreadable;
}

void TvDatabase::PrepareFolder(TvFolder& folder) {
  if (folder.m_id == FOLDER_CURRENT || !HasUsableDirectory(folder)) return;
  std::string directory;
  FolderDirectory(directory, folder.m_id);
  EnsureDirectory(directory);
  if (!UnreadableFolderLine(folder.m_csName, directory).empty()) return;
  SettleLeftovers(JudgeLeftovers(directory, false), m_log);
}

namespace {

using What = TvMessageOutcome::What;

TvMessageOutcome NotLoaded(const std::string& path, const msg30::Problem& problem) {
  TvMessageOutcome outcome;
  outcome.what = What::kNotLoaded;
  outcome.oldPath = path;
  outcome.problem = problem;
  // A file that could not be opened or read is not damaged: the line says what the system said.
  outcome.lines.push_back(
      {"Message: " + path + " , NOT loaded" +
           (problem.kind == msg30::ProblemKind::kCannotOpen ? ", " + problem.text : ""),
       kLogError});
  return outcome;
}

// A plan that converts, or the refusal it decided; refusal kFailed for a new file that cannot
// be written.
TvMessageOutcome Planned(const TvMessagePlan& plan, TvMessageBatch::Refusal refusal) {
  TvMessageOutcome outcome;
  outcome.oldPath = plan.oldPath;
  outcome.newPath = plan.newPath;
  outcome.bytes = plan.bytes;
  outcome.replacedBytes = plan.replacedBytes;
  if (refusal == TvMessageBatch::Refusal::kNone) {
    outcome.lines.push_back({"Message: " + plan.oldPath + " , Converted", kLogInfo});
    return outcome;
  }
  outcome.what = What::kNotSaved;
  outcome.refusal = refusal;
  outcome.lines.push_back({"Message: " + plan.oldPath + " , NOT saved", kLogError});
  return outcome;
}

TvMessageBatch::Refusal RefusalOf(const TvMessagePlan& plan) {
  switch (plan.verdict) {
    case TvMessagePlan::Verdict::kConverts:
      return TvMessageBatch::Refusal::kNone;
    case TvMessagePlan::Verdict::kNameTaken:
      return TvMessageBatch::Refusal::kNameTaken;
    case TvMessagePlan::Verdict::kExistingDiffers:
      return TvMessageBatch::Refusal::kExistingDiffers;
    default:
      return TvMessageBatch::Refusal::kFailed;
  }
}

}  // namespace

void TvDatabase::Emit(const TvMessageOutcome& outcome, size_t place) {
  for (const TvPlannedLine& line : outcome.lines) {
    if (place == kNoPlace) {
      Log(line.text, line.level);
    } else {
      m_log.Fill(place, line.text, line.level);
    }
  }
  if (outcome.Converted()) {
    ++RunOutcome().messagesConverted;
  } else {
    ++RunOutcome().messagesNotConverted;
  }
  m_listener->Outcome(outcome);
}

void TvDatabase::CommitBatch(TvMessage& message, TvBool deleteOld) {
  const std::vector<TvMessageBatch::Outcome> committed = message.Batch().Commit();
  // A failed flush or move of the batch is one failure, however many files it cost (one box
  // said so): one Error line names the first of them and their number, with the reason; each
  // file's own line is then Info.
  const TvMessageBatch::Outcome* firstFailed = nullptr;
  size_t failed = 0;
  for (const TvMessageBatch::Outcome& entry : committed) {
    if (entry.commitError == 0) continue;
    if (firstFailed == nullptr) firstFailed = &entry;
    ++failed;
  }
  for (const TvMessageBatch::Outcome& entry : committed) {
    const std::string& path = entry.oldPath;
    TvMessageOutcome outcome;
    outcome.oldPath = path;
    outcome.newPath = entry.finalPath;
    outcome.bytes = entry.bytes;
    outcome.replacedBytes = entry.replacedBytes;
    if (!entry.committed) {
      outcome.what = What::kNotSaved;
      outcome.refusal = entry.refusal;
      const std::string line = "Message: " + path + " , NOT saved";
      if (entry.commitError == 0) {
        outcome.lines.push_back({line, kLogError});
      } else if (failed == 1) {
        outcome.lines.push_back({line + ", " + ErrorReason(entry.commitError), kLogError});
      } else {
        if (&entry == firstFailed) {
          outcome.lines.push_back({"Messages: " + path + " and " + std::to_string(failed - 1) +
                                       " more , NOT saved, " + ErrorReason(entry.commitError),
                                   kLogError});
        }
        outcome.lines.push_back({line, kLogInfo});
      }
      Emit(outcome, entry.tag);
      continue;
    }
    outcome.lines.push_back({"Message: " + path + " , Converted", kLogInfo});
    // The new file is on stable storage under its final name: only now may the old one go.
    if (deleteOld) {
      if (DeleteFileIfExists(path)) {
        outcome.lines.push_back({"Message: " + path + " , Deleted", kLogInfo});
      } else {
        outcome.lines.push_back({"Message: " + path + " , NOT deleted", kLogError});
      }
    }
    Emit(outcome, entry.tag);
  }
  m_log.Settle();
}

bool TvDatabase::ConvertFolder(TvMessage& message, const FolderWork& work, TvBool deleteOld,
                               uint64_t& done) {
  const std::string skipped = SkippedFolderLine(work);
  if (!skipped.empty()) {
    SkipFolder(skipped);
    return true;
  }
  TvFolder& folder = *work.folder;
  Progress().Folder(folder.m_csName);
  m_listener->FolderEntered(folder.m_csName, work.directory, work.names.size());
  bool stopped = false;
  for (const std::string& name : work.names) {
    // A stop asked for by the user lands between messages: what is in flight is committed below.
    if (StopIfRequested()) {
      stopped = true;
      break;
    }
    const std::string path = work.directory + name;
    if (!message.LoadOld(path)) {
      Emit(NotLoaded(path, message.LoadProblem()), kNoPlace);
      Progress().Messages(++done);
      continue;
    }
    // The outcome's lines are known once the message's batch is committed; they keep their
    // place among the other lines.
    m_listener->Loaded(path, message);
    const size_t place = m_log.Reserve();
    TvMessagePlan plan = message.Plan(path, message.Batch().Names());
    if (plan.verdict == TvMessagePlan::Verdict::kCommitFirst) {
      // The two files of one new name meet as in a run of one file at a time.
      CommitBatch(message, deleteOld);
      plan = message.Plan(path, message.Batch().Names());
    }
    if (!plan.Converts()) {
      Emit(Planned(plan, RefusalOf(plan)), place);
    } else if (!message.Stage(plan, place)) {
      Emit(Planned(plan, TvMessageBatch::Refusal::kFailed), place);
    } else if (message.Batch().Full()) {
      CommitBatch(message, deleteOld);
    }
    Progress().Messages(++done);
  }
  // A folder ends with its batch committed: every line of it is written before the next folder.
  CommitBatch(message, deleteOld);
  if (stopped) return false;
  if (deleteOld) {
    const std::string index = ExistingFileName(work.directory + folders::kFolderIndexFileName);
    if (DeleteFileIfExists(index)) {
      Log("Old folder index: " + index + " , Deleted", kLogInfo);
    } else {
      Log("Old folder index: " + index + " , NOT deleted", kLogInfo);
    }
  }
  return true;
}

void TvDatabase::PlanMessages() {
  TvMessage message(m_log, *this);
  std::vector<FolderWork> work;
  uint64_t total = 0;
  for (uint32_t i = 0; i < m_folders.GetSize(); ++i) {
    work.push_back(ListFolder(*m_folders[i]));
    total += work.back().names.size();
  }
  Progress().Begin(total);
  // The new names the plans hand out, as a run that commits every file it plans would.
  TvNewNames names;
  uint64_t done = 0;
  for (const FolderWork& folder : work) {
    const std::string skipped = SkippedFolderLine(folder);
    if (!skipped.empty()) {
      m_listener->FolderSkipped(skipped);
      continue;
    }
    Progress().Folder(folder.folder->m_csName);
    m_listener->FolderEntered(folder.folder->m_csName, folder.directory, folder.names.size());
    for (const std::string& name : folder.names) {
      const std::string path = folder.directory + name;
      // The plan's outcome is heard, not logged or counted: nothing is converted.
      if (!message.ReadOld(path)) {
        m_listener->Outcome(NotLoaded(path, message.LoadProblem()));
      } else {
        m_listener->Loaded(path, message);
        const TvMessagePlan plan = message.Plan(path, names);
        if (plan.Converts()) names.AddCommitted(plan.key);
        m_listener->Outcome(Planned(plan, RefusalOf(plan)));
      }
      Progress().Messages(++done);
    }
  }
  Progress().End();
}

void TvDatabase::SkipFolder(const std::string& line) {
  m_listener->FolderSkipped(line);
  Log(line, kLogError);
}

int32_t TvDatabase::ConvertDatabase(TvBool deleteOld) {
  TvMessage message(m_log, *this);
  if (!m_stagingFolder.empty()) message.SetStagingFolder(m_stagingFolder);
  // A batch holds its new files open until it is committed: a process that runs out of file
  // handles commits it early and tries the open again.
  message.SetMakeRoom([&] {
    if (message.Batch().Empty()) return false;
    CommitBatch(message, deleteOld);
    return true;
  });
  // Before the folders list is read: a recovered "Folders.List" is the list of an earlier run.
  SettleLeftovers(JudgeLeftovers(DataFolder(), true), m_log);
  ApplyFoldersPlan(PlanFoldersList(), deleteOld);
  // Every folder is listed first: the listing gives the total the progress counts against.
  std::vector<FolderWork> work;
  uint64_t total = 0;
  for (uint32_t i = 0; i < m_folders.GetSize(); ++i) {
    PrepareFolder(*m_folders[i]);
    work.push_back(ListFolder(*m_folders[i]));
    total += work.back().names.size();
  }
  Progress().Begin(total);
  m_log.Hold();
  uint64_t done = 0;
  for (const FolderWork& folder : work) {
    // Stopped on request: what was in flight is committed and logged; the folders not finished
    // keep their old index.
    if (!ConvertFolder(message, folder, deleteOld, done)) break;
  }
  m_log.Release();
  Progress().End();
  return 0;
}
