#include "contacts/contacts_format.h"

#include "foundation/coding.h"
#include "foundation/small_file_source.h"

namespace {

constexpr uint32_t kItemReservedBytes = 8;
constexpr uint32_t kRecordReservedBytes = 32;

using Problem = ContactListReadProblem;
using Kind = ContactListProblem;

bool ReadObject(ByteSource& in, TvContactRecord& r) {
  return in.ReadUInt32(r.type) && in.ReadUInt32(r.data) && ReadCountedString(in, r.name) &&
         ReadCountedString(in, r.text) && in.ReadUInt32(r.status);
}

bool SkipString(ByteSource& in) {
  std::string ignored;
  return ReadCountedString(in, ignored);
}

bool SkipUInt32(ByteSource& in) {
  uint32_t ignored = 0;
  return in.ReadUInt32(ignored);
}

// Reserved bytes are read, not skipped: a file that ends inside them is cut.
bool SkipBytes(ByteSource& in, uint32_t count) {
  uint8_t buffer[kRecordReservedBytes];
  return count <= sizeof(buffer) && in.Read(buffer, count);
}

bool ReadUserValues(ByteSource& in, TvContactRecord& r) {
  return in.ReadUInt32(r.value1) && in.ReadUInt32(r.value2) &&
         ReadCountedString(in, r.textValue1) && ReadCountedString(in, r.textValue2);
}

// An old user record: the object record, a value, flags, a text, the status time (replaced by
// the conversion's time), a value, then the user's values.
bool ReadOldUser(ByteSource& in, TvContactRecord& r) {
  return ReadObject(in, r) && SkipUInt32(in) && in.ReadUInt32(r.flags) && SkipString(in) &&
         SkipUInt32(in) && SkipUInt32(in) && ReadUserValues(in, r);
}

// An old group record with its users; only users read whole are kept.
Problem ReadOldGroup(ByteSource& in, TvContactRecord& group) {
  group.offset = in.Position();
  if (!ReadObject(in, group) || !SkipUInt32(in) || !SkipUInt32(in) || !SkipString(in) ||
      !in.ReadUInt32(group.count)) {
    return {Kind::kGroupCut, group.offset, "the group record is cut short"};
  }
  group.read = true;
  // Every user consumes its record or stops the reading, so a hostile count cannot make a long
  // loop over nothing, and nothing is allocated ahead by the count.
  for (uint32_t i = 0; i < group.count; ++i) {
    TvContactRecord user;
    user.offset = in.Position();
    if (!ReadOldUser(in, user)) {
      return {Kind::kUserCut, user.offset,
              "user " + std::to_string(i + 1) + " of '" + group.name + "' is cut short"};
    }
    user.read = true;
    group.children.push_back(std::move(user));
  }
  return {};
}

bool ReadItemPart(ByteSource& in, TvContactRecord& r) {
  return ReadObject(in, r) && in.ReadUInt32(r.flags) && ReadCountedString(in, r.itemText) &&
         SkipBytes(in, kItemReservedBytes);
}

bool ReadNewUser(ByteSource& in, TvContactRecord& r) {
  return ReadItemPart(in, r) && SkipBytes(in, kRecordReservedBytes) && ReadUserValues(in, r);
}

// A new group record with its descendants, depth levels below the root.
Problem ReadNewGroup(ByteSource& in, TvContactRecord& group, uint32_t depth) {
  group.offset = in.Position();
  if (!ReadItemPart(in, group) || !in.ReadUInt32(group.count) ||
      !SkipBytes(in, kRecordReservedBytes)) {
    return {Kind::kGroupCut, group.offset, "a group record is cut short"};
  }
  group.read = true;
  // Each child consumes its bytes or stops the reading, so a count larger than the file holds
  // ends at the first short read instead of looping over nothing.
  for (uint32_t i = 0; i < group.count; ++i) {
    const uint64_t childAt = in.Position();
    uint32_t childType = 0;
    std::string path;
    if (!in.ReadUInt32(childType) || !ReadCountedString(in, path)) {
      return {Kind::kChildCut, childAt,
              "child " + std::to_string(i + 1) + " of '" + group.name + "' is cut short"};
    }
    if (childType == kContactTypeGroup && depth + 1 >= kContactListMaxDepth) {
      return {Kind::kTooDeep, childAt,
              "groups nest deeper than " + std::to_string(kContactListMaxDepth) + " levels"};
    }
    TvContactRecord& child = group.children.emplace_back();
    child.precedingType = childType;
    child.pathText = std::move(path);
    if (childType == kContactTypeGroup) {
      Problem problem = ReadNewGroup(in, child, depth + 1);
      if (!problem.Ok()) return problem;
      continue;
    }
    child.offset = in.Position();
    if (!ReadNewUser(in, child)) {
      return {Kind::kUserCut, child.offset, "a user record in '" + group.name + "' is cut short"};
    }
    child.read = true;
  }
  return {};
}

void PutObject(std::string* out, const TvContactRecord& r) {
  PutFixed32(out, r.type);
  PutFixed32(out, r.data);
  PutCountedString(out, r.name);
  PutCountedString(out, r.text);
  PutFixed32(out, r.status);
}

void AppendNewRecord(const TvContactRecord& r, std::string* out) {
  PutObject(out, r);
  PutFixed32(out, r.flags);
  PutCountedString(out, r.itemText);
  out->append(kItemReservedBytes, '\0');
  if (r.type == kContactTypeGroup) {
    PutFixed32(out, static_cast<uint32_t>(r.children.size()));
    out->append(kRecordReservedBytes, '\0');
    for (const TvContactRecord& child : r.children) {
      PutFixed32(out, child.precedingType);
      PutCountedString(out, child.pathText);
      AppendNewRecord(child, out);
    }
    return;
  }
  out->append(kRecordReservedBytes, '\0');
  PutFixed32(out, r.value1);
  PutFixed32(out, r.value2);
  PutCountedString(out, r.textValue1);
  PutCountedString(out, r.textValue2);
}

void PutObjectRecord(std::string* out, uint32_t type, uint32_t data, const std::string& name,
                     const std::string& text, uint32_t status) {
  PutFixed32(out, type);
  PutFixed32(out, data);
  PutCountedString(out, name);
  PutCountedString(out, text);
  PutFixed32(out, status);
}

}  // namespace

const char* ProblemKey(ContactListProblem kind) {
  // In the order of ContactListProblem.
  static const char* const kKeys[] = {"none",      "cannot-open", "header-cut", "bad-version",
                                      "group-cut", "user-cut",    "child-cut",  "too-deep"};
  return KeyOf(kind, kKeys);
}

bool RecordIsWhole(const TvContactRecord& record, bool group) {
  if (!record.read) return false;
  if (!group) return true;
  if (record.children.size() != record.count) return false;
  for (const TvContactRecord& child : record.children) {
    if (!RecordIsWhole(child, child.precedingType == kContactTypeGroup)) return false;
  }
  return true;
}

ContactListReadProblem ReadOldContactList(ByteSource& in, TvContactListFile& out) {
  out.length = in.Length();
  if (out.length == 0) return {};
  if (!in.ReadUInt32(out.version)) return {Kind::kHeaderCut, 0, "no version"};
  out.versionRead = true;
  if (out.version == 0) return {};
  if (out.version > 1) {
    if (!in.ReadUInt32(out.headerValue)) {
      return {Kind::kHeaderCut, 4, "the value after the version is cut short"};
    }
    out.headerValueRead = true;
  }
  if (!in.ReadUInt32(out.groupCount)) {
    return {Kind::kHeaderCut, out.version > 1 ? 8u : 4u, "the group count is cut short"};
  }
  out.groupCountRead = true;
  for (uint32_t i = 0; i < out.groupCount; ++i) {
    TvContactRecord group;
    Problem problem = ReadOldGroup(in, group);
    // A group cut inside its users is kept with the users read; one cut in its own record is not.
    if (group.read) out.records.push_back(std::move(group));
    if (!problem.Ok()) {
      problem.text = "group " + std::to_string(i + 1) + ": " + problem.text;
      return problem;
    }
  }
  out.end = in.Position();
  return {};
}

ContactListReadProblem ReadContactList(ByteSource& in, TvContactListFile& out) {
  out.length = in.Length();
  if (!in.ReadUInt32(out.version)) return {Kind::kHeaderCut, 0, "no version"};
  out.versionRead = true;
  if (out.version != kContactListVersion) {
    return {Kind::kBadVersion, 0, "the version is not " + std::to_string(kContactListVersion)};
  }
  if (!in.ReadUInt32(out.headerValue)) {
    return {Kind::kHeaderCut, 4, "the reserved word is cut short"};
  }
  out.headerValueRead = true;
  out.records.assign(1, TvContactRecord());
  out.records[0].precedingType = kContactTypeGroup;
  Problem problem = ReadNewGroup(in, out.records[0], 0);
  if (problem.Ok()) out.end = in.Position();
  return problem;
}

std::string EncodeContactList(const TvContactRecord& root, uint32_t reserved) {
  std::string out;
  PutFixed32(&out, kContactListVersion);
  PutFixed32(&out, reserved);
  AppendNewRecord(root, &out);
  return out;
}

std::string EncodeOldContactUser(const TvOldContactUserImage& user) {
  std::string out;
  PutObjectRecord(&out, user.type, user.data, user.name, user.text, user.status);
  PutFixed32(&out, user.unused1);
  PutFixed32(&out, user.flags);
  PutCountedString(&out, user.unusedText);
  PutFixed32(&out, user.statusTime);
  PutFixed32(&out, user.unused2);
  PutFixed32(&out, user.value1);
  PutFixed32(&out, user.value2);
  PutCountedString(&out, user.textValue1);
  PutCountedString(&out, user.textValue2);
  return out;
}

std::string EncodeOldContactGroup(const TvOldContactGroupImage& group) {
  std::string out;
  PutObjectRecord(&out, group.type, group.data, group.name, group.text, group.status);
  PutFixed32(&out, group.unused1);
  PutFixed32(&out, group.unused2);
  PutCountedString(&out, group.unusedText);
  PutFixed32(&out, group.userCount.value_or(static_cast<uint32_t>(group.users.size())));
  for (const TvOldContactUserImage& user : group.users) out += EncodeOldContactUser(user);
  return out;
}

std::string EncodeOldContactList(const TvOldContactListImage& list) {
  std::string out;
  PutFixed32(&out, list.version);
  if (list.version > 1) PutFixed32(&out, list.afterVersion);
  PutFixed32(&out, list.groupCount.value_or(static_cast<uint32_t>(list.groups.size())));
  for (const TvOldContactGroupImage& group : list.groups) out += EncodeOldContactGroup(group);
  return out;
}
