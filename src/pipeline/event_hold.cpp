#include "pipeline/event_hold.h"

#include <cstring>

namespace zeltlog {

void EventHold::AddEvent(EventKind kind, std::string_view line) {
  if (!holding_) {
    events_.AddEvent(kind, line);
    return;
  }
  const size_t length = line.size();
  held_.push_back(static_cast<char>(kind));
  held_.append(reinterpret_cast<const char*>(&length), sizeof length);
  held_.append(line);
}

void EventHold::PassHeld() {
  size_t at = 0;
  while (at < held_.size()) {
    const auto kind = static_cast<EventKind>(held_[at]);
    size_t length = 0;
    std::memcpy(&length, held_.data() + at + 1, sizeof length);
    at += 1 + sizeof length;
    events_.AddEvent(kind, std::string_view(held_).substr(at, length));
    at += length;
  }
  held_.clear();
  held_.shrink_to_fit();
}

}  // namespace zeltlog
