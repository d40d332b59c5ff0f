// Test fixtures for the contact list and the canned replies: 3.0 files built from a short
// description ("ContactList.Users", "FastReplys.Array", "AutoAnswers.Array"). The readers of the
// 3.1 files are in new_contacts_reader.h.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "contacts/contacts_format.h"
#include "replies/replies_format.h"
#include "support/new_contacts_reader.h"

namespace contacts_support {

// Short descriptions of 3.0 records.
inline TvOldContactUserImage OldUser(const std::string& name, uint32_t flags = 0) {
  TvOldContactUserImage user;
  user.name = name;
  user.flags = flags;
  return user;
}

inline TvOldContactGroupImage OldGroup(const std::string& name,
                                       std::vector<TvOldContactUserImage> users) {
  TvOldContactGroupImage group;
  group.name = name;
  group.users = std::move(users);
  return group;
}

inline TvTextMessageImage CannedText(const std::string& name, const std::string& text,
                                     uint32_t status = 0) {
  TvTextMessageImage item;
  item.name = name;
  item.text = text;
  item.status = status;
  return item;
}

// Writes the 3.0 files into a data folder (a path ending in the platform's separator).
inline void WriteOldContactList(const std::string& dataFolder, const TvOldContactListImage& list) {
  std::ofstream(dataFolder + "ContactList.Users", std::ios::binary | std::ios::trunc)
      << EncodeOldContactList(list);
}

inline void WriteOldTextMessages(const std::string& dataFolder, const std::string& fileName,
                                 const TvTextMessagesImage& image) {
  std::ofstream(dataFolder + fileName, std::ios::binary | std::ios::trunc)
      << EncodeTextMessages(image);
}

}  // namespace contacts_support
