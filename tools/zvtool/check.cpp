// zvtool check: a dry run of the conversion over a 3.0 data folder. Every file the conversion
// reads is read with the conversion's own readers, opened read-only; nothing in the folder is
// created, changed or deleted.
#include <algorithm>
#include <filesystem>
#include <map>

#include "contacts/tv_contact_list.h"
#include "database/tv_database.h"
#include "foundation/tv_file.h"
#include "messages/plain_names.h"
#include "platform/recording_ui.h"
#include "replies/tv_text_messages.h"
#include "zvtool/commands.h"
#include "zvtool/folder_plan.h"
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

// A list store: what the conversion will do with one old list file.
struct ListVerdict {
  Json report;
  bool failure = false;
};

ListVerdict CheckContacts(const std::string& dataFolder, const std::string& scratch,
                          SpaceLedger& space) {
  ListVerdict v;
  const std::string path = dataFolder + TvContactList::kOldFileName;
  const std::string newPath = dataFolder + TvContactList::kFileName;
  v.report["file"] = JsonText(path);
  if (!IsExistingFile(path)) {
    v.report["state"] = "missing: the conversion creates it empty and converts nothing";
    return v;
  }
  TvFixedDataPaths paths(dataFolder);
  TvLog log(paths);
  TvContactList list(log, paths);
  platform::ScopedRecordingUI recording;
  bool loaded = list.LoadOldFile(path, kModeReadShared) != 0;
  if (!loaded) {
    std::string boxes = BoxTexts(recording.ui);
    if (boxes.empty()) {
      v.report["state"] = "nothing to convert: empty, version 0 or no groups (kept as it is)";
    } else {
      v.failure = true;
      v.report["state"] = "NOT converted: the file is damaged, no \"Contacts.List\" is written";
      v.report["reason"] = JsonText(boxes);
    }
    return v;
  }
  uint32_t groups = list.m_root.CountItems(kContactTypeGroup, 1);
  uint32_t users = list.m_root.CountItems(kContactTypeUser, 1);
  v.report["state"] = "converts";
  v.report["groups"] = groups;
  v.report["users"] = users;
  // Users the group merge cannot add: the converter names each in an Error line and keeps the
  // old file.
  const auto& droppedUsers = list.DroppedContacts();
  if (!droppedUsers.empty()) {
    v.failure = true;
    v.report["state"] = "converts with " + std::to_string(droppedUsers.size()) +
                        " user(s) NOT converted: their names are taken in the merged group; the "
                        "old file is kept";
    Json lines = Json::array();
    for (const TvDroppedContact& user : droppedUsers) {
      lines.push_back(JsonText(TvContactList::DroppedContactLine(user)));
    }
    v.report["dropped_users"] = lines;
  }
  const std::string probe = scratch + TvContactList::kFileName;
  if (list.SaveFile(probe)) {
    space.Write(FileLength(probe), IsExistingFile(newPath) ? FileLength(newPath) : 0);
    if (droppedUsers.empty()) space.DeleteOld(FileLength(path));
  }
  return v;
}

ListVerdict CheckReplies(const std::string& dataFolder, const std::string& scratch,
                         const char* oldName, const char* newName, SpaceLedger& space) {
  ListVerdict v;
  const std::string path = dataFolder + oldName;
  const std::string newPath = dataFolder + newName;
  v.report["file"] = JsonText(path);
  uint64_t replaced = IsExistingFile(newPath) ? FileLength(newPath) : 0;
  if (!IsExistingFile(path)) {
    v.report["state"] = std::string("missing: the conversion creates it and writes an empty \"") +
                        newName + "\"";
    space.Write(12, replaced);
    return v;
  }
  TvFixedDataPaths paths(dataFolder);
  TvLog log(paths);
  TvTextMessagesArray texts(log, paths);
  platform::ScopedRecordingUI recording;
  if (!texts.LoadFile(path)) {
    v.failure = true;
    v.report["state"] = std::string("NOT converted: the file is damaged, no \"") + newName +
                        "\" is written";
    v.report["reason"] = JsonText(BoxTexts(recording.ui));
    return v;
  }
  v.report["state"] = "converts";
  v.report["texts"] = texts.GetSize();
  const std::string probe = scratch + newName;
  if (texts.SaveFile(probe)) {
    space.Write(FileLength(probe), replaced);
    space.DeleteOld(FileLength(path));
  }
  return v;
}

}  // namespace

int RunCheck(const std::string& dir, bool json, std::ostream& out, std::ostream& err) {
  if (!IsExistingDirectory(dir)) {
    err << "zvtool check: '" << dir << "' is no directory (or cannot be read)\n";
    return kExitError;
  }
  ScratchFolder scratch;
  if (!scratch.Ok()) {
    err << "zvtool check: cannot make a scratch folder in the temporary directory\n";
    return kExitError;
  }
  const FolderPlan plan = PlanFolders(dir);
  const std::string& data = plan.dataFolder;
  uint32_t failures = 0;
  SpaceLedger space;

  Json report;
  report["data_folder"] = JsonText(data);

  // The folder list and the names index.
  Json list;
  list["file"] = JsonText(data + folders::kOldFileName);
  if (plan.listConverts) {
    list["state"] = "converts";
    list["folders_read"] = plan.promisedRecords;
  } else {
    list["state"] = plan.fromNewList ? "already converted" : "NOT converted";
    list["reason"] = JsonText(plan.listProblem);
    if (!plan.fromNewList) ++failures;
  }
  Json walked = Json::array();
  for (const PlannedFolder& folder : plan.folders) {
    Json f;
    f["id"] = folder.id;
    f["name"] = JsonText(folder.name);
    f["directory"] = folder.usable ? Json(JsonText(folder.directory)) : Json(nullptr);
    walked.push_back(f);
  }
  list["folders"] = walked;
  Json dropped = Json::array();
  for (const DroppedFolder& d : plan.dropped) {
    dropped.push_back(JsonText("'" + d.record.name + "' (id " + std::to_string(d.record.id) +
                               "): " + d.reason));
  }
  list["dropped_folders"] = dropped;
  // A dropped folder whose directory no kept folder walks leaves its messages behind unconverted,
  // and without a line in the log: that is a failure worth knowing before the run.
  Json orphaned = Json::array();
  for (const LeftBehind& left : MessagesLeftBehind(plan)) {
    ++failures;
    orphaned.push_back(JsonText("'" + left.folder.record.name + "' (id " +
                                std::to_string(left.folder.record.id) + "): " +
                                std::to_string(left.names.size()) + " message file(s) in " +
                                left.directory + " are NOT converted (" + left.folder.reason + ")"));
  }
  list["messages_left_behind"] = orphaned;
  report["folders_list"] = list;
  if (plan.listConverts) {
    const std::string newList = data + folders::kNewFileName;
    space.Write(plan.newListSize, IsExistingFile(newList) ? FileLength(newList) : 0);
  }

  Json names;
  names["file"] = JsonText(data + folders::kNamesIndexFileName);
  if (!plan.namesIndexOk) {
    names["state"] = "damaged";
    names["reason"] = JsonText(plan.namesIndexProblem);
    ++failures;
  } else if (!plan.namesIndexExists) {
    names["state"] = "missing: the conversion creates it empty";
  } else {
    names["state"] = plan.listConverts ? "converts" : "kept as it is";
    names["records"] = plan.namesIndex.records.size();
  }
  report["names_index"] = names;
  if (plan.listConverts) {
    uint64_t written = 8 + uint64_t{folders::kNamesIndexRecordSize} * plan.namesIndex.records.size();
    if (written > plan.namesIndexSize) space.Write(written - plan.namesIndexSize, 0);
  }
  if (plan.listConverts) space.DeleteOld(plan.oldFileSize);

  // The messages, folder by folder, in the conversion's order.
  OldMessageLoader loader(scratch.Path());
  std::vector<std::pair<const PlannedFolder*, std::vector<std::string>>> work;
  uint64_t total = 0;
  for (const PlannedFolder& folder : plan.folders) {
    work.emplace_back(&folder, folder.usable ? OldMessageNames(folder.directory)
                                             : std::vector<std::string>());
    total += work.back().second.size();
  }
  Progress progress("checking messages", total);
  std::map<std::string, std::string> newNames;  // case-folded new path -> old path that takes it
  DirectoryIndex existingFiles;
  uint32_t found = 0, converts = 0, notLoaded = 0, notSaved = 0;
  Json failing = Json::array();
  Json warnings = Json::array();
  Json unsafeFolders = Json::array();
  Json perFolder = Json::array();
  for (const auto& [folder, fileNames] : work) {
    if (!folder->usable) {
      ++failures;
      unsafeFolders.push_back(
          JsonText("'" + folder->name + "' (id " + std::to_string(folder->id) +
                   (folder->id == FOLDER_CURRENT ? "): the id is reserved for the current folder"
                                                 : "): no plain folder name") +
                   ", the folder is NOT converted"));
      continue;
    }
    // A folder directory that exists but cannot be listed: the converter says so in an Error line.
    std::string bare = folder->directory;
    bare.pop_back();
    if (IsExistingDirectory(bare) || IsExistingFile(bare)) {
      const std::string unreadable =
          TvDatabase::UnreadableFolderLine(folder->name, folder->directory);
      if (!unreadable.empty()) {
        ++failures;
        unsafeFolders.push_back(JsonText(unreadable));
        continue;
      }
    }
    uint32_t folderConverts = 0;
    for (const std::string& name : fileNames) {
      progress.Step();
      ++found;
      const std::string path = folder->directory + name;
      std::string boxes;
      bool loaded = loader.Load(path, &boxes);
      const std::string newPath = folder->directory + NewMessageFileName(name);
      Json entry;
      entry["file"] = JsonText(path);
      if (!loaded) {
        ++notLoaded;
        entry["outcome"] = "NOT loaded";
        const msg30::Problem& problem = loader.Message().LoadProblem();
        entry["problem"] = msg30::ProblemKey(problem.kind);
        entry["offset"] = problem.offset;
        entry["reason"] =
            JsonText(boxes.empty() ? problem.text : problem.text + " (" + boxes + ")");
        failing.push_back(entry);
        continue;
      }
      const std::string key = FoldCase(newPath);
      auto taken = newNames.find(key);
      if (taken != newNames.end()) {
        ++notSaved;
        entry["outcome"] = "NOT saved";
        entry["problem"] = "new-name-collision";
        entry["reason"] = JsonText("its new name " + NewMessageFileName(name) +
                                   " is taken by " + taken->second + " earlier in the run");
        failing.push_back(entry);
        continue;
      }
      // A 3.1 file already there is replaced only by the same bytes; any other stays, and so
      // does the old file.
      const std::string existing = existingFiles.Find(newPath);
      if (!existing.empty() && !loader.WritesSameAs(path, existing)) {
        ++notSaved;
        entry["outcome"] = "NOT saved";
        entry["problem"] = "existing-new-file-differs";
        entry["reason"] = JsonText("the 3.1 file " + existing +
                                   " is already there with other contents; it is kept, and so is "
                                   "the old file");
        failing.push_back(entry);
        continue;
      }
      newNames.emplace(key, path);
      ++converts;
      ++folderConverts;
      if (!existing.empty()) {
        warnings.push_back(JsonText(path + ": the existing 3.1 file " + existing +
                                    " holds the same bytes and is written again"));
      }
      TvMessage& message = loader.Message();
      for (uint32_t i = 0; i < message.OldAttachments().GetSize(); ++i) {
        const std::string& stored = message.OldAttachments()[i]->m_csName;
        if (!IsPlainName(stored)) {
          warnings.push_back(JsonText(path + ": attachment name '" + stored +
                                      "' is no plain file name; it is staged under a safe name "
                                      "and keeps its stored name in the 3.1 file"));
        }
      }
      uint64_t attachments = 0;
      message.TotalAttachmentSize(attachments);
      space.stagingPeak = std::max(space.stagingPeak, attachments);
      space.Write(NewMessageSize(message), existing.empty() ? 0 : FileLength(existing));
      space.DeleteOld(FileLength(path));
    }
    Json f;
    f["folder"] = JsonText(folder->name);
    f["old_files"] = fileNames.size();
    f["converting"] = folderConverts;
    perFolder.push_back(f);
    const std::string index = folder->directory + folders::kFolderIndexFileName;
    if (IsExistingFile(index)) space.DeleteOld(FileLength(index));
  }
  failures += notLoaded + notSaved;

  Json messages;
  messages["found"] = found;
  messages["convert"] = converts;
  messages["not_loaded"] = notLoaded;
  messages["not_saved"] = notSaved;
  messages["per_folder"] = perFolder;
  messages["failing"] = failing;
  report["messages"] = messages;
  report["unsafe_folders"] = unsafeFolders;
  report["warnings"] = warnings;

  ListVerdict contacts = CheckContacts(data, scratch.Path(), space);
  ListVerdict fast = CheckReplies(data, scratch.Path(), TvFastReplysService::kOldFileName,
                                  TvFastReplysService::kFileName, space);
  ListVerdict answers = CheckReplies(data, scratch.Path(), TvAutoAnswersService::kOldFileName,
                                     TvAutoAnswersService::kFileName, space);
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
  summary["unsafe folders"] = unsafeFolders.size();
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
