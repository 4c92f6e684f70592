// An output document written safely: the bytes go through a buffer into a
// temporary file beside the target (core/temporary_file.h), which replaces
// the target only when the document is complete, with the mode bits of the
// document it replaces. A run that fails part-way (disk full, a write
// error) therefore never leaves a truncated document where a complete one
// stood. In text mode every "\n" reaches the disk as CR LF, on every
// platform, so a document's bytes do not depend on where it was written.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "core/temporary_file.h"

namespace zeltlog {

class OutputFile {
 public:
  enum class Mode { Text, Binary };

  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile() { Abandon(); }

  // Starts a new document for `path`. On failure returns false, sets
  // `error` to the reason and leaves the file closed: later writes go
  // nowhere and nothing on disk changes.
  bool Create(const std::string& path, Mode mode, std::string* error = nullptr);
  bool IsOpen() const { return file_.IsOpen(); }
  const std::string& path() const { return path_; }
  // Bytes handed to the file so far, line ends as on disk.
  unsigned long long BytesWritten() const { return written_ + used_; }

  // Writes text (text mode: "\n" becomes CR LF). Does nothing when closed.
  void Write(std::string_view text);
  // Writes bytes as they are, in either mode.
  void WriteBytes(const void* data, size_t size);

  // Room for `size` bytes (at most kRoomLimit) straight in the buffer, for
  // a writer that puts its own line ends (CR LF) and bytes there; Advance
  // then takes what was written up to `end`. Nothing written before
  // Advance reaches the file. Closed, the room is scratch that goes nowhere.
  static constexpr size_t kRoomLimit = 1 << 16;
  char* Room(size_t size) {
    if (kBufferSize - used_ < size || !file_.IsOpen()) return FlushForRoom();
    return buffer_.get() + used_;
  }
  void Advance(const char* end) {
    if (file_.IsOpen()) used_ = static_cast<size_t>(end - buffer_.get());
  }

  // Completes the document and puts it in place of the target. Returns
  // false with the reason when anything failed; the target then stays as
  // it was. Closing a file that is not open succeeds.
  bool Close(std::string* error = nullptr);
  // Completes the document but leaves it out of place: `readable` names a
  // path its bytes can be read from until the file is abandoned (a
  // packer reads it there and writes the target itself). False with the
  // reason when a write failed.
  bool Finish(std::string* readable, std::string* error = nullptr);
  // Drops the document under way; the target stays as it was.
  void Abandon();

 private:
  void Append(const char* data, size_t size);
  void Flush();
  char* FlushForRoom();

  static constexpr size_t kBufferSize = 1 << 18;
  TemporaryFile file_;
  Mode mode_ = Mode::Text;
  std::string path_;
  std::unique_ptr<char[]> buffer_;
  size_t used_ = 0;
  unsigned long long written_ = 0;
  bool failed_ = false;
  int failedErrno_ = 0;
};

}  // namespace zeltlog
