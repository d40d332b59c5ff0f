// Explicit little-endian (and big-endian where a format says so) encoding of integers.
// Records are built and parsed with these, byte by byte, never by casting a packed struct.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

inline void EncodeFixed16(uint8_t* dst, uint16_t value) {
  dst[0] = static_cast<uint8_t>(value);
  dst[1] = static_cast<uint8_t>(value >> 8);
}
inline void EncodeFixed32(uint8_t* dst, uint32_t value) {
  for (int i = 0; i < 4; ++i) dst[i] = static_cast<uint8_t>(value >> (8 * i));
}
inline void EncodeFixed64(uint8_t* dst, uint64_t value) {
  for (int i = 0; i < 8; ++i) dst[i] = static_cast<uint8_t>(value >> (8 * i));
}
inline uint16_t DecodeFixed16(const uint8_t* src) {
  return static_cast<uint16_t>(src[0] | (src[1] << 8));
}
inline uint32_t DecodeFixed32(const uint8_t* src) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | src[i];
  return value;
}
inline uint64_t DecodeFixed64(const uint8_t* src) {
  uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = (value << 8) | src[i];
  return value;
}
inline uint32_t DecodeBigEndian32(const uint8_t* src) {
  return (uint32_t{src[0]} << 24) | (uint32_t{src[1]} << 16) | (uint32_t{src[2]} << 8) | src[3];
}

// Appending forms, for building a record in a byte string.
inline void PutFixed32(std::string* dst, uint32_t value) {
  uint8_t buf[4];
  EncodeFixed32(buf, value);
  dst->append(reinterpret_cast<const char*>(buf), 4);
}
inline void PutFixed64(std::string* dst, uint64_t value) {
  uint8_t buf[8];
  EncodeFixed64(buf, value);
  dst->append(reinterpret_cast<const char*>(buf), 8);
}
// A counted string: 32-bit byte count, then the bytes, no terminator.
inline void PutCountedString(std::string* dst, const std::string& text) {
  PutFixed32(dst, static_cast<uint32_t>(text.size()));
  dst->append(text);
}
