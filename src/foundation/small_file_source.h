// Small files (contact lists, canned replies) read whole with one read call.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/byte_source.h"

class TvFile;

// An open file whose bytes (up to a generous limit) are read with one call and then served from
// memory. A read past them goes to the file, so a record cut short by the file's end fails as the
// file's own short read and is reported as any of its reads is.
class SmallFileSource {
 public:
  // file is open at its start and outlives the source; length is its length as learnt.
  SmallFileSource(TvFile& file, uint64_t length);
  // False (reported by the file) when the one read failed.
  bool Read();
  ByteSource& Source() { return m_source; }

 private:
  std::vector<uint8_t> m_buffer;
  uint32_t m_limit;
  FileSource m_source;
};
