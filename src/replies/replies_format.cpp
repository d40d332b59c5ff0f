#include "replies/replies_format.h"

#include "foundation/coding.h"
#include "foundation/small_file_source.h"

const char* ProblemKey(TextListProblem kind) {
  // In the order of TextListProblem.
  static const char* const kKeys[] = {"none", "cannot-open", "length-unknown", "header-cut",
                                      "item-cut"};
  return KeyOf(kind, kKeys);
}

TextListReadProblem ReadTextList(ByteSource& in, TvTextListFile& out) {
  out.length = in.Length();
  if (out.length == 0) return {};
  TvTextMessagesImage& image = out.image;
  uint32_t count = 0;
  if (!in.ReadUInt32(image.headerWord) || !in.ReadUInt32(image.headerValue) ||
      !in.ReadUInt32(count)) {
    return {TextListProblem::kHeaderCut, 0, "the 12-byte header is cut short"};
  }
  out.headerRead = true;
  image.count = count;
  // Each item consumes its record or ends the reading, so a count larger than the file holds
  // stops at the first short read; nothing is allocated ahead by the count.
  for (uint32_t i = 0; i < count; ++i) {
    TvTextMessageImage item;
    item.offset = in.Position();
    if (!in.ReadUInt32(item.type) || !in.ReadUInt32(item.data) ||
        !ReadCountedString(in, item.name) || !ReadCountedString(in, item.text) ||
        !in.ReadUInt32(item.status) || !in.ReadUInt32(item.trailing)) {
      return {TextListProblem::kItemCut, item.offset,
              "text " + std::to_string(i + 1) + " is cut short"};
    }
    image.items.push_back(std::move(item));
  }
  out.end = in.Position();
  return {};
}

std::string EncodeTextMessages(const TvTextMessagesImage& image) {
  std::string out;
  PutFixed32(&out, image.headerWord);
  PutFixed32(&out, image.headerValue);
  PutFixed32(&out, image.count.value_or(static_cast<uint32_t>(image.items.size())));
  for (const TvTextMessageImage& item : image.items) {
    PutFixed32(&out, item.type);
    PutFixed32(&out, item.data);
    PutCountedString(&out, item.name);
    PutCountedString(&out, item.text);
    PutFixed32(&out, item.status);
    PutFixed32(&out, item.trailing);
  }
  return out;
}
