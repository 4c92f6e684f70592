// Frames of a byte stream that end in the pair CR LF, as the GPS
// receiver's message log and the controller log are cut. Bytes are taken
// one at a time into a buffer of 5251 bytes; when the last two held are CR
// and LF (and at least three are held) the bytes before them form a frame.
// A run that reaches the end of the buffer without a line end is dropped.
//
// A receiver's BIN1 fix can hold CR LF inside its binary fields. With
// `keepBin1Whole` set, a frame whose first eight bytes announce message 1
// with a block length of 52 is collected to its full 64 bytes whatever they
// hold, and is dropped when its last two bytes are not CR LF.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "core/byte_reader.h"
#include "core/little_endian.h"

namespace zeltlog {

class CrLfFramer {
 public:
  static constexpr size_t kBufferSize = 5251;
  static constexpr size_t kBin1FrameBytes = 64;  // with its CR LF

  explicit CrLfFramer(bool keepBin1Whole) : keepBin1Whole_(keepBin1Whole) {}

  // Reads until the next frame is complete. False at the end of the input.
  bool Next(ByteReader& in);

  // The frame's bytes (without its CR LF) and its length. Offsets past the
  // frame read the rest of the buffer (the CR LF, then older bytes), as a
  // header whose length is not tested does.
  const uint8_t* data() const { return buffer_.data(); }
  size_t length() const { return length_; }
  std::string_view text() const { return {reinterpret_cast<const char*>(buffer_.data()), length_}; }
  bool StartsWith(std::string_view prefix) const {
    return length_ >= prefix.size() && std::memcmp(buffer_.data(), prefix.data(), prefix.size()) == 0;
  }

  // Bytes taken through the framing so far.
  long long byteCount() const { return count_; }
  // Bytes collected towards a frame that has not ended yet; not zero at
  // the end of the input when the input stops inside a frame.
  size_t held() const { return position_; }

  // Little-endian fields at offsets of the buffer (offset + size <= 5251).
  uint16_t U16(size_t offset) const { return little_endian::U16(buffer_.data() + offset); }
  uint32_t U32(size_t offset) const { return little_endian::U32(buffer_.data() + offset); }
  int32_t S32(size_t offset) const { return static_cast<int32_t>(U32(offset)); }
  double F32(size_t offset) const { return little_endian::F32(buffer_.data() + offset); }
  double F64(size_t offset) const { return little_endian::F64(buffer_.data() + offset); }

 private:
  // The bytes gathered up to `end` finish with CR LF.
  bool EndsInCrLf(size_t end) const { return buffer_[end - 2] == '\r' && buffer_[end - 1] == '\n'; }
  // The first eight bytes of a frame announce message 1 with a block of 52.
  static bool IsBin1Start(const uint8_t* bytes);

  std::array<uint8_t, kBufferSize> buffer_{};
  size_t position_ = 0;
  size_t length_ = 0;
  size_t fixedEnd_ = 0;  // 64 while a BIN1 fix is being collected whole
  long long count_ = 0;
  bool keepBin1Whole_;
};

// Reads a decimal number as scanf's "%lf" does, without regard to the
// locale: leading white space skipped, an optional sign, then the longest
// number at the start. False when no number starts the text.
bool ScanDouble(std::string_view text, double& value);

}  // namespace zeltlog
