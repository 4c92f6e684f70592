#include "coverage/fill_orientation.h"

#include <algorithm>

namespace zeltlog {
namespace {

double SignedArea(const LonLatRing& ring) {
  double sum = 0.0;
  for (size_t i = 1; i < ring.size(); ++i) {
    sum += ring[i - 1].longitude * ring[i].latitude - ring[i].longitude * ring[i - 1].latitude;
  }
  return sum / 2.0;
}

void Orient(LonLatRing& ring, bool counterClockwise) {
  if ((SignedArea(ring) > 0.0) != counterClockwise) std::reverse(ring.begin(), ring.end());
}

}  // namespace

void OrientForFill(LonLatMultiPolygon& polygons) {
  for (LonLatPolygon& polygon : polygons) {
    Orient(polygon.outer, true);
    for (LonLatRing& hole : polygon.holes) Orient(hole, false);
  }
}

}  // namespace zeltlog
