// Event lines held back while the pre-scan runs beside the full pass. The
// summary lines made from the pre-scan's figures head the event list, so
// the lines of the full pass that come before them wait here and follow in
// their order.
#pragma once

#include <string>

#include "core/event_log.h"

namespace zeltlog {

class EventHold : public EventLog {
 public:
  explicit EventHold(EventLog& events) : events_(events) {}

  // Held lines past this many bytes: the full pass should wait for the
  // pre-scan rather than hold more (a listing of every record would
  // otherwise be held whole).
  static constexpr size_t kBound = 1 << 18;
  bool Full() const { return held_.size() > kBound; }

  // Lets the lines go: those `ahead` adds first, then the held ones; from
  // then on every line goes straight through.
  template <typename Ahead>
  void Release(Ahead&& ahead) {
    holding_ = false;
    ahead();
    PassHeld();
  }
  // Forgets the held lines, and holds every later one for good.
  void Drop() { held_.clear(); }

  void AddEvent(EventKind kind, std::string_view line) override;
  void ClearEvents() override { events_.ClearEvents(); }
  bool WantsEvents(EventKind kind) const override { return events_.WantsEvents(kind); }

 private:
  void PassHeld();

  EventLog& events_;
  bool holding_ = true;
  // Each held line as its kind, its length and its text.
  std::string held_;
};

}  // namespace zeltlog
