// The folders files and the names index, as whole files: "Database.Folders" (3.0) and
// "Folders.List" (3.1) share one layout - a header word, a count and that many folder records;
// "Names.Index" is a header word, a count and that many 38-byte records.
//
// A folder record: version word, object record (type code, data word, name and second text as
// counted strings, status), flags, id. All integers 32-bit little-endian.
//
// ReadFoldersFile and ReadNamesIndex are the one walk of each format: the database reads its
// files with them through a TvFileSource (so a short read shows the file's own error), the
// companion tool, the fuzz targets and the tests over a BufferSource. The writers of sample and
// test data build files with the Encode and Append functions.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "foundation/byte_source.h"

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

// Why a folders file or names index cannot be read whole.
enum class ProblemKind {
  kNone,
  kHeaderCut,      // shorter than the 8-byte header (offset 0)
  kRecordCut,      // a counted record runs past the end (offset: where that record starts)
  kBytesAfterEnd,  // bytes follow the last counted record (offset: the first of them); the
                   // conversion never looks at them, so for it the file reads whole
};
// A short stable word for a problem kind, for JSON and tests ("record-cut").
const char* ProblemKey(ProblemKind kind);
using Problem = ReadProblem<ProblemKind>;

// Reads the header and count records. A source shorter than 8 bytes is reported without reading
// from it. The records before a problem stay in out.
Problem ReadFoldersFile(ByteSource& source, FoldersFile& out);
// The same over whole-file bytes; false with problem set on any problem, bytes after the last
// record included.
bool DecodeFoldersFile(const std::string& bytes, FoldersFile& out, std::string* problem);

struct NamesIndexFile {
  uint32_t headerWord = 0;
  uint32_t count = 0;
  std::vector<std::string> records;  // 38 bytes each
};
// An empty source is an empty index. Otherwise reads the header (a source of 1 to 7 bytes is read
// and fails as a short read) and count records of 38 bytes; the complete records stay in out.
// Bytes after the last counted record are no problem: the file is rewritten in place without
// being shortened.
Problem ReadNamesIndex(ByteSource& source, NamesIndexFile& out);
// The same walk handing each complete record's 38 bytes to take, in file order, instead of
// keeping them (the database keeps them in its own blocks).
using NamesIndexRecordSink = std::function<void(const uint8_t* record)>;
Problem ReadNamesIndex(ByteSource& source, uint32_t& headerWord, uint32_t& count,
                       const NamesIndexRecordSink& take);
// The same over whole-file bytes; false with problem set.
bool DecodeNamesIndex(const std::string& bytes, NamesIndexFile& out, std::string* problem);
std::string EncodeNamesIndex(const std::vector<std::string>& records, uint32_t headerWord = 0,
                             int64_t count = -1);

// A whole file's bytes; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& bytes);

}  // namespace folders
