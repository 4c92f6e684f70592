#include "converters/live_tracking.h"

#include "pipeline/log_conversion.h"
#include "records/frame_reader.h"

namespace zeltlog {

CommandResult StartTracking(ConversionSession& s, TrackedLog& tracked) {
  const auto chosen = ChooseFileAndRememberFolder(s, kLogFileFilter, "");
  if (!chosen) return {};
  return StartTrackingOn(s, tracked, *chosen);
}

CommandResult StartTrackingOn(ConversionSession& s, TrackedLog& tracked, const std::string& path) {
  CommandResult result;
  result.chosen = true;
  s.chosenLogPath = path;
  // A log tracked before is let go: one log is tracked at a time.
  CloseTrackedLog(tracked);
  s.goodRecordCount = 0;
  s.events.ClearEvents();

  std::string reason;
  if (!tracked.reader.Open(path, &reason)) {
    result.Unreadable(reason);
    return result;
  }
  result.inputRead = true;
  // Frames read later start from a fresh sync search after the header.
  if (const auto header = ReadHeaderText(tracked.reader)) s.AddEvent(EventKind::Summary, "Version: " + *header);
  return result;
}

void CloseTrackedLog(TrackedLog& tracked) { tracked.reader.Close(); }

}  // namespace zeltlog
