// The main job: a guidance log becomes three KML documents beside it (the
// flight path, the swath quads and the marks), with a statistics summary
// and the decoded events in the event list.
#pragma once

#include <string>
#include <vector>

#include "core/session.h"

namespace zeltlog {

// What one run did, for front ends that report beyond the event list.
struct ConversionOutcome {
  bool chosen = false;       // a log was chosen (false: cancelled)
  bool logRead = false;      // the log could be opened and was read
  std::string logError;      // why not, or what was wrong with it
  bool endedInsideFrame = false;
  std::vector<std::string> documentsWritten;
  struct Failure {
    std::string path;
    std::string reason;
  };
  std::vector<Failure> documentsFailed;

  bool Succeeded() const { return logRead && logError.empty() && documentsFailed.empty() && !endedInsideFrame; }
};

// The "ZELT LOG" command: asks the platform for a log, then converts it.
ConversionOutcome RunLogConversion(ConversionSession& session);
// The same command for a log already chosen.
ConversionOutcome RunLogConversionOn(ConversionSession& session, const std::string& logPath);
// The conversion driver: opens the outputs, runs the full pass, closes the
// outputs and adds the end line. False when the log cannot be opened.
bool ConvertLog(ConversionSession& session, ConversionOutcome& outcome);

// Extent distance in degrees and the map zoom level (1 to 19) it calls for.
double ExtentDistance(double latitudeMax, double latitudeMin, double longitudeMax, double longitudeMin);
int ZoomLevelFor(double distance);

inline constexpr const char* kLogFileFilter = "ZELT LOG FORMAT .LOG|*.LOG|All Files - All Types|*.*;*||";

}  // namespace zeltlog
