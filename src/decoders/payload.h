// Explicit little-endian readers for record payloads. Fields are read at
// fixed offsets of the session's record buffer, never by casting bytes onto
// a struct. Every offset a decoder passes lies inside the buffer.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

#include "core/session.h"

namespace zeltlog::payload {

inline const uint8_t* At(const ConversionSession& s, size_t offset) { return s.recordBuffer.data() + offset; }

inline uint8_t U8(const ConversionSession& s, size_t offset) { return s.recordBuffer[offset]; }

inline uint16_t U16(const ConversionSession& s, size_t offset) {
  const uint8_t* p = At(s, offset);
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}

inline int16_t S16(const ConversionSession& s, size_t offset) { return static_cast<int16_t>(U16(s, offset)); }

inline uint32_t U32(const ConversionSession& s, size_t offset) {
  const uint8_t* p = At(s, offset);
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

inline uint64_t U64(const ConversionSession& s, size_t offset) {
  return static_cast<uint64_t>(U32(s, offset)) | static_cast<uint64_t>(U32(s, offset + 4)) << 32;
}

// float32 widened to double.
inline double F32(const ConversionSession& s, size_t offset) {
  const uint32_t bits = U32(s, offset);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return static_cast<double>(value);
}

inline double F64(const ConversionSession& s, size_t offset) {
  const uint64_t bits = U64(s, offset);
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// The visible text of a character run: from `offset`, at most `maxLength`
// characters, ending at the first zero byte. Bytes past the payload read as
// zero, so a text never runs beyond its frame.
inline std::string_view Text(const ConversionSession& s, size_t offset, size_t maxLength = kRecordBufferSize) {
  if (offset >= kRecordBufferSize) return {};
  const size_t room = kRecordBufferSize - offset;
  const size_t limit = maxLength < room ? maxLength : room;
  const char* begin = reinterpret_cast<const char*>(At(s, offset));
  const void* zero = std::memchr(begin, 0, limit);
  return std::string_view(begin, zero ? static_cast<size_t>(static_cast<const char*>(zero) - begin) : limit);
}

}  // namespace zeltlog::payload
