// The "TRACKING a LOG" command: a guidance log that is still being written
// is opened, its header is listed, the ranges are reset, and the log stays
// open, positioned after its header, until the session closes it (the
// window's OK does, through CloseTrackedLog).
#pragma once

#include <string>

#include "converters/side_result.h"
#include "core/session.h"

namespace zeltlog {

// The command: asks for the log, then starts tracking it.
SideResult StartTracking(ConversionSession& session);
// Starts tracking a log already chosen.
SideResult StartTrackingOn(ConversionSession& session, const std::string& path);
// Closes the tracked log, if one is open; called before the window closes.
void CloseTrackedLog(ConversionSession& session);

}  // namespace zeltlog
