#include "core/event_store.h"

namespace zeltlog {

void EventStore::Add(EventKind kind, std::string_view line) {
  text_.append(line);
  ends_.push_back(static_cast<uint32_t>(text_.size()));
  kinds_.push_back(static_cast<uint8_t>(kind));
}

void EventStore::Clear() {
  text_.clear();
  ends_.clear();
  kinds_.clear();
}

std::string_view EventStore::line(size_t index) const {
  const uint32_t begin = index == 0 ? 0 : ends_[index - 1];
  return std::string_view(text_).substr(begin, ends_[index] - begin);
}

}  // namespace zeltlog
