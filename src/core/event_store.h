// The event list kept in memory, for the window's virtual list and its
// export: every line's bytes in one growing buffer with an offset per line,
// not a heap object per line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform.h"

namespace zeltlog {

class EventStore {
 public:
  void Add(EventKind kind, std::string_view line);
  void Clear();
  size_t size() const { return ends_.size(); }
  std::string_view line(size_t index) const;
  EventKind kind(size_t index) const { return static_cast<EventKind>(kinds_[index]); }
  size_t TextBytes() const { return text_.size(); }

 private:
  std::string text_;
  std::vector<uint32_t> ends_;  // end offset of each line; 4 GiB of text is plenty
  std::vector<uint8_t> kinds_;
};

}  // namespace zeltlog
