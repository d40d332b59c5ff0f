// The contact list: a tree of groups that hold users and further groups.
//
// 3.0 kept it in "ContactList.Users", a flat list of groups each followed by its users; 3.1 keeps
// the whole tree in "Contacts.List", one recursive record per item. TvContactList reads the old
// file (merging groups of the same name), writes the new one and, when asked, deletes the old one.
//
// "Contacts.List" layout (all integers 32-bit little-endian, counted strings):
//   version 2, reserved 0, the root group's record.
//   item part:    object record (type 1 group / 2 user, data word, name, second text, status),
//                 flags, item text, 8 reserved bytes
//   group record: item part, child count N, 32 reserved bytes, then per child: its type code,
//                 its path text, its own record
//   user record:  item part, 32 reserved bytes, value1, value2, text value1, text value2
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/byte_source.h"
#include "foundation/data_paths.h"
#include "foundation/existing_list.h"
#include "foundation/ptr_array.h"
#include "foundation/tv_log.h"
#include "foundation/tv_object.h"
#include "foundation/types.h"

class TvFile;
class TvContactListGroup;

// Why a contact list file (old or new) cannot be read.
enum class ContactListProblem {
  kNone,
  kCannotOpen,  // missing or unreadable
  kHeaderCut,   // the version or the word after it is cut off
  kBadVersion,  // a new file whose version is not 2
  kGroupCut,    // a group record (before its users or children) is cut off
  kUserCut,     // a user record is cut off
  kChildCut,    // the type code or path text before a new file's child is cut off
  kTooDeep,     // groups nest deeper than the reader allows
};
// A short stable word for a problem kind, for JSON and tests ("user-cut").
const char* ProblemKey(ContactListProblem kind);

// One group or user record as the file holds it, before any merge, drop or status reset.
struct TvContactRecord {
  uint64_t offset = 0;  // where the record starts
  bool read = false;    // its own fields were read completely (a group's children may not be)
  uint32_t type = 0;    // the type code of its object record
  uint32_t data = 0;
  std::string name;
  std::string text;
  uint32_t status = 0;
  uint32_t flags = 0;
  std::string itemText;  // new file only
  uint32_t value1 = 0;   // users
  uint32_t value2 = 0;
  std::string textValue1;
  std::string textValue2;
  // Groups: the users (old file) or children (new file) the record announces, and those read.
  uint32_t count = 0;
  std::vector<TvContactRecord> children;
  // A new file's child: the type code and path text written before its record.
  uint32_t precedingType = 0;
  std::string pathText;
};

// What a reading of a contact list file found, as far as it got: asked for by the companion
// tool and the tests; the conversion asks for none. Offsets cost a position query each, so they
// are taken only when a layout is asked for.
struct TvContactListLayout {
  uint64_t length = 0;
  bool versionRead = false;
  uint32_t version = 0;
  bool headerValueRead = false;
  uint32_t headerValue = 0;  // old file: the dropped value after a version above 1; new: reserved
  bool groupCountRead = false;
  uint32_t groupCount = 0;               // old file only
  std::vector<TvContactRecord> records;  // old file: its groups with their users; new: the root
  uint64_t end = 0;                      // where the last record ended, when nothing stopped
  ReadProblem<ContactListProblem> problem;
};

// Type codes of the contact items; also the bits of a type mask.
inline constexpr uint32_t kContactTypeGroup = 1;
inline constexpr uint32_t kContactTypeUser = 2;
inline constexpr uint32_t kContactTypeAny = 3;

// A user with this flag is not kept: dropped when the old file is read, refused by Load.
inline constexpr uint32_t kContactFlagHidden = 0x8;

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
  // The item part of a 3.1 record. Stops at the first failing write or read.
  virtual TvBool Save(TvFile& file);
  virtual TvBool Load(TvFile& file);
  // Load's reading, handing the object record's type code to typeCode when given.
  TvBool ReadItemPart(TvFile& file, uint32_t* typeCode);
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

  TvBool Save(TvFile& file) override;
  // Reads a 3.1 user record. Fails when a read fails or when the user is hidden; either way the
  // user ends with status 0 and status time 0.
  TvBool Load(TvFile& file) override;
  uint32_t CountItems(uint32_t typeMask, TvBool recursive) override;

  // Reads one 3.0 user record; false at the first failing read.
  TvBool LoadOld(TvFile& file, uint32_t* typeCode = nullptr);

  // Reads the fields of a 3.1 user record (no status reset, no hidden check): false only when a
  // read fails, so a caller can tell a damaged file from a refused user.
  TvBool ReadRecord(TvFile& file, uint32_t* typeCode = nullptr);

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
  // Groups nest no deeper than this when a 3.1 file is read: every level costs stack, and a
  // hostile file could otherwise nest deep enough to overflow it.
  static constexpr uint32_t kMaxLoadDepth = 256;

  TvContactListGroup();
  ~TvContactListGroup() override = default;  // m_children destroys the children

  uint32_t GetType() override { return kContactTypeGroup; }

  // The group record with all its descendants. A failure inside one child does not stop the
  // others from being written, but the result is false when any write failed.
  TvBool Save(TvFile& file) override;
  // Reads a 3.1 group record with its descendants. Children that cannot be added (a hidden user,
  // a name already taken) are destroyed and skipped; a failed read stops the load with false.
  TvBool Load(TvFile& file) override;
  // Load, also noting every record read into layout's root and where and why it stopped.
  TvBool LoadTree(TvFile& file, TvContactListLayout* layout);
  uint32_t CountItems(uint32_t typeMask, TvBool recursive) override;

  // Takes ownership on success. False when a direct child of either kind has the same name
  // (without regard to case); the caller then still owns (and destroys) the item.
  TvBool AddItem(TvContactListItem* item);
  // Depth first in child order, a child before its descendants; typeMask is a set of type codes.
  // Descends into child groups only when recursive is exactly 1.
  TvContactListItem* FindItem(const std::string& name, uint32_t typeMask, TvBool recursive);

  // Reads one 3.0 group record with its users. The users go into the group of the same name that
  // root already holds, if any (so 3.0 groups of one name merge into the first), else into this
  // group. Hidden users and users whose name is taken are dropped; the latter are added to
  // dropped when it is given. With a layout, the group's record and its users' records as read
  // (dropped ones too) are appended to its records, and a failure is named in its problem.
  TvBool LoadOld(TvFile& file, TvContactListGroup& root,
                 std::vector<TvDroppedContact>* dropped = nullptr,
                 TvContactListLayout* layout = nullptr);

  TvPtrAutoArray<TvContactListItem*> m_children;

 private:
  // record receives this group's record as read (null: none is kept).
  TvBool LoadAtDepth(TvFile& file, uint32_t depth, TvContactListLayout* layout,
                     TvContactRecord* record);
};

class TvContactList {
 public:
  static constexpr const char* kOldFileName = "ContactList.Users";
  static constexpr const char* kFileName = "Contacts.List";
  static constexpr uint32_t kFileVersion = 2;

  // log and paths must outlive the list.
  TvContactList(TvLog& log, const TvDataPaths& paths);
  virtual ~TvContactList();
  TvContactList(const TvContactList&) = delete;
  TvContactList& operator=(const TvContactList&) = delete;

  // Reads "ContactList.Users", writes "Contacts.List" and, with deleteOld, deletes the old file
  // once the new one is safely stored, logging the outcome of the deletion. When the old file
  // cannot be read (missing, empty, version 0, no groups, damaged) nothing is written, deleted
  // or logged. Each user the group merge drops gets an Error line, and the old file is then kept
  // even with deleteOld, so that no contact exists nowhere. A "Contacts.List" that holds other
  // groups (changed in 3.1 since an earlier run) is kept with the old file, told in an Error line.
  void Convert(TvBool deleteOld);

  // The old file in the user data folder, or at path. A missing file is created empty. True only
  // when at least one group was read and every record read completely.
  TvBool LoadOld();
  // mode is the open mode: the conversion's open-or-create by default; a dry run passes a
  // read-only mode for an existing file, so that reading changes nothing. layout, when given,
  // receives every record as the file holds it and where and why the reading stopped; the
  // reading itself is the same.
  TvBool LoadOldFile(const std::string& path, uint32_t mode = 0x3002,
                     TvContactListLayout* layout = nullptr);

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
  TvBool LoadFile(const std::string& path, TvContactListLayout* layout = nullptr);
  // What the 3.1 file at path holds, read without showing anything.
  TvListContent ReadList(const std::string& path) const;

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
  // LoadFile's reading of an open 3.1 file.
  TvBool LoadFrom(TvFile& file, TvContactListLayout* layout);

  TvLog& m_log;
  const TvDataPaths& m_paths;
  std::vector<TvDroppedContact> m_dropped;
};
