// The coverage of a log's sprayed area as one more sink over the swath
// geometry: it collects the quads, the path, the marks and the tank's use
// during the conversion; ComputeCoverage (coverage/coverage.h) turns them
// into the report's figures afterwards.
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
  CoverageData data_;
  bool pathBroken_ = true;  // the next path point starts a piece
  bool gapSinceQuad_ = false;
};

}  // namespace zeltlog
