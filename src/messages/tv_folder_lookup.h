// The folder questions a message asks while it is converted: which folder holds an old message
// file, and where the new file of a message goes. The database answers them; the message depends
// on this interface only, so the two never include each other.
#pragma once

#include <cstdint>
#include <string>

// Folder ids. 0 to 5 are the standard folders.
inline constexpr int32_t FOLDER_INBOX = 0;
inline constexpr int32_t FOLDER_OUTBOX = 1;
inline constexpr int32_t FOLDER_SENT = 2;
inline constexpr int32_t FOLDER_DELETED = 3;
inline constexpr int32_t FOLDER_DRAFTS = 4;
inline constexpr int32_t FOLDER_TEMP = 5;
// No folder: a name that is no standard folder name, a path outside every folder directory.
inline constexpr int32_t FOLDER_NONE = 0xFFFF;
// Stands for the database's current folder wherever a folder id is taken.
inline constexpr int32_t FOLDER_CURRENT = 0xFFF0;

class TvFolderLookup {
 public:
  virtual ~TvFolderLookup() = default;
  // The id of the folder whose directory directly holds the file at path, or FOLDER_NONE.
  virtual int32_t FolderIdByFilePath(const std::string& path) = 0;
  // The full path of the new-format file of a message: the folder's directory, the message id as
  // 16 upper-case hexadecimal digits, ".Message". Empty when the folder has no usable directory.
  virtual void MessageFilePath(std::string& out, uint64_t messageId, int32_t folderId) = 0;
};
