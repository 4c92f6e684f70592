#include <gtest/gtest.h>

#include "geodesy/utm_projector.h"

namespace zeltlog {
namespace {

// The projections below catch any wrong derived value of the ellipsoid.
TEST(UtmProjector, EllipsoidTable) {
  UtmProjector p;
  EXPECT_TRUE(p.SelectEllipsoids(UtmProjector::kWgs84Index));
  EXPECT_FALSE(p.SelectEllipsoids(3));   // an entry without values
  EXPECT_FALSE(p.SelectEllipsoids(30));  // outside the table
}

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
    UtmProjector p;
    p.SelectEllipsoids(UtmProjector::kWgs84Index);
    EXPECT_EQ(p.SetZoneFromLongitude(c.longitude), c.zone);
    EXPECT_DOUBLE_EQ(p.centralMeridian(), c.centralMeridian);
    p.Project(c.latitude, c.longitude, p.centralMeridian(), 1);
    EXPECT_NEAR(p.easting(), c.easting, 0.005);
    EXPECT_NEAR(p.northing(), c.northing, 0.005);
  }
  // (A point west of the first fix's zone keeps that zone's meridian: see
  // the GPS message log converter's tests.)
  // Longitude 370 is longitude 10; -0.5 lies in the last zone; 6 starts the next.
  UtmProjector p;
  p.SelectEllipsoids(UtmProjector::kWgs84Index);
  p.Project(45.0, 370.0, 9.0, 1);
  const double e370 = p.easting();
  p.Project(45.0, 10.0, 9.0, 1);
  EXPECT_DOUBLE_EQ(e370, p.easting());
  EXPECT_EQ(p.SetZoneFromLongitude(-0.5), 59);
  EXPECT_EQ(p.SetZoneFromLongitude(6.0), 1);
}

TEST(UtmProjector, GridScales) {
  UtmProjector p;
  double perLatitude = 0.0, perLongitude = 0.0;
  EXPECT_EQ(p.ComputeGridScales(45.0, 9.0, UtmProjector::kWgs84Index, perLatitude, perLongitude), 1);
  EXPECT_NEAR(perLatitude, 111087.32, 0.005);
  EXPECT_NEAR(perLongitude, 78815.30, 0.005);
  // At the equator the southern probe's false northing is no distance.
  for (const double latitude : {0.0, 0.00005, -0.00005}) {
    p.ComputeGridScales(latitude, 30.0, UtmProjector::kWgs84Index, perLatitude, perLongitude);
    EXPECT_GT(perLatitude, 110500.0) << latitude;
    EXPECT_LT(perLatitude, 110700.0) << latitude;
  }
}

}  // namespace
}  // namespace zeltlog
