// Small files (contact lists, canned replies) read whole with one read call, and the counted
// strings of their records.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/byte_source.h"

class TvFile;

// A counted string: a 32-bit length, then that many bytes. The bytes are read in pieces, so a
// declared length beyond the end of the input costs no more memory than the input holds: the
// piece that reaches past the end is the read that fails.
bool ReadCountedString(ByteSource& in, std::string& text);

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
