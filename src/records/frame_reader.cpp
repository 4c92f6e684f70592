#include "records/frame_reader.h"

#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace zeltlog {
namespace {

constexpr uint8_t kSync = 0xA5;
constexpr size_t kCopyPiece = FrameReader::kCopyPiece;

// XOR of a run of bytes, eight at a time.
uint8_t XorOf(const uint8_t* bytes, size_t count) {
  uint64_t wide = 0;
  size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    uint64_t word;
    std::memcpy(&word, bytes + i, sizeof word);
    wide ^= word;
  }
  wide ^= wide >> 32;
  wide ^= wide >> 16;
  wide ^= wide >> 8;
  auto x = static_cast<uint8_t>(wide);
  for (; i < count; ++i) x ^= bytes[i];
  return x;
}

#ifdef __SSE2__
// A frame's payload, copied to `to` in whole pieces of sixteen bytes (a
// copy of variable length costs more than the frame), and its XOR, taken
// from the same loads. The last piece may run past the payload: what it
// brings along is copied but left out of the XOR.
uint8_t CopyAndXor(uint8_t* to, const uint8_t* from, size_t count) {
  static constexpr uint8_t kKeep[2 * kCopyPiece] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                                    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  __m128i sum = _mm_setzero_si128();
  size_t i = 0;
  for (; i + kCopyPiece <= count; i += kCopyPiece) {
    const __m128i piece = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i), piece);
    sum = _mm_xor_si128(sum, piece);
  }
  if (i < count) {
    const __m128i piece = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i), piece);
    const __m128i keep = _mm_loadu_si128(reinterpret_cast<const __m128i*>(kKeep + kCopyPiece - (count - i)));
    sum = _mm_xor_si128(sum, _mm_and_si128(piece, keep));
  }
  uint64_t wide = static_cast<uint64_t>(_mm_cvtsi128_si64(sum)) ^
                  static_cast<uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(sum, sum)));
  wide ^= wide >> 32;
  wide ^= wide >> 16;
  wide ^= wide >> 8;
  return static_cast<uint8_t>(wide);
}
#else
uint8_t CopyAndXor(uint8_t* to, const uint8_t* from, size_t count) {
  for (size_t i = 0; i < count; i += kCopyPiece) std::memcpy(to + i, from + i, kCopyPiece);
  return XorOf(from, count);
}
#endif

}  // namespace

std::optional<std::string> ReadHeaderText(ByteReader& log) {
  std::string text;
  for (;;) {
    const int byte = log.ReadByte();
    if (byte < 0) return std::nullopt;
    if (byte == 0) return text;
    if (text.size() < kHeaderTextLimit) text.push_back(static_cast<char>(byte));
  }
}

FrameReader::Status FrameReader::Next() {
  // Nearly every frame starts right after the previous one and lies whole
  // in the read-ahead: it is taken from there in one piece.
  size_t available = 0;
  const uint8_t* at = log_.Buffered(available);
  if (available >= 4 && at[0] == kSync && at[1] >= 4 && at[1] + kCopyPiece <= available) {
    const unsigned length = at[1];
    const size_t got = length - 4;
    // The payload goes over in whole pieces, then the piece after its end
    // is cleared of what came along: past the payload the buffer reads zero.
    const uint8_t payloadXor = CopyAndXor(buffer_.data(), at + 4, got);
    std::memset(buffer_.data() + got, 0, kCopyPiece);
    if (got + kCopyPiece < payloadLength_) {
      std::memset(buffer_.data() + got + kCopyPiece, 0, payloadLength_ - got - kCopyPiece);
    }
    payloadLength_ = got;
    identifier_ = at[2];
    error_ = {at[2], length, static_cast<uint8_t>(at[0] ^ at[1] ^ at[2] ^ at[3] ^ payloadXor), at[3]};
    log_.Skip(length);
    return error_.residual == 0 ? Status::Good : Status::Bad;
  }

  for (;;) {
    const int byte = log_.ReadByte();
    if (byte < 0) return Status::End;
    if (byte == kSync) break;
  }

  uint8_t header[3];
  if (log_.Read(header, 3) < 3) {
    // Cut inside the frame header: nothing to report, the log just ends.
    endedInsideFrame_ = true;
    return Status::End;
  }
  const unsigned length = header[0];
  identifier_ = header[1];
  error_ = {header[1], length, static_cast<uint8_t>(kSync ^ header[0] ^ header[1] ^ header[2]), header[2]};

  if (length < 4) return Status::Bad;  // not a frame at all; the search goes on after it

  const size_t wanted = length - 4;
  const size_t previous = payloadLength_;
  const size_t got = log_.Read(buffer_.data(), wanted);
  // Bytes past this payload read as zero, never as an earlier frame's.
  if (got < previous) std::memset(buffer_.data() + got, 0, previous - got);
  payloadLength_ = got;
  error_.residual ^= XorOf(buffer_.data(), got);

  if (got < wanted) {
    // The file ends inside the payload: reported, never decoded.
    endedInsideFrame_ = true;
    return Status::Bad;
  }
  return error_.residual == 0 ? Status::Good : Status::Bad;
}

}  // namespace zeltlog
