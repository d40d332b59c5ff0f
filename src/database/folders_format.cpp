#include "database/folders_format.h"

#include "foundation/coding.h"
#include "foundation/tv_file.h"

namespace folders {

namespace {

class Cursor {
 public:
  explicit Cursor(const std::string& bytes) : m_bytes(bytes) {}
  uint64_t Left() const { return m_bytes.size() - m_position; }
  bool U32(uint32_t& value) {
    if (Left() < 4) return false;
    value = DecodeFixed32(reinterpret_cast<const uint8_t*>(m_bytes.data()) + m_position);
    m_position += 4;
    return true;
  }
  bool Bytes(uint64_t count, std::string& out) {
    if (Left() < count) return false;
    out.assign(m_bytes, m_position, count);
    m_position += count;
    return true;
  }
  bool String(std::string& out) {
    uint32_t n = 0;
    return U32(n) && Bytes(n, out);
  }

 private:
  const std::string& m_bytes;
  size_t m_position = 0;
};

bool Fail(std::string* problem, const std::string& text) {
  if (problem != nullptr) *problem = text;
  return false;
}

}  // namespace

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

bool DecodeFoldersFile(const std::string& bytes, FoldersFile& out, std::string* problem) {
  Cursor in(bytes);
  if (!in.U32(out.headerWord) || !in.U32(out.count)) {
    return Fail(problem, "shorter than the 8-byte header");
  }
  for (uint32_t i = 0; i < out.count; ++i) {
    FolderRecord r;
    uint32_t id = 0;
    if (!in.U32(r.version) || !in.U32(r.type) || !in.U32(r.data) || !in.String(r.name) ||
        !in.String(r.text) || !in.U32(r.status) || !in.U32(r.flags) || !in.U32(id)) {
      return Fail(problem, "folder record " + std::to_string(i + 1) + " is cut short");
    }
    r.id = static_cast<int32_t>(id);
    out.records.push_back(r);
  }
  if (in.Left() != 0) return Fail(problem, "bytes after the last folder record");
  return true;
}

bool DecodeNamesIndex(const std::string& bytes, NamesIndexFile& out, std::string* problem) {
  if (bytes.empty()) return true;
  Cursor in(bytes);
  if (!in.U32(out.headerWord) || !in.U32(out.count)) {
    return Fail(problem, "shorter than the 8-byte header");
  }
  for (uint32_t i = 0; i < out.count; ++i) {
    std::string record;
    if (!in.Bytes(kNamesIndexRecordSize, record)) {
      return Fail(problem, "names index record " + std::to_string(i + 1) + " is cut short");
    }
    out.records.push_back(record);
  }
  return true;
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
