// The one rule by which swath quads become polygons, for the figures and
// the map alike. Quads are sorted by shape, and consecutive quads of a run
// that share their edge and turn the same way are chained into ribbons:
// one polygon from the ribbon's edge points. When every quad of a ribbon is
// simple and turns the same way, and the ribbon's ring is simple, the
// ribbon is exactly their union (its winding number is the sum of theirs).
// Where the ring is not simple (a tight turn whose inner edge runs
// backwards, a self-touching turn), the ribbon is cut in halves until it
// is. Crossed quads are made valid on their own; quads with a corner off
// the globe end a ribbon and give nothing; quads without area add nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
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

// Every quad's shape, and how many quads before each index have area.
struct QuadShapes {
  std::vector<QuadInfo> infos;
  std::vector<size_t> withArea;  // one more than the quads
};
QuadShapes ClassifyQuads(const std::vector<CollectedQuad>& quads);

// Where a ribbon ends besides where the rule ends it.
struct RibbonLimits {
  bool atRateChange = false;     // where the bin of applied rate changes
  size_t mostQuads = SIZE_MAX;   // after this many quads
};

// The chaining rule, fed the quads in order. It hands each polygon, in the
// quads' order, to `take` with the index of its ribbon's first quad (of
// the crossed quad itself when it is one made valid).
class RibbonChain {
 public:
  using Take = std::function<void(size_t first, GeosPtr polygon)>;

  RibbonChain(const GeosContext& c, const std::vector<CollectedQuad>& quads, const QuadShapes& shapes,
              RibbonLimits limits, Take take)
      : c_(c), quads_(quads), shapes_(shapes), limits_(limits), take_(std::move(take)) {}

  // Quad i, the one after the quad fed before.
  void Add(size_t i);
  // After the last quad: the open ribbon.
  void Finish() { Close(quads_.size()); }

 private:
  void Close(size_t end);
  // The union of quads [start, end) of the ribbon that begins at `first`.
  void Build(size_t first, size_t start, size_t end);

  const GeosContext& c_;
  const std::vector<CollectedQuad>& quads_;
  const QuadShapes& shapes_;
  RibbonLimits limits_;
  Take take_;
  size_t start_ = 0;
  bool open_ = false;
  int sign_ = 0;
  std::vector<LonLat> points_;
};

// All of the quads through the chain.
void ChainRibbons(const GeosContext& c, const std::vector<CollectedQuad>& quads, const QuadShapes& shapes,
                  RibbonLimits limits, RibbonChain::Take take);

}  // namespace zeltlog
