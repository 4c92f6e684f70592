#include "coverage/lonlat_geometry.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace zeltlog {
namespace {

std::string Number(double value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 10);
  return std::string(buffer, result.ptr);
}

std::string Place(const LonLat& p) { return "longitude " + Number(p.longitude) + ", latitude " + Number(p.latitude); }

// The step in longitude from one vertex to the next, the short way round;
// NaN when it is ambiguous (half a turn) or the edge runs a whole turn.
double Step(double from, double to) {
  const double step = to - from;
  if (std::fabs(step) >= 360.0) return NAN;
  if (step > 180.0) return step - 360.0;
  if (step < -180.0) return step + 360.0;
  if (std::fabs(step) == 180.0) return NAN;
  return step;
}

// The ring's problem, if any, and its longitudes made continuous in `out`.
std::string RingProblem(const LonLatRing& ring, std::vector<double>& out) {
  out.resize(ring.size());
  if (ring.empty()) return {};
  out[0] = ring[0].longitude;
  double west = out[0], east = out[0];
  for (size_t i = 1; i < ring.size(); ++i) {
    const double step = Step(ring[i - 1].longitude, ring[i].longitude);
    if (std::isnan(step)) return "an edge runs half a turn or more round the globe (" + Place(ring[i]) + ")";
    out[i] = out[i - 1] + step;
    west = std::min(west, out[i]);
    east = std::max(east, out[i]);
  }
  // A ring round a pole spans a whole turn.
  if (east - west >= 180.0) return "a polygon spans half the globe or more in longitude, or encircles a pole: no field does";
  return {};
}

void MoveRingNear(LonLatRing& ring, double centre) {
  if (ring.empty()) return;
  std::vector<double> continuous;
  if (!RingProblem(ring, continuous).empty()) return;
  const double shift = LongitudeNear(ring[0].longitude, centre) - ring[0].longitude;
  for (size_t i = 0; i < ring.size(); ++i) {
    // Bytes of a ring that needs no move stay as they were.
    if (shift != 0.0 || continuous[i] != ring[i].longitude) ring[i].longitude = continuous[i] + shift;
  }
}

}  // namespace

double LongitudeNear(double longitude, double centre) {
  if (!std::isfinite(longitude) || !std::isfinite(centre)) return longitude;
  if (longitude >= centre - 180.0 && longitude < centre + 180.0) return longitude;
  const double turns = std::floor((longitude - (centre - 180.0)) / 360.0);
  double near = longitude - turns * 360.0;
  if (near >= centre + 180.0) near -= 360.0;
  if (near < centre - 180.0) near += 360.0;
  return near;
}

void MoveNear(LonLatMultiPolygon& polygons, double centre) {
  for (LonLatPolygon& polygon : polygons) {
    MoveRingNear(polygon.outer, centre);
    const double outer = polygon.outer.empty() ? centre : polygon.outer[0].longitude;
    for (LonLatRing& hole : polygon.holes) MoveRingNear(hole, outer);
  }
}

std::string FieldDegreesProblem(const LonLatPolygon* polygons, size_t count, bool referenced) {
  std::vector<double> continuous;
  for (size_t k = 0; k < count; ++k) {
    const LonLatPolygon& polygon = polygons[k];
    for (size_t r = 0; r <= polygon.holes.size(); ++r) {
      const LonLatRing& ring = r == 0 ? polygon.outer : polygon.holes[r - 1];
      for (const LonLat& p : ring) {
        if (!std::isfinite(p.longitude) || !std::isfinite(p.latitude)) {
          return "a vertex is not a place on the globe (" + Place(p) + ")";
        }
        if (std::fabs(p.latitude) > 90.0 || std::fabs(p.longitude) > 360.0) {
          if (!referenced) return "coordinates are not degrees: is the .prj missing? (" + Place(p) + ")";
          return "a vertex lies beyond the poles or beyond a turn of longitude (" + Place(p) + ")";
        }
      }
      if (std::string problem = RingProblem(ring, continuous); !problem.empty()) return problem;
    }
  }
  return {};
}

}  // namespace zeltlog
