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

void TvTextMessagesArray::Convert(const std::string& oldName, const std::string& newName,
                                  TvBool deleteOld, const char* label) {
  const std::string oldPath = ExistingFileName(DataFilePath(oldName));
  const std::string newPath = ExistingFileName(DataFilePath(newName));
  // A rerun after the old list was converted and deleted finds only the new list: reading the
  // missing old file would create it empty and replace the converted texts with an empty list.
  if (!FileExists(oldPath) && FileExists(newPath)) return;
  if (!LoadOld(oldName)) return;
  if (GetSize() == 0 && NewListMayHoldTexts(newName)) {
    // An old file without texts (left empty by an earlier run, or never used) must not empty a
    // list the user filled since: the new list stays, and the old file carries nothing to keep.
    m_log.Add("Old array file: " + oldPath + " , holds no texts, " + newName + " kept", kLogInfo,
              kLogNoCategory);
    if (deleteOld) DeleteOldFile(oldPath);
    return;
  }
  const std::string bytes = Encode();
  const TvExistingList found =
      JudgeExistingList(newPath, bytes, [this](const std::string& path) { return ReadList(path); });
  if (!MayReplace(found)) {
    // Texts added or edited in 3.1 since an earlier run: neither list is given up.
    m_log.Add(KeptListLine(label, oldPath, newPath, found), kLogError, kLogNoCategory);
    return;
  }
  TvBool saved = WriteListFile(newPath, bytes);
  if (saved) ++RunOutcome().listFilesConverted;
  if (!deleteOld || !saved) return;
  // The old file may go only when the new one reads back with every item as written.
  TvTextMessagesArray check(m_log, m_paths);
  bool same = check.LoadFile(newPath) && check.GetSize() == GetSize() &&
              check.m_dwordHeaderValue == m_dwordHeaderValue;
  for (uint32_t i = 0; same && i < GetSize(); ++i) {
    same = check.GetAt(i)->m_csName == GetAt(i)->m_csName &&
           check.GetAt(i)->m_csText == GetAt(i)->m_csText &&
           check.GetAt(i)->m_dwordStatus == GetAt(i)->m_dwordStatus;
  }
  if (same) {
    DeleteOldFile(oldPath);
  } else {
    m_log.Add("Old array file: " + oldPath + " , NOT deleted", kLogError, kLogNoCategory);
  }
}

void TvTextMessagesArray::DeleteOldFile(const std::string& oldPath) {
  if (DeleteFileIfExists(oldPath)) {
    m_log.Add("Old array file: " + oldPath + " , Deleted", kLogInfo, kLogNoCategory);
  } else {
    m_log.Add("Old array file: " + oldPath + " , NOT deleted", kLogError, kLogNoCategory);
  }
}

bool TvTextMessagesArray::NewListMayHoldTexts(const std::string& newName) const {
  const std::string path = ExistingFileName(DataFilePath(newName));
  if (!FileExists(path)) return false;
  // A list that cannot be read may hold texts, so it is kept too.
  const TvListContent content = ReadList(path);
  return !content.readsAsFormat || content.holdsSomething;
}

TvListContent TvTextMessagesArray::ReadList(const std::string& path) const {
  TvTextListFile records;
  TvListContent content;
  content.readsAsFormat = ReadRecords(path, kModeReadShared, records, 0).Ok();
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
                                                     TvTextListFile& out, TvBool show) {
  TvFile file(0, show);
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
