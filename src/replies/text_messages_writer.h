// Builds an image of a canned-replies file (".Array" and ".List" share the layout) from a
// description. The converter writes its files through TvTextMessagesArray; the companion tool's
// sample data and the tests build old files with this.
//
// Layout (32-bit little-endian): header word, header value, item count, then per item the object
// record (type, data word, name, second text, status) and a trailing value.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct TvTextMessageImage {
  uint32_t type = 0;
  uint32_t data = 0;
  std::string name;
  std::string text;
  uint32_t status = 0;
  uint32_t trailing = 0;
};

struct TvTextMessagesImage {
  uint32_t headerWord = 0;
  uint32_t headerValue = 0;
  std::optional<uint32_t> count;  // written instead of items.size() when set
  std::vector<TvTextMessageImage> items;
};

std::string EncodeTextMessages(const TvTextMessagesImage& image);
