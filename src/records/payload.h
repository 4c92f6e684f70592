// Explicit little-endian readers over one frame's payload. Fields are read
// at fixed offsets, never by casting bytes onto a struct. The payload lies
// at the start of a buffer of kRecordBufferSize bytes whose bytes past the
// payload read as zero, so every fixed offset a decoder reads is inside it
// and a text never runs beyond its frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "core/little_endian.h"

namespace zeltlog {

// A frame holds at most 251 payload bytes; the buffer is larger so that
// every fixed offset a decoder reads lies inside it, and its last byte is a
// zero guard that ends any text run.
inline constexpr size_t kRecordBufferSize = 257;

class Payload {
 public:
  // `buffer` holds kRecordBufferSize bytes, zero past the payload.
  explicit Payload(const uint8_t* buffer, size_t length = 0) : bytes_(buffer), length_(length) {}

  size_t length() const { return length_; }
  const uint8_t* At(size_t offset) const { return bytes_ + offset; }

  uint8_t U8(size_t offset) const { return bytes_[offset]; }
  uint16_t U16(size_t offset) const { return little_endian::U16(bytes_ + offset); }
  int16_t S16(size_t offset) const { return static_cast<int16_t>(U16(offset)); }
  uint32_t U32(size_t offset) const { return little_endian::U32(bytes_ + offset); }
  uint64_t U64(size_t offset) const { return little_endian::U64(bytes_ + offset); }
  double F32(size_t offset) const { return little_endian::F32(bytes_ + offset); }
  double F64(size_t offset) const { return little_endian::F64(bytes_ + offset); }
  // The visible text of a character run: from `offset`, at most `maxLength`
  // characters, ending at the first zero byte.
  std::string_view Text(size_t offset, size_t maxLength = kRecordBufferSize) const {
    if (offset >= kRecordBufferSize) return {};
    const size_t room = kRecordBufferSize - offset;
    const size_t limit = maxLength < room ? maxLength : room;
    const char* begin = reinterpret_cast<const char*>(bytes_ + offset);
    const void* zero = std::memchr(begin, 0, limit);
    return std::string_view(begin, zero ? static_cast<size_t>(static_cast<const char*>(zero) - begin) : limit);
  }

 private:
  const uint8_t* bytes_;
  size_t length_;
};

}  // namespace zeltlog
