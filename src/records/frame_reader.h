// The framer of the guidance log. A log is a NUL-terminated header text
// followed by frames: sync byte 0xA5, total length L, record identifier, a
// fourth header byte, then L-4 payload bytes; a good frame XORs to zero
// over all its L bytes. Bytes between frames are skipped, and every frame
// starts with a fresh search for the sync byte. The framer only frames:
// what a payload means is the decoders' business.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "core/byte_reader.h"
#include "records/payload.h"
#include "records/record_handler.h"

namespace zeltlog {

// A console's header is a short version text. A file that is no log may
// hold megabytes before its first NUL; only this much of it is kept.
inline constexpr size_t kHeaderTextLimit = 4096;

// Reads the header text up to its NUL (keeping at most kHeaderTextLimit
// bytes of it). Nothing when the file ends before the NUL.
std::optional<std::string> ReadHeaderText(ByteReader& log);

class FrameReader {
 public:
  // Payloads are copied in pieces of this many bytes; the frame buffer has
  // room for the last piece to run past the longest payload.
  static constexpr size_t kCopyPiece = 16;

  enum class Status { Good, Bad, End };

  explicit FrameReader(ByteReader& log) : log_(log) {}
  FrameReader(const FrameReader&) = delete;
  FrameReader& operator=(const FrameReader&) = delete;

  // The next frame. Good: identifier() and payload() describe it. Bad: the
  // frame fails its checksum, cannot hold its own header, or the file ends
  // inside its payload; error() describes it. End: the file has ended.
  Status Next();

  uint8_t identifier() const { return identifier_; }
  Payload payload() const { return Payload(buffer_.data(), payloadLength_); }
  const ChecksumError& error() const { return error_; }
  // Set once the file has ended inside a frame.
  bool endedInsideFrame() const { return endedInsideFrame_; }

 private:
  ByteReader& log_;
  std::array<uint8_t, kRecordBufferSize + kCopyPiece> buffer_{};
  size_t payloadLength_ = 0;
  uint8_t identifier_ = 0;
  ChecksumError error_;
  bool endedInsideFrame_ = false;
};

}  // namespace zeltlog
