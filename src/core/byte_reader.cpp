#include "core/byte_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "core/native_path.h"

namespace zeltlog {

bool ByteReader::Open(const std::string& path, std::string* error) {
  Close();
  std::error_code ec;
  const auto status = std::filesystem::status(NativePath(path), ec);
  if (!ec && std::filesystem::is_directory(status)) {
    if (error) *error = "is a folder, not a file";
    return false;
  }
  errno = 0;
  file_ = std::fopen(path.c_str(), "rb");
  if (!file_) {
    if (error) *error = errno ? std::strerror(errno) : "cannot be opened";
    return false;
  }
  if (!buffer_) buffer_ = std::make_unique<uint8_t[]>(kBufferSize);
  position_ = end_ = 0;
  consumed_ = 0;
  failed_ = false;
  const auto size = std::filesystem::file_size(NativePath(path), ec);
  size_ = ec ? 0 : static_cast<unsigned long long>(size);
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

size_t ByteReader::Read(uint8_t* destination, size_t count) {
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
