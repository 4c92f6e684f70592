// Bytes set aside in an anonymous scratch file and read back once: the
// event lines and the report of a log converted in parallel while it waits
// for its turn, so that memory does not grow with them. Nothing of the file
// remains on disk, whatever ends the run.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace zeltlog::cli {

class Spool {
 public:
  // The scratch file goes to `folder` (the working directory when empty)
  // once more than a buffer's worth has been appended.
  explicit Spool(std::string folder) : folder_(std::move(folder)) {}
  Spool(const Spool&) = delete;
  Spool& operator=(const Spool&) = delete;
  ~Spool();

  void Append(std::string_view bytes);
  // Hands every byte appended, in order and in pieces, to `take`, then
  // starts empty again. False when a byte could not be kept.
  bool ReadBack(const std::function<void(std::string_view)>& take);
  // Why the last ReadBack failed.
  const std::string& reason() const { return reason_; }

 private:
  static constexpr size_t kBufferSize = 1 << 16;
  void Spill();
  void Fail(int errorNumber);
  void Reset();

  std::string folder_;
  std::string buffer_;
  int fd_ = -1;
  unsigned long long size_ = 0;
  int error_ = 0;
  std::string reason_;
};

}  // namespace zeltlog::cli
