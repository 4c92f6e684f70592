// Explicit little-endian readers of the logs' binary fields: every field
// is assembled from its bytes, never read by casting bytes onto a type;
// float32 fields are widened to double. The writers put a field's bytes
// one by one, for binary outputs (the time logs of a TASKDATA export).
#pragma once

#include <cstdint>
#include <cstring>

namespace zeltlog::little_endian {

inline uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
inline uint32_t U32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}
inline uint64_t U64(const uint8_t* p) { return static_cast<uint64_t>(U32(p)) | static_cast<uint64_t>(U32(p + 4)) << 32; }
inline double F32(const uint8_t* p) {
  const uint32_t bits = U32(p);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return static_cast<double>(value);
}
inline double F64(const uint8_t* p) {
  const uint64_t bits = U64(p);
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

inline uint8_t* PutU16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  return p + 2;
}
inline uint8_t* PutU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
  return p + 4;
}
inline uint8_t* PutI32(uint8_t* p, int32_t v) { return PutU32(p, static_cast<uint32_t>(v)); }

}  // namespace zeltlog::little_endian
