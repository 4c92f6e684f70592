// The event list kept in memory, for the window's virtual list and its
// export: every line's bytes in one growing buffer with an end offset and a
// kind per line, not a heap object per line. The buffers grow by an eighth
// at a time through realloc, which moves large blocks without copying, so
// the store stays within about 1.3 times the bytes of its text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/event_log.h"

namespace zeltlog {

class EventStore {
 public:
  EventStore() = default;
  EventStore(const EventStore&) = delete;
  EventStore& operator=(const EventStore&) = delete;
  ~EventStore();

  // Adds a line. A store that has reached 4 GiB of text keeps its lines and
  // takes no more.
  void Add(EventKind kind, std::string_view line);
  void Clear();
  size_t size() const { return count_; }
  std::string_view line(size_t index) const;
  EventKind kind(size_t index) const { return static_cast<EventKind>(kinds_[index]); }
  size_t TextBytes() const { return textSize_; }
  // Bytes the store holds in memory.
  size_t CapacityBytes() const { return textCapacity_ + lineCapacity_ * (sizeof(uint32_t) + 1); }

 private:
  bool Reserve(size_t textBytes, size_t lines);

  char* text_ = nullptr;
  size_t textSize_ = 0;
  size_t textCapacity_ = 0;
  uint32_t* ends_ = nullptr;  // end offset of each line in the text
  uint8_t* kinds_ = nullptr;
  size_t count_ = 0;
  size_t lineCapacity_ = 0;
};

}  // namespace zeltlog
