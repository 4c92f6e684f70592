// A front end for the tests: records every event line, every change of the
// busy cursor and every request to the desktop, and answers file choosers
// from a queue.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/event_store.h"
#include "core/desktop.h"
#include "core/event_log.h"
#include "core/progress.h"
#include "core/session.h"

namespace zeltlog::testkit {

class RecordingPlatform : public EventLog, public Progress, public Desktop {
 public:
  void AddEvent(EventKind kind, std::string_view line) override { events.Add(kind, line); }
  void ClearEvents() override {
    events.Clear();
    ++clears;
  }
  std::optional<std::string> ChooseFile(std::string_view filter, std::string_view extension) override {
    filters.emplace_back(filter);
    extensions.emplace_back(extension);
    if (choices.empty()) return std::nullopt;
    auto choice = choices.front();
    choices.pop_front();
    return choice;
  }
  void OpenInViewer(const std::string& path) override { opened.push_back(path); }
  void Pause(int milliseconds) override { pauses.push_back(milliseconds); }
  void ShowMessage(std::string_view text) override { messages.emplace_back(text); }
  void Beep() override { ++beeps; }
  void SetBusy(bool busy) override { busyChanges.push_back(busy); }
  void RefreshFields(const ConversionSession&) override { ++refreshes; }

  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    for (size_t i = 0; i < events.size(); ++i) lines.emplace_back(events.line(i));
    return lines;
  }
  std::vector<std::string> LinesOf(EventKind kind) const {
    std::vector<std::string> lines;
    for (size_t i = 0; i < events.size(); ++i)
      if (events.kind(i) == kind) lines.emplace_back(events.line(i));
    return lines;
  }

  EventStore events;
  int clears = 0;
  std::deque<std::optional<std::string>> choices;
  std::vector<std::string> filters, extensions, opened, messages;
  std::vector<int> pauses;
  std::vector<bool> busyChanges;
  int beeps = 0;
  int refreshes = 0;
};

}  // namespace zeltlog::testkit
