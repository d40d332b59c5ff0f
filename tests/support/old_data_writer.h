// Builds 3.0 data folders for tests, the benchmark and fuzz seeds: "Database.Folders",
// "Names.Index", each folder's "Messages.Index" and 3.0 message files, from short descriptions.
// Correct files by default; a broken variant is a correct description with one field edited
// (OldMessage::editHeader, nameLength) or its bytes cut.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "database/folders_format.h"
#include "messages/old_message_format.h"

namespace tvtest {

struct OldAttachment {
  std::string name;
  std::string contents;
  // When generatedSize is set, the contents are that many pattern bytes (PatternBytes with
  // seed), streamed to the file and never held in memory; contents is ignored.
  uint64_t generatedSize = 0;
  bool generated = false;
  uint32_t seed = 0;
  int nameLength = -1;  // the length byte as written; -1 for the name's real length
  // The content size written in the entry; -1 for the real size.
  int64_t declaredSize = -1;

  uint64_t Size() const { return generated ? generatedSize : contents.size(); }
};

struct OldMessage {
  std::string hexName = "0A1B2C3D4E5F60718293A4B5C6D7E8F9";  // 32 hexadecimal digits
  uint8_t kind = 1;                                          // recipient record kind of the header
  std::vector<msg30::Recipient> recipients;
  std::string body;
  std::vector<OldAttachment> attachments;
  uint32_t values[4] = {};  // at old offsets 36, 40, 44, 48
  std::string texts[4];     // at old offsets 56, 89, 122, 139
  // Runs on the header computed from the parts, before it is encoded: a broken variant.
  std::function<void(msg30::Header&)> editHeader;
  // Runs on the encoded header bytes (for fields the header struct cannot express).
  std::function<void(uint8_t*)> editHeaderBytes;

  std::string FileName() const { return hexName + ".Message"; }
};

// n bytes of a deterministic pattern starting at offset: the contents of generated attachments.
std::string PatternBytes(uint64_t offset, size_t n, uint32_t seed);
// 32 upper-case hexadecimal digits made from a number, distinct for distinct numbers.
std::string HexName(uint64_t number);
// The name of the 3.1 file that an old file name maps to (16 digits + ".Message").
std::string NewMessageName(const std::string& oldHexName);

// The whole 3.0 file (generated attachments included, so only for small ones).
std::string EncodeOldMessage(const OldMessage& message);
// Writes the 3.0 file, streaming generated attachment contents. False when it cannot.
bool WriteOldMessage(const std::string& path, const OldMessage& message);

folders::FolderRecord Folder(const std::string& name, int32_t id, uint32_t flags = 0,
                             const std::string& text = "", uint32_t status = 0);
// A 38-byte names index record filled from a seed.
std::string NamesIndexRecord(uint8_t seed);

// A 3.0 data folder under construction. dataFolder ends in the platform's separator.
class OldDataFolder {
 public:
  explicit OldDataFolder(std::string dataFolder);

  // "Database.Folders" holding these records (header word and count as given, -1: real count).
  OldDataFolder& Folders(const std::vector<folders::FolderRecord>& records, uint32_t headerWord = 0,
                         int64_t count = -1);
  OldDataFolder& NamesIndex(const std::vector<std::string>& records, uint32_t headerWord = 0,
                            int64_t count = -1);
  // An old "Messages.Index" in the folder directory.
  OldDataFolder& FolderIndex(const std::string& directoryName);
  // A message file in data folder + directoryName ("Inbox", "Sent", a user folder's name), the
  // directory created when missing. Returns the file's full path.
  std::string Message(const std::string& directoryName, const OldMessage& message);
  // Any file, for names and contents the other calls do not make.
  std::string RawFile(const std::string& relativePath, const std::string& bytes);

  std::string Directory(const std::string& directoryName) const;
  const std::string& Path() const { return m_dataFolder; }

 private:
  std::string m_dataFolder;
};

}  // namespace tvtest
