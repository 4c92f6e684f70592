#include "core/byte_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include "core/native_path.h"

namespace zeltlog {

bool ByteReader::Open(const std::string& path, std::string* error) {
  Close();
  // A FIFO, a device or a terminal may never end, or block at its opening:
  // only regular files are read, and that is known before opening.
  struct stat status;
  if (stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
    if (error) *error = S_ISDIR(status.st_mode) ? "is a folder, not a file" : "not a regular file";
    return false;
  }
  errno = 0;
#ifdef _WIN32
  file_ = std::fopen(path.c_str(), "rb");
#else
  // Without blocking, in case the path was swapped for a FIFO meanwhile;
  // the file opened is tested once more.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd >= 0 && (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))) {
    close(fd);
    if (error) *error = "not a regular file";
    return false;
  }
  file_ = fd >= 0 ? fdopen(fd, "rb") : nullptr;
  if (fd >= 0 && !file_) close(fd);
#endif
  if (!file_) {
    if (error) *error = errno ? std::strerror(errno) : "cannot be opened";
    return false;
  }
  if (!buffer_) buffer_ = std::make_unique<uint8_t[]>(kBufferSize);
  position_ = end_ = 0;
  consumed_ = 0;
  failed_ = false;
#ifdef _WIN32
  if (stat(path.c_str(), &status) != 0) status.st_size = 0;
#endif
  size_ = static_cast<unsigned long long>(status.st_size);
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
