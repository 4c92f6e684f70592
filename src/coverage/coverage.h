// What the analysis module computes with GEOS (the library
// zeltlog_coverage_geometry): the report's figures and the map's layers.
// The programs reach these through the module (coverage/coverage_module.h);
// the Windows build links them.
#pragma once

#include "coverage/coverage_data.h"
#include "coverage/coverage_report.h"
#include "coverage/map_layers.h"

namespace zeltlog {

// The report's figures. The field is `field` when given (polygons of a
// file), else the log's boundary rings, else there is none. The log's name
// is left for the caller to set.
CoverageReport ComputeCoverage(const CoverageData& data, const LonLatMultiPolygon* field = nullptr,
                               SkippedGround skipped = SkippedGround::Joined);

// The field the log's boundary points describe: code-128 points in log
// order close into one ring when there are at least three; so do the
// inclusion (130) points, which add area, and the exclusion (131) points,
// which cut a hole. Empty when neither a boundary nor an inclusion ring
// exists. Rings as logged, not yet made valid.
struct BoundaryRings {
  LonLatRing boundary, inclusion, exclusion;
};
BoundaryRings BoundaryRingsOf(const CoverageData& data);

MapLayers ComputeMapLayers(const CoverageData& data);

}  // namespace zeltlog
