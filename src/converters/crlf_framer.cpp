#include "converters/crlf_framer.h"

#include <charconv>
#include <cmath>

namespace zeltlog {

bool CrLfFramer::IsBin1Start(const uint8_t* bytes) {
  return std::memcmp(bytes, "$BIN", 4) == 0 && little_endian::U16(bytes + 4) == 1 && little_endian::U16(bytes + 6) == 52;
}

bool CrLfFramer::Next(ByteReader& in) {
  for (;;) {
    if (position_ == 0 && keepBin1Whole_) {
      // A BIN1 fix that lies whole in the read-ahead is taken in one piece:
      // the same bytes the loop below would collect one at a time.
      size_t available = 0;
      const uint8_t* at = in.Buffered(available);
      if (available >= kBin1FrameBytes && IsBin1Start(at)) {
        std::memcpy(buffer_.data(), at, kBin1FrameBytes);
        in.Skip(kBin1FrameBytes);
        count_ += kBin1FrameBytes;
        if (EndsInCrLf(kBin1FrameBytes)) {
          length_ = kBin1FrameBytes - 2;
          return true;
        }
        continue;  // a broken fix
      }
    }
    const int byte = in.ReadByte();
    if (byte < 0) return false;
    ++count_;
    buffer_[position_] = static_cast<uint8_t>(byte);
    if (position_ >= kBufferSize - 1) {
      // No line end within the buffer: the run is dropped.
      position_ = 0;
      fixedEnd_ = 0;
      continue;
    }
    ++position_;
    if (fixedEnd_ != 0) {
      if (position_ < fixedEnd_) continue;
      fixedEnd_ = 0;
      if (EndsInCrLf(position_)) {
        length_ = position_ - 2;
        position_ = 0;
        return true;
      }
      position_ = 0;  // a broken fix
      continue;
    }
    if (keepBin1Whole_ && position_ == 8 && IsBin1Start(buffer_.data())) {
      fixedEnd_ = kBin1FrameBytes;
      continue;
    }
    if (position_ >= 3 && EndsInCrLf(position_)) {
      length_ = position_ - 2;
      position_ = 0;
      return true;
    }
  }
}

bool ScanDouble(std::string_view text, double& value) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // from_chars takes no sign of its own here, so "+-1" is not a number.
  if (i == text.size() || text[i] == '+' || text[i] == '-') return false;
  double parsed = 0.0;
  const auto result = std::from_chars(text.data() + i, text.data() + text.size(), parsed);
  if (result.ec == std::errc::invalid_argument) return false;
  if (result.ec == std::errc::result_out_of_range) {
    // Overflow gives infinity and underflow zero, as strtod does.
    const char* p = text.data() + i;
    bool wholePart = false, exponent = false, negativeExponent = false;
    for (const char* q = p; q < result.ptr; ++q) {
      if (*q == '.') break;
      if (*q >= '1' && *q <= '9') wholePart = true;
    }
    for (const char* q = p; q + 1 < result.ptr; ++q) {
      if (*q == 'e' || *q == 'E') {
        exponent = true;
        negativeExponent = q[1] == '-';
      }
    }
    parsed = !negativeExponent && (exponent || wholePart) ? HUGE_VAL : 0.0;
  }
  value = negative ? -parsed : parsed;
  return true;
}

}  // namespace zeltlog
