// The contact list: a tree of groups that hold users and further groups.
//
// 3.0 kept it in "ContactList.Users", a flat list of groups each followed by its users; 3.1 keeps
// the whole tree in "Contacts.List", one recursive record per item (contacts_format.h has both
// layouts). TvContactList builds its tree from the old file's records (merging groups of the
// same name), encodes the new file from the tree and, when asked, deletes the old one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "contacts/contacts_format.h"
#include "foundation/data_paths.h"
#include "foundation/existing_list.h"
#include "foundation/list_plan.h"
#include "foundation/ptr_array.h"
#include "foundation/tv_log.h"
#include "foundation/tv_object.h"
#include "foundation/types.h"

class TvFile;
class TvContactListGroup;

// The fields of a tree-view item that FillDisplayInfo fills, chosen by the same mask bits as the
// system's tree-view item record.
struct TvTreeItemInfo {
  static constexpr uint32_t kText = 0x1;
  static constexpr uint32_t kImage = 0x2;
  static constexpr uint32_t kSelectedImage = 0x20;
  static constexpr uint32_t kChildren = 0x40;

  uint32_t mask = 0;
  std::string text;
  uint32_t image = 0;
  uint32_t selectedImage = 0;
  uint32_t children = 0;
};

class TvContactListItem : public TvObject {
 public:
  TvContactListItem() = default;
  ~TvContactListItem() override = default;

  uint32_t GetData() override { return m_dwordData; }
  void SetData(uint32_t value) override { m_dwordData = value; }

  // Fills the fields of item that its mask asks for. Returns 1.
  virtual TvBool FillDisplayInfo(TvTreeItemInfo& item);
  // Takes the object record's fields, the flags and the item text of record (not its type).
  void TakeItemPart(const TvContactRecord& record);
  // The item as a 3.1 record with its descendants, type code and data word as the item gives them.
  virtual TvContactRecord Record() = 0;
  // Number of children whose type is in typeMask, with their descendants when recursive.
  virtual uint32_t CountItems(uint32_t typeMask, TvBool recursive) = 0;

  void SetFlags(uint32_t value) { m_dwordFlags = value; }
  bool HasFlag(uint32_t mask) const { return (m_dwordFlags & mask) != 0; }
  void SetParent(TvContactListGroup* group) { m_pParent = group; }
  TvContactListGroup* GetParent() const { return m_pParent; }

  // The names of the groups from the top level down, joined by "/": a group's path ends with its
  // own name, a user's is its group's. The root's empty name adds nothing.
  void GetPath(std::string& text, TvBool clear);

  uint32_t m_dwordData = 0;
  std::string m_csItemText;
  uint32_t m_dwordFlags = 0;
  TvContactListGroup* m_pParent = nullptr;  // not owning; null for the root and unattached items
};

class TvContactListUser : public TvContactListItem {
 public:
  TvContactListUser();
  ~TvContactListUser() override = default;

  // Sets the presence status and stamps it with the current time.
  void SetStatus(uint32_t value) override;
  uint32_t GetImage() override { return m_dwordImage + m_dwordStatus; }
  uint32_t GetType() override { return kContactTypeUser; }

  TvContactRecord Record() override;
  uint32_t CountItems(uint32_t typeMask, TvBool recursive) override;

  // Takes a user record's fields and values (old or new file alike).
  void TakeRecord(const TvContactRecord& record);

  // Whole minutes since 1 January 1970, as status times are kept.
  static uint32_t CurrentMinutes();

  uint32_t m_dwordStatusTime = 0;
  uint32_t m_dwordValue1 = 0;
  uint32_t m_dwordValue2 = 0;
  std::string m_csValue1;
  std::string m_csValue2;
};

// A user of the old file that the group merge could not add because a contact of its name was
// already in the group that took the old group's users. The old file keeps it.
struct TvDroppedContact {
  std::string group;       // the old group the user was listed in
  std::string takenIn;     // the group that already holds the name
  std::string user;        // the user's name
  std::string address;     // its address as text, "192.168.1.148"
  std::string secondText;  // the user's second text (its computer), may be empty

  // "user 'Sales' (192.168.1.148, 'PC-07') of group 'work'": names the user for a report.
  std::string Describe() const;
};

class TvContactListGroup : public TvContactListItem {
 public:
  static constexpr uint32_t kMaxLoadDepth = kContactListMaxDepth;

  TvContactListGroup();
  ~TvContactListGroup() override = default;  // m_children destroys the children

  uint32_t GetType() override { return kContactTypeGroup; }

  TvContactRecord Record() override;
  // Adds the children of a 3.1 group record, in order, as far as they were read whole: hidden
  // users and items whose name is taken are skipped; every user is offline. False when a child
  // (or one of its descendants) was not read whole or children are missing.
  bool AddChildren(const TvContactRecord& record);
  uint32_t CountItems(uint32_t typeMask, TvBool recursive) override;

  // Takes ownership on success. False when a direct child of either kind has the same name
  // (without regard to case); the caller then still owns (and destroys) the item.
  TvBool AddItem(TvContactListItem* item);
  // Depth first in child order, a child before its descendants; typeMask is a set of type codes.
  // Descends into child groups only when recursive is exactly 1.
  TvContactListItem* FindItem(const std::string& name, uint32_t typeMask, TvBool recursive);

  TvPtrAutoArray<TvContactListItem*> m_children;
};

class TvContactList {
 public:
  static constexpr const char* kOldFileName = "ContactList.Users";
  static constexpr const char* kFileName = "Contacts.List";
  static constexpr uint32_t kFileVersion = kContactListVersion;

  // log and paths must outlive the list.
  TvContactList(TvLog& log, const TvDataPaths& paths);
  virtual ~TvContactList();
  TvContactList(const TvContactList&) = delete;
  TvContactList& operator=(const TvContactList&) = delete;

  // What the conversion does with "ContactList.Users" and "Contacts.List", decided by reading
  // only (a damaged old file's short read is shown as the file's error, as any reading shows it):
  // - the old file gone and the new one there (a rerun after delete-old): left alone;
  // - the old file missing: created empty by the conversion, nothing converted;
  // - empty, version 0 or no groups: nothing converted; damaged: nothing converted, both kept;
  // - each user the group merge drops gets an Error line, and the old file is then kept even
  //   with delete-old, so that no contact exists nowhere;
  // - a "Contacts.List" that holds other groups (changed in 3.1 since an earlier run) is kept
  //   with the old file, told in an Error line;
  // - otherwise the encoded tree is written, and the old file may go.
  // The tree, DroppedContacts and ReadProblem are those of the old file afterwards.
  TvListPlan Plan();
  // ApplyListPlan(Plan()).
  void Convert(TvBool deleteOld);
  // Why the last Plan could not read the old file (kNone when it could).
  const ContactListReadProblem& ReadProblem() const { return m_problem; }

  // The old file in the user data folder, or at path. A missing file is created empty. True only
  // when at least one group was read and every record read completely.
  TvBool LoadOld();
  // mode is the open mode: the conversion's open-or-create by default; a plan passes a read-only
  // mode for an existing file, so that reading changes nothing.
  TvBool LoadOldFile(const std::string& path, uint32_t mode = 0x3002);
  // Builds the tree from an old file's groups: groups of one name merge into the first, hidden
  // users are dropped, users whose name is taken go to DroppedContacts, every user is offline
  // from now. Stops at a group not read whole. True when at least one group was taken and all
  // were read whole.
  TvBool TakeOldRecords(const std::vector<TvContactRecord>& groups);

  // Reads the file at path (oldFormat: "ContactList.Users", else "Contacts.List") opened with
  // mode, with one read call, into out. kCannotOpen when it cannot be opened or read; a short
  // read is shown as the file's error.
  static ContactListReadProblem ReadRecords(const std::string& path, uint32_t mode, bool oldFormat,
                                            TvContactListFile& out);

  // Writes "Contacts.List" in the user data folder, or at path, through a temporary file that
  // replaces the final name only once it is completely written and flushed; a failed save leaves
  // any earlier file of that name untouched.
  TvBool Save();
  TvBool SaveFile(const std::string& path);
  // The tree as "Contacts.List" holds it.
  std::string Encode();

  // Reads a 3.1 file (an existing one only) into an emptied tree. False when it cannot be read or
  // its version is not 2.
  TvBool Load();
  TvBool LoadFile(const std::string& path);
  // What the bytes of a 3.1 file hold.
  static TvListContent ListContent(const std::string& bytes);

  // The users the last LoadOld or LoadOldFile could not add because their name was taken.
  const std::vector<TvDroppedContact>& DroppedContacts() const { return m_dropped; }
  // The Error line of a dropped user.
  static std::string DroppedContactLine(const TvDroppedContact& contact);

  // The group of that name anywhere in the tree, or null.
  TvContactListGroup* FindGroup(const std::string& name);

  // name in the user data folder.
  std::string DataFilePath(const char* name) const;

  TvContactListGroup m_root;  // empty name, no parent; the top-level groups are its children

 private:
  TvLog& m_log;
  const TvDataPaths& m_paths;
  std::vector<TvDroppedContact> m_dropped;
  ContactListReadProblem m_problem;
};
