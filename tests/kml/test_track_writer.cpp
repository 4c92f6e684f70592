#include <gtest/gtest.h>

#include <algorithm>

#include "core/session.h"
#include "kml/swath_quads.h"
#include "kml/track_writer.h"
#include "recording_platform.h"

namespace zeltlog {
namespace {

// The writer after its first fixes, with round grid scales.
class TrackWriter : public ::testing::Test {
 protected:
  TrackWriter() : s(platform) {
    ResetSession(s);
    s.firstFixCounter = 0;
    s.track.metresPerDegreeLatitude = 100000.0;
    s.track.metresPerDegreeLongitude = 100000.0;
    s.sprayProjection = 0.0;
  }

  void Fix(double time, double latitude, double longitude, double heading, double speed, uint8_t spray, int source = 1) {
    s.currentTime = time;
    s.currentLatitude = latitude;
    s.currentLongitude = longitude;
    s.currentAltitude = 10.0;
    s.currentHeading = heading;
    s.currentSpeed = speed;
    s.sprayState = spray;
    WriteTrackPoint(s, source);
  }
  size_t Count(const std::string& prefix) const {
    const auto lines = platform.Lines();
    return static_cast<size_t>(
        std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; }));
  }

  testkit::RecordingPlatform platform;
  ConversionSession s;
};

TEST_F(TrackWriter, EdgesLieAlongTheSwathDirection) {
  // Heading north: the swath direction is 270 (pointing left of travel);
  // a right edge at -5 m lies 5 m east, a left edge at +5 m 5 m west.
  s.rightEdgeOffset = -5.0;
  s.leftEdgeOffset = 5.0;
  Fix(100.0, 10.0, 20.0, 0.0, 3.0, 1);
  EXPECT_DOUBLE_EQ(s.track.swathDirection, 270.0);
  // After its quad the current corners have become the previous ones.
  EXPECT_EQ(s.track.prevRightCorner, " 20.0000500,10.0000000,10.000\n");
  EXPECT_EQ(s.track.prevLeftCorner, " 19.9999500,10.0000000,10.000\n");
  // Both edges on one side (sections switched off) stay on that side.
  s.rightEdgeOffset = 1.0;
  s.leftEdgeOffset = 3.0;
  Fix(100.2, 10.0, 20.0, 0.0, 3.0, 1);
  EXPECT_EQ(s.track.prevRightCorner, " 19.9999900,10.0000000,10.000\n");
  EXPECT_EQ(s.track.prevLeftCorner, " 19.9999700,10.0000000,10.000\n");
}

TEST_F(TrackWriter, DirectionHoldsWhileSlowAndFirstFixesAlwaysSetIt) {
  Fix(100.0, 10.0, 20.0, 30.0, 3.0, 0);
  EXPECT_DOUBLE_EQ(s.track.swathDirection, 300.0);
  Fix(100.2, 10.0, 20.0, 90.0, 0.5, 0);  // at 0.5 m/s the direction stays
  EXPECT_DOUBLE_EQ(s.track.swathDirection, 300.0);
  // A fresh run: the first three fixes set it whatever the speed.
  s.firstFixCounter = 1;
  Fix(101.0, 10.0, 20.0, 90.0, 0.0, 0);
  EXPECT_EQ(s.firstFixCounter, 3);
  EXPECT_DOUBLE_EQ(s.track.swathDirection, 0.0);
  Fix(101.2, 10.0, 20.0, 180.0, 0.0, 0);
  Fix(101.4, 10.0, 20.0, 200.0, 0.0, 0);
  EXPECT_EQ(s.firstFixCounter, 0);
  EXPECT_DOUBLE_EQ(s.track.swathDirection, 110.0);
  Fix(101.6, 10.0, 20.0, 300.0, 0.0, 0);
  EXPECT_DOUBLE_EQ(s.track.swathDirection, 110.0);
}

TEST_F(TrackWriter, TimeGaps) {
  Fix(100.0, 10.0, 20.0, 0.0, 1.0, 0);
  Fix(110.0, 10.0, 20.0, 0.0, 1.0, 0);  // 10.00 s: no gap
  EXPECT_EQ(Count("                          1Time"), 0u);
  Fix(120.01, 10.0, 20.0, 0.0, 1.0, 0);
  Fix(119.0, 10.0, 20.0, 0.0, 1.0, 0);
  const auto lines = platform.LinesOf(EventKind::Record);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "                          1Time bust 1, 120.010,  110.000,  10.010");
  EXPECT_EQ(lines[1], "                          1Time bust 2");
  // The first fix after a reset never reports a gap.
  ResetSession(s);
  Fix(5000.0, 10.0, 20.0, 0.0, 1.0, 0);
  EXPECT_EQ(platform.LinesOf(EventKind::Record).size(), 2u);
}

TEST_F(TrackWriter, OffsetChangesAndRunEnds) {
  s.rightEdgeOffset = -5.0;
  s.leftEdgeOffset = 5.0;
  Fix(100.0, 10.0, 20.0, 0.0, 3.0, 1);
  EXPECT_EQ(s.track.quadRingCounter, 1);
  s.rightEdgeOffset = -5.05;  // within 0.1 m: no extra quad
  Fix(100.2, 10.00001, 20.0, 0.0, 3.0, 1);
  EXPECT_EQ(s.track.quadRingCounter, 2);
  s.rightEdgeOffset = -4.8;  // 0.25 m from the last emitted: one extra quad first
  Fix(100.4, 10.00002, 20.0, 0.0, 3.0, 1);
  EXPECT_EQ(s.track.quadRingCounter, 4);
  CompleteQuadPolygon(s);
  EXPECT_NE(s.quadPolygonText.find("<LinearRing id=\"3\">"), std::string::npos);
  Fix(100.6, 10.00003, 20.0, 0.0, 3.0, 0);  // the closing quad
  EXPECT_EQ(s.track.quadRingCounter, 5);
  Fix(100.8, 10.00004, 20.0, 0.0, 3.0, 0);  // off and off: nothing
  EXPECT_EQ(s.track.quadRingCounter, 5);
  EXPECT_EQ(s.runPositionCount, 5);
}

TEST_F(TrackWriter, WatchdogClearsTheSprayStateEvery1001Positions) {
  for (int i = 0; i < 1000; ++i) Fix(100.0 + i * 0.2, 10.0 + i * 1e-5, 20.0, 0.0, 3.0, 1);
  EXPECT_EQ(s.sprayState, 1);
  Fix(300.0, 10.1, 20.0, 0.0, 3.0, 1);
  EXPECT_EQ(s.sprayState, 0);
}

TEST_F(TrackWriter, CompactFixesTakeTheirSpeedFromTheDisplacement) {
  s.currentSpeed = 0.0;
  Fix(100.0, 10.0, 20.0, 90.0, 0.0, 0, 2);
  Fix(101.0, 10.0, 20.00002, 90.0, 0.0, 0, 2);  // 2 m in 1 s
  EXPECT_NEAR(s.currentSpeed, 2.0, 1e-6);
  EXPECT_DOUBLE_EQ(s.track.swathDirection, 0.0);
}

TEST_F(TrackWriter, SprayProjectionMovesTheFixForward) {
  s.sprayProjection = 0.2;
  Fix(100.0, 10.0, 20.0, 0.0, 10.0, 0);  // 2 m north
  EXPECT_NEAR(s.currentLatitude, 10.00002, 1e-12);
  EXPECT_NEAR(s.currentLongitude, 20.0, 1e-9);
}

}  // namespace
}  // namespace zeltlog
