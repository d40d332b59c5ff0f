// Readers of the 3.1 contact and canned-reply files ("Contacts.List", the ".List" files) for
// tests. They parse the bytes on their own, so that a test never checks a writer with the
// writer's own reader. Standard library only: the Wine end-to-end driver, built for the build
// machine, compiles this file too.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "replies/replies_format.h"

namespace contacts_support {

// One item of a parsed "Contacts.List", with the type code and path text that preceded it in its
// group (the root has neither: type 0 and an empty path).
struct NewContactItem {
  uint32_t precedingType = 0;
  std::string pathText;

  uint32_t type = 0;
  uint32_t data = 0;
  std::string name;
  std::string text;
  uint32_t status = 0;
  uint32_t flags = 0;
  std::string itemText;

  std::vector<NewContactItem> children;  // groups only

  uint32_t value1 = 0;  // users only
  uint32_t value2 = 0;
  std::string textValue1;
  std::string textValue2;
};

struct NewContactsFile {
  uint32_t version = 0;
  uint32_t reserved = 0;
  NewContactItem root;
};

// Parses a whole "Contacts.List". False, with the reason in *error, when the bytes do not follow
// the layout exactly: a record cut short, a reserved block that is not zero, a type code other
// than 1 or 2, or bytes left over after the root record.
bool ParseContactsList(const std::string& bytes, NewContactsFile* out, std::string* error);

// Parses a whole canned-replies file; false, with the reason, when cut short or with bytes left.
bool ParseTextMessages(const std::string& bytes, TvTextMessagesImage* out, std::string* error);

}  // namespace contacts_support
