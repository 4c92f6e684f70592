#include "cli/event_lines.h"

#include <cerrno>
#include <cstring>

namespace zeltlog::cli {

bool EventLines::Open(const std::string& path, std::string* error) {
  if (path != kStandardOutputName) return file_.Open(path, error);
  stream_ = stdout;
  WriteToStream(kEventListHeader);
  return true;
}

bool EventLines::OpenRaw(const std::string& path, std::string* error) { return file_.OpenRaw(path, error); }

void EventLines::Add(std::string_view line) {
  if (!stream_) {
    file_.Add(line);
    return;
  }
  WriteToStream(line);
  WriteToStream("\n");
}

void EventLines::WriteToStream(std::string_view text) {
  size_t start = 0;
  for (size_t end = text.find('\n'); end != std::string_view::npos; end = text.find('\n', start)) {
    std::fwrite(text.data() + start, 1, end - start, stream_);
    std::fwrite("\r\n", 1, 2, stream_);
    start = end + 1;
  }
  std::fwrite(text.data() + start, 1, text.size() - start, stream_);
}

bool EventLines::Close(std::string* error) {
  if (!stream_) return file_.Close(error);
  const bool written = std::fflush(stream_) == 0 && !std::ferror(stream_);
  if (!written && error) *error = std::strerror(errno);
  stream_ = nullptr;
  return written;
}

}  // namespace zeltlog::cli
