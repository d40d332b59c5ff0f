// Test fixtures for the contact list and the canned replies: 3.0 files built from a short
// description ("ContactList.Users", "FastReplys.Array", "AutoAnswers.Array"). The readers of the
// 3.1 files are in new_contacts_reader.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "contacts/old_contact_list_writer.h"
#include "replies/text_messages_writer.h"
#include "support/new_contacts_reader.h"

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

}  // namespace contacts_support
