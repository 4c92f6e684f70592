#include "coverage/ellipsoid_area.h"

#include <cmath>

namespace zeltlog {
namespace {

constexpr double kSemiMajorAxis = 6378137.0;
constexpr double kFlattening = 1.0 / 298.257223563;
constexpr double kEccentricitySquared = kFlattening * (2.0 - kFlattening);
constexpr double kDegree = 3.14159265358979323846 / 180.0;

// The area between the equator and latitude phi per radian of longitude:
// the integral of the meridian and prime-vertical radii's product times
// cos(phi).
double AuthalicIntegral(double latitude) {
  static const double e = std::sqrt(kEccentricitySquared);
  static const double bSquaredHalf = kSemiMajorAxis * kSemiMajorAxis * (1.0 - kEccentricitySquared) / 2.0;
  const double s = std::sin(latitude * kDegree);
  const double es = e * s;
  return bSquaredHalf * (s / (1.0 - es * es) + std::log((1.0 + es) / (1.0 - es)) / (2.0 * e));
}

// Longitude step in radians, taken the short way round.
double LongitudeStep(double from, double to) {
  double step = to - from;
  if (step > 180.0) step -= 360.0;
  if (step < -180.0) step += 360.0;
  return step * kDegree;
}

}  // namespace

double SignedRingArea(const LonLat* points, size_t count) {
  if (count < 3) return 0.0;
  // Measured from the first point's latitude: the sum of longitude steps
  // round a closed ring is zero, and the terms stay small.
  const double reference = AuthalicIntegral(points[0].latitude);
  double sum = 0.0;
  double previous = 0.0;
  for (size_t i = 0; i <= count; ++i) {
    const LonLat& p = points[i % count];
    const double g = AuthalicIntegral(p.latitude) - reference;
    if (i > 0) sum += (previous + g) * LongitudeStep(points[i - 1].longitude, p.longitude);
    previous = g;
  }
  return -sum / 2.0;
}

double SignedSmallRingArea(const LonLat* points, size_t count) {
  if (count < 3) return 0.0;
  double latitude = 0.0, twiceArea = 0.0;
  const LonLat origin = points[0];
  for (size_t i = 0; i < count; ++i) {
    const LonLat& p = points[i];
    const LonLat& q = points[(i + 1) % count];
    latitude += p.latitude;
    const double px = LongitudeStep(origin.longitude, p.longitude), py = (p.latitude - origin.latitude) * kDegree;
    const double qx = LongitudeStep(origin.longitude, q.longitude), qy = (q.latitude - origin.latitude) * kDegree;
    twiceArea += px * qy - qx * py;
  }
  // The ellipsoid's area element per square radian: the meridian radius
  // times the prime-vertical radius times cos(latitude).
  const double middle = latitude / static_cast<double>(count) * kDegree;
  const double s = std::sin(middle);
  const double w = 1.0 - kEccentricitySquared * s * s;
  const double element = kSemiMajorAxis * kSemiMajorAxis * (1.0 - kEccentricitySquared) * std::cos(middle) / (w * w);
  return twiceArea / 2.0 * element;
}

double RingArea(const LonLatRing& ring) { return std::fabs(SignedRingArea(ring.data(), ring.size())); }

double PolygonArea(const LonLatPolygon& polygon) {
  double area = RingArea(polygon.outer);
  for (const LonLatRing& hole : polygon.holes) area -= RingArea(hole);
  return area;
}

double MultiPolygonArea(const LonLatMultiPolygon& polygons) {
  double area = 0.0;
  for (const LonLatPolygon& polygon : polygons) area += PolygonArea(polygon);
  return area;
}

double StepDistance(LonLat from, LonLat to) {
  const double middle = (from.latitude + to.latitude) / 2.0 * kDegree;
  const double s = std::sin(middle);
  const double w = 1.0 - kEccentricitySquared * s * s;
  const double primeVertical = kSemiMajorAxis / std::sqrt(w);
  const double meridian = primeVertical * (1.0 - kEccentricitySquared) / w;
  const double north = (to.latitude - from.latitude) * kDegree * meridian;
  const double east = LongitudeStep(from.longitude, to.longitude) * primeVertical * std::cos(middle);
  return std::hypot(north, east);
}

}  // namespace zeltlog
