#include "cli/spool.h"

#include <cerrno>
#include <cstring>
#include <memory>

#include "core/temporary_file.h"

#include "core/os.h"

namespace zeltlog::cli {

Spool::~Spool() { Reset(); }

void Spool::Fail(int errorNumber) {
  if (error_ == 0) error_ = errorNumber != 0 ? errorNumber : EIO;
}

void Spool::Append(std::string_view bytes) {
  if (error_ != 0) return;
  if (buffer_.size() + bytes.size() > kBufferSize) Spill();
  if (bytes.size() > kBufferSize && error_ == 0) {
    buffer_.assign(bytes);
    Spill();
    return;
  }
  buffer_.append(bytes);
}

void Spool::Spill() {
  if (buffer_.empty() || error_ != 0) return;
  if (fd_ < 0) {
    int errorNumber = 0;
    fd_ = OpenScratchFile(folder_, &errorNumber);
    if (fd_ < 0) {
      Fail(errorNumber);
      return;
    }
  }
  const char* data = buffer_.data();
  size_t left = buffer_.size();
  while (left > 0) {
    const long long written = os::WriteAt(fd_, data, left, size_);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      Fail(errno);
      return;
    }
    data += written;
    left -= static_cast<size_t>(written);
    size_ += static_cast<unsigned long long>(written);
  }
  buffer_.clear();
}

bool Spool::ReadBack(const std::function<void(std::string_view)>& take) {
  if (fd_ >= 0 && error_ == 0) {
    const auto chunk = std::make_unique<char[]>(kBufferSize);
    for (unsigned long long offset = 0; offset < size_;) {
      const long long got = os::ReadAt(fd_, chunk.get(), kBufferSize, offset);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) {
        Fail(got < 0 ? errno : EIO);
        break;
      }
      take(std::string_view(chunk.get(), static_cast<size_t>(got)));
      offset += static_cast<unsigned long long>(got);
    }
  }
  if (error_ == 0) take(buffer_);
  const bool kept = error_ == 0;
  reason_ = kept ? std::string() : std::string(std::strerror(error_));
  Reset();
  return kept;
}

void Spool::Reset() {
  if (fd_ >= 0) os::CloseFile(fd_);
  fd_ = -1;
  size_ = 0;
  error_ = 0;
  std::string().swap(buffer_);
}

}  // namespace zeltlog::cli
