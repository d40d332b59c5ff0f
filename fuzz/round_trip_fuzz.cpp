// A 3.0 message that loads is saved as 3.1, read back with the 3.1 reader, and carries the same
// values: body, recipients, texts, carried values, and every attachment's name and contents.
#include <cstring>
#include <filesystem>

#include "database/tv_database.h"
#include "foundation/coding.h"
#include "fuzz/fuzz_common.h"
#include "messages/message_format.h"
#include "messages/old_message_format.h"
#include "messages/tv_message.h"
#include "platform/file_system.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tvfuzz::Scratch& scratch = tvfuzz::TheScratch();
  scratch.Clean();
  const std::string inbox = scratch.Paths().StandardFolderDirectory(FOLDER_INBOX);
  std::filesystem::create_directories(inbox);
  const std::string path = inbox + platform::kPathSeparator + "0A1B2C3D4E5F60718293A4B5C6D7E8F9.Message";
  tvfuzz::WriteFile(path, data, size);
  TvDatabase database(scratch.Log(), scratch.Paths());
  database.CreateStandardFolders();
  TvMessage message(scratch.Log(), database);
  message.SetStagingFolder(scratch.Staging());
  if (!message.LoadOld(path)) return 0;
  msg30::Header old;
  msg30::DecodeHeader(data, old);
  if (!message.Save(path)) return 0;

  const std::string bytes = tvfuzz::ReadFile(inbox + platform::kPathSeparator + "3D2C1B0AB5A49382.Message");
  if (bytes.size() < msg31::kHeaderSize) tvfuzz::Fail("saved file shorter than its header");
  const auto* b = reinterpret_cast<const uint8_t*>(bytes.data());
  msg31::Header h = msg31::Header::Decode(b);
  if (h.magic != "ZV31" || h.totalSize != bytes.size()) tvfuzz::Fail("bad 3.1 header");
  if (h.bodySize != old.bodySize || h.recipientCount != old.recipientCount) {
    tvfuzz::Fail("body size or recipient count changed");
  }
  if (h.carried[0] != old.values[2] || h.carried[1] != old.values[3] ||
      h.carried[2] != old.values[0] || h.carried[3] != old.values[1]) {
    tvfuzz::Fail("carried values changed");
  }
  const uint32_t recordSize = msg30::RecipientRecordSize(old.kind);
  const uint64_t bodyOld = msg30::kHeaderSize + uint64_t{old.recipientCount} * recordSize;
  const uint64_t bodyNew = msg31::kHeaderSize + uint64_t{h.recipientCount} * 46 +
                           uint64_t{h.attachmentCount} * 281;
  if (bytes.compare(bodyNew, old.bodySize,
                    std::string(reinterpret_cast<const char*>(data) + bodyOld, old.bodySize)) != 0) {
    tvfuzz::Fail("body changed");
  }
  for (uint32_t i = 0; i < h.attachmentCount; ++i) {
    msg31::AttachmentRecord a = msg31::AttachmentRecord::Decode(
        b + msg31::kHeaderSize + uint64_t{h.recipientCount} * 46 + uint64_t{i} * 281);
    const TvOldMessageFileIndex* entry = message.OldAttachments()[i];
    if (a.name != entry->m_csName.substr(0, 260).c_str()) tvfuzz::Fail("attachment name changed");
    if (a.size != entry->m_dword64Size || a.offset + a.size > bytes.size()) {
      tvfuzz::Fail("attachment size or offset wrong");
    }
    if (bytes.compare(a.offset, a.size,
                      std::string(reinterpret_cast<const char*>(data) + entry->m_dword64Position,
                                  a.size)) != 0) {
      tvfuzz::Fail("attachment contents changed");
    }
  }
  return 0;
}
