#include "core/event_store.h"

#include <cstdlib>
#include <cstring>
#include <limits>

namespace zeltlog {
namespace {

constexpr size_t kMaximumText = std::numeric_limits<uint32_t>::max();

size_t Grown(size_t capacity, size_t needed, size_t minimum) {
  size_t grown = capacity + capacity / 8;
  if (grown < minimum) grown = minimum;
  return grown < needed ? needed : grown;
}

}  // namespace

EventStore::~EventStore() {
  std::free(text_);
  std::free(ends_);
  std::free(kinds_);
}

bool EventStore::Reserve(size_t textBytes, size_t lines) {
  if (textBytes > textCapacity_) {
    const size_t capacity = Grown(textCapacity_, textBytes, 1 << 16);
    char* grown = static_cast<char*>(std::realloc(text_, capacity));
    if (!grown) return false;
    text_ = grown;
    textCapacity_ = capacity;
  }
  if (lines > lineCapacity_) {
    const size_t capacity = Grown(lineCapacity_, lines, 1 << 12);
    auto* ends = static_cast<uint32_t*>(std::realloc(ends_, capacity * sizeof(uint32_t)));
    if (!ends) return false;
    ends_ = ends;
    auto* kinds = static_cast<uint8_t*>(std::realloc(kinds_, capacity));
    if (!kinds) return false;
    kinds_ = kinds;
    lineCapacity_ = capacity;
  }
  return true;
}

void EventStore::Add(EventKind kind, std::string_view line) {
  const size_t end = textSize_ + line.size();
  if (end > kMaximumText || !Reserve(end, count_ + 1)) return;
  if (!line.empty()) std::memcpy(text_ + textSize_, line.data(), line.size());
  textSize_ = end;
  ends_[count_] = static_cast<uint32_t>(end);
  kinds_[count_] = static_cast<uint8_t>(kind);
  ++count_;
}

void EventStore::Clear() {
  std::free(text_);
  std::free(ends_);
  std::free(kinds_);
  text_ = nullptr;
  ends_ = nullptr;
  kinds_ = nullptr;
  textSize_ = textCapacity_ = count_ = lineCapacity_ = 0;
}

std::string_view EventStore::line(size_t index) const {
  const uint32_t begin = index == 0 ? 0 : ends_[index - 1];
  return std::string_view(text_ + begin, ends_[index] - begin);
}

}  // namespace zeltlog
