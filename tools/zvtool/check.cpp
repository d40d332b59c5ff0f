// zvtool check: what the conversion will do with a 3.0 data folder, read-only. The message files
// are planned by the conversion's own walk and plans, so each verdict is the one the conversion
// reaches; the list files are read with the conversion's own readers. Nothing is created, changed
// or deleted, in the data folder or anywhere else.
#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "contacts/tv_contact_list.h"
#include "database/leftover_files.h"
#include "database/tv_database.h"
#include "database/walk_listener.h"
#include "foundation/progress.h"
#include "foundation/tv_file.h"
#include "foundation/utilities.h"
#include "messages/plain_names.h"
#include "platform/recording_ui.h"
#include "replies/tv_text_messages.h"
#include "zvtool/commands.h"
#include "zvtool/folder_files.h"
#include "zvtool/message_reader.h"
#include "zvtool/tool_common.h"

namespace zvtool {

namespace {

std::string BoxTexts(const platform::RecordingUserInterface& ui) {
  std::string texts;
  for (const auto& box : ui.boxes) {
    if (!texts.empty()) texts += "; ";
    texts += box.text;
  }
  return texts;
}

// Running totals of the bytes the conversion adds to and frees from the data folder's disk, in
// the order it works, with and without deleting the old files.
struct SpaceLedger {
  int64_t keep = 0, keepPeak = 0;
  int64_t drop = 0, dropPeak = 0;
  uint64_t stagingPeak = 0;

  void Write(uint64_t bytes, uint64_t replaced) {
    keep += static_cast<int64_t>(bytes);
    drop += static_cast<int64_t>(bytes);
    keepPeak = std::max(keepPeak, keep);
    dropPeak = std::max(dropPeak, drop);
    keep -= static_cast<int64_t>(replaced);
    drop -= static_cast<int64_t>(replaced);
  }
  void DeleteOld(uint64_t bytes) { drop -= static_cast<int64_t>(bytes); }
};

// The reader's word for why a list file cannot be read, and where.
template <typename Kind>
void NameProblem(const ReadProblem<Kind>& problem, Json& report) {
  if (problem.Ok()) return;
  report["problem"] = ProblemKey(problem.kind);
  report["offset"] = problem.offset;
}

// A list store: what the conversion will do with one old list file.
struct ListVerdict {
  Json report;
  bool failure = false;
};

// The words of check's report for a verdict: the report's "state" is these words, then the
// plan's reason.
const char* StateWords(TvListVerdict verdict) {
  switch (verdict) {
    case TvListVerdict::kNothingToConvert: return "nothing to convert";
    case TvListVerdict::kAlreadyConverted: return "already converted";
    case TvListVerdict::kConverts: return "converts";
    case TvListVerdict::kKeepsNewList: return "kept";
    case TvListVerdict::kNotConverted: break;
  }
  return "NOT converted";
}

// A list store's plan as check reports it, its bytes entered in the disk-space ledger. The
// reason of a list that is not converted is the Error line the conversion writes, or for a
// damaged old file the reader's words with the boxes its reading showed.
template <typename Kind>
ListVerdict ReportPlan(const TvListPlan& plan, const ReadProblem<Kind>& problem,
                       const platform::RecordingUserInterface& ui, SpaceLedger& space) {
  ListVerdict v;
  v.report["file"] = JsonText(plan.oldPath);
  v.report["verdict"] = VerdictKey(plan.verdict);
  v.failure = plan.Failure() || plan.verdict == TvListVerdict::kNotConverted;
  // The reason is what the conversion will show: the reader's box for a damaged file, else the
  // plan's own words.
  const std::string reason = !problem.Ok() && !ui.boxes.empty() ? BoxTexts(ui) : plan.reason;
  // A plain "converts" when nothing is added to it, as scripts compare it.
  std::string words = StateWords(plan.verdict);
  if (plan.Failure() && plan.verdict == TvListVerdict::kConverts) {
    words += " with " + std::to_string(plan.lines.size()) + " Error line(s)";
  }
  const bool plain =
      plan.verdict == TvListVerdict::kConverts && !plan.Failure() && !plan.createsOldFile;
  v.report["state"] = plain ? words : words + ": " + plan.reason;
  v.report["reason"] = JsonText(reason);
  NameProblem(problem, v.report);
  Json lines = Json::array();
  for (const TvPlannedLine& line : plan.lines) {
    lines.push_back(std::string(line.level == kLogError ? "Error: " : "Info: ") +
                    JsonText(line.text));
  }
  v.report["lines"] = lines;
  const uint64_t oldSize = IsExistingFile(plan.oldPath) ? FileLength(plan.oldPath) : 0;
  if (plan.verdict == TvListVerdict::kConverts) {
    v.report["new_bytes"] = plan.newBytes.size();
    space.Write(plan.newBytes.size(), IsExistingFile(plan.newPath) ? FileLength(plan.newPath) : 0);
  }
  if (plan.oldFileMayGo && (plan.verdict == TvListVerdict::kConverts ||
                            plan.verdict == TvListVerdict::kKeepsNewList)) {
    space.DeleteOld(oldSize);
  }
  return v;
}

ListVerdict ContactListReport(const std::string& dataFolder, SpaceLedger& space) {
  TvFixedDataPaths paths(dataFolder);
  TvLog log(paths);
  TvContactList list(log, paths);
  platform::ScopedRecordingUI recording;
  const TvListPlan plan = list.Plan();
  ListVerdict v = ReportPlan(plan, list.ReadProblem(), recording.ui, space);
  if (plan.verdict != TvListVerdict::kConverts) return v;
  v.report["groups"] = list.m_root.CountItems(kContactTypeGroup, 1);
  v.report["users"] = list.m_root.CountItems(kContactTypeUser, 1);
  // Users the group merge cannot add: the conversion names each in an Error line and keeps the
  // old file.
  if (!list.DroppedContacts().empty()) {
    Json dropped = Json::array();
    for (const TvDroppedContact& user : list.DroppedContacts()) {
      dropped.push_back(JsonText(TvContactList::DroppedContactLine(user)));
    }
    v.report["dropped_users"] = dropped;
  }
  return v;
}

ListVerdict RepliesReport(const std::string& dataFolder, const char* oldName, const char* newName,
                         const char* label, SpaceLedger& space) {
  TvFixedDataPaths paths(dataFolder);
  TvLog log(paths);
  TvTextMessagesArray texts(log, paths);
  platform::ScopedRecordingUI recording;
  const TvListPlan plan = texts.Plan(oldName, newName, label);
  ListVerdict v = ReportPlan(plan, texts.ReadProblem(), recording.ui, space);
  if (plan.verdict == TvListVerdict::kConverts || plan.verdict == TvListVerdict::kKeepsNewList) {
    v.report["texts"] = texts.GetSize();
  }
  return v;
}

// Hears the planned walk's verdicts and turns them into the report's message entries.
class MessageVerdicts : public TvWalkListener {
 public:
  explicit MessageVerdicts(SpaceLedger& space) : m_space(space) {}

  void FolderSkipped(const std::string& line) override { unsafeFolders.push_back(JsonText(line)); }
  void FolderEntered(const std::string& name, const std::string& directory,
                     size_t oldFiles) override {
    EndFolder();
    m_folder = Json();
    m_folder["folder"] = JsonText(name);
    m_folder["old_files"] = oldFiles;
    m_folderDirectory = directory;
    m_folderConverts = 0;
  }
  void Loaded(const std::string& oldPath, TvMessage& message) override {
    // Its length as it was read: the old file is not opened again.
    m_loadedPath = oldPath;
    m_loadedLength = message.OldFileLength();
    uint64_t attachments = 0;
    message.TotalAttachmentSize(attachments);
    m_space.stagingPeak = std::max(m_space.stagingPeak, attachments);
    for (uint32_t i = 0; i < message.OldAttachments().GetSize(); ++i) {
      const std::string& name = message.OldAttachments()[i]->m_csName;
      if (IsPlainName(name)) continue;
      warnings.push_back(JsonText(oldPath + ": attachment name '" + name +
                                  "' is no plain file name; it is staged under a safe name and "
                                  "keeps its stored name in the 3.1 file"));
    }
  }
  void Outcome(const TvMessageOutcome& outcome) override {
    using Refusal = TvMessageBatch::Refusal;
    const std::string& oldPath = outcome.oldPath;
    ++found;
    if (outcome.what == TvMessageOutcome::What::kNotLoaded) {
      ++notLoaded;
      const msg30::Problem& problem = outcome.problem;
      Json entry = Entry(oldPath, "NOT loaded", msg30::ProblemKey(problem.kind), problem.text);
      entry["offset"] = problem.offset;
      failing.push_back(entry);
      return;
    }
    if (outcome.Converted()) {
      ++converts;
      ++m_folderConverts;
      m_newNames.emplace(FoldCase(outcome.newPath), oldPath);
      if (outcome.replacedBytes != 0) {
        warnings.push_back(JsonText(oldPath + ": the existing 3.1 file " + outcome.newPath +
                                    " holds the same bytes and is written again"));
      }
      m_space.Write(outcome.bytes, outcome.replacedBytes);
      m_space.DeleteOld(oldPath == m_loadedPath ? m_loadedLength : FileLength(oldPath));
      return;
    }
    ++notSaved;
    if (outcome.refusal == Refusal::kNameTaken) {
      const std::string newName = BaseName(outcome.newPath);
      auto taken = m_newNames.find(FoldCase(outcome.newPath));
      failing.push_back(Entry(oldPath, "NOT saved", "new-name-collision",
                              "its new name " + newName + " is taken by " +
                                  (taken == m_newNames.end() ? std::string("another old file")
                                                             : taken->second) +
                                  " earlier in the run"));
    } else if (outcome.refusal == Refusal::kExistingDiffers) {
      failing.push_back(Entry(oldPath, "NOT saved", "existing-new-file-differs",
                              "the 3.1 file " + outcome.newPath +
                                  " is already there with other contents; it is kept, and so is "
                                  "the old file"));
    } else {
      failing.push_back(Entry(oldPath, "NOT saved", "write-failed",
                              "the new file has no place it can be written"));
    }
  }
  // Closes the folder entered last: its line in the report and the old index it leaves.
  void EndFolder() {
    if (m_folder.is_null()) return;
    m_folder["converting"] = m_folderConverts;
    perFolder.push_back(m_folder);
    m_folder = Json();
    const std::string index = FixedFile(m_folderDirectory, folders::kFolderIndexFileName);
    if (IsExistingFile(index)) m_space.DeleteOld(FileLength(index));
  }

  uint32_t found = 0, converts = 0, notLoaded = 0, notSaved = 0;
  Json failing = Json::array();
  Json warnings = Json::array();
  Json unsafeFolders = Json::array();
  Json perFolder = Json::array();

 private:
  static Json Entry(const std::string& oldPath, const char* outcome, const char* problem,
                    const std::string& reason) {
    Json entry;
    entry["file"] = JsonText(oldPath);
    entry["outcome"] = outcome;
    entry["problem"] = problem;
    entry["reason"] = JsonText(reason);
    return entry;
  }

  SpaceLedger& m_space;
  Json m_folder;
  std::string m_folderDirectory;
  uint32_t m_folderConverts = 0;
  std::map<std::string, std::string> m_newNames;  // case-folded new path -> old path that took it
  std::string m_loadedPath;  // the old file read last, and its length
  uint64_t m_loadedLength = 0;
};

// The walk's progress as the tool's progress line.
class CheckProgress : public TvProgress {
 public:
  void Begin(uint64_t total) override {
    m_line = std::make_unique<zvtool::Progress>("checking messages", total);
  }
  void Messages(uint64_t) override {
    if (m_line) m_line->Step();
  }
  void End() override { m_line.reset(); }

 private:
  std::unique_ptr<zvtool::Progress> m_line;
};

// What the run will do with each temporary file an earlier run left in the data folder and the
// folder directories: the conversion's own verdicts, read-only. kept counts the ones it keeps.
Json CheckLeftovers(const TvFoldersPlan& plan, uint32_t& kept) {
  std::vector<std::string> directories = {plan.dataFolder};
  std::set<std::string> seen = {plan.dataFolder};
  for (const TvPlannedFolder& folder : plan.folders) {
    if (folder.usable && seen.insert(folder.directory).second) {
      directories.push_back(folder.directory);
    }
  }
  Json entries = Json::array();
  platform::ScopedRecordingUI quiet;  // a damaged list file is judged, not shown in a box
  for (const std::string& directory : directories) {
    for (const TvLeftover& leftover : JudgeLeftovers(directory, directory == plan.dataFolder)) {
      Json entry;
      entry["file"] = JsonText(leftover.tempPath);
      switch (leftover.verdict) {
        case TvLeftoverVerdict::kDelete:
          entry["verdict"] = "deleted";
          entry["reason"] = JsonText("its old file " + leftover.oldPath + " is converted again");
          break;
        case TvLeftoverVerdict::kRecover:
          entry["verdict"] = "recovered";
          entry["reason"] = JsonText("the only copy, complete: it becomes " + leftover.finalPath);
          break;
        case TvLeftoverVerdict::kKeep:
          entry["verdict"] = "kept";
          entry["reason"] = JsonText(leftover.reason);
          ++kept;
          break;
      }
      entries.push_back(entry);
    }
  }
  return entries;
}

// The folders list as the conversion's plan has it: its verdict, the folders the walk takes, the
// folders dropped and the messages they leave behind. failures counts what keeps the run from
// ending clean: a list that is not written from the old file, and each folder left behind.
Json FoldersListReport(const TvFoldersPlan& plan, uint32_t& failures) {
  Json list;
  list["file"] = JsonText(plan.list.oldPath);
  list["verdict"] = VerdictKey(plan.list.verdict);
  if (plan.list.verdict == TvListVerdict::kConverts) {
    list["state"] = "converts";
    list["folders_read"] = plan.promisedRecords;
  } else {
    const bool done = plan.list.verdict == TvListVerdict::kAlreadyConverted;
    list["state"] = done ? "already converted" : "NOT converted";
    list["reason"] = JsonText(plan.list.reason);
    if (!done) ++failures;
  }
  Json walked = Json::array();
  for (const TvPlannedFolder& folder : plan.folders) {
    Json f;
    f["id"] = folder.id;
    f["name"] = JsonText(folder.name);
    f["directory"] = folder.usable ? Json(JsonText(folder.directory)) : Json(nullptr);
    walked.push_back(f);
  }
  list["folders"] = walked;
  Json dropped = Json::array();
  for (const TvDroppedFolder& d : plan.dropped) {
    dropped.push_back(JsonText("'" + d.name + "' (id " + std::to_string(d.id) + "): " + d.reason));
  }
  list["dropped_folders"] = dropped;
  // A dropped folder whose directory no kept folder walks leaves its messages behind unconverted:
  // a failure worth knowing before the run.
  Json orphaned = Json::array();
  for (const TvStrandedFolder& left : plan.stranded) {
    ++failures;
    orphaned.push_back(JsonText("'" + left.folder.name + "' (id " + std::to_string(left.folder.id) +
                                "): " + std::to_string(left.oldMessageFiles) +
                                " message file(s) in " + left.directory + " are NOT converted (" +
                                left.folder.reason + ")"));
  }
  list["messages_left_behind"] = orphaned;
  Json lines = Json::array();
  for (const TvPlannedLine& line : plan.list.lines) {
    lines.push_back(
        JsonText(std::string(line.level == kLogError ? "Error: " : "Info: ") + line.text));
  }
  list["lines"] = lines;
  return list;
}

Json NamesIndexReport(const TvNamesIndexPlan& plan, uint32_t& failures) {
  Json names;
  names["file"] = JsonText(plan.path);
  if (!plan.problem.empty()) {
    names["state"] = "damaged";
    names["reason"] = JsonText(plan.problem);
    ++failures;
  } else if (!plan.exists) {
    names["state"] = "missing: the conversion creates it empty";
  } else {
    names["state"] = plan.rewrites ? "converts" : "kept as it is";
    names["records"] = plan.read.records.size();
  }
  return names;
}

// Plans the conversion's walk over the messages of the folders database lists; nothing is
// written.
void PlanMessages(TvDatabase& database, MessageVerdicts& verdicts) {
  database.SetListener(&verdicts);
  CheckProgress progress;
  TvProgress* previous = SetProgress(&progress);
  {
    platform::ScopedRecordingUI quiet;
    database.PlanMessages();
  }
  SetProgress(previous);
  verdicts.EndFolder();
}

}  // namespace

int RunCheck(const std::string& dir, bool json, std::ostream& out, std::ostream& err) {
  if (!IsExistingDirectory(dir)) {
    err << "zvtool check: '" << dir << "' is no directory (or cannot be read)\n";
    return kExitError;
  }
  // One database plans the folders list and then walks the folders it lists; the plans log
  // nothing and show nothing.
  const std::string data = WithSeparator(dir);
  TvFixedDataPaths paths(data);
  TvLog log(paths);
  TvDatabase database(log, paths);
  database.CreateStandardFolders();
  TvFoldersPlan plan;
  {
    platform::ScopedRecordingUI quiet;
    plan = database.PlanFoldersList();
  }
  uint32_t failures = 0;
  SpaceLedger space;

  Json report;
  report["data_folder"] = JsonText(data);
  const Json list = FoldersListReport(plan, failures);
  const Json names = NamesIndexReport(plan.namesIndex, failures);
  report["folders_list"] = list;
  report["names_index"] = names;
  if (plan.list.verdict == TvListVerdict::kConverts) {
    const std::string newList = plan.list.newPath;
    space.Write(plan.list.newBytes.size(), IsExistingFile(newList) ? FileLength(newList) : 0);
  }
  if (plan.namesIndex.rewrites) {
    const uint64_t written =
        8 + uint64_t{folders::kNamesIndexRecordSize} * plan.namesIndex.read.records.size();
    if (written > plan.namesIndex.size) space.Write(written - plan.namesIndex.size, 0);
  }
  if (plan.list.verdict == TvListVerdict::kConverts && plan.list.oldFileMayGo) {
    space.DeleteOld(plan.oldFileSize);
  }

  // The messages, folder by folder, through the conversion's own walk.
  MessageVerdicts verdicts(space);
  PlanMessages(database, verdicts);
  const uint32_t found = verdicts.found, converts = verdicts.converts;
  const uint32_t notLoaded = verdicts.notLoaded, notSaved = verdicts.notSaved;
  failures += notLoaded + notSaved + static_cast<uint32_t>(verdicts.unsafeFolders.size());

  Json messages;
  messages["found"] = found;
  messages["convert"] = converts;
  messages["not_loaded"] = notLoaded;
  messages["not_saved"] = notSaved;
  messages["per_folder"] = verdicts.perFolder;
  messages["failing"] = verdicts.failing;
  report["messages"] = messages;
  report["unsafe_folders"] = verdicts.unsafeFolders;
  report["warnings"] = verdicts.warnings;

  uint32_t leftoversKept = 0;
  const Json leftovers = CheckLeftovers(plan, leftoversKept);
  failures += leftoversKept;
  report["leftovers"] = leftovers;

  ListVerdict contacts = ContactListReport(data, space);
  ListVerdict fast = RepliesReport(data, TvFastReplysService::kOldFileName,
                                  TvFastReplysService::kFileName, "Fast replies", space);
  ListVerdict answers = RepliesReport(data, TvAutoAnswersService::kOldFileName,
                                     TvAutoAnswersService::kFileName, "Auto answers", space);
  failures += contacts.failure + fast.failure + answers.failure;
  report["contact_list"] = contacts.report;
  report["fast_replies"] = fast.report;
  report["auto_answers"] = answers.report;

  Json disk;
  disk["needed_keeping_old_files"] = static_cast<uint64_t>(std::max<int64_t>(space.keepPeak, 0));
  disk["needed_deleting_old_files"] = static_cast<uint64_t>(std::max<int64_t>(space.dropPeak, 0));
  disk["needed_in_temporary_folder"] = space.stagingPeak;
  std::error_code error;
  std::filesystem::space_info info = std::filesystem::space(std::filesystem::path(data), error);
  if (!error) {
    disk["available"] = static_cast<uint64_t>(info.available);
    if (info.available < static_cast<uint64_t>(std::max<int64_t>(space.dropPeak, 0))) {
      disk["state"] = "NOT enough space even when old files are deleted";
      ++failures;
    } else if (info.available < static_cast<uint64_t>(std::max<int64_t>(space.keepPeak, 0))) {
      disk["state"] = "enough only when old files are deleted";
    } else {
      disk["state"] = "enough";
    }
  }
  report["disk_space_bytes"] = disk;

  // One line per store, for people and scripts that want the outcome at a glance.
  auto state = [](const Json& store) {
    std::string text = store["state"].get<std::string>();
    size_t colon = text.find(':');
    return colon == std::string::npos ? text : text.substr(0, colon);
  };
  Json summary;
  summary["folders list"] = state(list) + " (" + std::to_string(plan.folders.size()) + " folders)";
  summary["names index"] = state(names);
  summary["messages"] = std::to_string(found) + " found, " + std::to_string(converts) +
                        " convert, " + std::to_string(notLoaded) + " NOT loaded, " +
                        std::to_string(notSaved) + " NOT saved";
  summary["unsafe folders"] = verdicts.unsafeFolders.size();
  summary["leftovers"] = std::to_string(leftovers.size()) + " found, " +
                        std::to_string(leftoversKept) + " kept";
  summary["contact list"] = state(contacts.report);
  summary["fast replies"] = state(fast.report);
  summary["auto answers"] = state(answers.report);
  summary["disk space"] = Grouped(disk["needed_keeping_old_files"].get<uint64_t>()) +
                          " bytes keeping old files, " +
                          Grouped(disk["needed_deleting_old_files"].get<uint64_t>()) +
                          " deleting them" +
                          (disk.contains("state") ? "; " + disk["state"].get<std::string>() : "");
  report["summary"] = summary;
  report["result"] = failures == 0 ? "everything converts"
                                   : std::to_string(failures) + " problem(s): see above";

  if (json) {
    out << report.dump(2) << '\n';
  } else {
    PrintReadable(out, report);
  }
  return failures == 0 ? kExitOk : kExitNo;
}

}  // namespace zvtool
