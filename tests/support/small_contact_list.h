// The bytes of the 3.1 contact list spelled out field by field, and a small 3.0 contact list with
// the 3.1 file it must give, shared by the contact list and canned-reply store tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "contacts/old_contact_list_writer.h"

namespace contacts_support {

// A 32-bit little-endian value and a counted string, as the files store them.
std::string U32(uint32_t value);
std::string Str(const std::string& text);
std::string Zeros(size_t count);

// The fields every item record starts with.
std::string ItemPart(uint32_t type, uint32_t data, const std::string& name, const std::string& text,
                     uint32_t status, uint32_t flags);
std::string UserRecord(uint32_t data, const std::string& name, const std::string& text,
                       uint32_t flags, uint32_t value1 = 0, uint32_t value2 = 0,
                       const std::string& textValue1 = "", const std::string& textValue2 = "");

struct Child {
  uint32_t type;
  std::string path;
  std::string record;
};

std::string GroupRecord(uint32_t data, const std::string& name, const std::string& text,
                        uint32_t status, const std::vector<Child>& children);

// The whole "Contacts.List" around its root group record.
std::string ContactsFile(const std::string& rootRecord);

// Friends and FRIENDS merge (first spelling, data and texts kept), ghost is hidden, and every
// status and status time of a user is replaced.
TvOldContactListImage SmallOldList(uint32_t version);
// The "Contacts.List" SmallOldList must give.
std::string SmallNewList();

}  // namespace contacts_support
