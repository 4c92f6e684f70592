// Buffered sequential reads from a binary input file: the guidance log, the
// GPS message log and the controller log are all taken byte by byte or in
// small runs, so they are read through one buffer rather than one system
// call per byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace zeltlog {

class ByteReader {
 public:
  ByteReader() = default;
  ByteReader(const ByteReader&) = delete;
  ByteReader& operator=(const ByteReader&) = delete;
  ~ByteReader() { Close(); }

  // Opens a regular file for reading. On failure returns false and sets
  // `error` to a short reason ("No such file or directory", "is a folder,
  // not a file", "not a regular file": a FIFO or a device is never read).
  bool Open(const std::string& path, std::string* error = nullptr);
  void Close();
  bool IsOpen() const { return file_ != nullptr; }
  // Size of the open file in bytes, as found when it was opened.
  unsigned long long Size() const { return size_; }
  unsigned long long Position() const { return consumed_ + position_; }

  // The next byte, or -1 at the end of the file (or on a read error).
  int ReadByte() {
    if (position_ == end_ && !Refill()) return -1;
    return buffer_[position_++];
  }

  // Reads up to `count` bytes; returns how many were read.
  size_t Read(uint8_t* destination, size_t count) {
    // A frame's few bytes are nearly always in the buffer already.
    if (end_ - position_ < count) return ReadAcrossRefills(destination, count);
    std::memcpy(destination, buffer_.get() + position_, count);
    position_ += count;
    return count;
  }

  // The bytes already read ahead, from the current position on: `available`
  // of them, valid until the next read. Taken whole from the buffer, a
  // frame costs no copy into a frame of its own.
  const uint8_t* Buffered(size_t& available) const {
    available = end_ - position_;
    return buffer_.get() + position_;
  }
  // Passes over `count` of the bytes Buffered() showed.
  void Skip(size_t count) { position_ += count; }

  // True when a read failed for another reason than the end of the file.
  bool Failed() const { return failed_; }

 private:
  bool Refill();
  size_t ReadAcrossRefills(uint8_t* destination, size_t count);

  static constexpr size_t kBufferSize = 1 << 16;
  std::FILE* file_ = nullptr;
  std::unique_ptr<uint8_t[]> buffer_;
  size_t position_ = 0;
  size_t end_ = 0;
  unsigned long long consumed_ = 0;
  unsigned long long size_ = 0;
  bool failed_ = false;
};

}  // namespace zeltlog
