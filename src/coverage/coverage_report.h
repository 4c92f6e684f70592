// The figures of a coverage report, for one log, and the geometry behind
// them. Areas are true ground areas on the WGS-84 ellipsoid.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "coverage/lonlat_geometry.h"

namespace zeltlog {

struct RunFigures {
  int run = 0;
  double startTime = 0.0, endTime = 0.0;  // seconds since midnight of its first and last quad
  double grossAreaHa = 0.0;               // the sum of its quads' areas
  double netAreaHa = 0.0;                 // the area of their union
};

// What a report's caller needs of the skipped ground: its polygons joined
// across the tiles they were worked out in (a map, a PDF or GIS layers
// draw them), or only its area (the table, the JSON, the archive), which
// the tiles' pieces give as well. The figures are the same either way.
enum class SkippedGround { Joined, AreaOnly };

struct CoverageReport {
  std::string log;
  // Why the log could not be reported at all; then nothing below is set.
  std::string error;
  double sprayedAreaHa = 0.0;       // the union of the quads
  double grossSprayedAreaHa = 0.0;  // the sum of the quads' areas
  double overlapAreaHa = 0.0;       // gross less sprayed
  // Only with a field, from a file or from the log's boundary rings.
  std::optional<double> fieldAreaHa, skippedAreaHa, outsideAreaHa, coveragePercent;
  double volumeL = 0.0;
  std::optional<double> appliedRateLPerHa;  // none without a sprayed area
  std::optional<double> targetRateLPerHa;   // none without spraying time
  double sprayingTimeS = 0.0;
  double distanceM = 0.0;
  int fixes = 0;
  std::vector<RunFigures> runs;

  LonLatMultiPolygon coverage;  // the union
  // The coverage's polygons are one union: none overlaps another or shares
  // an edge with it. False where the union's pieces were kept as they are
  // (the same ground in more polygons).
  bool coverageJoined = false;
  LonLatMultiPolygon skipped;  // field less union, in pieces unless SkippedGround::Joined
  LonLatMultiPolygon field;
  // What the geometry library could not compute, in the order found; the
  // figures that depend on it are then left as they are.
  std::vector<std::string> problems;
};

}  // namespace zeltlog
