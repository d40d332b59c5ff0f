#include "messages/old_message_format.h"

#include <cstring>
#include <utility>

#include "foundation/coding.h"

namespace msg30 {

namespace {

std::string TextUpToZero(const uint8_t* field, uint32_t width) {
  uint32_t n = 0;
  while (n < width && field[n] != 0) ++n;
  return std::string(reinterpret_cast<const char*>(field), n);
}

Problem Stop(ProblemKind kind, uint64_t offset, std::string text) {
  return Problem{kind, offset, std::move(text)};
}

// The header rule DecodeHeader found broken, with the offset of the field that breaks it.
Problem HeaderRuleProblem(HeaderProblem rule, const uint8_t* bytes, const Header& header) {
  std::string text = std::string("header rule broken: ") + HeaderProblemText(rule);
  uint64_t offset = kMagic;
  switch (rule) {
    case HeaderProblem::kBadKind:
      offset = kKind;
      break;
    case HeaderProblem::kBadTotalSize:
      offset = kTotalSize;
      text += " (header says " + std::to_string(header.totalSize) + ", the parts give " +
              std::to_string(ExpectedTotalSize(header)) + ")";
      break;
    case HeaderProblem::kBadAttachmentSection:
      offset = kAttachmentSectionSize;
      break;
    case HeaderProblem::kTextNotTerminated:
      for (int i = 0; i < 4; ++i) {
        const uint32_t last = kTextOffset[i] + kTextWidth[i] - 1;
        if (bytes[last] != 0) {
          offset = kTextOffset[i];
          text += " (the text at " + std::to_string(offset) + " has no zero at byte " +
                  std::to_string(last) + ")";
          break;
        }
      }
      break;
    default:
      break;
  }
  return Stop(ProblemKind::kHeaderRule, offset, text);
}

Problem ReadRecipients(ByteSource& source, Layout& layout, uint32_t limit) {
  const Header& header = layout.header;
  const uint32_t recordSize = RecipientRecordSize(header.kind);
  const uint64_t recipientBytes = uint64_t{header.recipientCount} * recordSize;
  const uint64_t start = source.Position();
  if (recipientBytes > layout.length - start) {
    return Stop(ProblemKind::kRecipientsCut, start,
                std::to_string(header.recipientCount) + " recipient records of " +
                    std::to_string(recordSize) + " bytes run past the end of the file");
  }
  const uint32_t keep = limit < header.recipientCount ? limit : header.recipientCount;
  layout.recipients.reserve(keep);
  for (uint32_t i = 0; i < keep; ++i) {
    uint8_t buffer[kRecipientBufferSize] = {};
    const uint64_t at = source.Position();
    if (!source.Read(buffer, recordSize)) {
      return Stop(ProblemKind::kRecipientsCut, at,
                  "recipient record " + std::to_string(i + 1) + " cannot be read");
    }
    layout.recipients.push_back(DecodeRecipient(buffer));
  }
  if (!source.Skip(uint64_t{header.recipientCount - keep} * recordSize)) {
    return Stop(ProblemKind::kRecipientsCut, source.Position(), "the recipients cannot be passed");
  }
  return Problem{};
}

Problem ReadBody(ByteSource& source, Layout& layout, uint32_t limit) {
  const uint32_t size = layout.header.bodySize;
  const uint64_t start = source.Position();
  const uint64_t left = layout.length - start;
  if (size > left) {
    return Stop(ProblemKind::kBodyCut, start,
                "the body of " + std::to_string(size) + " bytes runs past the end of the file (" +
                    std::to_string(left) + " bytes left)");
  }
  layout.bodyOffset = start;
  const uint32_t keep = limit < size ? limit : size;
  layout.body.resize(keep);
  if (!source.Read(layout.body.data(), keep) || !source.Skip(size - keep)) {
    return Stop(ProblemKind::kBodyCut, start, "the body cannot be read");
  }
  return Problem{};
}

// One entry: its length byte, name and size; the contents are passed over, not read.
Problem ReadAttachmentEntry(ByteSource& source, Layout& layout, uint32_t index) {
  AttachmentEntry entry;
  entry.entryOffset = source.Position();
  const std::string which = "attachment " + std::to_string(index + 1);
  uint8_t nameLength = 0;
  if (!source.Read(&nameLength, 1)) {
    return Stop(ProblemKind::kAttachmentEntryCut, entry.entryOffset,
                which + ": the entry is cut off");
  }
  if (nameLength == 0) {
    return Stop(ProblemKind::kAttachmentNameZero, entry.entryOffset, which + ": name length is 0");
  }
  entry.name.resize(nameLength);
  if (!source.Read(entry.name.data(), nameLength) || !source.ReadUInt64(entry.size)) {
    return Stop(ProblemKind::kAttachmentEntryCut, entry.entryOffset,
                which + ": the name or size is cut off");
  }
  entry.contentOffset = source.Position();
  layout.attachments.push_back(entry);
  // The contents of the last entry may run past the end and still be passed over: its entry
  // is read whole, and only copying its contents fails.
  const bool passed = source.Skip(entry.size);
  if (passed && index + 1 == layout.header.attachmentCount) layout.entriesRead = true;
  const uint64_t available = layout.length - entry.contentOffset;
  if (entry.size > available) {
    return Stop(ProblemKind::kAttachmentPastEnd, entry.contentOffset,
                which + " '" + entry.name + "': " + std::to_string(entry.size) +
                    " bytes of contents, " + std::to_string(available) +
                    " left in the file (an attachment past the end of the file)");
  }
  if (!passed) {
    return Stop(ProblemKind::kAttachmentEntryCut, entry.contentOffset,
                which + ": cannot move past it");
  }
  return Problem{};
}

}  // namespace

const char* ProblemKey(ProblemKind kind) {
  // In the order of ProblemKind.
  static const char* const kKeys[] = {"none",
                                      "cannot-open",
                                      "too-short",
                                      "header",
                                      "recipients-cut",
                                      "body-cut",
                                      "attachments-cut",
                                      "attachment-name-length-0",
                                      "attachment-entry-cut",
                                      "attachment-past-end",
                                      "staging"};
  return KeyOf(kind, kKeys);
}

Problem ReadLayout(ByteSource& source, Layout& layout, const Limits& limits) {
  layout = Layout{};
  layout.length = source.Length();
  if (layout.length <= kHeaderSize) {
    return Stop(ProblemKind::kTooShort, 0,
                "the file is " + std::to_string(layout.length) + " bytes long, not more than the " +
                    std::to_string(kHeaderSize) + "-byte header");
  }
  uint8_t bytes[kHeaderSize];
  if (!source.Read(bytes, kHeaderSize)) {
    return Stop(ProblemKind::kTooShort, 0, "the header cannot be read");
  }
  layout.headerRead = true;
  const HeaderProblem rule = DecodeHeader(bytes, layout.header);
  if (rule != HeaderProblem::kNone) return HeaderRuleProblem(rule, bytes, layout.header);

  Problem problem = ReadRecipients(source, layout, limits.recipients);
  if (problem.Ok()) problem = ReadBody(source, layout, limits.bodyBytes);
  if (!problem.Ok()) return problem;

  const uint32_t count = layout.header.attachmentCount;
  const uint64_t start = source.Position();
  const uint64_t left = layout.length - start;
  if (uint64_t{count} * kMinAttachmentEntrySize > left) {
    return Stop(ProblemKind::kAttachmentsCut, start,
                std::to_string(count) + " attachment entries cannot fit in the " +
                    std::to_string(left) + " bytes left");
  }
  layout.attachments.reserve(count);
  if (count == 0) layout.entriesRead = true;
  for (uint32_t i = 0; i < count && problem.Ok(); ++i) {
    problem = ReadAttachmentEntry(source, layout, i);
  }
  return problem;
}

const char* HeaderProblemText(HeaderProblem problem) {
  switch (problem) {
    case HeaderProblem::kNone:
      return "no problem";
    case HeaderProblem::kBadMagic:
      return "the magic is not ZV30";
    case HeaderProblem::kBadKind:
      return "the recipient record kind is not 1, 2 or 3";
    case HeaderProblem::kBadTotalSize:
      return "the total size differs from the sum of the parts";
    case HeaderProblem::kBadAttachmentSection:
      return "an attachment section is given without attachments";
    case HeaderProblem::kTextNotTerminated:
      return "a header text is not terminated";
  }
  return "unknown problem";
}

uint32_t RecipientRecordSize(uint8_t kind) {
  if (kind == 1) return 34;
  if (kind == 2) return 38;
  return 42;
}

uint64_t ExpectedTotalSize(const Header& header) {
  uint32_t recipientBytes = header.recipientCount * RecipientRecordSize(header.kind);
  return kHeaderSize + uint64_t{recipientBytes} + header.bodySize + header.attachmentSectionSize;
}

HeaderProblem DecodeHeader(const uint8_t* bytes, Header& header) {
  header.kind = bytes[kKind];
  header.totalSize = DecodeFixed64(bytes + kTotalSize);
  header.attachmentSectionSize = DecodeFixed64(bytes + kAttachmentSectionSize);
  header.recipientCount = DecodeFixed32(bytes + kRecipientCount);
  header.bodySize = DecodeFixed32(bytes + kBodySize);
  header.attachmentCount = DecodeFixed32(bytes + kAttachmentCount);
  for (int i = 0; i < 4; ++i) {
    header.values[i] = DecodeFixed32(bytes + kValues + 4 * i);
    header.texts[i] = TextUpToZero(bytes + kTextOffset[i], kTextWidth[i]);
  }
  if (std::memcmp(bytes + kMagic, "ZV30", 4) != 0) return HeaderProblem::kBadMagic;
  if (header.kind < 1 || header.kind > 3) return HeaderProblem::kBadKind;
  if (header.totalSize != ExpectedTotalSize(header)) return HeaderProblem::kBadTotalSize;
  if (header.attachmentSectionSize != 0 && header.attachmentCount == 0) {
    return HeaderProblem::kBadAttachmentSection;
  }
  for (int i = 0; i < 4; ++i) {
    if (bytes[kTextOffset[i] + kTextWidth[i] - 1] != 0) return HeaderProblem::kTextNotTerminated;
  }
  return HeaderProblem::kNone;
}

void EncodeHeader(const Header& header, uint8_t* bytes) {
  std::memset(bytes, 0, kHeaderSize);
  std::memcpy(bytes + kMagic, "ZV30", 4);
  bytes[kKind] = header.kind;
  EncodeFixed64(bytes + kTotalSize, header.totalSize);
  EncodeFixed64(bytes + kAttachmentSectionSize, header.attachmentSectionSize);
  EncodeFixed32(bytes + kRecipientCount, header.recipientCount);
  EncodeFixed32(bytes + kBodySize, header.bodySize);
  EncodeFixed32(bytes + kAttachmentCount, header.attachmentCount);
  for (int i = 0; i < 4; ++i) {
    EncodeFixed32(bytes + kValues + 4 * i, header.values[i]);
    size_t n = header.texts[i].size();
    if (n > kTextWidth[i]) n = kTextWidth[i];
    std::memcpy(bytes + kTextOffset[i], header.texts[i].data(), n);
  }
}

Recipient DecodeRecipient(const uint8_t* buffer) {
  Recipient recipient;
  recipient.name = TextUpToZero(buffer, 32);
  recipient.kind = buffer[33];
  recipient.number1 = DecodeBigEndian32(buffer + 34);
  recipient.number2 = DecodeBigEndian32(buffer + 38);
  return recipient;
}

void AppendRecipient(const Recipient& recipient, uint8_t headerKind, std::string* out) {
  uint8_t record[kRecipientBufferSize] = {};
  size_t n = recipient.name.size() < 33 ? recipient.name.size() : 33;
  std::memcpy(record, recipient.name.data(), n);
  record[33] = recipient.kind;
  for (int i = 0; i < 4; ++i) {
    record[34 + i] = static_cast<uint8_t>(recipient.number1 >> (24 - 8 * i));
    record[38 + i] = static_cast<uint8_t>(recipient.number2 >> (24 - 8 * i));
  }
  out->append(reinterpret_cast<const char*>(record), RecipientRecordSize(headerKind));
}

void AppendAttachmentEntryHead(const std::string& name, uint64_t contentSize, std::string* out,
                               int nameLength) {
  std::string stored = name.size() > 255 ? name.substr(0, 255) : name;
  uint8_t length = static_cast<uint8_t>(nameLength >= 0 ? nameLength : stored.size());
  out->push_back(static_cast<char>(length));
  out->append(stored);
  PutFixed64(out, contentSize);
}

void MessageAttachment::AppendHead(std::string* out) const {
  const uint64_t size = declaredSize < 0 ? Size() : static_cast<uint64_t>(declaredSize);
  AppendAttachmentEntryHead(name, size, out, nameLength);
}

void Message::FillSizes() {
  header.recipientCount = static_cast<uint32_t>(recipients.size());
  header.bodySize = static_cast<uint32_t>(body.size());
  header.attachmentCount = static_cast<uint32_t>(attachments.size());
  uint64_t section = 0;
  for (const MessageAttachment& attachment : attachments) {
    std::string head;
    attachment.AppendHead(&head);
    section += head.size() + attachment.Size();
  }
  header.attachmentSectionSize = section;
  header.totalSize = ExpectedTotalSize(header);
}

std::string Message::EncodeFront() const {
  uint8_t bytes[kHeaderSize];
  EncodeHeader(header, bytes);
  std::string out(reinterpret_cast<const char*>(bytes), kHeaderSize);
  for (const Recipient& recipient : recipients) AppendRecipient(recipient, header.kind, &out);
  out += body;
  return out;
}

std::string Message::Encode() const {
  std::string out = EncodeFront();
  for (const MessageAttachment& attachment : attachments) {
    attachment.AppendHead(&out);
    out += attachment.contents;
  }
  return out;
}

}  // namespace msg30
