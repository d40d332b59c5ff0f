#include "support/old_data_writer.h"

#include <filesystem>
#include <fstream>

#include "foundation/coding.h"
#include "messages/old_message_format.h"
#include "support/scratch_dir.h"

namespace tvtest {

namespace {

// The message as the format's encoder takes it, header sizes filled and editHeader applied.
// Generated contents are made here only when asked; otherwise they are streamed by the writer.
msg30::Message Parts(const OldMessage& m, bool makeGenerated) {
  msg30::Message parts;
  parts.header.kind = m.kind;
  for (int i = 0; i < 4; ++i) {
    parts.header.values[i] = m.values[i];
    parts.header.texts[i] = m.texts[i];
  }
  parts.recipients = m.recipients;
  parts.body = m.body;
  for (const OldAttachment& a : m.attachments) {
    msg30::MessageAttachment part;
    part.name = a.name;
    part.nameLength = a.nameLength;
    part.declaredSize = a.declaredSize;
    if (!a.generated) {
      part.contents = a.contents;
    } else if (makeGenerated) {
      part.contents = PatternBytes(0, a.generatedSize, a.seed);
    } else {
      part.streamedSize = a.generatedSize;
    }
    parts.attachments.push_back(std::move(part));
  }
  parts.FillSizes();
  if (m.editHeader) m.editHeader(parts.header);
  return parts;
}

void EditHeaderBytes(const OldMessage& m, std::string& bytes) {
  if (m.editHeaderBytes) m.editHeaderBytes(reinterpret_cast<uint8_t*>(bytes.data()));
}

}  // namespace

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
  std::string out = Parts(message, true).Encode();
  EditHeaderBytes(message, out);
  return out;
}

bool WriteOldMessage(const std::string& path, const OldMessage& message) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  const msg30::Message parts = Parts(message, false);
  std::string front = parts.EncodeFront();
  EditHeaderBytes(message, front);
  out.write(front.data(), static_cast<std::streamsize>(front.size()));
  for (size_t i = 0; i < parts.attachments.size(); ++i) {
    const msg30::MessageAttachment& part = parts.attachments[i];
    std::string head;
    part.AppendHead(&head);
    out.write(head.data(), static_cast<std::streamsize>(head.size()));
    out.write(part.contents.data(), static_cast<std::streamsize>(part.contents.size()));
    // Generated contents are streamed, never held whole.
    const OldAttachment& a = message.attachments[i];
    for (uint64_t done = 0; done < part.streamedSize;) {
      size_t piece = static_cast<size_t>(std::min<uint64_t>(part.streamedSize - done, 1 << 20));
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
