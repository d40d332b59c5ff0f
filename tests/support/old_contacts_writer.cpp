#include "support/old_contacts_writer.h"

#include <fstream>

#include "contacts/old_contact_list_writer.h"
#include "replies/text_messages_writer.h"

namespace contacts_support {

TvOldContactUserImage OldUser(const std::string& name, uint32_t flags) {
  TvOldContactUserImage user;
  user.name = name;
  user.flags = flags;
  return user;
}

TvOldContactGroupImage OldGroup(const std::string& name,
                                std::vector<TvOldContactUserImage> users) {
  TvOldContactGroupImage group;
  group.name = name;
  group.users = std::move(users);
  return group;
}

TvTextMessageImage CannedText(const std::string& name, const std::string& text, uint32_t status) {
  TvTextMessageImage item;
  item.name = name;
  item.text = text;
  item.status = status;
  return item;
}

void WriteOldContactList(const std::string& dataFolder, const TvOldContactListImage& list) {
  std::ofstream(dataFolder + "ContactList.Users", std::ios::binary | std::ios::trunc)
      << EncodeOldContactList(list);
}

void WriteOldTextMessages(const std::string& dataFolder, const std::string& fileName,
                          const TvTextMessagesImage& image) {
  std::ofstream(dataFolder + fileName, std::ios::binary | std::ios::trunc)
      << EncodeTextMessages(image);
}

}  // namespace contacts_support
