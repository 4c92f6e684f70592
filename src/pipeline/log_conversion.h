// The main job: a guidance log becomes three KML documents beside it (the
// flight path, the swath quads and the marks), with a statistics summary
// and the decoded events in the event list.
#pragma once

#include <string>
#include <vector>

#include "core/command_result.h"
#include "core/session.h"
#include "sinks/sink.h"

namespace zeltlog {

inline constexpr const char* kLogFileFilter = "ZELT LOG FORMAT .LOG|*.LOG|All Files - All Types|*.*;*||";

// The "ZELT LOG" command: asks the desktop's chooser for a log, then converts it.
CommandResult RunLogConversion(ConversionSession& session);
// The same command for a log already chosen. `extraSinks` consume the same
// records and geometry as the documents, after them.
CommandResult RunLogConversionOn(ConversionSession& session, const std::string& logPath,
                                 const std::vector<Sink*>& extraSinks = {});
// The documents of that run over `logPath` that `report` lists as written,
// in the order a front end opens them in the viewer: swath, path, marks.
std::vector<std::string> DocumentsForViewer(const ConversionSession& session, const std::string& logPath,
                                            const OutputReport& report);

// The same passes over a log feeding only the event lines and `analyses`,
// with no document written: for reports computed from the records and the
// geometry (the coverage report). A log with nothing to draw is refused as
// by the main job.
CommandResult RunLogAnalysis(ConversionSession& session, const std::string& logPath,
                             const std::vector<Sink*>& analyses);

}  // namespace zeltlog
