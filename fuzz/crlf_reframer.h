// An independent reading of the CR LF framing that the GPS message log and
// the controller log share, for the fuzz targets to compare with: bytes go
// one at a time into a buffer of 5251; a run that fills it without a line
// end is dropped; when at least three bytes are held and the last two are
// CR LF, the bytes before them are a frame. With `keepBin1Whole`, a frame
// whose first eight bytes announce a BIN1 fix ("$BIN", message 1, block
// length 52) is taken to its full 64 bytes and dropped unless they end in
// CR LF. The buffer is never cleared, as a header whose fields lie past its
// own end reads the bytes left there.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace zeltlog::fuzz {

class CrLfReframer {
 public:
  CrLfReframer(const uint8_t* data, size_t size, bool keepBin1Whole)
      : data_(data), size_(size), keepBin1Whole_(keepBin1Whole) {}

  bool Next() {
    size_t held = 0;
    size_t fixedEnd = 0;
    while (at_ < size_) {
      buffer_[held] = data_[at_++];
      if (held == kSize - 1) {
        held = 0;
        fixedEnd = 0;
        continue;
      }
      ++held;
      const bool crlf = held >= 2 && buffer_[held - 2] == '\r' && buffer_[held - 1] == '\n';
      if (fixedEnd != 0) {
        if (held < fixedEnd) continue;
        fixedEnd = 0;
        if (crlf) {
          length_ = held - 2;
          return true;
        }
        held = 0;
        continue;
      }
      if (keepBin1Whole_ && held == 8 && std::memcmp(buffer_.data(), "$BIN", 4) == 0 && U16(4) == 1 && U16(6) == 52) {
        fixedEnd = 64;
        continue;
      }
      if (held >= 3 && crlf) {
        length_ = held - 2;
        return true;
      }
    }
    return false;
  }

  // Takes up to `count` bytes outside the framing (fewer at the end of the
  // input) and returns them.
  std::string_view Take(size_t count) {
    const size_t taken = count < size_ - at_ ? count : size_ - at_;
    const std::string_view bytes(reinterpret_cast<const char*>(data_ + at_), taken);
    at_ += taken;
    return bytes;
  }

  size_t length() const { return length_; }
  bool StartsWith(std::string_view prefix) const {
    return length_ >= prefix.size() && std::memcmp(buffer_.data(), prefix.data(), prefix.size()) == 0;
  }
  const uint8_t* bytes() const { return buffer_.data(); }
  unsigned U16(size_t offset) const { return buffer_[offset] | buffer_[offset + 1] << 8; }

 private:
  static constexpr size_t kSize = 5251;
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
  bool keepBin1Whole_;
  std::array<uint8_t, kSize> buffer_{};
  size_t length_ = 0;
};

}  // namespace zeltlog::fuzz
