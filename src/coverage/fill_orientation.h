// Rings oriented for a non-zero fill, in degrees as drawn: for the map's
// layers (in the analysis module) and the map page (in the program).
#pragma once

#include "coverage/lonlat_geometry.h"

namespace zeltlog {

// Outer rings counter-clockwise, holes clockwise.
void OrientForFill(LonLatMultiPolygon& polygons);

}  // namespace zeltlog
