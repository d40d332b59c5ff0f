#include "contacts/old_contact_list_writer.h"

#include "foundation/coding.h"

namespace {

void PutObjectRecord(std::string* out, uint32_t type, uint32_t data, const std::string& name,
                     const std::string& text, uint32_t status) {
  PutFixed32(out, type);
  PutFixed32(out, data);
  PutCountedString(out, name);
  PutCountedString(out, text);
  PutFixed32(out, status);
}

}  // namespace

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
