#include "support/old_data_writer.h"

#include <filesystem>
#include <fstream>

#include "foundation/coding.h"
#include "messages/old_message_format.h"
#include "support/scratch_dir.h"

namespace tvtest {

namespace {

void AppendEntryHead(const OldAttachment& a, std::string* out) {
  uint64_t declared = a.declaredSize < 0 ? a.Size() : static_cast<uint64_t>(a.declaredSize);
  msg30::AppendAttachmentEntryHead(a.name, declared, out, a.nameLength);
}

// The bytes before the first attachment's entry: header, recipients, body.
std::string EncodeFront(const OldMessage& m) {
  msg30::Header header = m.MakeHeader();
  uint8_t bytes[msg30::kHeaderSize];
  msg30::EncodeHeader(header, bytes);
  if (m.editHeaderBytes) m.editHeaderBytes(bytes);
  std::string out(reinterpret_cast<const char*>(bytes), sizeof(bytes));
  for (const msg30::Recipient& r : m.recipients) msg30::AppendRecipient(r, m.kind, &out);
  out += m.body;
  return out;
}

}  // namespace

msg30::Header OldMessage::MakeHeader() const {
  msg30::Header header;
  header.kind = kind;
  header.recipientCount = static_cast<uint32_t>(recipients.size());
  header.bodySize = static_cast<uint32_t>(body.size());
  header.attachmentCount = static_cast<uint32_t>(attachments.size());
  uint64_t section = 0;
  for (const OldAttachment& a : attachments) {
    std::string head;
    AppendEntryHead(a, &head);
    section += head.size() + a.Size();
  }
  header.attachmentSectionSize = section;
  for (int i = 0; i < 4; ++i) {
    header.values[i] = values[i];
    header.texts[i] = texts[i];
  }
  header.totalSize = msg30::ExpectedTotalSize(header);
  if (editHeader) editHeader(header);
  return header;
}

std::string PatternBytes(uint64_t offset, size_t n, uint32_t seed) {
  std::string out(n, '\0');
  for (size_t i = 0; i < n; ++i) {
    uint64_t x = offset + i;
    out[i] = static_cast<char>((x * 131 + (x >> 9) + seed * 7) & 0xFF);
  }
  return out;
}

std::string HexName(uint64_t number) {
  static const char kDigits[] = "0123456789ABCDEF";
  // Bytes 0-3 and 8-11 of the name make the new file's id; spread the number over both.
  uint8_t b[16] = {};
  EncodeFixed32(b, static_cast<uint32_t>(number >> 32) ^ 0x5A5A0000u);
  EncodeFixed32(b + 4, 0x11223344u);
  EncodeFixed32(b + 8, static_cast<uint32_t>(number));
  EncodeFixed32(b + 12, static_cast<uint32_t>(number * 2654435761u));
  std::string out;
  for (uint8_t byte : b) {
    out += kDigits[byte >> 4];
    out += kDigits[byte & 15];
  }
  return out;
}

std::string NewMessageName(const std::string& oldHexName) {
  // Digits 7-8, 5-6, 3-4, 1-2 (the high half), then 23-24, 21-22, 19-20, 17-18 (the low half).
  std::string out;
  for (int pair : {3, 2, 1, 0, 11, 10, 9, 8}) {
    for (int k = 0; k < 2; ++k) {
      char c = oldHexName[2 * pair + k];
      out += (c >= 'a' && c <= 'f') ? static_cast<char>(c - 'a' + 'A') : c;
    }
  }
  return out + ".Message";
}

std::string EncodeOldMessage(const OldMessage& message) {
  std::string out = EncodeFront(message);
  for (const OldAttachment& a : message.attachments) {
    AppendEntryHead(a, &out);
    out += a.generated ? PatternBytes(0, a.generatedSize, a.seed) : a.contents;
  }
  return out;
}

bool WriteOldMessage(const std::string& path, const OldMessage& message) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  std::string front = EncodeFront(message);
  out.write(front.data(), static_cast<std::streamsize>(front.size()));
  for (const OldAttachment& a : message.attachments) {
    std::string head;
    AppendEntryHead(a, &head);
    out.write(head.data(), static_cast<std::streamsize>(head.size()));
    if (!a.generated) {
      out.write(a.contents.data(), static_cast<std::streamsize>(a.contents.size()));
      continue;
    }
    for (uint64_t done = 0; done < a.generatedSize;) {
      size_t piece = static_cast<size_t>(std::min<uint64_t>(a.generatedSize - done, 1 << 20));
      std::string chunk = PatternBytes(done, piece, a.seed);
      out.write(chunk.data(), static_cast<std::streamsize>(piece));
      done += piece;
    }
  }
  return static_cast<bool>(out);
}

folders::FolderRecord Folder(const std::string& name, int32_t id, uint32_t flags,
                             const std::string& text, uint32_t status) {
  folders::FolderRecord r;
  r.version = 0x1DB10106;
  r.name = name;
  r.id = id;
  r.flags = flags;
  r.text = text;
  r.status = status;
  return r;
}

std::string NamesIndexRecord(uint8_t seed) {
  std::string record(folders::kNamesIndexRecordSize, '\0');
  for (size_t i = 0; i < record.size(); ++i) record[i] = static_cast<char>(seed * 37 + i);
  return record;
}

OldDataFolder::OldDataFolder(std::string dataFolder) : m_dataFolder(std::move(dataFolder)) {
  std::filesystem::create_directories(m_dataFolder);
}

std::string OldDataFolder::Directory(const std::string& directoryName) const {
  return (std::filesystem::path(m_dataFolder) / directoryName).string();
}

OldDataFolder& OldDataFolder::Folders(const std::vector<folders::FolderRecord>& records,
                                      uint32_t headerWord, int64_t count) {
  WriteWholeFile(m_dataFolder + folders::kOldFileName,
                 folders::EncodeFoldersFile(records, headerWord, count));
  return *this;
}

OldDataFolder& OldDataFolder::NamesIndex(const std::vector<std::string>& records,
                                         uint32_t headerWord, int64_t count) {
  WriteWholeFile(m_dataFolder + folders::kNamesIndexFileName,
                 folders::EncodeNamesIndex(records, headerWord, count));
  return *this;
}

OldDataFolder& OldDataFolder::FolderIndex(const std::string& directoryName) {
  std::filesystem::create_directories(Directory(directoryName));
  WriteWholeFile(
      (std::filesystem::path(Directory(directoryName)) / folders::kFolderIndexFileName).string(),
      std::string("old index bytes"));
  return *this;
}

std::string OldDataFolder::Message(const std::string& directoryName, const OldMessage& message) {
  std::filesystem::create_directories(Directory(directoryName));
  std::string path =
      (std::filesystem::path(Directory(directoryName)) / message.FileName()).string();
  WriteOldMessage(path, message);
  return path;
}

std::string OldDataFolder::RawFile(const std::string& relativePath, const std::string& bytes) {
  std::filesystem::path path = std::filesystem::path(m_dataFolder) / relativePath;
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
  WriteWholeFile(path.string(), bytes);
  return path.string();
}

}  // namespace tvtest
