#include "coverage/coverage_sink.h"

#include <cmath>

#include "core/iso_time.h"

namespace zeltlog {

PackedDate PackDate(int year, int month, int day) {
  if (!IsCalendarDate(year, month, day)) return 0;
  return static_cast<PackedDate>(year * 10000 + month * 100 + day);
}

LonLat CoverageSink::Placed(double longitude, double latitude) {
  if (!std::isfinite(longitude) || !std::isfinite(latitude) || std::fabs(longitude) > 360.0 ||
      std::fabs(latitude) > 90.0) {
    return {longitude, latitude};
  }
  if (!data_.centred) {
    data_.centreLongitude = LongitudeNear(longitude, 0.0);
    data_.centred = true;
  }
  return {LongitudeNear(longitude, data_.centreLongitude), latitude};
}

void CoverageSink::OnFigures(const PrescanFigures& figures) {
  data_.tankUsed = figures.tankUsed;
  data_.fixes = figures.fixes;
}

void CoverageSink::OnEnd(const RunEnd& end) {
  data_.fixes = end.fixes;
  data_.anyFix = end.anyFix;
}

void CoverageSink::OnTimeGap(const TimeGap& gap) {
  // Only a jump forward breaks the drawn path.
  if (gap.backwards) return;
  pathBroken_ = true;
  gapSinceQuad_ = true;
}

void CoverageSink::OnPathPoint(const PathPoint& point) {
  const PackedDate date = PackDate(point.date.year, point.date.month, point.date.day);
  if (pathBroken_) {
    data_.pathPieceStarts.push_back(data_.path.size());
    data_.pathPieceDates.push_back({date, date});
    pathBroken_ = false;
  }
  data_.pathPieceDates.back().last = date;
  data_.path.push_back({Placed(point.at.longitude, point.at.latitude), point.time});
}

void CoverageSink::OnQuad(const SwathQuad& q) {
  CollectedQuad c;
  c.prevRight = Placed(q.prevRight.longitude, q.prevRight.latitude);
  c.right = Placed(q.right.longitude, q.right.latitude);
  c.left = Placed(q.left.longitude, q.left.latitude);
  c.prevLeft = Placed(q.prevLeft.longitude, q.prevLeft.latitude);
  c.time = q.time;
  c.run = q.run;
  c.firstOfRun = q.firstOfRun;
  c.afterGap = gapSinceQuad_;
  c.targetRate = static_cast<float>(q.targetRate);
  c.actualRate = static_cast<float>(q.actualRate);
  c.speed = static_cast<float>(q.speed);
  c.leftOffset = static_cast<float>(q.leftOffset);
  c.rightOffset = static_cast<float>(q.rightOffset);
  c.rateBin = RateBinOf(q.targetRate, q.actualRate);
  c.heading = static_cast<float>(q.heading);
  c.elevation = static_cast<float>(q.right.altitude);
  c.date = PackDate(q.date.year, q.date.month, q.date.day);
  data_.quads.push_back(c);
  gapSinceQuad_ = false;
}

void CoverageSink::OnMarkPoint(const MarkPoint& mark) {
  data_.marks.push_back({mark.type, Placed(mark.longitude, mark.latitude), mark.altitude, std::string(mark.name)});
}

}  // namespace zeltlog
