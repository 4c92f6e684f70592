// Plain polygons in WGS-84 degrees, the form in which coverage geometry
// leaves the coverage computation and fields come in from GIS files. No
// geometry library appears here, so readers and writers of such polygons
// need not link one.
#pragma once

#include <vector>

namespace zeltlog {

struct LonLat {
  double longitude = 0.0, latitude = 0.0;
};

// A ring closes on itself: its last point repeats its first.
using LonLatRing = std::vector<LonLat>;

struct LonLatPolygon {
  LonLatRing outer;
  std::vector<LonLatRing> holes;
};

using LonLatMultiPolygon = std::vector<LonLatPolygon>;

}  // namespace zeltlog
