#include "replies/tv_text_messages.h"

#include "foundation/run_outcome.h"
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

// Names where and why the reading stopped, when a layout is kept. Returns 0, the reader's result.
TvBool Stop(TvTextListLayout* layout, TextListProblem kind, uint64_t offset, std::string text) {
  if (layout != nullptr) layout->problem = {kind, offset, std::move(text)};
  return 0;
}

}  // namespace

const char* ProblemKey(TextListProblem kind) {
  // In the order of TextListProblem.
  static const char* const kKeys[] = {"none", "cannot-open", "length-unknown", "header-cut",
                                      "item-cut"};
  return KeyOf(kind, kKeys);
}

// ---------------------------------------------------------------------------------------------
// TvTextMessageItem

TvBool TvTextMessageItem::LoadRecord(TvFile& file, TvTextListLayout::Record* dropped) {
  TvTextListLayout::Record ignored;
  if (dropped == nullptr) dropped = &ignored;
  if (!LoadObject(file, &dropped->type)) return 0;
  return file.ReadUInt32(dropped->value);
}

TvBool TvTextMessageItem::SaveRecord(TvFile& file) {
  if (!SaveObject(file)) return 0;
  return file.WriteUInt32(m_dwordValue);
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
  const TvExistingList found = JudgeExistingList(
      newPath, bytes, [this](const std::string& path) { return ReadList(path); });
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
  TvTextMessagesArray present(m_log, m_paths);
  TvFile file(0, 0);
  TvListContent content;
  content.readsAsFormat = file.Open(path, kModeReadShared) && present.ReadFrom(file);
  content.holdsSomething = present.GetSize() != 0;
  return content;
}

TvBool TvTextMessagesArray::LoadOld(const std::string& name) {
  TvFile file(0, 1);
  if (!file.Open(ExistingFileName(DataFilePath(name)), kModeReadWriteOpenOrCreate)) return 0;
  return ReadFrom(file);
}

TvBool TvTextMessagesArray::LoadFile(const std::string& path, TvTextListLayout* layout) {
  TvFile file(0, 1);
  if (!file.Open(path, kModeReadShared)) {
    return Stop(layout, TextListProblem::kCannotOpen, 0, "cannot be opened");
  }
  return ReadFrom(file, layout);
}

TvBool TvTextMessagesArray::ReadFrom(TvFile& file, TvTextListLayout* layout) {
  uint64_t length = 0;
  if (!QueryLength(file, &length)) {
    return Stop(layout, TextListProblem::kLengthUnknown, 0, "the length cannot be learnt");
  }
  if (layout != nullptr) layout->length = length;
  if (length == 0) return 1;
  uint32_t headerWord = 0;
  uint32_t count = 0;
  if (!file.ReadUInt32(headerWord) || !file.ReadUInt32(m_dwordHeaderValue) ||
      !file.ReadUInt32(count)) {
    return Stop(layout, TextListProblem::kHeaderCut, 0, "the 12-byte header is cut short");
  }
  if (layout != nullptr) {
    layout->headerRead = true;
    layout->headerWord = headerWord;
    layout->count = count;
  }
  // Each item consumes its record or ends the load, so a count larger than the file holds stops
  // at the first short read; nothing is allocated ahead by the count.
  for (uint32_t i = 0; i < count; ++i) {
    TvTextListLayout::Record record;
    if (layout != nullptr) record.offset = file.GetPosition();
    auto* item = new TvTextMessageItem;
    if (!item->LoadRecord(file, &record)) {
      delete item;
      return Stop(layout, TextListProblem::kItemCut, record.offset,
                  "text " + std::to_string(i + 1) + " is cut short");
    }
    Add(item);
    if (layout != nullptr) layout->records.push_back(record);
  }
  if (layout != nullptr) layout->end = file.GetPosition();
  file.Close();
  return 1;
}

TvBool TvTextMessagesArray::Save(const std::string& name) { return SaveFile(DataFilePath(name)); }

TvBool TvTextMessagesArray::SaveFile(const std::string& path) {
  return WriteListFile(path, Encode());
}

std::string TvTextMessagesArray::Encode() {
  TvMemoryFile file;
  file.WriteUInt32(0);
  file.WriteUInt32(m_dwordHeaderValue);
  file.WriteUInt32(GetSize());
  for (uint32_t i = 0; i < GetSize(); ++i) GetAt(i)->SaveRecord(file);
  return file.Bytes();
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
