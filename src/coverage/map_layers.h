// The layers a map of the coverage draws, beyond the report's own polygons
// (coverage, skipped ground, field): the sprayed ground by bin of applied
// rate, the ground sprayed more than once, and the path. Every layer is
// thinned for drawing: points closer than about ten centimetres to the
// line through their neighbours are dropped.
#pragma once

#include <string>
#include <vector>

#include "coverage/coverage_data.h"
#include "coverage/lonlat_geometry.h"
#include "sinks/rate_bins.h"

namespace zeltlog {

struct RateBinGround {
  RateBin bin = RateBin::Off;
  // Its quads, joined into ribbons, not unioned: where ribbons overlap,
  // outer rings run counter-clockwise and holes clockwise, so that a
  // non-zero fill paints their ground once.
  LonLatMultiPolygon ground;
};

struct MapLayers {
  std::vector<RateBinGround> rates;  // in the bins' order, only bins with ground
  LonLatMultiPolygon overlap;        // ground covered by two quads or more
  std::vector<std::vector<LonLat>> path;  // its gap-separated pieces
  // Set when the geometry library could not compute part of a layer; the
  // rest is drawn.
  std::string problem;
};

}  // namespace zeltlog
