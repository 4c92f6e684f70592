#include "geodesy/utm_projector.h"

#include <cmath>

#include "geodesy/plain_trig.h"

namespace zeltlog {
namespace {
constexpr double kOneOver180 = 0.005555555555555556;
constexpr double kOneSixth = 0.16666666666666666;
constexpr double kOneOver24 = 0.041666666666666664;
constexpr double kFalseEasting = 500000.0;
constexpr double kFalseNorthing = 10000000.0;
constexpr double kProbeStep = 0.0001;  // degrees

// Plain square root of the sum of squares: std::hypot differs between C
// libraries in the last bit, and the scales end up in the documents.
double Distance(double dx, double dy) { return std::sqrt(dx * dx + dy * dy); }
}  // namespace

UtmProjector::UtmProjector() {
  table_[0] = {"AIRY", 6377563.396, 299.3249646};
  table_[1] = {"WGS-84", 6378137.0, 298.257223563};
  table_[5] = {"CLARKE-1866", 6378206.4, 294.9786982};
  table_[6] = {"CLARKE-1880", 6378249.145, 293.465};
  table_[22] = {"WGS-84", 6378137.0, 298.257223563};
}

UtmProjector::Slot UtmProjector::Derive(const Ellipsoid& ellipsoid) {
  Slot s;
  s.a = ellipsoid.semiMajorAxis;
  s.f = 1.0 / ellipsoid.inverseFlattening;
  s.e2 = 2.0 * s.f - s.f * s.f;
  const double e4 = s.e2 * s.e2;
  const double e6 = e4 * s.e2;
  s.A0 = 1.0 - 0.25 * s.e2 - 0.046875 * e4 - 0.01953125 * e6;
  s.A2 = 0.375 * (s.e2 + 0.25 * e4 + 0.1171875 * e6);
  s.A4 = 0.05859375 * (e4 + 0.75 * e6);
  s.A6 = 0.011393229166666666 * e6;
  return s;
}

bool UtmProjector::SelectEllipsoids(int tableIndex) {
  if (tableIndex < 0 || tableIndex >= kTableSize) return false;
  const Ellipsoid& chosen = table_[static_cast<size_t>(tableIndex)];
  if (chosen.name.empty() || chosen.inverseFlattening == 0.0) return false;
  slots_[0] = Derive(table_[kWgs84Index]);
  slots_[1] = Derive(chosen);
  return true;
}

int UtmProjector::SetZoneFromLongitude(double longitude) {
  if (longitude < 0.0) longitude += 360.0;
  const double sixths = longitude * kOneSixth;
  // A longitude far outside any zone (or not a number) cannot be truncated
  // to an int; it takes zone 0 rather than an undefined value.
  const int zone = std::fabs(sixths) < 2147483647.0 ? static_cast<int>(sixths) : 0;
  // In doubles: zone * 6 overflows an int for zones past 357913941.
  centralMeridian_ = zone * 6.0 + 3.0;
  return zone;
}

void UtmProjector::Project(double latitude, double longitude, double centralMeridian, int slotIndex) {
  const Slot& s = slots_[static_cast<size_t>(slotIndex & 1)];
  const double k0 = scaleFactor_[static_cast<size_t>(slotIndex & 1)];
  if (longitude < 0.0) longitude += 360.0;
  if (longitude > 360.0) longitude -= 360.0;
  const double phi = latitude * pi_ * kOneOver180;
  const SineCosine trig = PlainSineCosine(phi);
  const double cosPhi = trig.cosine;
  const double sinPhi = trig.sine;
  const double s2 = sinPhi * sinPhi;
  double t2;
  if (cosPhi == 0.0) {
    t2 = 1000000.0;
  } else {
    const double t = sinPhi / cosPhi;
    t2 = t * t;
  }
  double delta = longitude - centralMeridian;
  if (delta > 180.0) delta -= 360.0;
  if (delta < -180.0) delta += 360.0;
  const double dl = delta * pi_ * kOneOver180;
  const double w = 1.0 - s.e2 * s2;
  const double nu = s.a / std::sqrt(w);
  const double psi = w / (1.0 - s.e2);
  const double m = s.a * (s.A0 * phi - s.A2 * PlainSin(2.0 * phi) + s.A4 * PlainSin(4.0 * phi) - s.A6 * PlainSin(6.0 * phi));
  const double dl2 = dl * dl;
  const double cos2 = cosPhi * cosPhi;
  easting_ = k0 * nu * dl * cosPhi * (1.0 + dl2 * cos2 * (psi - t2) * kOneSixth) + kFalseEasting;
  northing_ = k0 * (m + nu * sinPhi * cosPhi * dl2 * (0.5 + dl2 * cos2 * (4.0 * psi * psi + psi - t2) * kOneOver24));
  if (latitude < 0.0) northing_ += kFalseNorthing;
}

int UtmProjector::ComputeGridScales(double latitude, double longitude, int tableIndex, double& metresPerDegreeLatitude,
                                    double& metresPerDegreeLongitude) {
  SelectEllipsoids(tableIndex);
  SetZoneFromLongitude(longitude);
  const double south = latitude - kProbeStep;
  const double north = latitude + kProbeStep;
  Project(south, longitude, centralMeridian_, 1);
  const double x1 = easting_;
  double y1 = northing_;
  Project(north, longitude, centralMeridian_, 1);
  // Probes on both sides of the equator: the southern one carries the false
  // northing, which is no distance on the ground.
  if (south < 0.0 && !(north < 0.0)) y1 -= kFalseNorthing;
  metresPerDegreeLatitude = Distance(easting_ - x1, northing_ - y1) * 5000.0;
  Project(latitude, longitude - kProbeStep, centralMeridian_, 1);
  const double x3 = easting_;
  const double y3 = northing_;
  Project(latitude, longitude + kProbeStep, centralMeridian_, 1);
  metresPerDegreeLongitude = Distance(easting_ - x3, northing_ - y3) * 5000.0;
  return 1;
}

}  // namespace zeltlog
