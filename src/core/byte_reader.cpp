#include "core/byte_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/os.h"

namespace zeltlog {

bool ByteReader::Open(const std::string& path, std::string* error) {
  Close();
  unsigned long long size = 0;
  file_ = os::OpenRegularFile(path, &size, error);
  if (!file_) return false;
  if (!buffer_) buffer_ = std::make_unique<uint8_t[]>(kBufferSize);
  position_ = end_ = 0;
  consumed_ = 0;
  failed_ = false;
  size_ = size;
  return true;
}

void ByteReader::Close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  position_ = end_ = 0;
}

bool ByteReader::Refill() {
  if (!file_) return false;
  consumed_ += end_;
  position_ = end_ = 0;
  const size_t got = std::fread(buffer_.get(), 1, kBufferSize, file_);
  if (got == 0) {
    if (std::ferror(file_)) failed_ = true;
    return false;
  }
  end_ = got;
  return true;
}

size_t ByteReader::ReadAcrossRefills(uint8_t* destination, size_t count) {
  size_t done = 0;
  while (done < count) {
    if (position_ == end_ && !Refill()) break;
    const size_t take = std::min(count - done, end_ - position_);
    std::memcpy(destination + done, buffer_.get() + position_, take);
    position_ += take;
    done += take;
  }
  return done;
}

}  // namespace zeltlog
