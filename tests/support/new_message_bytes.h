// A sound 3.1 message file built byte by byte, with where each of its parts starts, for tests that
// damage one part and expect the reader to name it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tvtest {

struct NewMessageBytes {
  std::string bytes;
  uint64_t attachmentsAt = 0;  // the first attachment record
  uint64_t bodyAt = 0;
  uint64_t extraAt = 0;     // the (empty) extra section
  uint64_t contentsAt = 0;  // the first attachment's contents

  // Little-endian value of width bytes at offset.
  void Put(uint64_t offset, uint64_t value, int width);
};

// Recipients named as given (kind 1), the body, and one attachment per contents ("file<n>.txt").
NewMessageBytes BuildNewMessage(const std::vector<std::string>& recipients, const std::string& body,
                                const std::vector<std::string>& contents);

}  // namespace tvtest
