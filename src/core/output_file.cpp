#include "core/output_file.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "core/native_path.h"

#ifdef _WIN32
#include <process.h>
#define ZELTLOG_GETPID _getpid
#else
#include <unistd.h>
#define ZELTLOG_GETPID getpid
#endif

namespace zeltlog {
namespace {

std::string TemporaryNameFor(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  return path + ".~" + std::to_string(ZELTLOG_GETPID()) + "-" + std::to_string(counter++) + ".tmp";
}

}  // namespace

bool OutputFile::Create(const std::string& path, Mode mode, std::string* error) {
  Abandon();
  std::error_code ec;
  const auto status = std::filesystem::status(NativePath(path), ec);
  if (!ec && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
    if (error) *error = std::filesystem::is_directory(status) ? "a folder has that name" : "not a regular file";
    return false;
  }
  std::string temporary = TemporaryNameFor(path);
  errno = 0;
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (!file) {
    if (error) *error = errno ? std::strerror(errno) : "cannot be created";
    return false;
  }
  // The document is buffered here already; the C library's buffer would
  // only copy it once more.
  std::setvbuf(file, nullptr, _IONBF, 0);
  file_ = file;
  mode_ = mode;
  path_ = path;
  temporaryPath_ = std::move(temporary);
  if (!buffer_) buffer_ = std::make_unique<char[]>(kBufferSize);
  used_ = 0;
  written_ = 0;
  failed_ = false;
  failedErrno_ = 0;
  return true;
}

void OutputFile::Flush() {
  if (!file_ || used_ == 0) return;
  if (!failed_) {
    errno = 0;
    if (std::fwrite(buffer_.get(), 1, used_, file_) != used_) {
      failed_ = true;
      failedErrno_ = errno;
    }
  }
  written_ += used_;
  used_ = 0;
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
  if (!file_) return;
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
  if (!file_) return;
  Append(static_cast<const char*>(data), size);
}

bool OutputFile::Close(std::string* error) {
  if (!file_) return true;
  Flush();
  if (!failed_ && std::fflush(file_) != 0) {
    failed_ = true;
    failedErrno_ = errno;
  }
  if (std::fclose(file_) != 0 && !failed_) {
    failed_ = true;
    failedErrno_ = errno;
  }
  file_ = nullptr;
  std::error_code ec;
  if (!failed_) {
#ifdef _WIN32
    if (const int replaceError = ReplaceWithTemporary(temporaryPath_, path_)) {
      ec.assign(replaceError, std::generic_category());
    }
#else
    std::filesystem::rename(temporaryPath_, path_, ec);
#endif
    if (ec) {
      failed_ = true;
      failedErrno_ = ec.value();
    }
  }
  if (failed_) {
    std::filesystem::remove(NativePath(temporaryPath_), ec);
    if (error) *error = failedErrno_ ? std::strerror(failedErrno_) : "write failed";
    return false;
  }
  return true;
}

void OutputFile::Abandon() {
  if (!file_) return;
  std::fclose(file_);
  file_ = nullptr;
  std::error_code ec;
  std::filesystem::remove(NativePath(temporaryPath_), ec);
  used_ = 0;
}

}  // namespace zeltlog
