#include "contacts/tv_contact_list.h"

#include <chrono>
#include <memory>

#include "foundation/run_outcome.h"
#include "foundation/small_file_source.h"
#include "foundation/tv_file.h"
#include "foundation/utilities.h"

namespace {

// The user's first number as an address: most significant byte first, "192.168.1.148".
std::string AddressText(uint32_t value) {
  return std::to_string(value >> 24) + "." + std::to_string((value >> 16) & 0xFF) + "." +
         std::to_string((value >> 8) & 0xFF) + "." + std::to_string(value & 0xFF);
}

// The fields every record has, as the item gives them.
TvContactRecord ItemRecord(TvContactListItem& item) {
  TvContactRecord record;
  record.read = true;
  record.type = item.GetType();
  record.data = item.GetData();
  record.name = item.m_csName;
  record.text = item.m_csText;
  record.status = item.m_dwordStatus;
  record.flags = item.m_dwordFlags;
  record.itemText = item.m_csItemText;
  return record;
}

}  // namespace

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

void TvContactListItem::TakeItemPart(const TvContactRecord& record) {
  SetData(record.data);
  m_csName = record.name;
  m_csText = record.text;
  m_dwordStatus = record.status;
  m_dwordFlags = record.flags;
  m_csItemText = record.itemText;
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

TvContactRecord TvContactListUser::Record() {
  TvContactRecord record = ItemRecord(*this);
  record.value1 = m_dwordValue1;
  record.value2 = m_dwordValue2;
  record.textValue1 = m_csValue1;
  record.textValue2 = m_csValue2;
  return record;
}

void TvContactListUser::TakeRecord(const TvContactRecord& record) {
  TakeItemPart(record);
  m_dwordValue1 = record.value1;
  m_dwordValue2 = record.value2;
  m_csValue1 = record.textValue1;
  m_csValue2 = record.textValue2;
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

TvContactRecord TvContactListGroup::Record() {
  TvContactRecord record = ItemRecord(*this);
  record.count = m_children.GetSize();
  std::string path;
  for (uint32_t i = 0; i < m_children.GetSize(); ++i) {
    TvContactListItem* child = m_children[i];
    TvContactRecord& entry = record.children.emplace_back(child->Record());
    entry.precedingType = child->GetType();
    child->GetPath(path, 1);
    entry.pathText = path;
  }
  return record;
}

bool TvContactListGroup::AddChildren(const TvContactRecord& record) {
  for (const TvContactRecord& child : record.children) {
    if (!child.read) return false;
    if (child.precedingType == kContactTypeGroup) {
      auto group = std::make_unique<TvContactListGroup>();
      group->TakeItemPart(child);
      if (!group->AddChildren(child)) return false;
      if (AddItem(group.get())) group.release();
      continue;
    }
    auto user = std::make_unique<TvContactListUser>();
    user->TakeRecord(child);
    // A loaded user is offline until the network says otherwise.
    user->m_dwordStatus = 0;
    user->m_dwordStatusTime = 0;
    if (!user->HasFlag(kContactFlagHidden) && AddItem(user.get())) user.release();
  }
  return record.children.size() == record.count;
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

TvListPlan TvContactList::Plan() {
  TvListPlan plan;
  plan.label = "Contact list";
  plan.oldPath = ExistingFileName(DataFilePath(kOldFileName));
  plan.newPath = ExistingFileName(DataFilePath(kFileName));
  plan.deletedWord = "Old contact list file";
  plan.notDeletedWord = "Old  contact list file";  // the system's own spelling
  m_root.m_children.DeleteAll();
  m_dropped.clear();
  m_problem = {};
  if (!FileExists(plan.oldPath)) {
    if (FileExists(plan.newPath)) {
      // A rerun after the old file was converted and deleted: nothing to read or create.
      plan.verdict = TvListVerdict::kAlreadyConverted;
      plan.reason = "\"" + std::string(kFileName) + "\" is left as it is";
    } else {
      plan.createsOldFile = true;
      plan.reason = "missing: the conversion creates it empty and converts nothing";
    }
    return plan;
  }
  TvContactListFile records;
  m_problem = ReadRecords(plan.oldPath, kModeReadShared, true, records);
  const TvBool taken = TakeOldRecords(records.records);
  if (!m_problem.Ok()) {
    plan.verdict = TvListVerdict::kNotConverted;
    plan.reason = "the file is damaged (" + m_problem.text + "), no \"" + kFileName +
                  "\" is written";
    return plan;
  }
  if (!taken) {
    plan.reason = "empty, version 0 or no groups (kept as it is)";
    return plan;
  }
  for (const TvDroppedContact& contact : m_dropped) {
    plan.lines.push_back({DroppedContactLine(contact), kLogError});
  }
  plan.newBytes = Encode();
  plan.existing = JudgeExistingList(plan.newPath, plan.newBytes, ListContent);
  if (!MayReplace(plan.existing)) {
    // Contacts renamed, added or moved in 3.1 since an earlier run: neither file is given up.
    plan.verdict = TvListVerdict::kNotConverted;
    plan.reason = KeptListLine("Contact list", plan.oldPath, plan.newPath, plan.existing);
    plan.lines.push_back({plan.reason, kLogError});
    plan.newBytes.clear();
    return plan;
  }
  plan.verdict = TvListVerdict::kConverts;
  plan.reason = std::to_string(m_root.CountItems(kContactTypeGroup, 1)) + " group(s), " +
                std::to_string(m_root.CountItems(kContactTypeUser, 1)) + " user(s)";
  plan.oldFileMayGo = m_dropped.empty();
  if (!m_dropped.empty()) {
    plan.keptOldLine = "Old contact list file: " + plan.oldPath +
                       " , kept, it holds contacts that are not converted";
  }
  return plan;
}

void TvContactList::Convert(TvBool deleteOld) { ApplyListPlan(Plan(), deleteOld, m_log); }

TvBool TvContactList::LoadOld() {
  return LoadOldFile(ExistingFileName(DataFilePath(kOldFileName)));
}

TvBool TvContactList::LoadOldFile(const std::string& path, uint32_t mode) {
  m_dropped.clear();
  TvContactListFile records;
  const ContactListReadProblem problem = ReadRecords(path, mode, true, records);
  return TakeOldRecords(records.records) && problem.Ok() ? 1 : 0;
}

TvBool TvContactList::TakeOldRecords(const std::vector<TvContactRecord>& groups) {
  m_dropped.clear();
  for (const TvContactRecord& record : groups) {
    auto group = std::make_unique<TvContactListGroup>();
    group->TakeItemPart(record);
    // The users go into the group of this name the tree already holds, if any.
    TvContactListGroup* target = FindGroup(record.name);
    if (target == nullptr) target = group.get();
    for (const TvContactRecord& userRecord : record.children) {
      auto user = std::make_unique<TvContactListUser>();
      user->TakeRecord(userRecord);
      user->SetStatus(0);  // converted users start offline, stamped with the conversion's time
      if (user->HasFlag(kContactFlagHidden)) continue;
      if (target->AddItem(user.get())) {
        user.release();
        continue;
      }
      // The tree keeps one name per group: this user cannot be written, so it is told.
      m_dropped.push_back({record.name, target->m_csName, user->m_csName,
                           AddressText(user->m_dwordValue1), user->m_csText});
    }
    if (record.children.size() != record.count) return 0;
    // A group of that name already took this one's users.
    if (target == group.get() && m_root.AddItem(group.get())) group.release();
  }
  return groups.empty() ? 0 : 1;
}

ContactListReadProblem TvContactList::ReadRecords(const std::string& path, uint32_t mode,
                                                  bool oldFormat, TvContactListFile& out) {
  TvFile file(0, 1);
  if (!file.Open(path, mode)) return {ContactListProblem::kCannotOpen, 0, "cannot be opened"};
  SmallFileSource source(file, file.GetLength());
  if (!source.Read()) return {ContactListProblem::kCannotOpen, 0, "cannot be read"};
  return oldFormat ? ReadOldContactList(source.Source(), out)
                   : ReadContactList(source.Source(), out);
}

TvBool TvContactList::Save() { return SaveFile(DataFilePath(kFileName)); }

TvBool TvContactList::SaveFile(const std::string& path) { return WriteListFile(path, Encode()); }

std::string TvContactList::Encode() { return EncodeContactList(m_root.Record()); }

TvBool TvContactList::Load() { return LoadFile(DataFilePath(kFileName)); }

TvBool TvContactList::LoadFile(const std::string& path) {
  m_root.m_children.DeleteAll();
  TvContactListFile records;
  const ContactListReadProblem problem = ReadRecords(path, kModeReadShared, false, records);
  if (!records.records.empty()) m_root.AddChildren(records.records[0]);
  return problem.Ok() ? 1 : 0;
}

TvListContent TvContactList::ListContent(const std::string& bytes) {
  TvContactListFile records;
  BufferSource source(bytes);
  TvListContent content;
  content.readsAsFormat = ReadContactList(source, records).Ok();
  TvContactListGroup root;
  if (!records.records.empty()) root.AddChildren(records.records[0]);
  content.holdsSomething = root.m_children.GetSize() != 0;
  return content;
}
