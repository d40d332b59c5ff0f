// The six standard folders every message store has, in list order (ids 0 to 5): what the new
// folder list holds for each, and the directory that keeps its messages.
#pragma once

#include <cstdint>

#include "messages/tv_folder_lookup.h"

struct StandardFolder {
  int32_t id;
  const char* listName;   // the name in the folder list
  const char* directory;  // the directory under the data folder; also a name FolderIdByName knows
  uint32_t flags;
};

inline constexpr StandardFolder kStandardFolders[6] = {
    {FOLDER_INBOX, "Inbox", "Inbox", 5},    {FOLDER_OUTBOX, "Outbox", "Outbox", 5},
    {FOLDER_SENT, "Sent items", "Sent", 5}, {FOLDER_DELETED, "Deleted", "Deleted", 5},
    {FOLDER_DRAFTS, "Drafts", "Drafts", 5}, {FOLDER_TEMP, "Temp", "Temp", 7},
};
