#include "messages/message_format.h"

#include <algorithm>
#include <cstring>
#include <utility>

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

Problem Stop(ProblemKind kind, uint64_t offset, std::string text) {
  return Problem{kind, offset, std::move(text)};
}

std::string Numbered(const char* what, size_t index, const char* rest) {
  return what + std::to_string(index + 1) + rest;
}

// Reads count records of size bytes each into out; false when one cannot be read, with *at where
// it starts.
template <uint32_t size, typename Record>
bool ReadRecords(ByteSource& source, uint32_t count, std::vector<Record>& out, uint64_t* at) {
  uint8_t record[size];
  out.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    *at = source.Position();
    if (!source.Read(record, size)) return false;
    out.push_back(Record::Decode(record));
  }
  return true;
}

// Small files are read whole in one call; the rest of a large one is read where it is needed.
constexpr uint32_t kPrefetch = 1u << 16;

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

void Header::Encode(uint8_t* h) const {
  std::memset(h, 0, kHeaderSize);
  std::memcpy(h + kMagic, magic.data(), std::min<size_t>(magic.size(), 4));
  std::memcpy(h + kFormatBytes, formatBytes, 4);
  EncodeFixed64(h + kTotalSize, totalSize);
  EncodeFixed32(h + kBodySize, bodySize);
  EncodeFixed64(h + kAttachmentTotal, attachmentTotal);
  EncodeFixed32(h + kAttachmentCount, attachmentCount);
  EncodeFixed16(h + kAttachmentRecord, attachmentRecordSize);
  EncodeFixed32(h + kRecipientCount, recipientCount);
  EncodeFixed16(h + kRecipientRecord, recipientRecordSize);
  for (int i = 0; i < 4; ++i) EncodeFixed32(h + kCarried1 + 4 * i, carried[i]);
  EncodeFixed32(h + kExtraSize, extraSize);
  std::memcpy(h + kFlagBytes, flagBytes, 4);
  PutText(h + kTextA, kTextAWidth, textA);
  PutText(h + kTextB, kTextBWidth, textB);
  PutText(h + kTextC, kTextCWidth, textC);
  PutText(h + kTextD, kTextDWidth, textD);
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

const char* ProblemKey(ProblemKind kind) {
  // In the order of ProblemKind.
  static const char* const kKeys[] = {"none",
                                      "cannot-open",
                                      "cannot-read",
                                      "too-short",
                                      "bad-magic",
                                      "bad-record-size",
                                      "section-past-end",
                                      "attachment-misplaced",
                                      "attachment-past-end",
                                      "attachment-total",
                                      "total-size",
                                      "trailing-bytes"};
  return KeyOf(kind, kKeys);
}

Problem ReadLayout(ByteSource& source, MessageFile& out, uint32_t bodyKept) {
  out = MessageFile{};
  out.fileLength = source.Length();
  if (out.fileLength < kHeaderSize) {
    return Stop(ProblemKind::kTooShort, 0, "shorter than the 512-byte header");
  }
  if (!source.Read(out.headerBytes, kHeaderSize)) {
    return Stop(ProblemKind::kCannotRead, 0, "header cannot be read");
  }
  out.header = Header::Decode(out.headerBytes);
  out.headerRead = true;
  const Header& h = out.header;
  if (h.magic != "ZV31") return Stop(ProblemKind::kBadMagic, kMagic, "magic is not ZV31");
  if (h.recipientRecordSize != kRecipientRecordSize) {
    return Stop(ProblemKind::kBadRecordSize, kRecipientRecord, "recipient record size is not 46");
  }
  if (h.attachmentRecordSize != kAttachmentRecordSize) {
    return Stop(ProblemKind::kBadRecordSize, kAttachmentRecord,
                "attachment record size is not 281");
  }

  // Where each part starts; every sum stays far below 2^64 (32-bit counts and sizes).
  const uint64_t recipientsAt = kHeaderSize;
  const uint64_t attachmentsAt = recipientsAt + uint64_t{h.recipientCount} * kRecipientRecordSize;
  const uint64_t bodyAt = attachmentsAt + uint64_t{h.attachmentCount} * kAttachmentRecordSize;
  const uint64_t extraAt = bodyAt + h.bodySize;
  const uint64_t contentsAt = extraAt + h.extraSize;

  // Each part is checked against the file before it is read, so no vector grows larger than what
  // the file holds, and the parts before one that runs past the end are still read.
  if (attachmentsAt > out.fileLength) {
    return Stop(ProblemKind::kSectionPastEnd, recipientsAt, "recipient count runs past the end");
  }
  uint64_t at = 0;
  if (!ReadRecords<kRecipientRecordSize>(source, h.recipientCount, out.recipients, &at)) {
    return Stop(ProblemKind::kCannotRead, at, "short recipient record");
  }
  if (bodyAt > out.fileLength) {
    return Stop(ProblemKind::kSectionPastEnd, attachmentsAt, "attachment count runs past the end");
  }
  if (!ReadRecords<kAttachmentRecordSize>(source, h.attachmentCount, out.attachments, &at)) {
    return Stop(ProblemKind::kCannotRead, at, "short attachment record");
  }
  if (extraAt > out.fileLength) {
    return Stop(ProblemKind::kSectionPastEnd, bodyAt, "body size runs past the end");
  }
  const uint32_t kept = std::min(h.bodySize, bodyKept);
  out.body.resize(kept);
  if (!source.Read(out.body.data(), kept) || !source.Skip(h.bodySize - kept)) {
    out.body.clear();
    return Stop(ProblemKind::kCannotRead, bodyAt, "short body");
  }
  out.bodyOffset = bodyAt;
  if (contentsAt > out.fileLength) {
    return Stop(ProblemKind::kSectionPastEnd, extraAt, "extra section runs past the end");
  }

  uint64_t position = contentsAt;
  uint64_t total = 0;
  for (size_t i = 0; i < out.attachments.size(); ++i) {
    const AttachmentRecord& a = out.attachments[i];
    const uint64_t recordAt = attachmentsAt + i * kAttachmentRecordSize;
    if (a.offset != position) {
      return Stop(ProblemKind::kAttachmentMisplaced, recordAt,
                  Numbered("attachment ", i, " is not where it belongs"));
    }
    if (a.size > out.fileLength - position) {
      return Stop(ProblemKind::kAttachmentPastEnd, recordAt,
                  Numbered("attachment ", i, " runs past the end"));
    }
    position += a.size;
    total += a.size;
  }
  if (total != h.attachmentTotal) {
    return Stop(ProblemKind::kAttachmentTotalDiffers, kAttachmentTotal,
                "attachment total differs from records");
  }
  if (h.totalSize != out.fileLength) {
    return Stop(ProblemKind::kTotalSizeDiffers, kTotalSize, "total size differs from file length");
  }
  if (position != out.fileLength) {
    return Stop(ProblemKind::kTrailingBytes, position, "bytes after the last attachment");
  }
  return Problem{};
}

bool ReadMessageFile(const std::string& path, MessageFile& out, Problem* problem,
                     uint32_t bodyKept) {
  Problem result;
  TvFile file(0, 0);
  if (!file.Open(path, kModeReadShared)) {
    out = MessageFile{};
    result = Stop(ProblemKind::kCannotOpen, 0, "cannot be opened");
  } else {
    std::vector<uint8_t> buffer(kPrefetch);
    FileSource source(file, buffer.data());
    if (source.Prefetch(kPrefetch)) {
      result = ReadLayout(source, out, bodyKept);
    } else {
      out = MessageFile{};
      result = Stop(ProblemKind::kCannotRead, 0, "cannot be read");
    }
  }
  if (problem != nullptr) *problem = result;
  return result.Ok();
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
