#include "contacts/tv_contact_list.h"

#include <chrono>

#include "foundation/run_outcome.h"
#include "foundation/tv_file.h"
#include "foundation/utilities.h"

namespace {

constexpr uint32_t kItemReservedBytes = 8;
constexpr uint32_t kRecordReservedBytes = 32;

// Reads and drops a 32-bit value.
TvBool SkipUInt32(TvFile& file) {
  uint32_t ignored = 0;
  return file.ReadUInt32(ignored);
}

// Reads and drops a counted string.
TvBool SkipString(TvFile& file) {
  std::string ignored;
  return file.ReadString(ignored);
}

// Reads and drops a reserved block, whatever it holds.
TvBool SkipBytes(TvFile& file, uint32_t count) {
  uint8_t buffer[kRecordReservedBytes];
  while (count != 0) {
    uint32_t piece = count < sizeof(buffer) ? count : static_cast<uint32_t>(sizeof(buffer));
    if (!file.Read(buffer, piece)) return 0;
    count -= piece;
  }
  return 1;
}

// Where the next record starts: asked of the file only when a layout wants offsets, so the
// conversion's reading makes no extra calls.
uint64_t Where(TvFile& file, const TvContactListLayout* layout) {
  return layout != nullptr ? file.GetPosition() : 0;
}

// Names where and why the reading stopped, when a layout is kept. Returns 0, the reader's result.
TvBool Stop(TvContactListLayout* layout, ContactListProblem kind, uint64_t offset,
            std::string text) {
  if (layout != nullptr) layout->problem = {kind, offset, std::move(text)};
  return 0;
}

// Notes the fields of an item's record as just read; a child's preceding type code and path text
// stay as they were noted.
void NoteItem(TvContactRecord& record, TvContactListItem& item, uint32_t type, uint64_t offset) {
  record.offset = offset;
  record.read = true;
  record.type = type;
  record.data = item.GetData();
  record.name = item.m_csName;
  record.text = item.m_csText;
  record.status = item.m_dwordStatus;
  record.flags = item.m_dwordFlags;
  record.itemText = item.m_csItemText;
}

void NoteUser(TvContactRecord& record, TvContactListUser& user, uint32_t type, uint64_t offset) {
  NoteItem(record, user, type, offset);
  record.value1 = user.m_dwordValue1;
  record.value2 = user.m_dwordValue2;
  record.textValue1 = user.m_csValue1;
  record.textValue2 = user.m_csValue2;
}

// The user's first number as an address: most significant byte first, "192.168.1.148".
std::string AddressText(uint32_t value) {
  return std::to_string(value >> 24) + "." + std::to_string((value >> 16) & 0xFF) + "." +
         std::to_string((value >> 8) & 0xFF) + "." + std::to_string(value & 0xFF);
}

}  // namespace

const char* ProblemKey(ContactListProblem kind) {
  // In the order of ContactListProblem.
  static const char* const kKeys[] = {"none",      "cannot-open", "header-cut", "bad-version",
                                      "group-cut", "user-cut",    "child-cut",  "too-deep"};
  return KeyOf(kind, kKeys);
}

std::string TvDroppedContact::Describe() const {
  std::string text = "user '" + user + "' (" + address;
  if (!secondText.empty()) text += ", '" + secondText + "'";
  return text + ") of group '" + group + "'";
}

// ---------------------------------------------------------------------------------------------
// TvContactListItem

TvBool TvContactListItem::FillDisplayInfo(TvTreeItemInfo& item) {
  if (item.mask & TvTreeItemInfo::kImage) item.image = GetImage();
  if (item.mask & TvTreeItemInfo::kSelectedImage) item.selectedImage = GetImage();
  if (item.mask & TvTreeItemInfo::kChildren) item.children = CountItems(kContactTypeAny, 0);
  if (item.mask & TvTreeItemInfo::kText) item.text = m_csName;
  return 1;
}

TvBool TvContactListItem::Save(TvFile& file) {
  if (!SaveObject(file)) return 0;
  if (!file.WriteUInt32(m_dwordFlags)) return 0;
  if (!file.WriteString(m_csItemText)) return 0;
  return file.WriteZeros(kItemReservedBytes) ? 1 : 0;
}

TvBool TvContactListItem::Load(TvFile& file) { return ReadItemPart(file, nullptr); }

TvBool TvContactListItem::ReadItemPart(TvFile& file, uint32_t* typeCode) {
  if (!LoadObject(file, typeCode)) return 0;
  if (!file.ReadUInt32(m_dwordFlags)) return 0;
  if (!file.ReadString(m_csItemText)) return 0;
  return SkipBytes(file, kItemReservedBytes);
}

void TvContactListItem::GetPath(std::string& text, TvBool clear) {
  if (clear) text.clear();
  if (m_pParent != nullptr) m_pParent->GetPath(text, 0);
  if (GetType() == kContactTypeGroup) {
    if (!text.empty()) text += '/';
    text += m_csName;
  }
}

// ---------------------------------------------------------------------------------------------
// TvContactListUser

TvContactListUser::TvContactListUser() {
  m_dwordImage = 0;
  SetStatus(0);
  m_dwordStatusTime = 0;
}

uint32_t TvContactListUser::CurrentMinutes() {
  auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
                     std::chrono::system_clock::now().time_since_epoch())
                     .count();
  return seconds < 0 ? 0 : static_cast<uint32_t>(seconds / 60);
}

void TvContactListUser::SetStatus(uint32_t value) {
  m_dwordStatus = value;
  m_dwordStatusTime = CurrentMinutes();
}

uint32_t TvContactListUser::CountItems(uint32_t, TvBool) { return 0; }

TvBool TvContactListUser::Save(TvFile& file) {
  if (!TvContactListItem::Save(file)) return 0;
  if (!file.WriteZeros(kRecordReservedBytes)) return 0;
  if (!file.WriteUInt32(m_dwordValue1)) return 0;
  if (!file.WriteUInt32(m_dwordValue2)) return 0;
  if (!file.WriteString(m_csValue1)) return 0;
  return file.WriteString(m_csValue2) ? 1 : 0;
}

TvBool TvContactListUser::ReadRecord(TvFile& file, uint32_t* typeCode) {
  if (!ReadItemPart(file, typeCode)) return 0;
  if (!SkipBytes(file, kRecordReservedBytes)) return 0;
  if (!file.ReadUInt32(m_dwordValue1)) return 0;
  if (!file.ReadUInt32(m_dwordValue2)) return 0;
  if (!file.ReadString(m_csValue1)) return 0;
  return file.ReadString(m_csValue2) ? 1 : 0;
}

TvBool TvContactListUser::Load(TvFile& file) {
  TvBool read = ReadRecord(file);
  // A loaded user is offline until the network says otherwise.
  m_dwordStatus = 0;
  m_dwordStatusTime = 0;
  return (read && !HasFlag(kContactFlagHidden)) ? 1 : 0;
}

TvBool TvContactListUser::LoadOld(TvFile& file, uint32_t* typeCode) {
  if (!LoadObject(file, typeCode)) return 0;
  if (!SkipUInt32(file)) return 0;
  if (!file.ReadUInt32(m_dwordFlags)) return 0;
  if (!SkipString(file)) return 0;
  if (!SkipUInt32(file)) return 0;  // status time: replaced by the conversion's time
  if (!SkipUInt32(file)) return 0;
  if (!file.ReadUInt32(m_dwordValue1)) return 0;
  if (!file.ReadUInt32(m_dwordValue2)) return 0;
  if (!file.ReadString(m_csValue1)) return 0;
  return file.ReadString(m_csValue2) ? 1 : 0;
}

// ---------------------------------------------------------------------------------------------
// TvContactListGroup

TvContactListGroup::TvContactListGroup() { m_dwordImage = 8; }

uint32_t TvContactListGroup::CountItems(uint32_t typeMask, TvBool recursive) {
  uint32_t count = 0;
  for (uint32_t i = 0; i < m_children.GetSize(); ++i) {
    TvContactListItem* child = m_children[i];
    if (typeMask & child->GetType()) ++count;
    if (recursive) count += child->CountItems(typeMask, recursive);
  }
  return count;
}

TvContactListItem* TvContactListGroup::FindItem(const std::string& name, uint32_t typeMask,
                                                TvBool recursive) {
  for (uint32_t i = 0; i < m_children.GetSize(); ++i) {
    TvContactListItem* child = m_children[i];
    if ((typeMask & child->GetType()) && child->HasName(name)) return child;
    if (recursive == 1 && child->GetType() == kContactTypeGroup) {
      TvContactListItem* found =
          static_cast<TvContactListGroup*>(child)->FindItem(name, typeMask, 1);
      if (found != nullptr) return found;
    }
  }
  return nullptr;
}

TvBool TvContactListGroup::AddItem(TvContactListItem* item) {
  if (FindItem(item->m_csName, kContactTypeAny, 0) != nullptr) return 0;
  item->SetParent(this);
  m_children.Add(item);
  return 1;
}

TvBool TvContactListGroup::Save(TvFile& file) {
  uint32_t count = m_children.GetSize();
  if (!TvContactListItem::Save(file)) return 0;
  if (!file.WriteUInt32(count)) return 0;
  if (!file.WriteZeros(kRecordReservedBytes)) return 0;
  // Every child is tried even after one failed, but a single failed write makes the whole record
  // unusable, so it makes the result false: the caller must not take a damaged file for saved.
  TvBool result = 1;
  std::string path;
  for (uint32_t i = 0; i < count; ++i) {
    TvContactListItem* child = m_children[i];
    if (!file.WriteUInt32(child->GetType())) {
      result = 0;
      continue;
    }
    child->GetPath(path, 1);
    if (!file.WriteString(path)) {
      result = 0;
      continue;
    }
    if (!child->Save(file)) result = 0;
  }
  return result;
}

TvBool TvContactListGroup::Load(TvFile& file) { return LoadAtDepth(file, 0, nullptr, nullptr); }

TvBool TvContactListGroup::LoadTree(TvFile& file, TvContactListLayout* layout) {
  if (layout == nullptr) return Load(file);
  layout->records.assign(1, TvContactRecord());
  return LoadAtDepth(file, 0, layout, &layout->records[0]);
}

TvBool TvContactListGroup::LoadAtDepth(TvFile& file, uint32_t depth, TvContactListLayout* layout,
                                       TvContactRecord* record) {
  const uint64_t at = Where(file, layout);
  uint32_t type = 0;
  uint32_t count = 0;
  if (!ReadItemPart(file, &type) || !file.ReadUInt32(count) ||
      !SkipBytes(file, kRecordReservedBytes)) {
    return Stop(layout, ContactListProblem::kGroupCut, at, "a group record is cut short");
  }
  if (record != nullptr) {
    NoteItem(*record, *this, type, at);
    record->count = count;
  }
  // Each child consumes its bytes or stops the load, so a count larger than the file holds ends
  // at the first short read instead of looping over nothing.
  for (uint32_t i = 0; i < count; ++i) {
    const uint64_t childAt = Where(file, layout);
    uint32_t childType = 0;
    std::string path;  // dropped: the path text follows from the tree itself
    if (!file.ReadUInt32(childType) || !file.ReadString(path)) {
      return Stop(layout, ContactListProblem::kChildCut, childAt,
                  "child " + std::to_string(i + 1) + " of '" + m_csName + "' is cut short");
    }
    if (childType == kContactTypeGroup && depth + 1 >= kMaxLoadDepth) {
      return Stop(layout, ContactListProblem::kTooDeep, childAt,
                  "groups nest deeper than " + std::to_string(kMaxLoadDepth) + " levels");
    }
    TvContactRecord* child = nullptr;
    if (record != nullptr) {
      child = &record->children.emplace_back();
      child->precedingType = childType;
      child->pathText = path;
    }
    if (childType == kContactTypeGroup) {
      auto* group = new TvContactListGroup;
      if (!group->LoadAtDepth(file, depth + 1, layout, child)) {
        delete group;
        return 0;
      }
      if (!AddItem(group)) delete group;
    } else {
      const uint64_t userAt = Where(file, layout);
      auto* user = new TvContactListUser;
      uint32_t userType = 0;
      TvBool read = user->ReadRecord(file, &userType);
      if (read && child != nullptr) NoteUser(*child, *user, userType, userAt);
      user->m_dwordStatus = 0;
      user->m_dwordStatusTime = 0;
      if (!read) {
        delete user;
        return Stop(layout, ContactListProblem::kUserCut, userAt,
                    "a user record in '" + m_csName + "' is cut short");
      }
      if (user->HasFlag(kContactFlagHidden) || !AddItem(user)) delete user;
    }
  }
  return 1;
}

TvBool TvContactListGroup::LoadOld(TvFile& file, TvContactListGroup& root,
                                   std::vector<TvDroppedContact>* dropped,
                                   TvContactListLayout* layout) {
  const uint64_t at = Where(file, layout);
  uint32_t type = 0;
  uint32_t users = 0;
  if (!LoadObject(file, &type) || !SkipUInt32(file) || !SkipUInt32(file) || !SkipString(file) ||
      !file.ReadUInt32(users)) {
    return Stop(layout, ContactListProblem::kGroupCut, at, "the group record is cut short");
  }
  TvContactListGroup* target = this;
  TvContactListItem* existing = root.FindItem(m_csName, kContactTypeGroup, 1);
  if (existing != nullptr) target = static_cast<TvContactListGroup*>(existing);
  std::vector<TvContactRecord>* userRecords = nullptr;
  if (layout != nullptr) {
    NoteItem(layout->records.emplace_back(), *this, type, at);
    layout->records.back().count = users;
    userRecords = &layout->records.back().children;
  }

  // Every user consumes its record or stops the load, so a hostile count cannot make a long
  // loop over nothing, and nothing is allocated ahead by the count.
  for (uint32_t i = 0; i < users; ++i) {
    const uint64_t userAt = Where(file, layout);
    auto* user = new TvContactListUser;
    uint32_t userType = 0;
    TvBool read = user->LoadOld(file, &userType);
    if (read && userRecords != nullptr)
      NoteUser(userRecords->emplace_back(), *user, userType, userAt);
    user->SetStatus(0);  // converted users start offline, stamped with the conversion's time
    if (!read) {
      delete user;
      return Stop(layout, ContactListProblem::kUserCut, userAt,
                  "user " + std::to_string(i + 1) + " of '" + m_csName + "' is cut short");
    }
    if (user->HasFlag(kContactFlagHidden)) {
      delete user;
    } else if (!target->AddItem(user)) {
      // The tree keeps one name per group: this user cannot be written, so it is told.
      if (dropped != nullptr) {
        dropped->push_back({m_csName, target->m_csName, user->m_csName,
                            AddressText(user->m_dwordValue1), user->m_csText});
      }
      delete user;
    }
  }
  return 1;
}

// ---------------------------------------------------------------------------------------------
// TvContactList

TvContactList::TvContactList(TvLog& log, const TvDataPaths& paths) : m_log(log), m_paths(paths) {}

TvContactList::~TvContactList() = default;

std::string TvContactList::DataFilePath(const char* name) const {
  std::string path = m_paths.UserDataFolder();
  AppendBackslash(path);
  path += name;
  return path;
}

TvContactListGroup* TvContactList::FindGroup(const std::string& name) {
  return static_cast<TvContactListGroup*>(m_root.FindItem(name, kContactTypeGroup, 1));
}

std::string TvContactList::DroppedContactLine(const TvDroppedContact& contact) {
  return "Contact: " + contact.Describe() + " , NOT converted, group '" + contact.takenIn +
         "' already holds a contact of that name";
}

void TvContactList::Convert(TvBool deleteOld) {
  const std::string oldPath = ExistingFileName(DataFilePath(kOldFileName));
  const std::string newPath = ExistingFileName(DataFilePath(kFileName));
  // A rerun after the old file was converted and deleted: nothing to read, and nothing to create.
  if (!FileExists(oldPath) && FileExists(newPath)) return;
  if (!LoadOld()) return;
  for (const TvDroppedContact& contact : m_dropped) {
    m_log.Add(DroppedContactLine(contact), kLogError, kLogNoCategory);
  }
  const std::string bytes = Encode();
  const TvExistingList found = JudgeExistingList(
      newPath, bytes, [this](const std::string& path) { return ReadList(path); });
  if (!MayReplace(found)) {
    // Contacts renamed, added or moved in 3.1 since an earlier run: neither file is given up.
    m_log.Add(KeptListLine("Contact list", oldPath, newPath, found), kLogError, kLogNoCategory);
    return;
  }
  TvBool saved = WriteListFile(newPath, bytes);
  if (saved) ++RunOutcome().listFilesConverted;
  if (!deleteOld || !saved) return;
  if (!m_dropped.empty()) {
    m_log.Add(
        "Old contact list file: " + oldPath + " , kept, it holds contacts that are not converted",
        kLogInfo, kLogNoCategory);
    return;
  }
  // The old file may go only when the new one reads back with every group and user written.
  TvContactList check(m_log, m_paths);
  const bool same =
      check.LoadFile(newPath) && check.m_root.CountItems(3, 1) == m_root.CountItems(3, 1);
  if (same && DeleteFileIfExists(oldPath)) {
    m_log.Add("Old contact list file: " + oldPath + " , Deleted", kLogInfo, kLogNoCategory);
  } else {
    m_log.Add("Old  contact list file: " + oldPath + " , NOT deleted", kLogError, kLogNoCategory);
  }
}

TvBool TvContactList::LoadOld() {
  return LoadOldFile(ExistingFileName(DataFilePath(kOldFileName)));
}

TvBool TvContactList::LoadOldFile(const std::string& path, uint32_t mode,
                                  TvContactListLayout* layout) {
  using Problem = ContactListProblem;
  TvBool result = 0;
  m_dropped.clear();
  TvFile file(0, 1);
  if (!file.Open(path, mode)) return Stop(layout, Problem::kCannotOpen, 0, "cannot be opened");
  const uint64_t length = file.GetLength();
  if (layout != nullptr) layout->length = length;
  if (length == 0) return 0;

  uint32_t version = 0;
  if (!file.ReadUInt32(version)) return Stop(layout, Problem::kHeaderCut, 0, "no version");
  if (layout != nullptr) {
    layout->versionRead = true;
    layout->version = version;
  }
  if (version == 0) return 0;
  uint32_t value = 0;
  if (version > 1) {
    if (!file.ReadUInt32(value)) {
      return Stop(layout, Problem::kHeaderCut, 4, "the value after the version is cut short");
    }
    if (layout != nullptr) {
      layout->headerValueRead = true;
      layout->headerValue = value;
    }
  }
  uint32_t groups = 0;
  if (!file.ReadUInt32(groups)) {
    return Stop(layout, Problem::kHeaderCut, version > 1 ? 8 : 4, "the group count is cut short");
  }
  if (layout != nullptr) {
    layout->groupCountRead = true;
    layout->groupCount = groups;
  }

  for (uint32_t i = 0; i < groups; ++i) {
    auto* group = new TvContactListGroup;
    result = group->LoadOld(file, m_root, &m_dropped, layout);
    if (!result) {
      delete group;
      if (layout != nullptr) {
        layout->problem.text = "group " + std::to_string(i + 1) + ": " + layout->problem.text;
      }
      break;
    }
    // A group of that name already took this one's users.
    if (FindGroup(group->m_csName) != nullptr || !m_root.AddItem(group)) delete group;
  }
  if (layout != nullptr && layout->problem.Ok()) layout->end = file.GetPosition();
  file.Close();
  return result;
}

TvBool TvContactList::Save() { return SaveFile(DataFilePath(kFileName)); }

TvBool TvContactList::SaveFile(const std::string& path) { return WriteListFile(path, Encode()); }

std::string TvContactList::Encode() {
  TvMemoryFile file;
  file.WriteUInt32(kFileVersion);
  file.WriteUInt32(0);
  m_root.Save(file);
  return file.Bytes();
}

TvBool TvContactList::Load() { return LoadFile(DataFilePath(kFileName)); }

TvBool TvContactList::LoadFile(const std::string& path, TvContactListLayout* layout) {
  m_root.m_children.DeleteAll();
  TvFile file(0, 1);
  if (!file.Open(path, kModeReadShared)) {
    return Stop(layout, ContactListProblem::kCannotOpen, 0, "cannot be opened");
  }
  return LoadFrom(file, layout);
}

TvListContent TvContactList::ReadList(const std::string& path) const {
  TvContactList present(m_log, m_paths);
  TvFile file(0, 0);
  TvListContent content;
  content.readsAsFormat = file.Open(path, kModeReadShared) && present.LoadFrom(file, nullptr);
  content.holdsSomething = present.m_root.m_children.GetSize() != 0;
  return content;
}

TvBool TvContactList::LoadFrom(TvFile& file, TvContactListLayout* layout) {
  using Problem = ContactListProblem;
  if (layout != nullptr) layout->length = file.GetLength();
  uint32_t version = 0;
  if (!file.ReadUInt32(version)) return Stop(layout, Problem::kHeaderCut, 0, "no version");
  if (layout != nullptr) {
    layout->versionRead = true;
    layout->version = version;
  }
  if (version != kFileVersion) {
    return Stop(layout, Problem::kBadVersion, 0,
                "the version is not " + std::to_string(kFileVersion));
  }
  uint32_t reserved = 0;
  if (!file.ReadUInt32(reserved)) {
    return Stop(layout, Problem::kHeaderCut, 4, "the reserved word is cut short");
  }
  if (layout != nullptr) {
    layout->headerValueRead = true;
    layout->headerValue = reserved;
  }
  if (!m_root.LoadTree(file, layout)) return 0;
  if (layout != nullptr) layout->end = file.GetPosition();
  return 1;
}
