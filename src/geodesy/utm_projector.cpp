#include "geodesy/utm_projector.h"

#include <cmath>

#include "geodesy/plain_trig.h"

namespace zeltlog {
namespace {
constexpr double kPi = 3.141592653589793;
constexpr double kOneOver180 = 0.005555555555555556;
constexpr double kOneSixth = 0.16666666666666666;
constexpr double kOneOver24 = 0.041666666666666664;
constexpr double kScaleFactor = 0.9996;  // on the central meridian
constexpr double kFalseEasting = 500000.0;
constexpr double kFalseNorthing = 10000000.0;
constexpr double kProbeStep = 0.0001;                   // degrees either side
constexpr double kProbesPerDegree = 5000.0;             // 1 / (2 * kProbeStep)
constexpr double kTangentSquaredAtThePole = 1000000.0;  // where the cosine is zero
constexpr double kDegreesPerZone = 6.0;

// Plain square root of the sum of squares: std::hypot differs between C
// libraries in the last bit, and the scales end up in the documents.
double Distance(double dx, double dy) { return std::sqrt(dx * dx + dy * dy); }
}  // namespace

int UtmProjector::ZoneOf(double longitude) {
  if (longitude < 0.0) longitude += 360.0;
  const double sixths = longitude * kOneSixth;
  // A longitude far outside any zone (or not a number) cannot be truncated
  // to an int; it takes zone 0 rather than an undefined value.
  return std::fabs(sixths) < 2147483647.0 ? static_cast<int>(sixths) : 0;
}

UtmProjector::UtmProjector(double longitude, const Ellipsoid& ellipsoid) : zone_(ZoneOf(longitude)) {
  // In doubles: zone * 6 overflows an int for zones past 357913941.
  centralMeridian_ = zone_ * kDegreesPerZone + 3.0;
  a_ = ellipsoid.semiMajorAxis;
  const double f = 1.0 / ellipsoid.inverseFlattening;
  e2_ = 2.0 * f - f * f;
  const double e4 = e2_ * e2_;
  const double e6 = e4 * e2_;
  A0_ = 1.0 - 0.25 * e2_ - 0.046875 * e4 - 0.01953125 * e6;
  A2_ = 0.375 * (e2_ + 0.25 * e4 + 0.1171875 * e6);
  A4_ = 0.05859375 * (e4 + 0.75 * e6);
  A6_ = 0.011393229166666666 * e6;
}

GridPoint UtmProjector::Project(double latitude, double longitude) const {
  if (longitude < 0.0) longitude += 360.0;
  if (longitude > 360.0) longitude -= 360.0;
  const double phi = latitude * kPi * kOneOver180;
  const SineCosine trig = PlainSineCosine(phi);
  const double cosPhi = trig.cosine;
  const double sinPhi = trig.sine;
  const double s2 = sinPhi * sinPhi;
  double t2;
  if (cosPhi == 0.0) {
    t2 = kTangentSquaredAtThePole;
  } else {
    const double t = sinPhi / cosPhi;
    t2 = t * t;
  }
  double delta = longitude - centralMeridian_;
  if (delta > 180.0) delta -= 360.0;
  if (delta < -180.0) delta += 360.0;
  const double dl = delta * kPi * kOneOver180;
  const double w = 1.0 - e2_ * s2;
  const double nu = a_ / std::sqrt(w);
  const double psi = w / (1.0 - e2_);
  const double m = a_ * (A0_ * phi - A2_ * PlainSin(2.0 * phi) + A4_ * PlainSin(4.0 * phi) - A6_ * PlainSin(6.0 * phi));
  const double dl2 = dl * dl;
  const double cos2 = cosPhi * cosPhi;
  GridPoint p;
  p.easting = kScaleFactor * nu * dl * cosPhi * (1.0 + dl2 * cos2 * (psi - t2) * kOneSixth) + kFalseEasting;
  p.northing =
      kScaleFactor * (m + nu * sinPhi * cosPhi * dl2 * (0.5 + dl2 * cos2 * (4.0 * psi * psi + psi - t2) * kOneOver24));
  if (latitude < 0.0) p.northing += kFalseNorthing;
  return p;
}

GridScales UtmProjector::GridScalesAt(double latitude, double longitude) const {
  const double south = latitude - kProbeStep;
  const double north = latitude + kProbeStep;
  GridPoint below = Project(south, longitude);
  const GridPoint above = Project(north, longitude);
  // Probes on both sides of the equator: the southern one carries the false
  // northing, which is no distance on the ground.
  if (south < 0.0 && !(north < 0.0)) below.northing -= kFalseNorthing;
  const GridPoint west = Project(latitude, longitude - kProbeStep);
  const GridPoint east = Project(latitude, longitude + kProbeStep);
  return {Distance(above.easting - below.easting, above.northing - below.northing) * kProbesPerDegree,
          Distance(east.easting - west.easting, east.northing - west.northing) * kProbesPerDegree};
}

}  // namespace zeltlog
