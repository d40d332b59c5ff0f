// zvtool verify: proves, store by store, that a conversion lost nothing. OLD is a copy of the 3.0
// data folder taken before the conversion, NEW the data folder after it. The expected contents
// come from OLD through the conversion's own readers; the 3.1 files are read back from NEW and
// compared field by field, attachment contents by streaming.
#include <cstdio>
#include <cstring>
#include <iomanip>
#include <map>
#include <sstream>
#include <utility>
#include <vector>

#include "contacts/tv_contact_list.h"
#include "database/standard_folders.h"
#include "database/tv_database.h"
#include "foundation/coding.h"
#include "foundation/tv_file.h"
#include "foundation/utilities.h"
#include "messages/message_format.h"
#include "messages/plain_names.h"
#include "platform/file_system.h"
#include "platform/recording_ui.h"
#include "replies/tv_text_messages.h"
#include "zvtool/commands.h"
#include "zvtool/folder_files.h"
#include "zvtool/message_reader.h"
#include "zvtool/tool_common.h"

namespace zvtool {

namespace {

struct Tally {
  std::string store;
  uint64_t found = 0, converted = 0, missing = 0, different = 0, notConvertible = 0;
  // Not converted yet: the new file is missing but the old one is still in the converted folder
  // (an interrupted run); a rerun converts it, so it is no loss.
  uint64_t pending = 0;
  std::vector<std::string> problems;

  void Problem(const std::string& text) { problems.push_back(text); }
  void Pending(const std::string& oldPath, uint64_t count) {
    pending += count;
    Problem(std::string(kPendingText) + ": " + oldPath);
  }
  bool Lost() const { return missing != 0 || different != 0; }

  static constexpr const char* kPendingText =
      "not converted yet, old file present: rerun the conversion";
};

// The fixed 3.0 and 3.1 file names of a data folder root.
const char* const kOldRootFiles[] = {folders::kOldFileName, TvContactList::kOldFileName,
                                     TvFastReplysService::kOldFileName,
                                     TvAutoAnswersService::kOldFileName};
const char* const kNewRootFiles[] = {folders::kNewFileName, TvContactList::kFileName,
                                     TvFastReplysService::kFileName,
                                     TvAutoAnswersService::kFileName};

bool HasFile(const std::string& dataFolder, const char* name) {
  return IsExistingFile(FixedFile(dataFolder, name));
}

// A 3.1 list that the conversion kept beside its old file because it held other content (changed
// in 3.1 since an earlier run): nothing is lost, the old file in the converted folder still holds
// count items. Judged by the store's own rule, the list there against bytes, what the plan of the
// old copy writes; true (and told) when it was kept.
bool KeptBesideOldFile(const std::string& newData, const char* oldName, const std::string& newPath,
                       const std::string& bytes, const TvListReader& read, const char* label,
                       uint64_t count, Tally& t) {
  const std::string oldInNew = FixedFile(WithSeparator(newData), oldName);
  if (!IsExistingFile(oldInNew) || !IsExistingFile(newPath)) return false;
  platform::ScopedRecordingUI quiet;
  const TvExistingList found = JudgeExistingList(newPath, bytes, read);
  if (MayReplace(found)) return false;
  t.notConvertible += count;
  t.Problem("not convertible: " + KeptListLine(label, oldInNew, newPath, found));
  return true;
}

// Whether the file at path holds exactly bytes.
bool HoldsBytes(const std::string& path, const std::string& bytes) {
  std::string held;
  return IsExistingFile(path) && folders::ReadWholeFile(path, held) && held == bytes;
}

// What a folder holds: 3.0 files, 3.1 files, and the old message names of the folders the
// conversion walks there.
struct FolderKind {
  bool old = false;
  bool converted = false;
  std::vector<std::string> oldMessages;  // "Inbox/<old name>", ...
};

FolderKind Classify(const std::string& dataFolder) {
  FolderKind kind;
  for (const char* name : kOldRootFiles) kind.old = kind.old || HasFile(dataFolder, name);
  for (const char* name : kNewRootFiles)
    kind.converted = kind.converted || HasFile(dataFolder, name);
  for (const TvPlannedFolder& folder : FoldersPlanOf(dataFolder).folders) {
    if (!folder.usable) continue;
    const std::string& directory = folder.directory;
    TvStringList names;
    ListNames(names, directory + "*.Message", 0);
    for (const std::string& name : names) {
      if (name.size() == 40) kind.oldMessages.push_back(directory.substr(dataFolder.size()) + name);
      if (name.size() == 24) kind.converted = true;
    }
  }
  kind.old = kind.old || !kind.oldMessages.empty();
  return kind;
}

// Why the two folders are not an old and a new folder of the same data; empty when they are.
// Swaps the two when they were given the other way round.
std::string PairUp(std::string& oldData, std::string& newData, std::ostream& err) {
  FolderKind first = Classify(oldData), second = Classify(newData);
  if (first.converted && !second.converted) {
    err << "zvtool verify: '" << oldData << "' holds the 3.1 files: taking it as the converted "
        << "folder and '" << newData << "' as the copy taken before the conversion\n";
    std::swap(oldData, newData);
    std::swap(first, second);
  }
  if (!second.converted) {
    return "neither folder holds 3.1 files: give a copy taken before the conversion and the "
           "converted data folder";
  }
  // Both may hold 3.1 files (a copy taken after an earlier run that kept the old files); then
  // the one with 3.0 data is the old side.
  if (first.converted && !first.old && second.old) {
    err << "zvtool verify: only '" << newData << "' holds 3.0 data: taking it as the copy taken "
        << "before the conversion\n";
    std::swap(oldData, newData);
    std::swap(first, second);
  }
  if (!first.old) return "'" + oldData + "' holds no 3.0 data";
  // The same data: an old message of the copy is in the converted folder, as its new file or as
  // the old file a rerun will take.
  if (!first.oldMessages.empty()) {
    for (const std::string& relative : first.oldMessages) {
      const size_t cut = relative.find_last_of(platform::kPathSeparator) + 1;
      const std::string name = relative.substr(cut);
      if (IsExistingFile(newData + relative) ||
          IsExistingFile(newData + relative.substr(0, cut) + NewMessageFileName(name))) {
        return std::string();
      }
    }
    return "none of the old messages of '" + oldData + "' is in '" + newData +
           "': they are not an old and a new folder of the same data";
  }
  return std::string();
}

// Compares size bytes of two files from the given offsets through one bounded buffer each.
// Returns true when equal; otherwise *where is the first differing offset (relative) or the
// point where one file ran out.
bool SameBytes(const std::string& a, uint64_t aOffset, const std::string& b, uint64_t bOffset,
               uint64_t size, uint64_t* where, std::string* why) {
  TvFile fa(0, 0), fb(0, 0);
  if (!fa.Open(a, kModeReadShared) || !fb.Open(b, kModeReadShared)) {
    *why = "cannot be opened";
    *where = 0;
    return false;
  }
  if (!fa.SeekTo(aOffset) || !fb.SeekTo(bOffset)) {
    *why = "cannot be positioned";
    *where = 0;
    return false;
  }
  constexpr uint32_t kChunk = 64 * 1024;
  std::vector<char> bufA(kChunk), bufB(kChunk);
  uint64_t done = 0;
  while (done < size) {
    uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(kChunk, size - done));
    if (!fa.Read(bufA.data(), n) || !fb.Read(bufB.data(), n)) {
      *why = "ends early";
      *where = done;
      return false;
    }
    if (std::memcmp(bufA.data(), bufB.data(), n) != 0) {
      uint32_t i = 0;
      while (bufA[i] == bufB[i]) ++i;
      *why = "differs";
      *where = done + i;
      return false;
    }
    done += n;
  }
  return true;
}

std::string Quote(const std::string& text) { return "'" + text + "'"; }

// The 3.1 file at newPath against the message the conversion's reader took from the old file.
// Returns an empty text when everything the conversion carries is there, else the first
// difference.
std::string CompareMessage(TvMessage& expected, const std::string& newPath) {
  msg31::MessageFile file;
  msg31::Problem problem;
  if (!msg31::ReadMessageFile(newPath, file, &problem)) {
    return "the 3.1 file is damaged: " + problem.text + " at byte " +
           std::to_string(problem.offset);
  }
  const msg31::Header want = msg31::Header::Decode(expected.Header());
  const msg31::Header& got = file.header;
  for (int i = 0; i < 4; ++i) {
    if (want.carried[i] != got.carried[i]) {
      return "carried value " + std::to_string(i + 1) + " differs (" +
             std::to_string(want.carried[i]) + " in the old file, " +
             std::to_string(got.carried[i]) + " in the new)";
    }
  }
  const std::pair<const char*, std::pair<const std::string*, const std::string*>> texts[] = {
      {"A", {&want.textA, &got.textA}},
      {"B", {&want.textB, &got.textB}},
      {"C", {&want.textC, &got.textC}},
      {"D", {&want.textD, &got.textD}},
  };
  for (const auto& [label, pair] : texts) {
    if (*pair.first != *pair.second) {
      return std::string("text field ") + label + " differs (" + Quote(*pair.first) + " against " +
             Quote(*pair.second) + ")";
    }
  }
  auto& recipients = expected.Recipients();
  if (recipients.GetSize() != file.recipients.size()) {
    return "recipient count differs (" + std::to_string(recipients.GetSize()) + " against " +
           std::to_string(file.recipients.size()) + ")";
  }
  for (uint32_t i = 0; i < recipients.GetSize(); ++i) {
    uint8_t record[msg31::kRecipientRecordSize] = {};
    recipients[i]->EncodeRecord(record);
    msg31::RecipientRecord w = msg31::RecipientRecord::Decode(record);
    const msg31::RecipientRecord& g = file.recipients[i];
    if (w.name != g.name || w.kind != g.kind || w.number1 != g.number1 || w.number2 != g.number2) {
      return "recipient " + std::to_string(i + 1) + " differs (" + Quote(w.name) + " kind " +
             std::to_string(w.kind) + " against " + Quote(g.name) + " kind " +
             std::to_string(g.kind) + ")";
    }
  }
  if (expected.BodySize() != file.body.size()) {
    return "body size differs (" + std::to_string(expected.BodySize()) + " against " +
           std::to_string(file.body.size()) + " bytes)";
  }
  if (expected.BodySize() != 0 &&
      std::memcmp(expected.Body(), file.body.data(), expected.BodySize()) != 0) {
    uint32_t i = 0;
    while (expected.Body()[i] == static_cast<uint8_t>(file.body[i])) ++i;
    return "body differs at byte " + std::to_string(i);
  }
  auto& attachments = expected.Attachments();
  if (attachments.GetSize() != file.attachments.size()) {
    return "attachment count differs (" + std::to_string(attachments.GetSize()) + " against " +
           std::to_string(file.attachments.size()) + ")";
  }
  for (uint32_t i = 0; i < attachments.GetSize(); ++i) {
    const TvMessageAttachment& w = *attachments[i];
    const msg31::AttachmentRecord& g = file.attachments[i];
    const std::string which = "attachment " + std::to_string(i + 1) + " " + Quote(w.m_fileName);
    if (w.m_fileName != g.name) return which + ": name differs (" + Quote(g.name) + ")";
    uint64_t size = FileLength(w.m_csText);
    if (size != g.size) {
      return which + ": size differs (" + std::to_string(size) + " against " +
             std::to_string(g.size) + ")";
    }
    uint64_t where = 0;
    std::string why;
    if (!SameBytes(w.m_csText, 0, newPath, g.offset, size, &where, &why)) {
      return which + ": contents " + why + " at byte " + std::to_string(where);
    }
  }
  return std::string();
}

// Two files of the same bytes.
bool SameFile(const std::string& a, const std::string& b) {
  if (!IsExistingFile(a) || !IsExistingFile(b) || FileLength(a) != FileLength(b)) return false;
  uint64_t where = 0;
  std::string why;
  return SameBytes(a, 0, b, 0, FileLength(a), &where, &why);
}

void VerifyMessages(const TvFoldersPlan& plan, const std::string& newData,
                    const std::string& scratch, Tally& t) {
  OldMessageLoader loader(scratch);
  // New path (case-folded) -> the old files that load and map to it, in listing order.
  std::vector<std::pair<std::string, std::vector<std::string>>> targets;
  std::map<std::string, size_t> index;
  std::vector<std::pair<const TvPlannedFolder*, std::vector<std::string>>> work;
  uint64_t total = 0;
  for (const TvPlannedFolder& folder : plan.folders) {
    if (!folder.usable) continue;
    work.emplace_back(&folder, OldMessageNames(folder.directory));
    total += work.back().second.size();
  }
  Progress progress("verifying messages", total);
  for (const auto& [folder, names] : work) {
    for (const std::string& name : names) {
      progress.Step();
      ++t.found;
      const std::string oldPath = folder->directory + name;
      std::string boxes;
      if (!loader.Load(oldPath, &boxes)) {
        ++t.notConvertible;
        const msg30::Problem& problem = loader.Message().LoadProblem();
        t.Problem("not convertible: " + oldPath + ": " + problem.text + " at byte " +
                  std::to_string(problem.offset) + (boxes.empty() ? "" : " (" + boxes + ")"));
        continue;
      }
      const std::string newPath =
          Rebase(folder->directory, plan.dataFolder, newData) + NewMessageFileName(name);
      const std::string key = FoldCase(newPath);
      auto it = index.find(key);
      if (it == index.end()) {
        index.emplace(key, targets.size());
        targets.push_back({newPath, {oldPath}});
      } else {
        targets[it->second].second.push_back(oldPath);
      }
    }
  }
  for (const TvStrandedFolder& left : plan.stranded) {
    t.found += left.oldMessageFiles;
    t.notConvertible += left.oldMessageFiles;
    t.Problem("not convertible: " + std::to_string(left.oldMessageFiles) + " message file(s) in " +
              left.directory + ": folder '" + left.folder.name + "' is dropped (" +
              left.folder.reason + ")");
  }
  Progress comparing("comparing messages", targets.size());
  DirectoryIndex newFiles;
  for (const auto& [expectedPath, olds] : targets) {
    comparing.Step();
    const std::string found = newFiles.Find(expectedPath);
    const std::string& newPath = found.empty() ? expectedPath : found;
    if (found.empty()) {
      const std::string oldInNew = Rebase(olds.front(), plan.dataFolder, newData);
      if (IsExistingFile(oldInNew)) {
        t.Pending(oldInNew, 1);
        t.notConvertible += olds.size() - 1;
        continue;
      }
      ++t.missing;
      t.Problem("missing: " + olds.front() + ": no 3.1 file " + newPath);
      t.notConvertible += olds.size() - 1;
      continue;
    }
    // Two old files that map to one new name: one of them (the first the converter listed)
    // owns the new file; the others are not convertible.
    std::string firstDifference;
    bool matched = false;
    for (const std::string& oldPath : olds) {
      if (!loader.Load(oldPath, nullptr)) continue;
      std::string difference = CompareMessage(loader.Message(), newPath);
      if (difference.empty()) {
        matched = true;
        break;
      }
      if (firstDifference.empty()) firstDifference = difference;
    }
    const std::string oldInNew = Rebase(olds.front(), plan.dataFolder, newData);
    if (matched) {
      ++t.converted;
    } else if (SameFile(olds.front(), oldInNew) &&
               SameFile(newPath, Rebase(newPath, newData, plan.dataFolder))) {
      // The 3.1 file was there before the conversion, as it is now, and the old file is kept:
      // the conversion did not save the message over another file, and nothing is lost.
      ++t.notConvertible;
      t.Problem("not convertible: " + oldInNew + ": its 3.1 file " + newPath +
                " was there before the conversion and holds another message");
    } else {
      ++t.different;
      t.Problem("different: " + olds.front() + " -> " + newPath + ": " + firstDifference);
    }
    if (olds.size() > 1) {
      t.notConvertible += olds.size() - 1;
      t.Problem("not convertible: " + std::to_string(olds.size() - 1) + " other old file(s) map to " +
                newPath + " (first: " + olds[1] + ")");
    }
  }
}

bool SameFolder(const folders::FolderRecord& want, const folders::FolderRecord& got) {
  return want.version == got.version && want.type == got.type && want.data == got.data &&
         want.name == got.name && want.text == got.text && want.status == got.status &&
         want.flags == got.flags && want.id == got.id;
}

// The old copy's plan against the new folder: the new "Folders.List" must be the list the plan
// writes; each old record is found in it, carried by its standard folder, or dropped by a rule.
void VerifyFoldersList(const TvFoldersPlan& plan, const std::string& newData, Tally& t) {
  const TvListPlan& list = plan.list;
  std::string oldBytes;
  folders::FoldersFile oldFile;
  if (folders::ReadWholeFile(FixedFile(plan.dataFolder, folders::kOldFileName), oldBytes)) {
    std::string ignored;
    folders::DecodeFoldersFile(oldBytes, oldFile, &ignored);
  }
  // Counted from the records read, never from a header's promise.
  t.found = oldFile.records.size();
  if (list.verdict != TvListVerdict::kConverts) {
    t.notConvertible = t.found;
    if (t.found != 0 || list.verdict == TvListVerdict::kNotConverted) {
      t.Problem("not convertible: " + list.reason);
    }
    return;
  }
  const std::string newPath = FixedFile(WithSeparator(newData), folders::kNewFileName);
  if (KeptBesideOldFile(newData, folders::kOldFileName, newPath, list.newBytes,
                        TvDatabase::ReadFoldersListContent, "Folders list", t.found, t)) {
    return;
  }
  std::string bytes;
  if (!folders::ReadWholeFile(newPath, bytes)) {
    if (HasFile(WithSeparator(newData), folders::kOldFileName)) {
      t.Pending(FixedFile(WithSeparator(newData), folders::kOldFileName), t.found);
      return;
    }
    t.missing = t.found;
    t.Problem("missing: " + newPath);
    return;
  }
  if (bytes != list.newBytes) {
    t.Problem("different: " + newPath + " is not the list the conversion writes");
  }
  folders::FoldersFile want;
  folders::FoldersFile got;
  std::string problem;
  folders::DecodeFoldersFile(list.newBytes, want, &problem);
  if (!folders::DecodeFoldersFile(bytes, got, &problem)) {
    t.Problem("different: " + newPath + ": " + problem);
  }
  // The six standard folders, then the kept folders, as the plan lists them.
  std::vector<bool> present(want.records.size(), false);
  for (size_t i = 0; i < want.records.size() && i < got.records.size(); ++i) {
    present[i] = SameFolder(want.records[i], got.records[i]);
    if (!present[i]) {
      t.Problem("different: folder " + std::to_string(i + 1) + " of " + newPath + " is '" +
                got.records[i].name + "' (id " + std::to_string(got.records[i].id) +
                "), expected '" + want.records[i].name + "' (id " +
                std::to_string(want.records[i].id) + ")");
    }
  }
  auto planned = [&](int32_t id) -> int {
    for (size_t i = 0; i < want.records.size(); ++i) {
      if (want.records[i].id == id) return static_cast<int>(i);
    }
    return -1;
  };
  // Each old record: kept ones must be in the new list as they were; old copies of the standard
  // folders are carried by the standard folders themselves; other dropped ones are not convertible.
  for (const folders::FolderRecord& record : oldFile.records) {
    bool kept = true;
    for (const TvDroppedFolder& d : plan.dropped) {
      if (d.id == record.id && d.name == record.name) kept = false;
    }
    int i = -1;
    if (kept) {
      i = planned(record.id);
    } else {
      // An old copy of a standard folder: the standard folder of its id, or of its name.
      const StandardFolder* standard = nullptr;
      for (const StandardFolder& folder : kStandardFolders) {
        if (folder.id == record.id || EqualNoCase(record.name, folder.listName) ||
            EqualNoCase(record.name, folder.directory)) {
          if (standard == nullptr || folder.id == record.id) standard = &folder;
        }
      }
      // A dropped folder whose own directory still holds messages is not carried by a standard
      // folder that shares its id: the conversion names it NOT converted.
      bool stranded = false;
      for (const TvStrandedFolder& left : plan.stranded) {
        stranded = stranded || (left.folder.id == record.id && left.folder.name == record.name);
      }
      if (standard == nullptr || stranded) {
        ++t.notConvertible;
        t.Problem("not convertible: folder '" + record.name + "' (id " + std::to_string(record.id) +
                  "): its name or id is taken");
        continue;
      }
      i = planned(standard->id);
    }
    if (i < 0 || static_cast<size_t>(i) >= got.records.size()) {
      ++t.missing;
      t.Problem("missing: folder '" + record.name + "' (id " + std::to_string(record.id) + ")");
    } else if (present[i]) {
      ++t.converted;
    } else {
      ++t.different;
    }
  }
}

void VerifyNamesIndex(const TvNamesIndexPlan& plan, const std::string& newData, Tally& t) {
  const std::vector<std::string>& records = plan.read.records;
  // Counted from the records read, never from a header's promise.
  t.found = records.size();
  if (!plan.problem.empty()) t.Problem("not convertible: " + plan.problem);
  const std::string newPath = FixedFile(WithSeparator(newData), folders::kNamesIndexFileName);
  std::string bytes;
  folders::NamesIndexFile got;
  std::string problem;
  if (!folders::ReadWholeFile(newPath, bytes)) {
    t.missing = records.size();
    if (t.missing != 0) t.Problem("missing: " + newPath);
    return;
  }
  if (!bytes.empty() && !folders::DecodeNamesIndex(bytes, got, &problem)) {
    t.Problem("different: " + newPath + ": " + problem);
  }
  if (plan.rewrites && got.headerWord != 0) {
    t.Problem("different: header word of " + newPath + " is not 0");
    ++t.different;
  }
  for (size_t i = 0; i < records.size(); ++i) {
    if (i >= got.records.size()) {
      ++t.missing;
    } else if (got.records[i] != records[i]) {
      ++t.different;
      t.Problem("different: names index record " + std::to_string(i + 1));
    } else {
      ++t.converted;
    }
  }
  if (t.missing != 0) t.Problem("missing: " + std::to_string(t.missing) + " names index records");
}

uint64_t CountAll(TvContactListGroup& group) { return group.CountItems(kContactTypeAny, 1); }

// Walks the expected tree and finds each item at the same place in the new one.
void CompareContacts(TvContactListGroup& want, TvContactListGroup* got, const std::string& where,
                     Tally& t) {
  for (uint32_t i = 0; i < want.m_children.GetSize(); ++i) {
    TvContactListItem* w = want.m_children[i];
    const std::string path = where.empty() ? w->m_csName : where + "/" + w->m_csName;
    TvContactListItem* g = got != nullptr ? got->FindItem(w->m_csName, w->GetType(), 0) : nullptr;
    auto* wGroup = dynamic_cast<TvContactListGroup*>(w);
    if (g == nullptr) {
      uint64_t lost = 1 + (wGroup != nullptr ? CountAll(*wGroup) : 0);
      t.missing += lost;
      t.Problem("missing: " + std::string(wGroup ? "group " : "user ") + path +
                (lost > 1 ? " with " + std::to_string(lost - 1) + " item(s) inside" : ""));
      continue;
    }
    std::string difference;
    if (w->m_csText != g->m_csText) difference = "second text";
    if (w->GetData() != g->GetData()) difference = "data word";
    if (w->m_dwordFlags != g->m_dwordFlags) difference = "flags";
    if (wGroup != nullptr && w->m_dwordStatus != g->m_dwordStatus) difference = "status";
    auto* wUser = dynamic_cast<TvContactListUser*>(w);
    auto* gUser = dynamic_cast<TvContactListUser*>(g);
    if (wUser != nullptr && gUser != nullptr) {
      if (wUser->m_dwordValue1 != gUser->m_dwordValue1 || wUser->m_dwordValue2 != gUser->m_dwordValue2)
        difference = "numbers";
      if (wUser->m_csValue1 != gUser->m_csValue1 || wUser->m_csValue2 != gUser->m_csValue2)
        difference = "texts";
    }
    if (difference.empty()) {
      ++t.converted;
    } else {
      ++t.different;
      t.Problem("different: " + path + ": " + difference);
    }
    if (wGroup != nullptr) CompareContacts(*wGroup, dynamic_cast<TvContactListGroup*>(g), path, t);
  }
}

void VerifyContacts(const std::string& oldData, const std::string& newData, Tally& t) {
  const std::string oldPath = FixedFile(oldData, TvContactList::kOldFileName);
  if (!IsExistingFile(oldPath)) return;
  TvFixedDataPaths oldPaths(oldData), newPaths(newData);
  TvLog oldLog(oldPaths), newLog(newPaths);
  TvContactList want(oldLog, oldPaths), got(newLog, newPaths);
  platform::ScopedRecordingUI recording;
  // The plan of the old copy: what the conversion writes from it.
  const TvListPlan plan = want.Plan();
  if (!want.ReadProblem().Ok()) {
    t.found = 1;
    t.notConvertible = 1;
    t.Problem("not convertible: " + oldPath + " is damaged");
    return;
  }
  if (plan.verdict == TvListVerdict::kNothingToConvert) return;
  // A list the old copy itself keeps (it differs there) is judged by the tree it would write.
  const std::string expected =
      plan.verdict == TvListVerdict::kConverts ? plan.newBytes : want.Encode();
  t.found = CountAll(want.m_root);
  // Users the group merge drops are never written; the converter keeps the old file for them.
  for (const TvDroppedContact& user : want.DroppedContacts()) {
    ++t.found;
    ++t.notConvertible;
    t.Problem("not convertible: " + user.Describe() + ": group '" + user.takenIn +
              "' already holds a contact of that name (the old file keeps it)");
  }
  const uint64_t convertible = t.found - t.notConvertible;
  const std::string newPath = FixedFile(WithSeparator(newData), TvContactList::kFileName);
  if (!IsExistingFile(newPath) && HasFile(WithSeparator(newData), TvContactList::kOldFileName)) {
    t.Pending(FixedFile(WithSeparator(newData), TvContactList::kOldFileName), convertible);
    return;
  }
  if (KeptBesideOldFile(newData, TvContactList::kOldFileName, newPath, expected,
                      TvContactList::ListContent, "Contact list", convertible, t)) {
    return;
  }
  if (HoldsBytes(newPath, expected)) {
    t.converted += convertible;
    return;
  }
  // Not the bytes planned: the trees tell what is missing or different.
  if (!IsExistingFile(newPath) || !got.LoadFile(newPath)) {
    t.missing = convertible;
    t.Problem("missing: " + newPath + (IsExistingFile(newPath) ? " cannot be read" : ""));
    return;
  }
  CompareContacts(want.m_root, &got.m_root, "", t);
  uint64_t extra = CountAll(got.m_root);
  if (extra > t.converted + t.different) {
    t.Problem("different: " + newPath + " holds " + std::to_string(extra - t.converted - t.different) +
              " item(s) that the old file did not");
    ++t.different;
  }
}

void VerifyReplies(const std::string& oldData, const std::string& newData, const char* oldName,
                   const char* newName, const char* label, Tally& t) {
  const std::string oldPath = FixedFile(oldData, oldName);
  if (!IsExistingFile(oldPath)) return;
  TvFixedDataPaths paths(oldData);
  TvLog log(paths);
  TvTextMessagesArray want(log, paths), got(log, paths);
  platform::ScopedRecordingUI recording;
  // The plan of the old copy: what the conversion writes from it.
  const TvListPlan plan = want.Plan(oldName, newName, label);
  if (!want.ReadProblem().Ok()) {
    t.found = 1;
    t.notConvertible = 1;
    t.Problem("not convertible: " + oldPath + " is damaged");
    return;
  }
  t.found = want.GetSize();
  const std::string newPath = FixedFile(WithSeparator(newData), newName);
  if (!IsExistingFile(newPath) && HasFile(WithSeparator(newData), oldName)) {
    t.Pending(FixedFile(WithSeparator(newData), oldName), t.found);
    return;
  }
  // An old file without texts leaves any list as it is (below); one with texts follows the rule.
  const std::string expected =
      plan.verdict == TvListVerdict::kConverts ? plan.newBytes : want.Encode();
  if (want.GetSize() != 0 && KeptBesideOldFile(newData, oldName, newPath, expected,
                                             TvTextMessagesArray::ListContent, label, t.found, t)) {
    return;
  }
  if (HoldsBytes(newPath, expected)) {
    t.converted += t.found;
    return;
  }
  if (!IsExistingFile(newPath) || !got.LoadFile(newPath)) {
    t.missing = t.found;
    if (t.found != 0 || !IsExistingFile(newPath)) t.Problem("missing: " + newPath);
    return;
  }
  // An old file without texts never replaces a list that holds texts: that list stays as it is.
  if (want.GetSize() == 0 && got.GetSize() != 0) return;
  if (want.m_dwordHeaderValue != got.m_dwordHeaderValue) {
    ++t.different;
    t.Problem("different: header value of " + newPath);
  }
  for (uint32_t i = 0; i < want.GetSize(); ++i) {
    if (i >= got.GetSize()) {
      ++t.missing;
      t.Problem("missing: text " + std::to_string(i + 1) + " '" + want[i]->m_csName + "'");
      continue;
    }
    const TvTextMessageItem& w = *want[i];
    const TvTextMessageItem& g = *got[i];
    if (w.m_csName == g.m_csName && w.m_csText == g.m_csText && w.m_dwordStatus == g.m_dwordStatus) {
      ++t.converted;
    } else {
      ++t.different;
      t.Problem("different: text " + std::to_string(i + 1) + " '" + w.m_csName + "'");
    }
  }
  if (got.GetSize() > want.GetSize()) {
    ++t.different;
    t.Problem("different: " + newPath + " holds more texts than the old file");
  }
}

}  // namespace

int RunVerify(const std::string& oldDir, const std::string& newDir, bool json, std::ostream& out,
              std::ostream& err) {
  for (const std::string* dir : {&oldDir, &newDir}) {
    if (!IsExistingDirectory(*dir) || !platform::CanListDirectory(*dir)) {
      err << "zvtool verify: '" << *dir << "' is no directory (or cannot be read)\n";
      return kExitError;
    }
  }
  ScratchFolder scratch;
  if (!scratch.Ok()) {
    err << "zvtool verify: cannot make a scratch folder in the temporary directory\n";
    return kExitError;
  }
  std::string oldData = WithSeparator(oldDir);
  std::string newData = WithSeparator(newDir);
  const std::string mismatch = PairUp(oldData, newData, err);
  if (!mismatch.empty()) {
    err << "zvtool verify: " << mismatch << '\n';
    return kExitError;
  }
  const TvFoldersPlan plan = FoldersPlanOf(oldData);

  std::vector<Tally> tallies(6);
  tallies[0].store = "folders list";
  tallies[1].store = "names index";
  tallies[2].store = "messages";
  tallies[3].store = "contact list";
  tallies[4].store = "fast replies";
  tallies[5].store = "auto answers";
  VerifyFoldersList(plan, newData, tallies[0]);
  VerifyNamesIndex(plan.namesIndex, newData, tallies[1]);
  VerifyMessages(plan, newData, scratch.Path(), tallies[2]);
  VerifyContacts(oldData, newData, tallies[3]);
  VerifyReplies(oldData, newData, TvFastReplysService::kOldFileName, TvFastReplysService::kFileName,
                "Fast replies", tallies[4]);
  VerifyReplies(oldData, newData, TvAutoAnswersService::kOldFileName,
                TvAutoAnswersService::kFileName, "Auto answers", tallies[5]);

  bool lost = false, listed = false;
  for (const Tally& t : tallies) {
    lost = lost || t.Lost();
    listed = listed || !t.problems.empty() || t.notConvertible != 0 || t.pending != 0;
  }
  // Clean only when nothing at all is listed; a loss outranks everything else.
  const char* verdict = lost     ? "LOSS OR DIFFERENCE FOUND"
                        : listed ? "NOT COMPLETE: nothing lost, but see the problems above"
                                 : "nothing lost";

  if (json) {
    Json report;
    report["old"] = JsonText(oldData);
    report["new"] = JsonText(newData);
    Json stores = Json::array();
    for (const Tally& t : tallies) {
      Json s;
      s["store"] = t.store;
      s["found"] = t.found;
      s["converted"] = t.converted;
      s["missing"] = t.missing;
      s["different"] = t.different;
      s["not_convertible"] = t.notConvertible;
      s["not_converted_yet"] = t.pending;
      Json problems = Json::array();
      for (const std::string& p : t.problems) problems.push_back(JsonText(p));
      s["problems"] = problems;
      stores.push_back(s);
    }
    report["stores"] = stores;
    report["result"] = verdict;
    out << report.dump(2) << '\n';
  } else {
    out << "old: " << oldData << "\nnew: " << newData << "\n\n";
    out << std::left << std::setw(14) << "store" << std::right << std::setw(10) << "found"
        << std::setw(11) << "converted" << std::setw(9) << "missing" << std::setw(11) << "different"
        << std::setw(17) << "not convertible" << std::setw(19) << "not converted yet" << '\n';
    for (const Tally& t : tallies) {
      out << std::left << std::setw(14) << t.store << std::right << std::setw(10) << t.found
          << std::setw(11) << t.converted << std::setw(9) << t.missing << std::setw(11)
          << t.different << std::setw(17) << t.notConvertible << std::setw(19) << t.pending << '\n';
    }
    bool any = false;
    for (const Tally& t : tallies) {
      for (const std::string& p : t.problems) {
        if (!any) out << '\n';
        any = true;
        out << t.store << ": " << p << '\n';
      }
    }
    out << '\n' << "result: " << verdict << '\n';
  }
  return lost || listed ? kExitNo : kExitOk;
}

}  // namespace zvtool
