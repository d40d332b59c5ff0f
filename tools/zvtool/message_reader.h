// Reading 3.0 message files the way the conversion does, without touching the data folder.
//
// DiagnoseOldMessage walks a file read-only with the 3.0 format's own decoders and names the
// first rule it breaks, with the offset where reading stopped. OldMessageLoader runs the
// conversion's own TvMessage::LoadOld on a file, staging attachments in a private scratch folder,
// so that its verdict is exactly the converter's.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/data_paths.h"
#include "foundation/tv_log.h"
#include "messages/old_message_format.h"
#include "messages/tv_message.h"
#include "platform/recording_ui.h"

namespace zvtool {

enum class OldProblem {
  kNone,
  kCannotOpen,          // missing or unreadable
  kTooShort,            // 208 bytes or less
  kHeaderRule,          // a header rule is broken
  kRecipientsCut,       // the recipient records run past the end of the file
  kBodyCut,             // the body runs past the end of the file
  kAttachmentsCut,      // the attachment entries cannot fit in what is left
  kAttachmentNameZero,  // an entry's name length is 0
  kAttachmentEntryCut,  // an entry's name or size is cut off
  kAttachmentPastEnd,   // an attachment's contents run past the end of the file
};
// A short stable word for a problem kind, for JSON and tests ("header", "attachment-past-end").
const char* OldProblemKey(OldProblem problem);

struct OldAttachmentEntry {
  std::string name;
  uint64_t entryOffset = 0;  // where its length byte is
  uint64_t size = 0;
  uint64_t contentOffset = 0;  // where its contents start
  bool plainName = true;       // usable as a file name as stored
};

struct OldMessageDiagnosis {
  OldProblem problem = OldProblem::kNone;
  std::string reason;      // for people; empty when the file is sound
  uint64_t stoppedAt = 0;  // offset where reading stopped (the file length when sound)
  uint64_t fileLength = 0;
  bool headerRead = false;
  msg30::Header header;
  std::vector<msg30::Recipient> recipients;
  uint64_t bodyOffset = 0;
  std::string bodyPreview;  // at most previewLimit bytes of the body
  std::vector<OldAttachmentEntry> attachments;

  bool Ok() const { return problem == OldProblem::kNone; }
};

// previewLimit bounds the body bytes kept; recipients are kept only up to recipientLimit.
OldMessageDiagnosis DiagnoseOldMessage(const std::string& path, uint32_t previewLimit = 0,
                                       uint32_t recipientLimit = 0);

// The new file name an old one maps to: 16 hexadecimal digits and ".Message".
std::string NewMessageFileName(const std::string& oldFileName);
// Bytes of the 3.1 file Save writes for a loaded message.
uint64_t NewMessageSize(TvMessage& message);

class OldMessageLoader {
 public:
  // scratch: a private folder (ending in a separator) for staged attachments and log lines.
  explicit OldMessageLoader(const std::string& scratch);

  // TvMessage::LoadOld on path. Texts of any file error it reported go to *messages.
  bool Load(const std::string& path, std::string* messages);
  TvMessage& Message() { return m_message; }
  // Whether converting the old file at oldPath writes exactly the bytes of the 3.1 file at
  // existing: the conversion replaces a 3.1 file already there only then. The new bytes are
  // written in the scratch folder and removed again.
  bool WritesSameAs(const std::string& oldPath, const std::string& existing);

 private:
  // Messages have no folder here; a message is saved only where WritesSameAs puts it.
  class NoFolders : public TvFolderLookup {
   public:
    int32_t FolderIdByFilePath(const std::string&) override { return FOLDER_NONE; }
    void MessageFilePath(std::string& out, uint64_t, int32_t) override { out = target; }
    std::string target;
  };
  std::string m_scratch;
  uint64_t m_rewrites = 0;

  TvFixedDataPaths m_paths;
  TvLog m_log;
  NoFolders m_folders;
  TvMessage m_message;
};

}  // namespace zvtool
