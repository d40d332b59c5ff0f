#include "messages/old_message_format.h"

#include <cstring>

#include "foundation/coding.h"

namespace msg30 {

namespace {

std::string TextUpToZero(const uint8_t* field, uint32_t width) {
  uint32_t n = 0;
  while (n < width && field[n] != 0) ++n;
  return std::string(reinterpret_cast<const char*>(field), n);
}

}  // namespace

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

}  // namespace msg30
