// A 3.0 message that loads is saved as 3.1, read back with the 3.1 reader, and carries the same
// values: body, recipients, texts, carried values, and every attachment's name and contents.
// The input is also read as a 3.1 file: the reader stops inside it or finds a file that adds up.
#include <cstring>
#include <filesystem>

#include "database/tv_database.h"
#include "foundation/byte_source.h"
#include "fuzz/fuzz_common.h"
#include "messages/message_format.h"
#include "messages/old_message_format.h"
#include "messages/tv_message.h"
#include "platform/file_system.h"

namespace {

// Header, records, body, extra section and contents, back to back.
uint64_t PartsTotal(const msg31::MessageFile& file) {
  const msg31::Header& h = file.header;
  return msg31::kHeaderSize + uint64_t{msg31::kRecipientRecordSize} * file.recipients.size() +
         uint64_t{msg31::kAttachmentRecordSize} * file.attachments.size() + h.bodySize +
         h.extraSize + h.attachmentTotal;
}

void ReadAsNewMessage(const uint8_t* data, size_t size) {
  BufferSource source(data, size);
  msg31::MessageFile file;
  const msg31::Problem problem = msg31::ReadLayout(source, file);
  if (problem.offset > size) tvfuzz::Fail("3.1 problem offset past the end: " + problem.text);
  if (!problem.Ok()) {
    if (problem.text.empty()) tvfuzz::Fail("3.1 problem without a text");
    return;
  }
  if (file.header.totalSize != size || PartsTotal(file) != size ||
      file.body.size() != file.header.bodySize) {
    tvfuzz::Fail("a sound 3.1 file does not add up");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ReadAsNewMessage(data, size);

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
  BufferSource source(bytes);
  msg31::MessageFile saved;
  const msg31::Problem problem = msg31::ReadLayout(source, saved);
  if (!problem.Ok()) tvfuzz::Fail("the saved 3.1 file does not read back: " + problem.text);
  const msg31::Header& h = saved.header;
  if (h.bodySize != old.bodySize || saved.recipients.size() != old.recipientCount) {
    tvfuzz::Fail("body size or recipient count changed");
  }
  if (h.carried[0] != old.values[2] || h.carried[1] != old.values[3] ||
      h.carried[2] != old.values[0] || h.carried[3] != old.values[1]) {
    tvfuzz::Fail("carried values changed");
  }
  const uint32_t recordSize = msg30::RecipientRecordSize(old.kind);
  const uint64_t bodyOld = msg30::kHeaderSize + uint64_t{old.recipientCount} * recordSize;
  if (saved.body != std::string(reinterpret_cast<const char*>(data) + bodyOld, old.bodySize)) {
    tvfuzz::Fail("body changed");
  }
  if (saved.attachments.size() != message.OldAttachments().GetSize()) {
    tvfuzz::Fail("attachment count changed");
  }
  for (uint32_t i = 0; i < saved.attachments.size(); ++i) {
    const msg31::AttachmentRecord& a = saved.attachments[i];
    const TvOldMessageFileIndex* entry = message.OldAttachments()[i];
    if (a.name != entry->m_csName.substr(0, 260).c_str()) tvfuzz::Fail("attachment name changed");
    if (a.size != entry->m_dword64Size) tvfuzz::Fail("attachment size changed");
    if (bytes.compare(a.offset, a.size,
                      std::string(reinterpret_cast<const char*>(data) + entry->m_dword64Position,
                                  a.size)) != 0) {
      tvfuzz::Fail("attachment contents changed");
    }
  }
  return 0;
}
