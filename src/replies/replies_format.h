// The canned-reply files as written: fast replies and auto answers, old (".Array") and new
// (".List") alike, all integers 32-bit little-endian:
//   header word (0 on writing), header value, item count,
//   then per item: the object record (type code, data word, name, second text, status) and one
//   32-bit trailing value.
//
// ReadTextList is the one walk of the format: the stores build their items from what it returns,
// the companion tool prints it, the fuzz targets and the tests read over memory.
// EncodeTextMessages is the one writer: the stores' new lists, sample data and the tests' old
// files.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "foundation/byte_source.h"

// Why a canned-reply file cannot be read.
enum class TextListProblem {
  kNone,
  kCannotOpen,     // missing or unreadable (the store's, before any byte is read)
  kLengthUnknown,  // the file's length cannot be learnt (the store's)
  kHeaderCut,      // the 12-byte header is cut off
  kItemCut,        // an item record is cut off
};
// A short stable word for a problem kind, for JSON and tests ("item-cut").
const char* ProblemKey(TextListProblem kind);
using TextListReadProblem = ReadProblem<TextListProblem>;

struct TvTextMessageImage {
  uint32_t type = 0;
  uint32_t data = 0;
  std::string name;
  std::string text;
  uint32_t status = 0;
  uint32_t trailing = 0;
  uint64_t offset = 0;  // read: where the record starts (not written)
};

struct TvTextMessagesImage {
  uint32_t headerWord = 0;
  uint32_t headerValue = 0;
  std::optional<uint32_t> count;  // written instead of items.size() when set; read: the header's
  std::vector<TvTextMessageImage> items;
};

// What a reading of a canned-reply file found, as far as it got.
struct TvTextListFile {
  uint64_t length = 0;
  bool headerRead = false;
  TvTextMessagesImage image;  // the items read whole, in file order
  uint64_t end = 0;           // where the last item ended, when nothing stopped
};

// Reads a canned-reply file. An empty input is an empty list.
TextListReadProblem ReadTextList(ByteSource& in, TvTextListFile& out);

std::string EncodeTextMessages(const TvTextMessagesImage& image);
