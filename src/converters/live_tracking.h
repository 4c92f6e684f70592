// The "TRACKING a LOG" command: a guidance log that is still being written
// is opened, its header is listed, and the log stays open, positioned after
// its header, until it is closed (the window's OK does, through
// CloseTrackedLog).
#pragma once

#include <string>

#include "core/byte_reader.h"
#include "core/command_result.h"
#include "core/session.h"

namespace zeltlog {

// The log being tracked; the front end that tracks keeps it.
struct TrackedLog {
  ByteReader reader;
};

// The command: asks for the log, then starts tracking it.
CommandResult StartTracking(ConversionSession& session, TrackedLog& tracked);
// Starts tracking a log already chosen.
CommandResult StartTrackingOn(ConversionSession& session, TrackedLog& tracked, const std::string& path);
// Closes the tracked log, if one is open; called before the window closes.
void CloseTrackedLog(TrackedLog& tracked);

}  // namespace zeltlog
