// The 3.0 message file: a 208-byte header, the recipient records (34, 38 or 42 bytes by the
// header's kind byte), the body, and one attachment entry per attachment (name length 1 to 255,
// the name, a 64-bit content size, the contents). Integers little-endian except the recipients'
// numbers, which are big-endian.
//
// ReadLayout is the one walk of the format: TvMessage::LoadOld and the companion tool both read
// files with it. The writers (tests, the companion tool's samples, fuzz seeds) build files with
// the Encode and Append functions.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/byte_source.h"

namespace msg30 {

inline constexpr uint32_t kHeaderSize = 208;
inline constexpr uint32_t kRecipientBufferSize = 42;
// The smallest attachment entry: the length byte, a one-byte name, the size.
inline constexpr uint32_t kMinAttachmentEntrySize = 1 + 1 + 8;

// Header offsets.
inline constexpr uint32_t kMagic = 0;  // "ZV30"
inline constexpr uint32_t kKind = 4;
inline constexpr uint32_t kTotalSize = 8;
inline constexpr uint32_t kAttachmentSectionSize = 16;
inline constexpr uint32_t kRecipientCount = 24;
inline constexpr uint32_t kBodySize = 28;
inline constexpr uint32_t kAttachmentCount = 32;
inline constexpr uint32_t kValues = 36;  // four 32-bit values at 36, 40, 44, 48
// The four texts: offset and width of each field; the field's last byte must be 0.
inline constexpr uint32_t kTextOffset[4] = {56, 89, 122, 139};
inline constexpr uint32_t kTextWidth[4] = {33, 33, 17, 65};

struct Header {
  uint8_t kind = 1;
  uint64_t totalSize = 0;
  uint64_t attachmentSectionSize = 0;
  uint32_t recipientCount = 0;
  uint32_t bodySize = 0;
  uint32_t attachmentCount = 0;
  uint32_t values[4] = {};  // the values at offsets 36, 40, 44, 48
  std::string texts[4];     // the texts at offsets 56, 89, 122, 139, up to their first zero byte
};

enum class HeaderProblem {
  kNone,
  kBadMagic,              // not "ZV30"
  kBadKind,               // kind byte not 1, 2 or 3
  kBadTotalSize,          // total size differs from the sum of the parts
  kBadAttachmentSection,  // attachment section size without attachments
  kTextNotTerminated,     // a text field's last byte is not 0
};
const char* HeaderProblemText(HeaderProblem problem);

// Record size for a kind byte: 34 for kind 1, 38 for kind 2, 42 otherwise.
uint32_t RecipientRecordSize(uint8_t kind);

// The total size the header rule expects: 208 + recipient bytes (kept to 32 bits) + body size +
// attachment section size, summed in 64 bits.
uint64_t ExpectedTotalSize(const Header& header);

// Decodes the 208 header bytes and checks every header rule, in table order.
HeaderProblem DecodeHeader(const uint8_t* bytes, Header& header);
// Encodes a header as given (broken fields included, texts cut to their field widths and not
// terminated when they fill it). bytes receives kHeaderSize bytes.
void EncodeHeader(const Header& header, uint8_t* bytes);

struct Recipient {
  std::string name;  // at most 32 characters are kept
  uint8_t kind = 0;
  uint32_t number1 = 0;
  uint32_t number2 = 0;
};

// Decodes one record held in a zero-filled 42-byte buffer (byte 32 of the name is taken as 0;
// numbers that the record's kind does not hold read as 0 from the zero fill).
Recipient DecodeRecipient(const uint8_t* buffer);
// Appends one record of the header kind's size (the numbers it has room for, big-endian).
void AppendRecipient(const Recipient& recipient, uint8_t headerKind, std::string* out);

// Appends the part of an attachment entry before its contents: length byte, name, size. The name
// is cut to 255 bytes; the length byte is written as nameLength when given (broken entries).
void AppendAttachmentEntryHead(const std::string& name, uint64_t contentSize, std::string* out,
                               int nameLength = -1);

// One attachment of a whole message as it is written.
struct MessageAttachment {
  std::string name;
  std::string contents;
  // Contents the writer streams after the entry itself (large ones): their size. contents is
  // then empty and Encode leaves them out.
  uint64_t streamedSize = 0;
  // Broken entries: the length byte and the content size as written (-1: the real ones).
  int nameLength = -1;
  int64_t declaredSize = -1;

  uint64_t Size() const { return contents.size() + streamedSize; }
  // The entry before its contents: length byte, name, size.
  void AppendHead(std::string* out) const;
};

// A whole 3.0 message from its parts: what zvtool's samples, the tests and the fuzz seeds write.
struct Message {
  Header header;  // encoded as it stands (broken fields included)
  std::vector<Recipient> recipients;
  std::string body;
  std::vector<MessageAttachment> attachments;

  // Sets the header's counts, body size, attachment section size and total size from the parts;
  // its kind, values and texts stay.
  void FillSizes();
  // The bytes before the first attachment entry: the header, the recipient records (of the
  // header kind's size) and the body.
  std::string EncodeFront() const;
  // The whole file: the front, then each attachment's entry and contents.
  std::string Encode() const;
};

// Why a 3.0 message file cannot be read (or, for kCannotOpen and kStaging, converted).
enum class ProblemKind {
  kNone,
  kCannotOpen,          // missing or unreadable
  kTooShort,            // 208 bytes or less, or the header cannot be read
  kHeaderRule,          // a header rule is broken
  kRecipientsCut,       // the recipient records run past the end of the file
  kBodyCut,             // the body runs past the end of the file
  kAttachmentsCut,      // the attachment entries cannot fit in what is left
  kAttachmentNameZero,  // an entry's name length is 0
  kAttachmentEntryCut,  // an entry's name or size is cut off
  kAttachmentPastEnd,   // an attachment's contents run past the end of the file
  kStaging,             // the file reads, but an attachment cannot be staged
};
// A short stable word for a problem kind, for JSON and tests ("header", "attachment-past-end").
const char* ProblemKey(ProblemKind kind);
using Problem = ReadProblem<ProblemKind>;

struct AttachmentEntry {
  std::string name;
  uint64_t entryOffset = 0;    // where its length byte is
  uint64_t size = 0;           // of its contents
  uint64_t contentOffset = 0;  // where its contents start
};

// What ReadLayout found, as far as it got.
struct Layout {
  Header header;
  bool headerRead = false;  // header holds the decoded fields (rules broken or not)
  std::vector<Recipient> recipients;
  uint64_t bodyOffset = 0;  // 0 until the body is known to fit
  std::string body;         // up to Limits::bodyBytes
  std::vector<AttachmentEntry> attachments;
  uint64_t length = 0;  // of the input
  // Every entry was read, even when the last one's contents run past the end of the input.
  bool entriesRead = false;
};

// How much of the parts that only a reader of the contents needs is kept.
struct Limits {
  uint32_t recipients = UINT32_MAX;
  uint32_t bodyBytes = UINT32_MAX;
};

// Walks the file front to back: the length, the header and its rules, then the recipients, the
// body and the attachment entries, each count checked against what is left before anything is
// read or allocated for it. Stops at the first problem, with the offset where the broken part
// starts; what was read until then stays in layout. An attachment whose contents run past the
// end is a problem whichever entry it is; when it is the last one, entriesRead is still set.
Problem ReadLayout(ByteSource& source, Layout& layout, const Limits& limits = {});

}  // namespace msg30
