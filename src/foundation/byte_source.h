// What the format readers read from: a sequence of bytes with a length, read front to back, over
// a buffer in memory or over an open file. A reader that stops names where and why in a
// ReadProblem, so the converter, the companion tool and the tests all learn the same reason.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/types.h"

class TvFile;

// Where a reader stopped and why. Kind is the format's own list of problems; its value 0 means
// none.
template <typename Kind>
struct ReadProblem {
  Kind kind{};
  uint64_t offset = 0;  // where in the input the broken part starts
  std::string text;     // for people
  bool Ok() const { return kind == Kind{}; }
};

// The word for a problem kind from the words listed in the kind's order ("unknown" past them).
template <typename Kind, size_t N>
const char* KeyOf(Kind kind, const char* const (&keys)[N]) {
  const auto index = static_cast<size_t>(kind);
  return index < N ? keys[index] : "unknown";
}

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Bytes in the input.
  virtual uint64_t Length() const = 0;
  // Offset of the next byte Read gives.
  virtual uint64_t Position() const = 0;
  // Reads exactly count bytes; false when they are not all there (or cannot be read).
  virtual bool Read(void* target, uint32_t count) = 0;
  // Moves forward over count bytes without reading them; a position past the end is allowed (the
  // next Read then fails), one beyond 2^62 is not.
  bool Skip(uint64_t count);
  bool ReadUInt32(uint32_t& value);
  bool ReadUInt64(uint64_t& value);

 protected:
  uint64_t m_position = 0;
};

// A counted string: a 32-bit length, then that many bytes. The bytes are read in pieces, so a
// declared length beyond the end of the input costs no more memory than the input holds: the
// piece that reaches past the end is the read that fails.
bool ReadCountedString(ByteSource& in, std::string& text);

// Bytes held in memory (not copied; they outlive the source).
class BufferSource : public ByteSource {
 public:
  BufferSource(const void* bytes, uint64_t length)
      : m_bytes(static_cast<const uint8_t*>(bytes)), m_length(length) {}
  explicit BufferSource(const std::string& bytes) : BufferSource(bytes.data(), bytes.size()) {}
  uint64_t Length() const override { return m_length; }
  uint64_t Position() const override { return m_position; }
  bool Read(void* target, uint32_t count) override;

 private:
  const uint8_t* m_bytes;
  uint64_t m_length;
};

// An open file with its first bytes (all of a small file) read in one call: reads inside them are
// served from memory, reads beyond them go to the file.
class FileSource : public ByteSource {
 public:
  // buffer holds at least the limit Prefetch is given; the caller keeps it for reuse.
  FileSource(TvFile& file, uint8_t* buffer) : m_file(file), m_bytes(buffer) {}

  // Reads the first limit bytes (a smaller file whole) and learns the file's length: a read that
  // ends short has reached the end, so only a larger file asks the system for its length.
  TvBool Prefetch(uint32_t limit);

  uint64_t Length() const override { return m_length; }
  uint64_t Position() const override { return m_position; }
  bool Read(void* target, uint32_t count) override;

  // The bytes [position, position + count) when they are in memory, else null.
  const uint8_t* Held(uint64_t position, uint64_t count) const;

  // Copies count bytes from position to target, from memory when held there. A position that
  // cannot be reached is reported naming path; a short copy is the caller's to report.
  TvBool CopyTo(TvFile& target, uint64_t position, uint64_t count, const std::string& path);

  TvFile& File() { return m_file; }

 private:
  TvFile& m_file;
  uint8_t* m_bytes;
  uint64_t m_length = 0;
  uint64_t m_held = 0;
  uint64_t m_filePosition = 0;
};

// An open file read through TvFile::Read exactly where the reader asks, nothing read ahead: a
// read that comes up short is reported by the file as any of its reads is. Length is the file's
// length as the caller learned it.
class TvFileSource : public ByteSource {
 public:
  TvFileSource(TvFile& file, uint64_t length) : m_file(file), m_length(length) {}
  uint64_t Length() const override { return m_length; }
  uint64_t Position() const override { return m_position; }
  bool Read(void* target, uint32_t count) override;

 private:
  TvFile& m_file;
  uint64_t m_length;
  uint64_t m_filePosition = 0;  // where the file is, which Skip leaves behind
};
