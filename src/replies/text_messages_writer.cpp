#include "replies/text_messages_writer.h"

#include "foundation/coding.h"

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
