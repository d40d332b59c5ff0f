#include "foundation/byte_source.h"

#include <algorithm>
#include <cstring>

#include "foundation/coding.h"
#include "foundation/tv_error.h"
#include "foundation/tv_file.h"

bool ByteSource::Skip(uint64_t count) {
  const uint64_t target = m_position + count;
  if (target < m_position || target > (uint64_t{1} << 62)) return false;
  m_position = target;
  return true;
}

bool ByteSource::ReadUInt32(uint32_t& value) {
  uint8_t bytes[4];
  if (!Read(bytes, 4)) return false;
  value = DecodeFixed32(bytes);
  return true;
}

bool ByteSource::ReadUInt64(uint64_t& value) {
  uint8_t bytes[8];
  if (!Read(bytes, 8)) return false;
  value = DecodeFixed64(bytes);
  return true;
}

bool BufferSource::Read(void* target, uint32_t count) {
  if (m_position > m_length || count > m_length - m_position) return false;
  std::memcpy(target, m_bytes + m_position, count);
  m_position += count;
  return true;
}

TvBool FileSource::Prefetch(uint32_t limit) {
  uint32_t done = 0;
  if (!m_file.ReadUpTo(m_bytes, limit, &done)) return 0;
  m_held = done;
  m_filePosition = done;
  m_length = done < limit ? done : m_file.GetLength();
  return 1;
}

bool FileSource::Read(void* target, uint32_t count) {
  if (m_position + count <= m_held) {
    std::memcpy(target, m_bytes + m_position, count);
  } else {
    if (m_filePosition != m_position && !m_file.SeekTo(m_position)) return false;
    if (!m_file.Read(target, count)) return false;
    m_filePosition = m_position + count;
  }
  m_position += count;
  return true;
}

const uint8_t* FileSource::Held(uint64_t position, uint64_t count) const {
  if (position > m_held || count > m_held - position) return nullptr;
  return m_bytes + position;
}

TvBool FileSource::CopyTo(TvFile& target, uint64_t position, uint64_t count,
                          const std::string& path) {
  if (const uint8_t* held = Held(position, count)) {
    return target.Write(held, static_cast<uint32_t>(count));
  }
  if (!m_file.SeekTo(position)) {
    TvFileError error(path.c_str(), 1);
    return 0;
  }
  m_filePosition = position;
  TvBool copied = CopyFileRange(m_file, target, count);
  m_filePosition = copied ? position + count : ~uint64_t{0};
  return copied;
}

bool TvFileSource::Read(void* target, uint32_t count) {
  if (m_filePosition != m_position) {
    if (!m_file.SeekTo(m_position)) return false;
    m_filePosition = m_position;
  }
  const bool read = m_file.Read(target, count) != 0;
  // A short read leaves the file at an unknown place: seek before the next one.
  m_filePosition = read ? m_position + count : ~uint64_t{0};
  if (read) m_position += count;
  return read;
}

bool ReadCountedString(ByteSource& in, std::string& text) {
  constexpr uint32_t kStringPiece = 65536;
  uint32_t length = 0;
  if (!in.ReadUInt32(length)) return false;
  text.clear();
  while (text.size() < length) {
    const size_t at = text.size();
    const uint32_t piece = std::min<uint32_t>(length - static_cast<uint32_t>(at), kStringPiece);
    text.resize(at + piece);
    if (!in.Read(text.data() + at, piece)) return false;
  }
  return true;
}
