// The 3.1 message file: a 512-byte header, the 46-byte recipient records, the 281-byte attachment
// records, the body, an extra section (empty in files this tool writes) and the contents of every
// attachment, back to back, without gaps. All integers little-endian.
//
// The writer is TvMessage::Save; the one layout reader here (ReadLayout) checks a whole file for
// the companion tool, the fuzz targets and the tests, without trusting a length before it has
// checked what the file holds, and names where and why a damaged file breaks the format.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/byte_source.h"

namespace msg31 {

inline constexpr uint32_t kHeaderSize = 512;
inline constexpr uint32_t kRecipientRecordSize = 46;
inline constexpr uint32_t kAttachmentRecordSize = 281;

// Header offsets.
inline constexpr uint32_t kMagic = 0;              // "ZV31"
inline constexpr uint32_t kFormatBytes = 4;        // 4, 0, 2, 0
inline constexpr uint32_t kTotalSize = 8;          // 64-bit
inline constexpr uint32_t kBodySize = 16;          // 32-bit
inline constexpr uint32_t kAttachmentTotal = 20;   // 64-bit, sum of attachment contents
inline constexpr uint32_t kAttachmentCount = 28;   // 32-bit
inline constexpr uint32_t kAttachmentRecord = 32;  // 16-bit, 281
inline constexpr uint32_t kRecipientCount = 34;    // 32-bit
inline constexpr uint32_t kRecipientRecord = 38;   // 16-bit, 46
inline constexpr uint32_t kCarried1 = 40;          // carried values 1 to 4, 32-bit each
inline constexpr uint32_t kCarried2 = 44;
inline constexpr uint32_t kCarried3 = 48;
inline constexpr uint32_t kCarried4 = 52;
inline constexpr uint32_t kExtraSize = 68;   // 32-bit, extra-section size
inline constexpr uint32_t kFlagBytes = 76;   // 0, 0, 1, 0
inline constexpr uint32_t kReserved80 = 80;  // 32-bit, 0
inline constexpr uint32_t kReserved84 = 84;  // 64-bit, 0
inline constexpr uint32_t kTextA = 140;      // 33 bytes
inline constexpr uint32_t kTextB = 173;      // 17 bytes
inline constexpr uint32_t kTextC = 190;      // 257 bytes
inline constexpr uint32_t kTextD = 447;      // 65 bytes
inline constexpr uint32_t kTextAWidth = 33;
inline constexpr uint32_t kTextBWidth = 17;
inline constexpr uint32_t kTextCWidth = 257;
inline constexpr uint32_t kTextDWidth = 65;

// Part bits of TvMessage::WriteParts.
inline constexpr uint32_t kPartHeader = 0x01;
inline constexpr uint32_t kPartRecipients = 0x02;
inline constexpr uint32_t kPartAttachmentRecords = 0x04;
inline constexpr uint32_t kPartBody = 0x08;
inline constexpr uint32_t kPartContents = 0x20;
inline constexpr uint32_t kPartsAll = 0xFF;

// Recipient record: reserved 0, number 2, number 1, kind, name (33 bytes, at most 32 characters).
struct RecipientRecord {
  uint32_t reserved = 0;
  uint32_t number2 = 0;
  uint32_t number1 = 0;
  uint8_t kind = 0;
  std::string name;  // up to the first zero byte

  void Encode(uint8_t* record) const;  // kRecipientRecordSize bytes
  static RecipientRecord Decode(const uint8_t* record);
};

// Attachment record: reserved 0, size, offset of the contents in the file, file name (261 bytes,
// at most 260 characters).
struct AttachmentRecord {
  uint32_t reserved = 0;
  uint64_t size = 0;
  uint64_t offset = 0;
  std::string name;

  void Encode(uint8_t* record) const;  // kAttachmentRecordSize bytes
  static AttachmentRecord Decode(const uint8_t* record);
};

// The header's fields. The bytes between them are zero in every 3.1 header.
struct Header {
  std::string magic;
  uint8_t formatBytes[4] = {};
  uint64_t totalSize = 0;
  uint32_t bodySize = 0;
  uint64_t attachmentTotal = 0;
  uint32_t attachmentCount = 0;
  uint16_t attachmentRecordSize = 0;
  uint32_t recipientCount = 0;
  uint16_t recipientRecordSize = 0;
  uint32_t carried[4] = {};
  uint32_t extraSize = 0;
  uint8_t flagBytes[4] = {};
  std::string textA, textB, textC, textD;  // each up to its first zero byte

  void Encode(uint8_t* header) const;  // kHeaderSize bytes; texts cut to their width less one
  static Header Decode(const uint8_t* header);
};

// A whole 3.1 message file, attachment contents left in the file (they may be very large). After
// a failed read it holds what was read before the problem.
struct MessageFile {
  uint8_t headerBytes[kHeaderSize] = {};
  Header header;
  bool headerRead = false;  // header and headerBytes hold the file's first 512 bytes
  std::vector<RecipientRecord> recipients;
  std::vector<AttachmentRecord> attachments;
  std::string body;         // the body's first bytes, up to the limit the reader was given
  uint64_t bodyOffset = 0;  // where the body starts; 0 until the body has been read
  uint64_t fileLength = 0;
};

// Why a file is not a sound 3.1 message file, in the order the reader checks.
enum class ProblemKind {
  kNone,
  kCannotOpen,              // the file cannot be opened
  kCannotRead,              // a read inside the file's length failed
  kTooShort,                // shorter than the header
  kBadMagic,                // the magic is not "ZV31"
  kBadRecordSize,           // a record size field is not 46 / 281
  kSectionPastEnd,          // recipient or attachment records, body or extra section past the end
  kAttachmentMisplaced,     // an attachment's contents are not right after the previous ones
  kAttachmentPastEnd,       // an attachment's contents run past the end
  kAttachmentTotalDiffers,  // the header's attachment total differs from the records
  kTotalSizeDiffers,        // the header's total size differs from the file length
  kTrailingBytes,           // bytes follow the last attachment's contents
};

// A short stable word for kind ("bad-magic"), for machine-readable output.
const char* ProblemKey(ProblemKind kind);

using Problem = ReadProblem<ProblemKind>;

// Reads and checks a 3.1 message file from the start of source: magic and record sizes, every
// section against what the file holds, each attachment's offset against the running end of the
// contents and its size against the file, the attachment total against the records, the total
// size against the file length, and nothing after the last contents. Keeps at most bodyKept bytes
// of the body in out.body. Returns the first rule broken, with the offset where the broken part
// starts (the header field, the section or the attachment record), or a problem of kind kNone;
// out holds what was read before the problem.
Problem ReadLayout(ByteSource& source, MessageFile& out, uint32_t bodyKept = 0xFFFFFFFF);

// ReadLayout over the file at path. False with *problem set (when given) on failure.
bool ReadMessageFile(const std::string& path, MessageFile& out, Problem* problem,
                     uint32_t bodyKept = 0xFFFFFFFF);

// Reads size bytes of the file at offset (an attachment's contents); false when they are not all
// there.
bool ReadFileRange(const std::string& path, uint64_t offset, uint64_t size, std::string& out);

}  // namespace msg31
