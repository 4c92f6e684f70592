#include <gtest/gtest.h>

#include "geodesy/utm_projector.h"

namespace zeltlog {
namespace {

// The projections below catch any wrong derived value of the ellipsoid.
TEST(UtmProjector, ReferencePoints) {
  struct Case {
    double latitude, longitude;
    int zone;
    double centralMeridian, easting, northing;
  };
  const Case cases[] = {
      {0.0, 3.0, 0, 3.0, 500000.0, 0.0},
      {45.0, 9.0, 1, 9.0, 500000.0, 4982950.40},
      {-33.8688, 151.2093, 25, 153.0, 334368.63, 6250948.35},
      {52.0, -1.5, 59, 357.0, 602972.98, 5762100.49},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.latitude);
    const UtmProjector p(c.longitude);
    EXPECT_EQ(p.zone(), c.zone);
    EXPECT_DOUBLE_EQ(p.centralMeridian(), c.centralMeridian);
    const GridPoint grid = p.Project(c.latitude, c.longitude);
    EXPECT_NEAR(grid.easting, c.easting, 0.005);
    EXPECT_NEAR(grid.northing, c.northing, 0.005);
  }
  // (A point west of the first fix's zone keeps that zone's meridian: see
  // the GPS message log converter's tests.)
  // Longitude 370 is longitude 10; -0.5 lies in the last zone; 6 starts the next.
  const UtmProjector p(9.0);
  EXPECT_DOUBLE_EQ(p.Project(45.0, 370.0).easting, p.Project(45.0, 10.0).easting);
  EXPECT_EQ(UtmProjector::ZoneOf(-0.5), 59);
  EXPECT_EQ(UtmProjector::ZoneOf(6.0), 1);
}

TEST(UtmProjector, GridScales) {
  const GridScales scales = UtmProjector(9.0).GridScalesAt(45.0, 9.0);
  EXPECT_NEAR(scales.metresPerDegreeLatitude, 111087.32, 0.005);
  EXPECT_NEAR(scales.metresPerDegreeLongitude, 78815.30, 0.005);
  // At the equator the southern probe's false northing is no distance.
  for (const double latitude : {0.0, 0.00005, -0.00005}) {
    const GridScales equator = UtmProjector(30.0).GridScalesAt(latitude, 30.0);
    EXPECT_GT(equator.metresPerDegreeLatitude, 110500.0) << latitude;
    EXPECT_LT(equator.metresPerDegreeLatitude, 110700.0) << latitude;
  }
}

// Found by the fuzzer: a GPS fix far outside the globe chose a zone whose
// central meridian (zone * 6 + 3) overflowed an int. Such a fix is listed
// and skipped: see the hostile runs' tests.
TEST(UtmProjector, ZoneOfAHugeLongitude) {
  const UtmProjector projector(8724991192.031445);  // the longitude found
  EXPECT_GT(projector.zone(), 357913941);  // zone * 6 is past the largest int
  EXPECT_EQ(projector.centralMeridian(), projector.zone() * 6.0 + 3.0);
}

}  // namespace
}  // namespace zeltlog
