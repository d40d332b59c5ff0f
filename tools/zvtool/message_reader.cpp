#include "zvtool/message_reader.h"

#include "foundation/utilities.h"
#include "messages/message_format.h"
#include "zvtool/tool_common.h"

namespace zvtool {

std::string NewMessageFileName(const std::string& oldFileName) {
  return Hex16(TvMessage::IdentifierFromOldName(oldFileName)) + ".Message";
}

uint64_t NewMessageSize(TvMessage& message) {
  uint64_t total = 0;
  message.TotalAttachmentSize(total);
  return msg31::kHeaderSize +
         uint64_t{msg31::kRecipientRecordSize} * message.Recipients().GetSize() +
         uint64_t{msg31::kAttachmentRecordSize} * message.Attachments().GetSize() +
         message.BodySize() + total;
}

OldMessageLoader::OldMessageLoader(const std::string& scratch)
    : m_scratch(scratch), m_paths(scratch), m_log(m_paths), m_message(m_log, m_folders) {
  m_message.SetStagingFolder(scratch + "staging");
}

bool OldMessageLoader::Load(const std::string& path, std::string* messages) {
  platform::ScopedRecordingUI recording;
  bool loaded = m_message.LoadOld(path) != 0;
  if (messages != nullptr) {
    messages->clear();
    for (const auto& box : recording.ui.boxes) {
      if (!messages->empty()) *messages += "; ";
      *messages += box.text;
    }
  }
  return loaded;
}

bool OldMessageLoader::WritesSameAs(const std::string& oldPath, const std::string& existing) {
  platform::ScopedRecordingUI recording;
  // A name of its own each time: the message object never writes one name twice.
  m_folders.target = m_scratch + "rewrite-" + std::to_string(++m_rewrites) + ".Message";
  bool same = m_message.LoadOld(oldPath) && m_message.Save(oldPath) &&
              SameFileContents(m_folders.target, existing);
  DeleteFileIfExists(m_folders.target);
  m_folders.target.clear();
  return same;
}

}  // namespace zvtool
