// The event list as the library sees it: the passes, the documents' output
// set and the event-line sink add lines to it; the front end shows them
// (the window's list, standard output, a test's record).
#pragma once

#include <string_view>

namespace zeltlog {

// What an event line is, so that a front end can choose what to show. The
// window and the exported event list show every kind, in order.
enum class EventKind {
  Summary,   // version, ranges, rates, end line
  Record,    // a decoded record or a writer's note
  Progress,  // one line per position fix
  Error,     // checksum errors, files that cannot be read or written
};

class EventLog {
 public:
  virtual ~EventLog() = default;

  virtual void AddEvent(EventKind kind, std::string_view line) = 0;
  virtual void ClearEvents() = 0;
  // False when lines of this kind go nowhere, so that producing them can be
  // skipped. Whatever is skipped must be exactly what nobody would see.
  virtual bool WantsEvents(EventKind kind) const {
    (void)kind;
    return true;
  }
};

// An event list nobody reads (the coverage report prints only its figures).
class UnreadEventLog final : public EventLog {
 public:
  void AddEvent(EventKind, std::string_view) override {}
  void ClearEvents() override {}
  bool WantsEvents(EventKind) const override { return false; }
};

}  // namespace zeltlog
