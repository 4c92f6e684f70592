// A sink consumes one conversion: the decoded records, the geometry of the
// full pass, or both, in log order, between OnStart and OnEnd. The summary,
// the event lines and the KML documents are sinks; a new output is a new
// sink, subscribed to the pass's stages (pipeline/pass_stages.h).
#pragma once

#include <cstdint>

#include "geometry/geometry_handler.h"
#include "records/record_handler.h"

namespace zeltlog {

// What the pre-scan found before the full pass: the extent of the fixes
// and the ranges of the rates, and the tank's use.
struct PrescanFigures {
  double latitudeMax = -90.0, latitudeMin = 90.0;
  double longitudeMax = -180.0, longitudeMin = 180.0;
  double altitudeMax = -1000.0, altitudeMin = 20000.0;
  double targetRateMax = -1000.0, targetRateMin = 2000.0;  // max below -900: never set
  double actualRateMax = -1000.0, actualRateMin = 2000.0;
  double tankUsed = 0.0;  // litres: the tank's first reading less its last
  int fixes = 0;          // plausible fixes
};

// The end of the full pass.
struct RunEnd {
  bool anyFix = false;
  double startTime = 0.0;  // seconds since midnight of the first fix
  double endTime = 0.0;    // of the last fix
  int fixes = 0;
  int goodFrames = 0;
  int checksumErrors = 0;
};

class Sink : public RecordHandler, public GeometryHandler {
 public:
  // Before the first record: the place to create outputs.
  virtual void OnStart() {}
  // The pre-scan's figures, once per run. The pre-scan runs beside the
  // full pass, so they come between two records, as soon as it has
  // finished, and at the latest just before OnEnd.
  virtual void OnFigures(const PrescanFigures&) {}
  virtual void OnEnd(const RunEnd&) {}
};

// What a sink listens to in a pass: the records as decoded, the geometry
// TrackGeometry makes of them, or both. Every subscribed sink gets OnStart,
// OnFigures and OnEnd.
enum class Feeds : uint8_t { Records = 1, Geometry = 2, RecordsAndGeometry = 3 };

struct Subscription {
  Sink* sink = nullptr;
  Feeds feeds = Feeds::RecordsAndGeometry;
  bool records() const { return (static_cast<uint8_t>(feeds) & static_cast<uint8_t>(Feeds::Records)) != 0; }
  bool geometry() const { return (static_cast<uint8_t>(feeds) & static_cast<uint8_t>(Feeds::Geometry)) != 0; }
};

}  // namespace zeltlog
