// Swath quads sorted by shape, and consecutive quads that share their edge
// joined into ribbons: one polygon from the ribbon's edge points. When
// every quad of a ribbon is simple and turns the same way, and the ribbon's
// ring is simple, the ribbon is exactly their union (its winding number is
// the sum of theirs). Where the ring is not simple (a tight turn whose
// inner edge runs backwards, a self-touching turn), the ribbon is cut in
// halves until it is.
#pragma once

#include <cstddef>
#include <vector>

#include "coverage/coverage_data.h"
#include "coverage/geos_context.h"

namespace zeltlog {

enum class QuadShape { Empty, Simple, Crossed };

struct QuadInfo {
  QuadShape shape = QuadShape::Empty;
  int sign = 0;       // +1 counter-clockwise, -1 clockwise
  double area = 0.0;  // square metres
};

// Whether two corners are the same point, to a few micrometres.
bool SameCorner(LonLat a, LonLat b);
// Whether a corner can be trusted at all: a number, and on the globe.
bool OnTheGlobe(LonLat p);
// A quad's shape, orientation and area. Quads with a corner off the globe,
// fewer than three distinct corners or no area are empty.
QuadInfo Classify(const CollectedQuad& q);

class RibbonBuilder {
 public:
  // `withArea[i]` counts the quads with area before index i.
  RibbonBuilder(const GeosContext& c, const std::vector<CollectedQuad>& quads, const std::vector<size_t>& withArea)
      : c_(c), quads_(quads), withArea_(withArea) {}

  // Adds the union of quads [start, end), which share their edges, to
  // `pieces`.
  void Add(size_t start, size_t end, std::vector<GeosPtr>& pieces);

 private:
  const GeosContext& c_;
  const std::vector<CollectedQuad>& quads_;
  const std::vector<size_t>& withArea_;
  std::vector<LonLat> points_;
};

}  // namespace zeltlog
