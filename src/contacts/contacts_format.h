// The contact list files as written: "ContactList.Users" (3.0) and "Contacts.List" (3.1).
//
// "ContactList.Users" (all integers 32-bit little-endian, counted strings):
//   version; one more value when version > 1; group count; the groups.
//   group: object record (type, data word, name, second text, status), value, value, counted
//          string, user count, the users.
//   user:  object record, value, flags, counted string, status time, value, value1, value2,
//          text value1, text value2.
// "Contacts.List":
//   version 2, reserved 0, the root group's record.
//   item part:    object record, flags, item text, 8 reserved bytes
//   group record: item part, child count N, 32 reserved bytes, then per child: its type code,
//                 its path text, its own record
//   user record:  item part, 32 reserved bytes, value1, value2, text value1, text value2
//
// ReadOldContactList and ReadContactList are the one walk of each format: the store builds its
// tree from the records they return, the companion tool prints them, the fuzz targets and the
// tests read them over memory. EncodeContactList is the one writer of "Contacts.List"; the
// converter never writes "ContactList.Users", but sample data and the tests build old files from a
// description with EncodeOldContactList.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "foundation/byte_source.h"

// Why a contact list file (old or new) cannot be read.
enum class ContactListProblem {
  kNone,
  kCannotOpen,  // missing or unreadable (the store's, before any byte is read)
  kHeaderCut,   // the version or the word after it is cut off
  kBadVersion,  // a new file whose version is not 2
  kGroupCut,    // a group record (before its users or children) is cut off
  kUserCut,     // a user record is cut off
  kChildCut,    // the type code or path text before a new file's child is cut off
  kTooDeep,     // groups nest deeper than the reader allows
};
// A short stable word for a problem kind, for JSON and tests ("user-cut").
const char* ProblemKey(ContactListProblem kind);
using ContactListReadProblem = ReadProblem<ContactListProblem>;

// Type codes of the contact items; also the bits of a type mask.
inline constexpr uint32_t kContactTypeGroup = 1;
inline constexpr uint32_t kContactTypeUser = 2;
inline constexpr uint32_t kContactTypeAny = 3;

// A user with this flag is not kept: dropped when the old file is read, refused from a new one.
inline constexpr uint32_t kContactFlagHidden = 0x8;

inline constexpr uint32_t kContactListVersion = 2;
// Groups nest no deeper than this when a 3.1 file is read: every level costs stack, and a hostile
// file could otherwise nest deep enough to overflow it.
inline constexpr uint32_t kContactListMaxDepth = 256;

// One group or user record as the file holds it, before any merge, drop or status reset.
struct TvContactRecord {
  uint64_t offset = 0;  // where the record starts
  bool read = false;    // its own fields were read completely (a group's children may not be)
  uint32_t type = 0;    // the type code of its object record
  uint32_t data = 0;
  std::string name;
  std::string text;
  uint32_t status = 0;
  uint32_t flags = 0;    // old file: users only
  std::string itemText;  // new file only
  uint32_t value1 = 0;   // users
  uint32_t value2 = 0;
  std::string textValue1;
  std::string textValue2;
  // Groups: the users (old file) or children (new file) the record announces, and those read.
  // An old file keeps only the users read whole; a new file keeps a child cut short as its entry
  // with its record unread.
  uint32_t count = 0;
  std::vector<TvContactRecord> children;
  // A new file's child: the type code and path text written before its record.
  uint32_t precedingType = 0;
  std::string pathText;
};

// A new file's record read whole: its own fields and, for a group, every child it announces.
bool RecordIsWhole(const TvContactRecord& record, bool group);

// What a reading of a contact list file found, as far as it got.
struct TvContactListFile {
  uint64_t length = 0;
  bool versionRead = false;
  uint32_t version = 0;
  bool headerValueRead = false;
  uint32_t headerValue = 0;  // old file: the dropped value after a version above 1; new: reserved
  bool groupCountRead = false;
  uint32_t groupCount = 0;               // old file only
  std::vector<TvContactRecord> records;  // old file: its groups with their users; new: the root
  uint64_t end = 0;                      // where the last record ended, when nothing stopped
};

// Reads "ContactList.Users". An empty input and version 0 are no problem (and hold no groups).
ContactListReadProblem ReadOldContactList(ByteSource& in, TvContactListFile& out);
// Reads "Contacts.List": the header and the root record with its descendants.
ContactListReadProblem ReadContactList(ByteSource& in, TvContactListFile& out);

// "Contacts.List" with root as its root record: version 2, the reserved word, the record tree. A
// record whose type is kContactTypeGroup is written as a group with its children (their number
// written is children.size()), any other as a user; each child is preceded by its precedingType
// and pathText.
std::string EncodeContactList(const TvContactRecord& root, uint32_t reserved = 0);

// A description of an old file to build, every field as written.
struct TvOldContactUserImage {
  uint32_t type = 2;
  uint32_t data = 0;
  std::string name;
  std::string text;
  uint32_t status = 0;
  uint32_t unused1 = 0;
  uint32_t flags = 0;
  std::string unusedText;
  uint32_t statusTime = 0;
  uint32_t unused2 = 0;
  uint32_t value1 = 0;
  uint32_t value2 = 0;
  std::string textValue1;
  std::string textValue2;
};

struct TvOldContactGroupImage {
  uint32_t type = 1;
  uint32_t data = 0;
  std::string name;
  std::string text;
  uint32_t status = 0;
  uint32_t unused1 = 0;
  uint32_t unused2 = 0;
  std::string unusedText;
  std::optional<uint32_t> userCount;  // written instead of users.size() when set
  std::vector<TvOldContactUserImage> users;
};

struct TvOldContactListImage {
  uint32_t version = 2;
  uint32_t afterVersion = 0;           // written only when version > 1
  std::optional<uint32_t> groupCount;  // written instead of groups.size() when set
  std::vector<TvOldContactGroupImage> groups;
};

std::string EncodeOldContactUser(const TvOldContactUserImage& user);
std::string EncodeOldContactGroup(const TvOldContactGroupImage& group);
std::string EncodeOldContactList(const TvOldContactListImage& list);
