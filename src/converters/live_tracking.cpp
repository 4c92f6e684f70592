#include "converters/live_tracking.h"

#include "core/log_conversion.h"
#include "core/output_names.h"
#include "core/record_reader.h"

namespace zeltlog {

SideResult StartTracking(ConversionSession& s) {
  const auto chosen = ChooseFileAndRememberFolder(s, kLogFileFilter, "");
  if (!chosen) return {};
  return StartTrackingOn(s, *chosen);
}

SideResult StartTrackingOn(ConversionSession& s, const std::string& path) {
  SideResult result;
  result.chosen = true;
  s.chosenLogPath = path;
  s.platform.ClearEvents();
  // A log tracked before is let go: the log file object serves one log.
  CloseTrackedLog(s);
  ResetSession(s);
  s.goodRecordCount = 0;
  s.runPositionCount = 0;
  s.platform.ClearEvents();
  s.logPath = path;

  std::string reason;
  if (!s.logFile.Open(path, &reason)) {
    result.inputError = reason;
    return result;
  }
  result.inputRead = true;
  s.recordBuffer[0] = 1;
  ReadRecord(s, PassMode::Header);
  // Frames read later start from a fresh sync search.
  s.recordBuffer[0] = 0;
  SetRangeSentinels(s);
  s.trackingLogOpen = 1;
  return result;
}

void CloseTrackedLog(ConversionSession& s) {
  if (s.trackingLogOpen == 1) s.logFile.Close();
  s.trackingLogOpen = 0;
}

}  // namespace zeltlog
