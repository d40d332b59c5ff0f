#include "database/folders_format.h"

#include <algorithm>

#include "foundation/coding.h"
#include "foundation/tv_file.h"

namespace folders {

namespace {

bool ReadFolderRecord(ByteSource& in, FolderRecord& record) {
  uint32_t id = 0;
  if (!in.ReadUInt32(record.version) || !in.ReadUInt32(record.type) ||
      !in.ReadUInt32(record.data) || !ReadCountedString(in, record.name) ||
      !ReadCountedString(in, record.text) || !in.ReadUInt32(record.status) ||
      !in.ReadUInt32(record.flags) || !in.ReadUInt32(id)) {
    return false;
  }
  record.id = static_cast<int32_t>(id);
  return true;
}

Problem HeaderCut() { return {ProblemKind::kHeaderCut, 0, "shorter than the 8-byte header"}; }

bool Report(const Problem& problem, std::string* text) {
  if (problem.Ok()) return true;
  if (text != nullptr) *text = problem.text;
  return false;
}

}  // namespace

const char* ProblemKey(ProblemKind kind) {
  // In the order of ProblemKind.
  static const char* const kKeys[] = {"none", "header-cut", "record-cut", "bytes-after-end"};
  return KeyOf(kind, kKeys);
}

uint64_t FolderRecordSize(const FolderRecord& record) {
  return 4 + 4 + 4 + 4 + record.name.size() + 4 + record.text.size() + 4 + 4 + 4;
}

void AppendFolderRecord(const FolderRecord& record, std::string* out) {
  PutFixed32(out, record.version);
  PutFixed32(out, record.type);
  PutFixed32(out, record.data);
  PutCountedString(out, record.name);
  PutCountedString(out, record.text);
  PutFixed32(out, record.status);
  PutFixed32(out, record.flags);
  PutFixed32(out, static_cast<uint32_t>(record.id));
}

std::string EncodeFoldersFile(const std::vector<FolderRecord>& records, uint32_t headerWord,
                              int64_t count) {
  std::string out;
  PutFixed32(&out, headerWord);
  PutFixed32(&out,
             count < 0 ? static_cast<uint32_t>(records.size()) : static_cast<uint32_t>(count));
  for (const FolderRecord& record : records) AppendFolderRecord(record, &out);
  return out;
}

Problem ReadFoldersFile(ByteSource& in, FoldersFile& out) {
  if (in.Length() < 8) return HeaderCut();
  if (!in.ReadUInt32(out.headerWord) || !in.ReadUInt32(out.count)) return HeaderCut();
  for (uint32_t i = 0; i < out.count; ++i) {
    const uint64_t start = in.Position();
    FolderRecord record;
    if (!ReadFolderRecord(in, record)) {
      return {ProblemKind::kRecordCut, start,
              "folder record " + std::to_string(i + 1) + " is cut short"};
    }
    out.records.push_back(std::move(record));
  }
  if (in.Position() < in.Length()) {
    return {ProblemKind::kBytesAfterEnd, in.Position(), "bytes after the last folder record"};
  }
  return {};
}

bool DecodeFoldersFile(const std::string& bytes, FoldersFile& out, std::string* problem) {
  BufferSource source(bytes);
  return Report(ReadFoldersFile(source, out), problem);
}

Problem ReadNamesIndex(ByteSource& in, uint32_t& headerWord, uint32_t& count,
                       const NamesIndexRecordSink& take) {
  if (in.Length() == 0) return {};
  if (!in.ReadUInt32(headerWord) || !in.ReadUInt32(count)) return HeaderCut();
  uint8_t record[kNamesIndexRecordSize];
  for (uint32_t i = 0; i < count; ++i) {
    const uint64_t start = in.Position();
    if (!in.Read(record, kNamesIndexRecordSize)) {
      return {ProblemKind::kRecordCut, start,
              "names index record " + std::to_string(i + 1) + " is cut short"};
    }
    take(record);
  }
  return {};
}

Problem ReadNamesIndex(ByteSource& in, NamesIndexFile& out) {
  return ReadNamesIndex(in, out.headerWord, out.count, [&out](const uint8_t* record) {
    out.records.emplace_back(reinterpret_cast<const char*>(record), kNamesIndexRecordSize);
  });
}

bool DecodeNamesIndex(const std::string& bytes, NamesIndexFile& out, std::string* problem) {
  BufferSource source(bytes);
  return Report(ReadNamesIndex(source, out), problem);
}

std::string EncodeNamesIndex(const std::vector<std::string>& records, uint32_t headerWord,
                             int64_t count) {
  std::string out;
  PutFixed32(&out, headerWord);
  PutFixed32(&out,
             count < 0 ? static_cast<uint32_t>(records.size()) : static_cast<uint32_t>(count));
  for (const std::string& record : records) {
    std::string fixed = record.substr(0, kNamesIndexRecordSize);
    fixed.resize(kNamesIndexRecordSize, '\0');
    out += fixed;
  }
  return out;
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
  bytes.clear();
  TvFile file(0, 0);
  if (!file.Open(path, kModeReadShared)) return false;
  uint64_t length = file.GetLength();
  if (length > 0x7FFFFFFF) return false;
  bytes.resize(length);
  return file.Read(bytes.data(), static_cast<uint32_t>(length)) != 0;
}

}  // namespace folders
