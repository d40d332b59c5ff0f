#include "zvtool/message_reader.h"

#include <cstring>

#include "foundation/coding.h"
#include "foundation/tv_file.h"
#include "foundation/utilities.h"
#include "messages/message_format.h"
#include "messages/plain_names.h"
#include "platform/ui.h"
#include "zvtool/tool_common.h"

namespace zvtool {

const char* OldProblemKey(OldProblem problem) {
  switch (problem) {
    case OldProblem::kNone:
      return "none";
    case OldProblem::kCannotOpen:
      return "cannot-open";
    case OldProblem::kTooShort:
      return "too-short";
    case OldProblem::kHeaderRule:
      return "header";
    case OldProblem::kRecipientsCut:
      return "recipients-cut";
    case OldProblem::kBodyCut:
      return "body-cut";
    case OldProblem::kAttachmentsCut:
      return "attachments-cut";
    case OldProblem::kAttachmentNameZero:
      return "attachment-name-length-0";
    case OldProblem::kAttachmentEntryCut:
      return "attachment-entry-cut";
    case OldProblem::kAttachmentPastEnd:
      return "attachment-past-end";
  }
  return "unknown";
}

namespace {

OldMessageDiagnosis& Stop(OldMessageDiagnosis& d, OldProblem problem, uint64_t at,
                          const std::string& reason) {
  d.problem = problem;
  d.stoppedAt = at;
  d.reason = reason;
  return d;
}

}  // namespace

OldMessageDiagnosis DiagnoseOldMessage(const std::string& path, uint32_t previewLimit,
                                       uint32_t recipientLimit) {
  OldMessageDiagnosis d;
  TvFile file(0, 0);
  if (!file.Open(path, kModeReadShared)) {
    return Stop(d, OldProblem::kCannotOpen, 0, "the file cannot be opened");
  }
  d.fileLength = file.GetLength();
  const uint64_t length = d.fileLength;
  if (length <= msg30::kHeaderSize) {
    return Stop(d, OldProblem::kTooShort, 0,
                "the file is " + std::to_string(length) + " bytes long, not more than the " +
                    std::to_string(msg30::kHeaderSize) + "-byte header");
  }
  uint8_t bytes[msg30::kHeaderSize];
  if (!file.Read(bytes, msg30::kHeaderSize)) {
    return Stop(d, OldProblem::kTooShort, 0, "the header cannot be read");
  }
  d.headerRead = true;
  msg30::HeaderProblem headerProblem = msg30::DecodeHeader(bytes, d.header);
  if (headerProblem != msg30::HeaderProblem::kNone) {
    std::string reason =
        std::string("header rule broken: ") + msg30::HeaderProblemText(headerProblem);
    if (headerProblem == msg30::HeaderProblem::kBadTotalSize) {
      reason += " (header says " + std::to_string(d.header.totalSize) + ", the parts give " +
                std::to_string(msg30::ExpectedTotalSize(d.header)) + ")";
    }
    return Stop(d, OldProblem::kHeaderRule, 0, reason);
  }

  // The same order and the same limits as the conversion's reader: every count is checked
  // against what is left before anything is read for it.
  uint64_t position = msg30::kHeaderSize;
  uint64_t left = length - position;
  const uint32_t recordSize = msg30::RecipientRecordSize(d.header.kind);
  const uint64_t recipientBytes = uint64_t{d.header.recipientCount} * recordSize;
  if (recipientBytes > left) {
    return Stop(d, OldProblem::kRecipientsCut, position,
                std::to_string(d.header.recipientCount) + " recipient records of " +
                    std::to_string(recordSize) + " bytes run past the end of the file");
  }
  uint32_t keep =
      recipientLimit < d.header.recipientCount ? recipientLimit : d.header.recipientCount;
  for (uint32_t i = 0; i < keep; ++i) {
    uint8_t buffer[msg30::kRecipientBufferSize] = {};
    if (!file.Read(buffer, recordSize)) {
      return Stop(d, OldProblem::kRecipientsCut, position, "a recipient record cannot be read");
    }
    d.recipients.push_back(msg30::DecodeRecipient(buffer));
    position += recordSize;
  }
  position = msg30::kHeaderSize + recipientBytes;
  left -= recipientBytes;

  if (d.header.bodySize > left) {
    return Stop(d, OldProblem::kBodyCut, position,
                "the body of " + std::to_string(d.header.bodySize) +
                    " bytes runs past the end of the file (" + std::to_string(left) +
                    " bytes left)");
  }
  d.bodyOffset = position;
  uint32_t preview = previewLimit < d.header.bodySize ? previewLimit : d.header.bodySize;
  if (preview > 0) {
    d.bodyPreview.resize(preview);
    if (!file.SeekTo(position) || !file.Read(d.bodyPreview.data(), preview)) {
      return Stop(d, OldProblem::kBodyCut, position, "the body cannot be read");
    }
  }
  position += d.header.bodySize;
  left -= d.header.bodySize;

  if (uint64_t{d.header.attachmentCount} * msg30::kMinAttachmentEntrySize > left) {
    return Stop(d, OldProblem::kAttachmentsCut, position,
                std::to_string(d.header.attachmentCount) +
                    " attachment entries cannot fit in the " + std::to_string(left) +
                    " bytes left");
  }
  if (!file.SeekTo(position)) {
    return Stop(d, OldProblem::kAttachmentEntryCut, position, "cannot move to the attachments");
  }
  for (uint32_t i = 0; i < d.header.attachmentCount; ++i) {
    OldAttachmentEntry entry;
    entry.entryOffset = position;
    const std::string which = "attachment " + std::to_string(i + 1);
    uint8_t nameLength = 0;
    if (!file.Read(&nameLength, 1)) {
      return Stop(d, OldProblem::kAttachmentEntryCut, position, which + ": the entry is cut off");
    }
    if (nameLength == 0) {
      return Stop(d, OldProblem::kAttachmentNameZero, position, which + ": name length is 0");
    }
    entry.name.resize(nameLength);
    if (!file.Read(entry.name.data(), nameLength) || !file.ReadUInt64(entry.size)) {
      return Stop(d, OldProblem::kAttachmentEntryCut, position,
                  which + ": the name or size is cut off");
    }
    entry.contentOffset = position + 1 + nameLength + 8;
    entry.plainName = IsPlainName(entry.name);
    d.attachments.push_back(entry);
    if (entry.size > length || entry.contentOffset > length - entry.size) {
      uint64_t available = entry.contentOffset <= length ? length - entry.contentOffset : 0;
      return Stop(d, OldProblem::kAttachmentPastEnd, entry.contentOffset,
                  which + " '" + entry.name + "': " + std::to_string(entry.size) +
                      " bytes of contents, " + std::to_string(available) +
                      " left in the file (an attachment past the end of the file)");
    }
    position = entry.contentOffset + entry.size;
    if (!file.SeekTo(position)) {
      return Stop(d, OldProblem::kAttachmentEntryCut, position, which + ": cannot move past it");
    }
  }
  d.stoppedAt = position;
  return d;
}

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
