#include "replies/tv_text_messages.h"

#include "foundation/run_outcome.h"
#include "foundation/small_file_source.h"
#include "foundation/tv_file.h"
#include "foundation/utilities.h"
#include "platform/system_error.h"

namespace {

// The length of an open file. GetLength gives 0 both for an empty file and after a failed query
// (which it has already reported); only the first may be read as an empty list, or a passing
// fault would replace a full list with an empty one and delete the old file.
TvBool QueryLength(TvFile& file, uint64_t* length) {
  uint32_t saved = platform::LastError();
  platform::SetLastError(0);
  *length = file.GetLength();
  if (*length == 0 && platform::LastError() != 0) return 0;
  platform::SetLastError(saved);
  return 1;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TvTextMessageItem

void TvTextMessageItem::TakeRecord(const TvTextMessageImage& record) {
  SetData(record.data);
  m_csName = record.name;
  m_csText = record.text;
  m_dwordStatus = record.status;
}

TvTextMessageImage TvTextMessageItem::Record() {
  TvTextMessageImage record;
  record.type = GetType();
  record.data = GetData();
  record.name = m_csName;
  record.text = m_csText;
  record.status = m_dwordStatus;
  record.trailing = m_dwordValue;
  return record;
}

// ---------------------------------------------------------------------------------------------
// TvTextMessagesArray

TvTextMessagesArray::TvTextMessagesArray(TvLog& log, const TvDataPaths& paths)
    : m_log(log), m_paths(paths) {}

TvTextMessagesArray::~TvTextMessagesArray() = default;

std::string TvTextMessagesArray::DataFilePath(const std::string& name) const {
  std::string path = m_paths.UserDataFolder();
  AppendBackslash(path);
  path += name;
  return path;
}

TvListPlan TvTextMessagesArray::Plan(const std::string& oldName, const std::string& newName,
                                     const char* label) {
  TvListPlan plan;
  plan.label = label;
  plan.oldPath = ExistingFileName(DataFilePath(oldName));
  plan.newPath = ExistingFileName(DataFilePath(newName));
  plan.deletedWord = "Old array file";
  plan.notDeletedWord = "Old array file";
  DeleteAll();
  m_dwordHeaderValue = 0;
  m_problem = {};
  if (!FileExists(plan.oldPath)) {
    if (FileExists(plan.newPath)) {
      // A rerun after the old list was converted and deleted: reading the missing old file would
      // create it empty and replace the converted texts with an empty list.
      plan.verdict = TvListVerdict::kAlreadyConverted;
      plan.reason = "\"" + newName + "\" is left as it is";
      return plan;
    }
    // Read as the conversion opens it, open-or-create: an empty old file, an empty list.
    plan.createsOldFile = true;
    plan.reason = "missing: the conversion creates it and writes an empty \"" + newName + "\"";
  } else {
    TvTextListFile records;
    m_problem = ReadRecords(plan.oldPath, kModeReadShared, records);
    TakeRecords(records);
    if (!m_problem.Ok()) {
      plan.verdict = TvListVerdict::kNotConverted;
      plan.reason = "the file is damaged (" + m_problem.text + "), no \"" + newName +
                    "\" is written";
      return plan;
    }
  }
  plan.newBytes = Encode();
  plan.existing = JudgeExistingList(plan.newPath, plan.newBytes, ListContent);
  plan.oldFileMayGo = true;
  const bool mayHoldTexts = plan.existing == TvExistingList::kUnreadable ||
                            plan.existing == TvExistingList::kNotAList ||
                            plan.existing == TvExistingList::kDiffers;
  if (GetSize() == 0 && mayHoldTexts) {
    // An old file without texts (left empty by an earlier run, or never used) must not empty a
    // list the user filled since: the list stays, and the old file carries nothing to keep.
    plan.verdict = TvListVerdict::kKeepsNewList;
    plan.reason = "the old file holds no texts, \"" + newName + "\" stays as it is";
    plan.lines.push_back(
        {"Old array file: " + plan.oldPath + " , holds no texts, " + newName + " kept", kLogInfo});
    plan.newBytes.clear();
    return plan;
  }
  if (!MayReplace(plan.existing)) {
    // Texts added or edited in 3.1 since an earlier run: neither list is given up.
    plan.verdict = TvListVerdict::kNotConverted;
    plan.reason = KeptListLine(label, plan.oldPath, plan.newPath, plan.existing);
    plan.lines.push_back({plan.reason, kLogError});
    plan.oldFileMayGo = false;
    plan.newBytes.clear();
    return plan;
  }
  plan.verdict = TvListVerdict::kConverts;
  if (!plan.createsOldFile) plan.reason = std::to_string(GetSize()) + " text(s)";
  return plan;
}

void TvTextMessagesArray::Convert(const std::string& oldName, const std::string& newName,
                                  TvBool deleteOld, const char* label) {
  ApplyListPlan(Plan(oldName, newName, label), deleteOld, m_log);
}

TvListContent TvTextMessagesArray::ListContent(const std::string& bytes) {
  TvTextListFile records;
  BufferSource source(bytes);
  TvListContent content;
  content.readsAsFormat = ReadTextList(source, records).Ok();
  content.holdsSomething = !records.image.items.empty();
  return content;
}

TvBool TvTextMessagesArray::LoadOld(const std::string& name) {
  return ReadFrom(ExistingFileName(DataFilePath(name)), kModeReadWriteOpenOrCreate);
}

TvBool TvTextMessagesArray::LoadFile(const std::string& path) {
  return ReadFrom(path, kModeReadShared);
}

TvBool TvTextMessagesArray::ReadFrom(const std::string& path, uint32_t mode) {
  TvTextListFile records;
  const TextListReadProblem problem = ReadRecords(path, mode, records);
  TakeRecords(records);
  return problem.Ok() ? 1 : 0;
}

void TvTextMessagesArray::TakeRecords(const TvTextListFile& records) {
  if (records.headerRead) m_dwordHeaderValue = records.image.headerValue;
  for (const TvTextMessageImage& record : records.image.items) {
    auto* item = new TvTextMessageItem;
    item->TakeRecord(record);
    Add(item);
  }
}

TextListReadProblem TvTextMessagesArray::ReadRecords(const std::string& path, uint32_t mode,
                                                     TvTextListFile& out) {
  TvFile file(0, 1);
  if (!file.Open(path, mode)) return {TextListProblem::kCannotOpen, 0, "cannot be opened"};
  uint64_t length = 0;
  if (!QueryLength(file, &length)) {
    return {TextListProblem::kLengthUnknown, 0, "the length cannot be learnt"};
  }
  SmallFileSource source(file, length);
  if (!source.Read()) return {TextListProblem::kCannotOpen, 0, "cannot be read"};
  return ReadTextList(source.Source(), out);
}

TvBool TvTextMessagesArray::Save(const std::string& name) { return SaveFile(DataFilePath(name)); }

TvBool TvTextMessagesArray::SaveFile(const std::string& path) {
  return WriteListFile(path, Encode());
}

std::string TvTextMessagesArray::Encode() {
  TvTextMessagesImage image;
  image.headerValue = m_dwordHeaderValue;
  for (uint32_t i = 0; i < GetSize(); ++i) image.items.push_back(GetAt(i)->Record());
  return EncodeTextMessages(image);
}

// ---------------------------------------------------------------------------------------------
// TvFastReplysService

TvFastReplysService::TvFastReplysService(TvLog& log, const TvDataPaths& paths)
    : TvTextMessagesArray(log, paths) {}

TvFastReplysService::~TvFastReplysService() = default;

void TvFastReplysService::Convert(TvBool deleteOld) {
  TvTextMessagesArray::Convert(kOldFileName, kFileName, deleteOld, "Fast replies");
}

std::vector<platform::PopupMenuItem> TvFastReplysService::BuildMenu() const {
  std::vector<platform::PopupMenuItem> items;
  items.push_back({kMenuFirstCommand, std::string(), false});
  items.push_back({kMenuSeparator, std::string(), true});
  for (uint32_t i = 0; i < GetSize(); ++i) {
    items.push_back({kMenuFirstReply + i, GetAt(i)->m_csName, false});
  }
  return items;
}

int32_t TvFastReplysService::ReplyIndexOf(uint32_t command) {
  if (command < kMenuFirstReply) return -1;
  return static_cast<int32_t>(command - kMenuFirstReply);
}

uint32_t TvFastReplysService::TrackMenu(const std::vector<platform::PopupMenuItem>& items,
                                        int32_t x, int32_t y, platform::WindowHandle owner) {
  return platform::TrackPopupMenu(items, x, y, owner);
}

int32_t TvFastReplysService::ShowMenu(void* target, const platform::ScreenRect& rect,
                                      platform::WindowHandle owner) {
  uint32_t command = TrackMenu(BuildMenu(), rect.left, rect.bottom, owner);
  if (command == kMenuFirstCommand) OnFirstCommand();
  int32_t index = ReplyIndexOf(command);
  if (index != -1) OnReplyChosen(target, index);
  return 0;
}

// ---------------------------------------------------------------------------------------------
// TvAutoAnswersService

TvAutoAnswersService::TvAutoAnswersService(TvLog& log, const TvDataPaths& paths)
    : TvTextMessagesArray(log, paths) {}

TvAutoAnswersService::~TvAutoAnswersService() = default;

void TvAutoAnswersService::Convert(TvBool deleteOld) {
  TvTextMessagesArray::Convert(kOldFileName, kFileName, deleteOld, "Auto answers");
}
