#include "core/output_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "core/os.h"

namespace zeltlog {

bool OutputFile::Create(const std::string& path, Mode mode, std::string* error) {
  Abandon();
  // A symbolic link stays: the file it leads to is replaced.
  std::string target, reason;
  if (!os::FollowOutputPath(path, &target, &reason)) {
    if (error) *error = reason;
    return false;
  }
  int errorNumber = 0;
  if (!file_.Open(target, &errorNumber)) {
    if (error) *error = errorNumber ? std::strerror(errorNumber) : "cannot be created";
    return false;
  }
  mode_ = mode;
  path_ = path;
  if (!buffer_) buffer_ = std::make_unique<char[]>(kBufferSize);
  used_ = 0;
  written_ = 0;
  failed_ = false;
  failedErrno_ = 0;
  return true;
}

void OutputFile::Flush() {
  if (!file_.IsOpen() || used_ == 0) return;
  if (!failed_ && !file_.Write(buffer_.get(), used_, &failedErrno_)) failed_ = true;
  written_ += used_;
  used_ = 0;
}

char* OutputFile::FlushForRoom() {
  if (!buffer_) buffer_ = std::make_unique<char[]>(kBufferSize);
  if (!file_.IsOpen()) return buffer_.get();
  Flush();
  return buffer_.get() + used_;
}

void OutputFile::Append(const char* data, size_t size) {
  while (size > 0) {
    if (used_ == kBufferSize) Flush();
    const size_t take = std::min(size, kBufferSize - used_);
    std::memcpy(buffer_.get() + used_, data, take);
    used_ += take;
    data += take;
    size -= take;
  }
}

void OutputFile::Write(std::string_view text) {
  if (!file_.IsOpen()) return;
  if (mode_ == Mode::Binary) {
    Append(text.data(), text.size());
    return;
  }
  // One pass that copies and puts a CR before every LF; a chunk of n bytes
  // needs at most 2n bytes of room.
  const char* from = text.data();
  size_t left = text.size();
  while (left > 0) {
    if (kBufferSize - used_ < 2) Flush();
    const size_t chunk = std::min(left, (kBufferSize - used_) / 2);
    char* to = buffer_.get() + used_;
    size_t i = 0;
    // Eight bytes at a time while they hold no line feed.
    constexpr uint64_t kOnes = 0x0101010101010101ULL;
    constexpr uint64_t kHighs = 0x8080808080808080ULL;
    constexpr uint64_t kLineFeeds = 0x0A0A0A0A0A0A0A0AULL;
    while (i + 8 <= chunk) {
      uint64_t word;
      std::memcpy(&word, from + i, sizeof word);
      const uint64_t x = word ^ kLineFeeds;
      if (((x - kOnes) & ~x & kHighs) == 0) {
        std::memcpy(to, &word, sizeof word);
        to += 8;
        i += 8;
        continue;
      }
      for (const size_t stop = i + 8; i < stop; ++i) {
        if (from[i] == '\n') *to++ = '\r';
        *to++ = from[i];
      }
    }
    for (; i < chunk; ++i) {
      if (from[i] == '\n') *to++ = '\r';
      *to++ = from[i];
    }
    used_ = static_cast<size_t>(to - buffer_.get());
    from += chunk;
    left -= chunk;
  }
}

void OutputFile::WriteBytes(const void* data, size_t size) {
  if (!file_.IsOpen()) return;
  Append(static_cast<const char*>(data), size);
}

bool OutputFile::Close(std::string* error) {
  if (!file_.IsOpen()) return true;
  Flush();
  if (failed_) {
    file_.Discard();
  } else if (!file_.Commit(&failedErrno_)) {
    failed_ = true;
  }
  if (failed_) {
    if (error) *error = failedErrno_ ? std::strerror(failedErrno_) : "write failed";
    return false;
  }
  return true;
}

bool OutputFile::Finish(std::string* readable, std::string* error) {
  if (!file_.IsOpen()) {
    if (error) *error = "not open";
    return false;
  }
  Flush();
  if (failed_) {
    file_.Discard();
    if (error) *error = failedErrno_ ? std::strerror(failedErrno_) : "write failed";
    return false;
  }
  *readable = file_.ReadablePath();
  return true;
}

void OutputFile::Abandon() {
  if (!file_.IsOpen()) return;
  file_.Discard();
  used_ = 0;
}

}  // namespace zeltlog
