// Jobs with known answers fed to the coverage sink as the conversion would
// feed it: quads whose corners are laid out in metres at 34 degrees south
// and turned into degrees, path points, marks and the tank's use.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "coverage/coverage.h"
#include "coverage/coverage_sink.h"
#include "coverage/ellipsoid_area.h"
#include "coverage/map_layers.h"
#include "local_grid.h"

namespace zeltlog {
namespace {

constexpr double kPi = 3.14159265358979323846;

struct Metres {
  double east, north;
};
// The two edge points of the swath at one fix.
struct Edge {
  Metres right, left;
};

class Job {
 public:
  // With `logTurn` the log gives longitudes from 0 to 360: a turn is added
  // to those below 0 (the field stays in -180 to 180).
  explicit Job(double longitude = 142.0, bool logTurn = false) : grid_(-34.0, longitude), logTurn_(logTurn) {
    sink_.OnFigures(PrescanFigures{});
  }

  // One spray run: the writer's zero-area quad at the first edge, then a
  // quad between each edge and the next, one fix a second.
  void Run(const std::vector<Edge>& edges, double targetRate = 50.0, double actualRate = 51.0) {
    ++run_;
    for (size_t i = 0; i < edges.size(); ++i) {
      const Edge& previous = i == 0 ? Edge{edges[0].right, edges[0].right} : edges[i - 1];
      SwathQuad q;
      q.prevRight = At(previous.right), q.right = At(edges[i].right);
      q.left = At(edges[i].left), q.prevLeft = At(previous.left);
      q.time = time_, q.run = run_, q.firstOfRun = i == 0;
      q.targetRate = targetRate, q.actualRate = actualRate;
      sink_.OnQuad(q);
      time_ += 1.0;
    }
    time_ += 5.0;
  }

  void Mark(int type, Metres at) {
    const GeoPoint p = At(at);
    sink_.OnMarkPoint({type, p.latitude, p.longitude, 0.0, ""});
  }

  void PathPoint(Metres at) {
    sink_.OnPathPoint({At(at), time_});
    time_ += 1.0;
  }
  void PathGap() { sink_.OnTimeGap(TimeGap{}); }

  LonLatRing Rectangle(double west, double south, double east, double north) const {
    return {grid_.At(west, south), grid_.At(east, south), grid_.At(east, north), grid_.At(west, north),
            grid_.At(west, south)};
  }

  GeoPoint At(Metres m) const {
    const LonLat p = grid_.At(m.east, m.north);
    return {p.longitude + (logTurn_ && p.longitude < 0.0 ? 360.0 : 0.0), p.latitude, 40.0};
  }

  CoverageSink& sink() { return sink_; }

 private:
  testkit::LocalGrid grid_;
  bool logTurn_ = false;
  CoverageSink sink_;
  int run_ = 0;
  double time_ = 30000.0;
};

// A straight pass between two eastings, from one northing to another in
// steps of 10 m. Right and left follow the direction of travel.
std::vector<Edge> Pass(double rightEast, double leftEast, double fromNorth, double toNorth) {
  std::vector<Edge> edges;
  const double step = toNorth > fromNorth ? 10.0 : -10.0;
  for (double n = fromNorth; step > 0 ? n <= toNorth : n >= toNorth; n += step) {
    edges.push_back({{rightEast, n}, {leftEast, n}});
  }
  return edges;
}

void ExpectArea(double actualHa, double expectedSquareMetres) {
  EXPECT_NEAR(actualHa * 10000.0, expectedSquareMetres, expectedSquareMetres * 1e-4 + 1e-4);
}

// Four passes 200 m long and 20 m wide: two side by side, a 5 m skip, two
// overlapping by 5 m.
void FourPasses(Job& job) {
  job.Run(Pass(20, 0, 0, 200));
  job.Run(Pass(20, 40, 200, 0));
  job.Run(Pass(65, 45, 0, 200));
  job.Run(Pass(60, 80, 200, 0));
}

// The four passes in fields drawn as rectangles or ringed by boundary
// marks (128), with an exclusion (131) or an inclusion ring (130).
TEST(Coverage, ParallelPassesWithASkipAndAnOverlapInFields) {
  using Marks = std::vector<std::pair<int, Metres>>;
  const Marks boundary = {{128, {-10, -10}}, {128, {90, -10}}, {128, {90, 210}}, {128, {-10, 210}}};
  Marks withHole = boundary, withInclusion = boundary;
  for (Metres m : {Metres{40, 100}, Metres{45, 100}, Metres{45, 120}, Metres{40, 120}}) withHole.push_back({131, m});
  for (Metres m : {Metres{90, 0}, Metres{100, 0}, Metres{100, 10}}) withInclusion.push_back({130, m});
  struct Case {
    const char* name;
    double west, south, east, north;  // the field as a rectangle; none when west == east
    Marks marks;
    double field, skipped, outside;  // square metres; no field when 0
    double longitude = 142.0;          // of the job's centre
    bool logTurn = false;              // the log in longitudes of 0 to 360
    bool plots = false;                // the field as strips 1.9 m wide, each of two touching or overlapping parts
  };
  const Case cases[] = {
      {"no field", 0, 0, 0, 0, {}, 0, 0, 0},
      {"field around the passes", -10, -10, 90, 210, {}, 22000, 7000, 0},
      {"field cutting the passes", 10, 0, 70, 200, {}, 12000, 1000, 4000},
      {"boundary ring", 0, 0, 0, 0, boundary, 22000, 7000, 0},
      {"boundary with an exclusion hole in the skip", 0, 0, 0, 0, withHole, 22000 - 100, 7000 - 100, 0},
      {"inclusion ring adds area", 0, 0, 0, 0, withInclusion, 22000 + 50, 7000 + 50, 0},
      {"two boundary points make no ring", 0, 0, 0, 0, {{128, {0, 0}}, {128, {10, 0}}, {1, {5, 5}}}, 0, 0, 0},
      {"log in 0 to 360 meets a field at -98.3", -10, -10, 90, 210, {}, 22000, 7000, 0, -98.3, true},
      {"job and field across the 180 degree meridian", -10, -10, 90, 210, {}, 22000, 7000, 0, 179.9995},
      {"a field of 220 plots", -10, -10, 90, 210, {}, 110 * 1.9 * 100, 110 * 1.9 * 100 - 75 * 190, 750, 142, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Job job(c.longitude, c.logTurn);
    FourPasses(job);
    for (const auto& [type, at] : c.marks) job.Mark(type, at);
    LonLatMultiPolygon field;
    if (c.west != c.east && !c.plots) field.push_back({job.Rectangle(c.west, c.south, c.east, c.north), {}});
    for (int k = 0; c.plots && k < 110; ++k) {
      const double south = c.south + 2.0 * k, north = south + 1.9;
      field.push_back({job.Rectangle(c.west, south, k % 2 == 0 ? c.east : 40.0, north), {}});
      field.push_back({job.Rectangle(40.0, south, c.east, north), {}});
    }
    const CoverageReport r = ComputeCoverage(job.sink().data(), field.empty() ? nullptr : &field);
    EXPECT_TRUE(r.problems.empty());
    EXPECT_TRUE(r.coverageJoined);
    // Without a drawing the skipped ground stays in its tiles' pieces; the
    // figures are the same to the last bit, and are the pieces' area.
    const CoverageReport pieces =
        ComputeCoverage(job.sink().data(), field.empty() ? nullptr : &field, SkippedGround::AreaOnly);
    EXPECT_EQ(pieces.skippedAreaHa, r.skippedAreaHa);
    EXPECT_EQ(pieces.outsideAreaHa, r.outsideAreaHa);
    EXPECT_EQ(pieces.coveragePercent, r.coveragePercent);
    if (r.skippedAreaHa) EXPECT_NEAR(MultiPolygonArea(pieces.skipped) / 10000.0, *r.skippedAreaHa, 1e-9);
    ExpectArea(r.sprayedAreaHa, 15000);
    ExpectArea(r.grossSprayedAreaHa, 16000);
    ExpectArea(r.overlapAreaHa, 1000);
    ASSERT_EQ(r.runs.size(), 4u);
    for (const RunFigures& run : r.runs) {
      ExpectArea(run.grossAreaHa, 4000);
      ExpectArea(run.netAreaHa, 4000);
    }
    ASSERT_EQ(r.fieldAreaHa.has_value(), c.field > 0);
    if (c.field > 0) {
      ExpectArea(*r.fieldAreaHa, c.field);
      ExpectArea(*r.skippedAreaHa, c.skipped);
      // The plots' 110 gaps of 10 cm, drawn straight in degrees, are not quite 10 cm on the ground.
      EXPECT_NEAR(*r.outsideAreaHa * 10000.0, c.outside, c.outside * (c.plots ? 1e-3 : 1e-4) + 1e-4);
      EXPECT_NEAR(*r.coveragePercent, (c.field - c.skipped) / c.field * 100.0, 1e-3);
      EXPECT_FALSE(r.skipped.empty());
    } else {
      EXPECT_FALSE(r.skippedAreaHa || r.outsideAreaHa || r.coveragePercent);
    }
  }
}

TEST(Coverage, NothingSprayedThenARunStartTriangleAndQuadsWithoutArea) {
  Job job;
  const CoverageReport none = ComputeCoverage(job.sink().data());
  EXPECT_EQ(none.sprayedAreaHa, 0.0);
  EXPECT_TRUE(none.coverage.empty());
  EXPECT_FALSE(none.appliedRateLPerHa || none.targetRateLPerHa || none.fieldAreaHa);
  EXPECT_TRUE(none.problems.empty());
  // The rig pivots on its left edge before it drives on: the quad after
  // the writer's zero-area one is a triangle; an offset change leaves a
  // quad whose previous and current corners are equal.
  const Edge e0{{20, 0}, {0, 0}}, e1{{20, 10}, {0, 0}}, e2{{20, 20}, {0, 20}}, e3{{20, 30}, {0, 30}};
  job.Run({e0, e1, e2, e2, e3});
  const CoverageReport r = ComputeCoverage(job.sink().data());
  ExpectArea(r.sprayedAreaHa, 600);
  ExpectArea(r.grossSprayedAreaHa, 600);
  ExpectArea(r.overlapAreaHa, 0);
}

// A half turn in 18 steps of 10 degrees about `pivot`, the right edge
// `outer` metres from it and the left edge `inner` metres on its far side.
std::vector<Edge> HalfTurn(Metres pivot, double outer, double inner) {
  std::vector<Edge> edges;
  for (int k = 1; k <= 18; ++k) {
    const double a = k * 10.0 * kPi / 180.0;
    edges.push_back({{pivot.east + outer * std::cos(a), pivot.north + outer * std::sin(a)},
                     {pivot.east - inner * std::cos(a), pivot.north - inner * std::sin(a)}});
  }
  return edges;
}

TEST(Coverage, UTurnsInOneRun) {
  const double fan = 18 * std::sin(10.0 * kPi / 180.0) / 2.0;  // a fan of unit radius
  struct Case {
    const char* name;
    std::vector<std::vector<Edge>> parts;
    double sprayed, gross;
    bool mapOverlap;  // the map's overlap matches the report's where no turn quad crosses itself
  };
  const Case cases[] = {
      // North on 0 to 20 m, a half turn about (5, 100), back south on -10
      // to 10 m. The left edge runs backwards through the strip just
      // sprayed: every turn quad crosses itself at the pivot.
      {"turn about a point inside the swath",
       {Pass(20, 0, 0, 100), HalfTurn({5, 100}, 15, 5), Pass(-10, 10, 90, 0)},
       30 * 100 + fan * 225,
       2 * 20 * 100 + fan * (225 + 25), false},
      // A turn on the left edge, then the swath widens to 25 m and the way
      // back overlaps the way out by 5 m: the run's ribbon overlaps itself.
      {"turn on the left edge and back over the strip",
       {Pass(20, 0, 0, 100), HalfTurn({0, 100}, 20, 0), Pass(-20, 5, 90, 0)},
       40 * 100 + fan * 400,
       20 * 100 + fan * 400 + 225 + 25 * 90, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<Edge> edges;
    for (const auto& part : c.parts) edges.insert(edges.end(), part.begin(), part.end());
    Job job;
    job.Run(edges);
    const CoverageReport r = ComputeCoverage(job.sink().data());
    ExpectArea(r.sprayedAreaHa, c.sprayed);
    ExpectArea(r.grossSprayedAreaHa, c.gross);
    ExpectArea(r.overlapAreaHa, c.gross - c.sprayed);
    ASSERT_EQ(r.runs.size(), 1u);
    ExpectArea(r.runs[0].netAreaHa, c.sprayed);
    // Ground covered twice within the run is the map's overlap as much as
    // ground covered by two runs.
    const MapLayers layers = ComputeMapLayers(job.sink().data());
    if (c.mapOverlap) {
      EXPECT_NEAR(MultiPolygonArea(layers.overlap) / 10000.0, r.overlapAreaHa, r.overlapAreaHa * 0.01);
    }
    ASSERT_EQ(layers.rates.size(), 1u);
    EXPECT_EQ(layers.rates[0].bin, RateBin::OnTarget);
  }
}

double SignedArea(const LonLatRing& ring) { return SignedRingArea(ring.data(), ring.size()); }

// The map's layers of the four passes: each pass in its bin of applied
// rate, the 5 m strip where two passes overlap, the path thinned to its
// turning points and broken at the gap.
TEST(MapLayers, RateBinsOverlapAndPath) {
  Job job;
  job.Run(Pass(20, 0, 0, 200), 50.0, 50.0);   // on target
  job.Run(Pass(20, 40, 200, 0), 50.0, 30.0);  // far under
  job.Run(Pass(65, 45, 0, 200), 50.0, 60.0);  // over, 120 % exactly
  job.Run(Pass(60, 80, 200, 0), 0.0, 40.0);   // no target
  for (double north = 0; north <= 200; north += 10) job.PathPoint({10, north});
  job.PathPoint({30, 200});
  job.PathGap();
  for (double north = 200; north >= 0; north -= 25) job.PathPoint({30, north});
  const MapLayers layers = ComputeMapLayers(job.sink().data());
  EXPECT_EQ(layers.problem, "");
  const RateBin bins[] = {RateBin::FarUnder, RateBin::OnTarget, RateBin::Over, RateBin::NoTarget};
  ASSERT_EQ(layers.rates.size(), 4u);
  for (size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(layers.rates[i].bin, bins[i]);
    ExpectArea(MultiPolygonArea(layers.rates[i].ground) / 10000.0, 4000);
    for (const LonLatPolygon& polygon : layers.rates[i].ground) EXPECT_GT(SignedArea(polygon.outer), 0.0);
  }
  ExpectArea(MultiPolygonArea(layers.overlap) / 10000.0, 1000);
  ASSERT_EQ(layers.path.size(), 2u);
  EXPECT_EQ(layers.path[0].size(), 3u);  // start, the corner, the end
  EXPECT_EQ(layers.path[1].size(), 2u);
}

TEST(Coverage, TimeRatesDistanceAndVolume) {
  Job job;
  PrescanFigures prescan;
  prescan.tankUsed = 120.0;
  job.sink().OnFigures(prescan);
  job.Run(Pass(20, 0, 0, 200), 50.0);  // 20 s of spraying at 50 l/ha
  job.Run(Pass(20, 40, 200, 100), 80.0);  // 10 s at 80 l/ha
  // The path: 100 m north, a gap in time, 50 m more; a jump back in time
  // does not break it.
  double time = 30000.0;
  auto point = [&](double north) { job.sink().OnPathPoint({job.At({10, north}), time += 1.0}); };
  for (double n = 0; n <= 100; n += 5) point(n);
  job.sink().OnTimeGap({time + 20, time, false});
  for (double n = 200; n <= 250; n += 5) point(n);
  job.sink().OnTimeGap({time - 2, time, true});
  point(255);
  RunEnd end;
  end.fixes = 33;
  job.sink().OnEnd(end);

  const CoverageReport r = ComputeCoverage(job.sink().data());
  EXPECT_NEAR(r.sprayingTimeS, 30.0, 1e-9);
  EXPECT_NEAR(*r.targetRateLPerHa, (20 * 50.0 + 10 * 80.0) / 30.0, 1e-6);
  EXPECT_NEAR(r.distanceM, 155.0, 155.0 * 1e-5);
  EXPECT_EQ(r.fixes, 33);
  EXPECT_EQ(r.volumeL, 120.0);
  ExpectArea(r.sprayedAreaHa, 6000);
  EXPECT_NEAR(*r.appliedRateLPerHa, 120.0 / 0.6, 0.2);
  std::vector<std::pair<double, double>> spans;
  for (const RunFigures& run : r.runs) spans.push_back({run.startTime, run.endTime});
  EXPECT_EQ(spans, (std::vector<std::pair<double, double>>{{30000.0, 30020.0}, {30026.0, 30036.0}}));
  EXPECT_EQ(job.sink().data().pathPieceStarts, (std::vector<size_t>{0, 21}));
}

// Quads of a damaged log: corners anywhere, not a number, repeated,
// crossed, in runs that come and go. The figures stay finite and the
// union never exceeds the quads' sum.
TEST(Coverage, DamagedQuadsGiveFiniteFigures) {
  std::mt19937 random(11);
  std::uniform_real_distribution<double> near(-0.0005, 0.0005);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  CoverageSink sink;
  GeoPoint last{142.0, -34.0, 0.0};
  for (int i = 0; i < 3000; ++i) {
    auto corner = [&] {
      switch (random() % 12) {
        case 0: return GeoPoint{nan, -34.0, 0.0};
        case 1: return GeoPoint{1e300, -1e300, 0.0};
        case 2: return last;
        default: return GeoPoint{142.0 + near(random), -34.0 + near(random), 0.0};
      }
    };
    SwathQuad q;
    q.prevRight = corner(), q.right = corner(), q.left = corner(), q.prevLeft = corner();
    last = q.left;
    q.run = static_cast<int>(random() % 4);
    q.firstOfRun = random() % 50 == 0;
    q.time = i * (random() % 7 == 0 ? -1.0 : 1.0);
    q.targetRate = 50.0;
    q.actualRate = static_cast<double>(random() % 3) * 25.0;
    sink.OnQuad(q);
    if (random() % 100 == 0) sink.OnMarkPoint({128, -34.0 + near(random), 142.0 + near(random), 0.0, ""});
    sink.OnPathPoint({corner(), static_cast<double>(i), 1.0, 0});
  }
  const CoverageReport r = ComputeCoverage(sink.data());
  EXPECT_TRUE(r.problems.empty());
  for (double figure : {r.sprayedAreaHa, r.grossSprayedAreaHa, r.overlapAreaHa, r.distanceM, r.sprayingTimeS}) {
    EXPECT_TRUE(std::isfinite(figure));
  }
  EXPECT_GT(r.sprayedAreaHa, 0.0);
  EXPECT_LE(r.sprayedAreaHa, r.grossSprayedAreaHa * (1 + 1e-9));
  ASSERT_TRUE(r.fieldAreaHa.has_value());
  EXPECT_NEAR(*r.fieldAreaHa, *r.skippedAreaHa + r.sprayedAreaHa - *r.outsideAreaHa, 1e-6);

  // The map draws from the same quads: every point it draws is on the globe.
  // Scattered quads that all cross each other leave the overlap out.
  const MapLayers layers = ComputeMapLayers(sink.data());
  EXPECT_EQ(layers.problem, "the overlap is not drawn: too many swaths cross each other");
  EXPECT_EQ(layers.rates.size(), 3u);
  auto onTheGlobe = [](const LonLat& p) { return std::fabs(p.latitude) <= 90.0 && std::fabs(p.longitude) <= 360.0; };
  size_t points = 0;
  auto check = [&](const LonLatRing& ring) {
    for (const LonLat& p : ring) EXPECT_TRUE(onTheGlobe(p)) << p.longitude << " " << p.latitude;
    points += ring.size();
  };
  for (const RateBinGround& bin : layers.rates) {
    for (const LonLatPolygon& polygon : bin.ground) check(polygon.outer);
  }
  for (const LonLatPolygon& polygon : layers.overlap) check(polygon.outer);
  for (const auto& piece : layers.path) check(piece);
  EXPECT_GT(points, 1000u);
  EXPECT_LE(MultiPolygonArea(layers.overlap), r.grossSprayedAreaHa * 10000.0);
}

}  // namespace
}  // namespace zeltlog
