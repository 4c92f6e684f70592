#include <gtest/gtest.h>

#include <cmath>

#include "geometry/track_geometry.h"

namespace zeltlog {
namespace {

// Records everything the geometry hands on.
struct Recorder : GeometryHandler {
  void OnGridReference(const GridReference& g) override { grids.push_back(g); }
  void OnTimeGap(const TimeGap& g) override { gaps.push_back(g); }
  void OnPathPoint(const PathPoint& p) override { points.push_back(p); }
  void OnQuad(const SwathQuad& q) override { quads.push_back(q); }
  std::vector<GridReference> grids;
  std::vector<TimeGap> gaps;
  std::vector<PathPoint> points;
  std::vector<SwathQuad> quads;
};

class TrackGeometryTest : public ::testing::Test {
 protected:
  void Drive(double time, double latitude, double longitude, double heading, double speed, uint8_t spray,
             RecordId format = RecordId::FullPosition) {
    geometry.OnFix({.format = format, .latitude = latitude, .longitude = longitude, .altitude = 10.0, .heading = heading,
                    .speed = format == RecordId::CompactPosition ? 0.0 : speed, .sprayState = spray, .time = {},
                    .timeOfDay = time});
  }
  // Metres east and north of the first fix.
  std::pair<double, double> Metres(const GeoPoint& p) const {
    const GridReference& g = out.grids.at(0);
    return {(p.longitude - g.longitude) * g.metresPerDegreeLongitude, (p.latitude - g.latitude) * g.metresPerDegreeLatitude};
  }
  void ExpectAt(const GeoPoint& p, double east, double north) const {
    const auto [x, y] = Metres(p);
    // The geometry's pi is 3.1416: a right angle is off by 55 micrometres.
    EXPECT_NEAR(x, east, 1e-4);
    EXPECT_NEAR(y, north, 1e-4);
  }

  Recorder out;
  TrackGeometry geometry{out, 0.0, TrackGeometry::Edges{5.0, -5.0}};
};

// The grid reference (from the first fix only), the fix count and the first
// and last times show whole in the event list of the documents' tests.

TEST_F(TrackGeometryTest, RunsCutIntoQuadsAcrossTheDirectionOfTravel) {
  // Heading north: a right edge at -5 m lies 5 m east, a left edge at +5 m
  // 5 m west. The first quad of a run has both previous corners on the
  // right edge; each next quad starts where the last ended.
  Drive(100.0, -34.25, 142.1, 0.0, 3.0, 1);
  ASSERT_EQ(out.quads.size(), 1u);
  const SwathQuad& first = out.quads[0];
  EXPECT_TRUE(first.firstOfRun);
  EXPECT_EQ(first.run, 1);
  ExpectAt(first.prevRight, 5.0, 0.0);
  ExpectAt(first.prevLeft, 5.0, 0.0);
  ExpectAt(first.right, 5.0, 0.0);
  ExpectAt(first.left, -5.0, 0.0);
  const double north = 1.0 / out.grids[0].metresPerDegreeLatitude;
  Drive(100.2, -34.25 + 3 * north, 142.1, 0.0, 3.0, 1);
  const SwathQuad& next = out.quads.at(1);
  EXPECT_FALSE(next.firstOfRun);
  ExpectAt(next.prevRight, 5.0, 0.0);
  ExpectAt(next.prevLeft, -5.0, 0.0);
  ExpectAt(next.right, 5.0, 3.0);
  ExpectAt(next.left, -5.0, 3.0);
  // Spray off: the closing quad, then nothing; spray on again: run 2.
  Drive(100.4, -34.25 + 6 * north, 142.1, 0.0, 3.0, 0);
  Drive(100.6, -34.25 + 9 * north, 142.1, 0.0, 3.0, 0);
  Drive(100.8, -34.25 + 12 * north, 142.1, 0.0, 3.0, 2);
  ASSERT_EQ(out.quads.size(), 4u);
  EXPECT_EQ(out.quads[2].run, 1);
  EXPECT_EQ(out.quads[3].run, 2);
  EXPECT_TRUE(out.quads[3].firstOfRun);
  // The path point carries the spray state of the fix before it.
  EXPECT_EQ(out.points[3].previousSprayState, 0);
  EXPECT_EQ(out.points[2].previousSprayState, 1);
}

TEST_F(TrackGeometryTest, EdgeOffsetChangesCloseAQuadAtTheOldEdge) {
  const double north = 1e-5;
  Drive(100.0, -34.25, 142.1, 0.0, 3.0, 1);
  geometry.OnSections({10.1, 0.0, 5.0, -5.05});  // within 0.1 m: no extra quad
  Drive(100.2, -34.25 + north, 142.1, 0.0, 3.0, 1);
  EXPECT_EQ(out.quads.size(), 2u);
  geometry.OnSections({9.8, 0.0, 5.0, -4.8});  // 0.25 m from the last drawn edge
  Drive(100.4, -34.25 + 2 * north, 142.1, 0.0, 3.0, 1);
  EXPECT_EQ(out.quads.size(), 4u);
  geometry.OnSwathWidth({20.0});  // both edges move
  Drive(100.6, -34.25 + 3 * north, 142.1, 0.0, 3.0, 1);
  EXPECT_EQ(out.quads.size(), 7u);
  EXPECT_DOUBLE_EQ(out.quads.back().leftOffset, 10.0);
  EXPECT_DOUBLE_EQ(out.quads.back().rightOffset, -10.0);
}

TEST_F(TrackGeometryTest, DirectionHoldsWhileSlowAndTheFirstThreeFixesAlwaysSetIt) {
  // The swath direction shows in where the right edge lies.
  auto rightEdgeBearing = [&] {
    const auto [x, y] = Metres(out.quads.back().right);
    const auto [cx, cy] = Metres(out.points.back().at);
    return std::fmod(std::atan2(x - cx, y - cy) * 180.0 / M_PI + 360.0, 360.0);
  };
  Drive(100.0, -34.25, 142.1, 30.0, 0.0, 1);
  Drive(100.2, -34.25, 142.1, 90.0, 0.0, 1);
  Drive(100.4, -34.25, 142.1, 200.0, 0.0, 1);  // third fix: still sets it
  EXPECT_NEAR(rightEdgeBearing(), 290.0, 0.01);
  Drive(100.6, -34.25, 142.1, 300.0, 0.5, 1);  // at 0.5 m/s the direction stays
  EXPECT_NEAR(rightEdgeBearing(), 290.0, 0.01);
  Drive(100.8, -34.25, 142.1, 300.0, 0.6, 1);
  EXPECT_NEAR(rightEdgeBearing(), 30.0, 0.01);
}

TEST_F(TrackGeometryTest, TimeGapsAndCompactFixSpeed) {
  Drive(100.0, -34.25, 142.1, 0.0, 1.0, 0);
  Drive(110.0, -34.25, 142.1, 0.0, 1.0, 0);  // 10.00 s: no gap
  Drive(120.01, -34.25, 142.1, 0.0, 1.0, 0);
  Drive(119.0, -34.25, 142.1, 0.0, 1.0, 0);
  ASSERT_EQ(out.gaps.size(), 2u);
  EXPECT_FALSE(out.gaps[0].backwards);
  EXPECT_DOUBLE_EQ(out.gaps[0].time, 120.01);
  EXPECT_DOUBLE_EQ(out.gaps[0].previousTime, 110.0);
  EXPECT_TRUE(out.gaps[1].backwards);
  EXPECT_DOUBLE_EQ(out.points[2].speed, 0.0);  // a gap stops the swath turning
  // Compact fixes take their speed from the displacement: 2 m in 1 s.
  const double east = 2.0 / out.grids[0].metresPerDegreeLongitude;
  Drive(120.0, -34.25, 142.1, 90.0, 0.0, 0, RecordId::CompactPosition);
  Drive(121.0, -34.25, 142.1 + east, 90.0, 0.0, 0, RecordId::CompactPosition);
  EXPECT_NEAR(out.points.back().speed, 2.0, 1e-6);
}

// The edges before the first swath record may have to wait for the
// pre-scan: they are asked for once, and only when a quad needs them.
TEST(TrackGeometry, InitialEdgesAskedOnlyWhenAQuadNeedsThem) {
  struct Case {
    const char* name;
    bool swathRecordFirst;
    int asked;
    double left, right;  // of the first quad
  } const cases[] = {{"spray on before any swath record", false, 1, 7.0, -6.5},
                     {"a swath record before the spray", true, 0, 3.0, -3.0}};
  for (const Case& c : cases) {
    Recorder out;
    int asked = 0;
    TrackGeometry geometry(out, 0.0, [&asked] {
      ++asked;
      return TrackGeometry::Edges{7.0, -6.5};
    });
    Fix fix{.latitude = -34.25, .longitude = 142.1, .speed = 3.0, .time = {}, .timeOfDay = 100.0};
    geometry.OnFix(fix);  // spray off: no quad, nothing asked
    EXPECT_EQ(asked, 0) << c.name;
    if (c.swathRecordFirst) geometry.OnSwathWidth({6.0});
    for (int i = 0; i < 3; ++i) {
      fix.sprayState = 1;
      fix.timeOfDay += 0.2;
      fix.latitude += 1e-5;
      geometry.OnFix(fix);
    }
    EXPECT_EQ(asked, c.asked) << c.name;
    ASSERT_EQ(out.quads.size(), 3u) << c.name;
    EXPECT_DOUBLE_EQ(out.quads[0].leftOffset, c.left) << c.name;
    EXPECT_DOUBLE_EQ(out.quads[0].rightOffset, c.right) << c.name;
  }
}

TEST(TrackGeometry, SprayProjectionMovesTheFixForward) {
  Recorder out;
  TrackGeometry geometry(out, 0.2, TrackGeometry::Edges{});
  // 2 m north in 0.2 s.
  geometry.OnFix({.latitude = -34.25, .longitude = 142.1, .speed = 10.0, .time = {}, .timeOfDay = 100.0});
  EXPECT_NEAR((out.points[0].at.latitude + 34.25) * out.grids[0].metresPerDegreeLatitude, 2.0, 1e-6);
  EXPECT_DOUBLE_EQ(out.points[0].at.longitude, 142.1);
}

}  // namespace
}  // namespace zeltlog
