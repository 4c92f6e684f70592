// The coverage of a log's sprayed area as one more sink over the swath
// geometry: it collects the quads, the path, the marks and the tank's use
// during the conversion; ComputeCoverage turns them into the report's
// figures afterwards.
#pragma once

#include "coverage/coverage_data.h"
#include "coverage/coverage_report.h"
#include "sinks/sink.h"

namespace zeltlog {

class CoverageSink : public Sink {
 public:
  void OnFigures(const PrescanFigures& figures) override;
  void OnEnd(const RunEnd& end) override;
  void OnTimeGap(const TimeGap& gap) override;
  void OnPathPoint(const PathPoint& point) override;
  void OnQuad(const SwathQuad& quad) override;
  void OnMarkPoint(const MarkPoint& mark) override;

  const CoverageData& data() const { return data_; }

 private:
  LonLat Placed(double longitude, double latitude);

  CoverageData data_;
  bool pathBroken_ = true;  // the next path point starts a piece
  bool gapSinceQuad_ = false;
};

// The report's figures. The field is `field` when given (polygons of a
// file), else the log's boundary rings, else there is none. The log's name
// is left for the caller to set.
CoverageReport ComputeCoverage(const CoverageData& data, const LonLatMultiPolygon* field = nullptr);

// The field the log's boundary points describe: code-128 points in log
// order close into one ring when there are at least three; so do the
// inclusion (130) points, which add area, and the exclusion (131) points,
// which cut a hole. Empty when neither a boundary nor an inclusion ring
// exists. Rings as logged, not yet made valid.
struct BoundaryRings {
  LonLatRing boundary, inclusion, exclusion;
};
BoundaryRings BoundaryRingsOf(const CoverageData& data);

}  // namespace zeltlog
