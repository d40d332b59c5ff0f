// Test fixtures for the contact list and the canned replies: 3.0 files built from a short
// description ("ContactList.Users", "FastReplys.Array", "AutoAnswers.Array"), and readers of the 3.1 files ("Contacts.List", the ".List" files) that parse the bytes on their
// own, so that a test never checks the writer with the writer's own reader.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "contacts/old_contact_list_writer.h"
#include "replies/text_messages_writer.h"

namespace contacts_support {

// Short descriptions of 3.0 records.
TvOldContactUserImage OldUser(const std::string& name, uint32_t flags = 0);
TvOldContactGroupImage OldGroup(const std::string& name, std::vector<TvOldContactUserImage> users);
TvTextMessageImage CannedText(const std::string& name, const std::string& text,
                              uint32_t status = 0);

// Writes the 3.0 files into a data folder (a path ending in the platform's separator).
void WriteOldContactList(const std::string& dataFolder, const TvOldContactListImage& list);
void WriteOldTextMessages(const std::string& dataFolder, const std::string& fileName,
                          const TvTextMessagesImage& image);

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
