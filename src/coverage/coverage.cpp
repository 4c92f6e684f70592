// The coverage figures from the collected quads. The union of a million
// quads is never built quad by quad: consecutive quads of a run that share
// their edge form a ribbon, drawn as one polygon from its edge points.
// When every quad of a ribbon is simple and turns the same way, and the
// ribbon's ring is simple, the ribbon is exactly their union (its winding
// number is the sum of theirs). Where the ring is not simple (a tight
// turn whose inner edge runs backwards, a self-touching turn), the ribbon
// is cut in halves until it is. Crossed quads are made valid on their own;
// quads without area add nothing. Each run's ribbons are then unioned, and
// the runs after them.
#include <cmath>
#include <cstdlib>
#include <unordered_map>

#include "coverage/coverage_sink.h"
#include "coverage/ellipsoid_area.h"
#include "coverage/geos_context.h"

namespace zeltlog {
namespace {

constexpr double kSquareMetresPerHectare = 10000.0;
constexpr double kNoArea = 1e-6;        // square metres
constexpr double kSameCorner = 1e-11;   // degrees, a few micrometres
constexpr double kDegree = 3.14159265358979323846 / 180.0;

enum class QuadShape { Empty, Simple, Crossed };

struct QuadInfo {
  QuadShape shape = QuadShape::Empty;
  int sign = 0;       // +1 counter-clockwise, -1 clockwise
  double area = 0.0;  // square metres
};

bool Same(LonLat a, LonLat b) {
  return std::fabs(a.longitude - b.longitude) <= kSameCorner && std::fabs(a.latitude - b.latitude) <= kSameCorner;
}

struct Local {
  double x, y;
};

double Orient(Local a, Local b, Local c) { return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x); }

bool Within(Local a, Local b, Local p) {
  return std::min(a.x, b.x) <= p.x && p.x <= std::max(a.x, b.x) && std::min(a.y, b.y) <= p.y &&
         p.y <= std::max(a.y, b.y);
}

// Whether two segments cross or touch.
bool Meet(Local a, Local b, Local c, Local d) {
  const double o1 = Orient(a, b, c), o2 = Orient(a, b, d), o3 = Orient(c, d, a), o4 = Orient(c, d, b);
  if (((o1 > 0 && o2 < 0) || (o1 < 0 && o2 > 0)) && ((o3 > 0 && o4 < 0) || (o3 < 0 && o4 > 0))) return true;
  return (o1 == 0 && Within(a, b, c)) || (o2 == 0 && Within(a, b, d)) || (o3 == 0 && Within(c, d, a)) ||
         (o4 == 0 && Within(c, d, b));
}

QuadInfo Classify(const CollectedQuad& q) {
  const LonLat corners[4] = {q.prevRight, q.right, q.left, q.prevLeft};
  LonLat distinct[4];
  int n = 0;
  for (const LonLat& p : corners) {
    if (n == 0 || p.longitude != distinct[n - 1].longitude || p.latitude != distinct[n - 1].latitude) {
      distinct[n++] = p;
    }
  }
  while (n > 1 && distinct[n - 1].longitude == distinct[0].longitude && distinct[n - 1].latitude == distinct[0].latitude) {
    --n;
  }
  QuadInfo info;
  if (n < 3) return info;
  const double signedArea = SignedRingArea(distinct, static_cast<size_t>(n));
  if (n == 4) {
    const double scale = std::cos(distinct[0].latitude * kDegree);
    Local p[4];
    for (int i = 0; i < 4; ++i) {
      p[i] = {(distinct[i].longitude - distinct[0].longitude) * scale, distinct[i].latitude - distinct[0].latitude};
    }
    if (Meet(p[0], p[1], p[2], p[3]) || Meet(p[1], p[2], p[3], p[0])) {
      info.shape = QuadShape::Crossed;
      return info;
    }
  }
  if (std::fabs(signedArea) < kNoArea) return info;
  info.shape = QuadShape::Simple;
  info.sign = signedArea > 0 ? 1 : -1;
  info.area = std::fabs(signedArea);
  return info;
}

double Area(const GeosContext& c, const GEOSGeometry* g) { return MultiPolygonArea(ToLonLat(c, g)); }

class RibbonBuilder {
 public:
  RibbonBuilder(const GeosContext& c, const std::vector<CollectedQuad>& quads, const std::vector<size_t>& withArea)
      : c_(c), quads_(quads), withArea_(withArea) {}

  // Adds the union of quads [start, end), which share their edges, to
  // `pieces`.
  void Add(size_t start, size_t end, std::vector<GeosPtr>& pieces) {
    if (withArea_[end] == withArea_[start]) return;  // nothing but quads without area
    points_.clear();
    points_.push_back(quads_[start].prevRight);
    for (size_t i = start; i < end; ++i) points_.push_back(quads_[i].right);
    for (size_t i = end; i-- > start;) points_.push_back(quads_[i].left);
    points_.push_back(quads_[start].prevLeft);
    GeosPtr polygon = RingPolygon(c_, points_);
    if (!polygon) return;
    if (GEOSisValid_r(c_.handle(), polygon.get()) == 1) {
      pieces.push_back(std::move(polygon));
      return;
    }
    if (end - start == 1) {
      if (GeosPtr valid = MadeValid(c_, polygon.get())) pieces.push_back(std::move(valid));
      return;
    }
    const size_t middle = start + (end - start) / 2;
    Add(start, middle, pieces);
    Add(middle, end, pieces);
  }

 private:
  const GeosContext& c_;
  const std::vector<CollectedQuad>& quads_;
  const std::vector<size_t>& withArea_;  // quads with area before each index
  std::vector<LonLat> points_;
};

struct RunState {
  RunFigures figures;
  std::vector<GeosPtr> pieces;
};

GeosPtr FieldGeometry(const GeosContext& c, const CoverageData& data, const LonLatMultiPolygon* field) {
  if (field) {
    GeosPtr polygons = MadeValid(c, FromLonLat(c, *field).get());
    if (!polygons) return polygons;
    std::vector<GeosPtr> parts;
    parts.push_back(std::move(polygons));
    return UnionOf(c, std::move(parts));  // overlapping polygons of a file count once
  }
  const BoundaryRings rings = BoundaryRingsOf(data);
  std::vector<GeosPtr> parts;
  for (const LonLatRing* ring : {&rings.boundary, &rings.inclusion}) {
    if (GeosPtr polygon = RingPolygon(c, *ring)) parts.push_back(MadeValid(c, polygon.get()));
  }
  if (parts.empty()) return Own(c, nullptr);
  GeosPtr area = UnionOf(c, std::move(parts));
  if (area && !rings.exclusion.empty()) {
    if (GeosPtr polygon = RingPolygon(c, rings.exclusion)) {
      GeosPtr hole = MadeValid(c, polygon.get());
      if (hole) area = Own(c, GEOSDifference_r(c.handle(), area.get(), hole.get()));
    }
  }
  return area;
}

}  // namespace

CoverageReport ComputeCoverage(const CoverageData& data, const LonLatMultiPolygon* field) {
  CoverageReport r;
  GeosContext c;
  const std::vector<CollectedQuad>& quads = data.quads;

  std::vector<QuadInfo> infos(quads.size());
  std::vector<size_t> withArea(quads.size() + 1, 0);
  for (size_t i = 0; i < quads.size(); ++i) {
    infos[i] = Classify(quads[i]);
    withArea[i + 1] = withArea[i] + (infos[i].shape == QuadShape::Empty ? 0 : 1);
  }

  std::vector<RunState> runs;
  std::unordered_map<int, size_t> runIndex;
  RibbonBuilder ribbons(c, quads, withArea);
  size_t chunkStart = 0;
  bool chunkOpen = false;
  int chunkSign = 0;
  auto closeChunk = [&](size_t end) {
    if (chunkOpen) ribbons.Add(chunkStart, end, runs[runIndex[quads[chunkStart].run]].pieces);
    chunkOpen = false;
    chunkSign = 0;
  };

  double sprayingTime = 0.0, targetTime = 0.0;
  for (size_t i = 0; i < quads.size(); ++i) {
    const CollectedQuad& q = quads[i];
    auto [found, added] = runIndex.try_emplace(q.run, runs.size());
    if (added) {
      runs.emplace_back();
      runs.back().figures.run = q.run;
      runs.back().figures.startTime = q.time;
    }
    RunState& run = runs[found->second];
    run.figures.endTime = q.time;

    const bool continues = i > 0 && quads[i - 1].run == q.run && !q.firstOfRun;
    if (continues && !q.afterGap && q.time > quads[i - 1].time) {
      const double step = q.time - quads[i - 1].time;
      sprayingTime += step;
      targetTime += step * q.targetRate;
    }

    const QuadInfo& info = infos[i];
    if (info.shape == QuadShape::Crossed) {
      closeChunk(i);
      GeosPtr ring = RingPolygon(c, {q.prevRight, q.right, q.left, q.prevLeft});
      if (GeosPtr valid = MadeValid(c, ring.get())) {
        run.figures.grossAreaHa += Area(c, valid.get());
        run.pieces.push_back(std::move(valid));
      }
      continue;
    }
    run.figures.grossAreaHa += info.area;
    bool chains = chunkOpen && continues && Same(q.prevRight, quads[i - 1].right) && Same(q.prevLeft, quads[i - 1].left);
    if (chains && info.shape == QuadShape::Simple && chunkSign != 0 && info.sign != chunkSign) chains = false;
    if (!chains) {
      closeChunk(i);
      chunkStart = i;
      chunkOpen = true;
    }
    if (info.shape == QuadShape::Simple && chunkSign == 0) chunkSign = info.sign;
  }
  closeChunk(quads.size());

  std::vector<GeosPtr> runUnions;
  double gross = 0.0;
  for (RunState& run : runs) {
    gross += run.figures.grossAreaHa;
    run.figures.grossAreaHa /= kSquareMetresPerHectare;
    GeosPtr runUnion = UnionOf(c, std::move(run.pieces));
    if (!runUnion) {
      r.problem = "the union of run " + std::to_string(run.figures.run) + " could not be computed";
      continue;
    }
    run.figures.netAreaHa = Area(c, runUnion.get()) / kSquareMetresPerHectare;
    runUnions.push_back(std::move(runUnion));
    r.runs.push_back(run.figures);
  }
  GeosPtr coverage = UnionOf(c, std::move(runUnions));
  if (!coverage) r.problem = "the union of the runs could not be computed";
  r.coverage = ToLonLat(c, coverage.get());
  r.sprayedAreaHa = MultiPolygonArea(r.coverage) / kSquareMetresPerHectare;
  r.grossSprayedAreaHa = gross / kSquareMetresPerHectare;
  r.overlapAreaHa = std::max(0.0, r.grossSprayedAreaHa - r.sprayedAreaHa);

  if (GeosPtr fieldArea = FieldGeometry(c, data, field); fieldArea && GEOSisEmpty_r(c.handle(), fieldArea.get()) == 0) {
    r.field = ToLonLat(c, fieldArea.get());
    const double fieldSquareMetres = MultiPolygonArea(r.field);
    GeosPtr skipped = coverage ? Own(c, GEOSDifference_r(c.handle(), fieldArea.get(), coverage.get())) : Own(c, nullptr);
    GeosPtr outside = coverage ? Own(c, GEOSDifference_r(c.handle(), coverage.get(), fieldArea.get())) : Own(c, nullptr);
    if (skipped && outside) {
      r.skipped = ToLonLat(c, skipped.get());
      const double skippedSquareMetres = MultiPolygonArea(r.skipped);
      r.fieldAreaHa = fieldSquareMetres / kSquareMetresPerHectare;
      r.skippedAreaHa = skippedSquareMetres / kSquareMetresPerHectare;
      r.outsideAreaHa = Area(c, outside.get()) / kSquareMetresPerHectare;
      if (fieldSquareMetres > 0.0) r.coveragePercent = (fieldSquareMetres - skippedSquareMetres) / fieldSquareMetres * 100.0;
    } else {
      r.problem = "the field could not be compared with the sprayed area";
    }
  }

  r.volumeL = data.tankUsed;
  if (r.sprayedAreaHa > 0.0) r.appliedRateLPerHa = r.volumeL / r.sprayedAreaHa;
  r.sprayingTimeS = sprayingTime;
  if (sprayingTime > 0.0) r.targetRateLPerHa = targetTime / sprayingTime;
  for (size_t piece = 0; piece < data.pathPieceStarts.size(); ++piece) {
    const size_t end = piece + 1 < data.pathPieceStarts.size() ? data.pathPieceStarts[piece + 1] : data.path.size();
    for (size_t i = data.pathPieceStarts[piece] + 1; i < end; ++i) {
      r.distanceM += StepDistance(data.path[i - 1].at, data.path[i].at);
    }
  }
  r.fixes = data.fixes;
  return r;
}

}  // namespace zeltlog
