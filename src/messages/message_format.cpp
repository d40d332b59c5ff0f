#include "messages/message_format.h"

#include <cstring>

#include "foundation/coding.h"
#include "foundation/tv_file.h"

namespace msg31 {

namespace {

std::string TextUpToZero(const uint8_t* field, uint32_t width) {
  uint32_t n = 0;
  while (n < width && field[n] != 0) ++n;
  return std::string(reinterpret_cast<const char*>(field), n);
}

void PutText(uint8_t* field, uint32_t width, const std::string& text) {
  std::memset(field, 0, width);
  size_t n = text.size() < width - 1 ? text.size() : width - 1;
  std::memcpy(field, text.data(), n);
}

bool Fail(std::string* problem, const std::string& text) {
  if (problem != nullptr) *problem = text;
  return false;
}

}  // namespace

void RecipientRecord::Encode(uint8_t* record) const {
  EncodeFixed32(record, reserved);
  EncodeFixed32(record + 4, number2);
  EncodeFixed32(record + 8, number1);
  record[12] = kind;
  PutText(record + 13, 33, name);
}

RecipientRecord RecipientRecord::Decode(const uint8_t* record) {
  RecipientRecord r;
  r.reserved = DecodeFixed32(record);
  r.number2 = DecodeFixed32(record + 4);
  r.number1 = DecodeFixed32(record + 8);
  r.kind = record[12];
  r.name = TextUpToZero(record + 13, 33);
  return r;
}

void AttachmentRecord::Encode(uint8_t* record) const {
  EncodeFixed32(record, reserved);
  EncodeFixed64(record + 4, size);
  EncodeFixed64(record + 12, offset);
  PutText(record + 20, 261, name);
}

AttachmentRecord AttachmentRecord::Decode(const uint8_t* record) {
  AttachmentRecord a;
  a.reserved = DecodeFixed32(record);
  a.size = DecodeFixed64(record + 4);
  a.offset = DecodeFixed64(record + 12);
  a.name = TextUpToZero(record + 20, 261);
  return a;
}

Header Header::Decode(const uint8_t* h) {
  Header header;
  header.magic.assign(reinterpret_cast<const char*>(h + kMagic), 4);
  std::memcpy(header.formatBytes, h + kFormatBytes, 4);
  header.totalSize = DecodeFixed64(h + kTotalSize);
  header.bodySize = DecodeFixed32(h + kBodySize);
  header.attachmentTotal = DecodeFixed64(h + kAttachmentTotal);
  header.attachmentCount = DecodeFixed32(h + kAttachmentCount);
  header.attachmentRecordSize = DecodeFixed16(h + kAttachmentRecord);
  header.recipientCount = DecodeFixed32(h + kRecipientCount);
  header.recipientRecordSize = DecodeFixed16(h + kRecipientRecord);
  for (int i = 0; i < 4; ++i) header.carried[i] = DecodeFixed32(h + kCarried1 + 4 * i);
  header.extraSize = DecodeFixed32(h + kExtraSize);
  std::memcpy(header.flagBytes, h + kFlagBytes, 4);
  header.textA = TextUpToZero(h + kTextA, kTextAWidth);
  header.textB = TextUpToZero(h + kTextB, kTextBWidth);
  header.textC = TextUpToZero(h + kTextC, kTextCWidth);
  header.textD = TextUpToZero(h + kTextD, kTextDWidth);
  return header;
}

bool ReadMessageFile(const std::string& path, MessageFile& out, std::string* problem) {
  TvFile file(0, 0);
  if (!file.Open(path, kModeReadShared)) return Fail(problem, "cannot be opened");
  out.fileLength = file.GetLength();
  if (out.fileLength < kHeaderSize) return Fail(problem, "shorter than the 512-byte header");
  if (!file.Read(out.headerBytes, kHeaderSize)) return Fail(problem, "header cannot be read");
  out.header = Header::Decode(out.headerBytes);
  const Header& h = out.header;
  if (h.magic != "ZV31") return Fail(problem, "magic is not ZV31");
  if (h.recipientRecordSize != kRecipientRecordSize) {
    return Fail(problem, "recipient record size is not 46");
  }
  if (h.attachmentRecordSize != kAttachmentRecordSize) {
    return Fail(problem, "attachment record size is not 281");
  }
  uint64_t left = out.fileLength - kHeaderSize;
  uint64_t recipientBytes = uint64_t{h.recipientCount} * kRecipientRecordSize;
  uint64_t attachmentBytes = uint64_t{h.attachmentCount} * kAttachmentRecordSize;
  if (recipientBytes > left) return Fail(problem, "recipient count runs past the end");
  left -= recipientBytes;
  if (attachmentBytes > left) return Fail(problem, "attachment count runs past the end");
  left -= attachmentBytes;
  if (h.bodySize > left) return Fail(problem, "body size runs past the end");
  left -= h.bodySize;
  if (h.extraSize > left) return Fail(problem, "extra section runs past the end");
  left -= h.extraSize;

  uint8_t record[kAttachmentRecordSize];
  for (uint32_t i = 0; i < h.recipientCount; ++i) {
    if (!file.Read(record, kRecipientRecordSize)) return Fail(problem, "short recipient record");
    out.recipients.push_back(RecipientRecord::Decode(record));
  }
  for (uint32_t i = 0; i < h.attachmentCount; ++i) {
    if (!file.Read(record, kAttachmentRecordSize)) {
      return Fail(problem, "short attachment record");
    }
    out.attachments.push_back(AttachmentRecord::Decode(record));
  }
  out.body.resize(h.bodySize);
  if (!file.Read(out.body.data(), h.bodySize)) return Fail(problem, "short body");

  uint64_t contentsStart =
      kHeaderSize + recipientBytes + attachmentBytes + h.bodySize + h.extraSize;
  uint64_t position = contentsStart;
  uint64_t total = 0;
  for (size_t i = 0; i < out.attachments.size(); ++i) {
    const AttachmentRecord& a = out.attachments[i];
    if (a.offset != position) {
      return Fail(problem, "attachment " + std::to_string(i + 1) + " is not where it belongs");
    }
    if (a.size > out.fileLength - position) {
      return Fail(problem, "attachment " + std::to_string(i + 1) + " runs past the end");
    }
    position += a.size;
    total += a.size;
  }
  if (total != h.attachmentTotal) return Fail(problem, "attachment total differs from records");
  if (h.totalSize != out.fileLength) return Fail(problem, "total size differs from file length");
  if (position != out.fileLength) return Fail(problem, "bytes after the last attachment");
  return true;
}

bool ReadFileRange(const std::string& path, uint64_t offset, uint64_t size, std::string& out) {
  out.clear();
  TvFile file(0, 0);
  if (!file.Open(path, kModeReadShared)) return false;
  uint64_t length = file.GetLength();
  if (offset > length || size > length - offset) return false;
  if (!file.SeekTo(offset)) return false;
  out.resize(size);
  uint64_t done = 0;
  while (done < size) {
    uint32_t piece = size - done > 0x800000 ? 0x800000 : static_cast<uint32_t>(size - done);
    if (!file.Read(out.data() + done, piece)) return false;
    done += piece;
  }
  return true;
}

}  // namespace msg31
