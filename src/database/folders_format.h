// The folders files and the names index, as whole files: "Database.Folders" (3.0) and
// "Folders.List" (3.1) share one layout - a header word, a count and that many folder records;
// "Names.Index" is a header word, a count and that many 38-byte records.
//
// A folder record: version word, object record (type code, data word, name and second text as
// counted strings, status), flags, id. All integers 32-bit little-endian.
//
// The database reads and writes these through TvFile record by record; the functions here serve
// the writers of sample and test data and the readers of the companion tool.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace folders {

inline constexpr const char* kOldFileName = "Database.Folders";
inline constexpr const char* kNewFileName = "Folders.List";
inline constexpr const char* kNamesIndexFileName = "Names.Index";
inline constexpr const char* kFolderIndexFileName = "Messages.Index";
inline constexpr uint32_t kNamesIndexRecordSize = 38;

struct FolderRecord {
  uint32_t version = 0;
  uint32_t type = 0;
  uint32_t data = 0;
  std::string name;
  std::string text;
  uint32_t status = 0;
  uint32_t flags = 0;
  int32_t id = 0;
};

// Bytes of one encoded record.
uint64_t FolderRecordSize(const FolderRecord& record);
void AppendFolderRecord(const FolderRecord& record, std::string* out);

struct FoldersFile {
  uint32_t headerWord = 0;
  uint32_t count = 0;
  std::vector<FolderRecord> records;
};
// Whole-file encoding: header word, count (records.size() unless count is given), records.
std::string EncodeFoldersFile(const std::vector<FolderRecord>& records, uint32_t headerWord = 0,
                              int64_t count = -1);
// Decodes a whole folders file. False with problem set when it is shorter than its header, a
// record is cut short, or bytes follow the last record; the records read so far stay in out.
bool DecodeFoldersFile(const std::string& bytes, FoldersFile& out, std::string* problem);

struct NamesIndexFile {
  uint32_t headerWord = 0;
  uint32_t count = 0;
  std::vector<std::string> records;  // 38 bytes each
};
// False with problem set when the file is 1 to 7 bytes long or holds fewer records than its
// count; the complete records stay in out. Bytes after the last counted record are allowed (the
// file is rewritten in place without being shortened).
bool DecodeNamesIndex(const std::string& bytes, NamesIndexFile& out, std::string* problem);
std::string EncodeNamesIndex(const std::vector<std::string>& records, uint32_t headerWord = 0,
                             int64_t count = -1);

// A whole file's bytes; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& bytes);

}  // namespace folders
