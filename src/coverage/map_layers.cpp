#include "coverage/map_layers.h"

#include <algorithm>
#include <cmath>

#include "coverage/coverage.h"
#include "coverage/fill_orientation.h"
#include "coverage/geos_context.h"
#include "coverage/ribbons.h"

namespace zeltlog {
namespace {

// About ten centimetres in degrees of latitude: invisible at any zoom a
// field is looked at, and it takes the collinear points of straight passes
// out of the page.
constexpr double kThinning = 1e-6;
// Overlaps thinner than this (square degrees, about a tenth of a square
// metre) are where neighbouring ribbons' shared edges meet in floating
// point, not ground sprayed twice.
constexpr double kLeastOverlap = 1e-11;

struct Piece {
  GeosPtr polygon;
  RateBin bin;
};

// The quads as ribbons and, where crossed, made valid on their own. With
// `byBin` a ribbon also ends where the bin of applied rate changes; no
// ribbon is longer than `mostQuads`.
std::vector<Piece> RibbonsOf(const GeosContext& c, const std::vector<CollectedQuad>& quads, bool byBin,
                             size_t mostQuads) {
  std::vector<Piece> pieces;
  ChainRibbons(c, quads, ClassifyQuads(quads), {byBin, mostQuads},
               [&](size_t first, GeosPtr polygon) { pieces.push_back({std::move(polygon), quads[first].rateBin}); });
  return pieces;
}

GeosPtr Thinned(const GeosContext& c, const GEOSGeometry* g) {
  GeosPtr thin = Own(c, GEOSTopologyPreserveSimplify_r(c.handle(), g, kThinning));
  return thin ? std::move(thin) : Own(c, GEOSGeom_clone_r(c.handle(), g));
}

// The polygonal part of an intersection, or null when it has no area.
GeosPtr AreaOf(const GeosContext& c, GeosPtr g) {
  double area = 0.0;
  if (!g || !GEOSArea_r(c.handle(), g.get(), &area) || !(area > kLeastOverlap)) return Own(c, nullptr);
  return g;
}

// Ground where two ribbons' interiors meet: each ribbon against those whose
// boxes reach it, found through a tree of the boxes. Ribbons of a few dozen
// quads keep the boxes tight, so that a real job's ribbon meets a few
// neighbours; a damaged log's scattered quads can all cross each other,
// and past a number of pairs the overlap is left out rather than take
// minutes.
constexpr size_t kOverlapRibbonQuads = 64;
constexpr size_t kMostPairsPerRibbon = 16;
constexpr size_t kMostPairsAnyway = 300000;

std::vector<GeosPtr> OverlapOf(const GeosContext& c, const std::vector<Piece>& pieces, std::string& problem) {
  GEOSSTRtree* tree = GEOSSTRtree_create_r(c.handle(), 10);
  if (!tree) return {};
  std::vector<size_t> indices(pieces.size());
  for (size_t i = 0; i < pieces.size(); ++i) {
    indices[i] = i;
    GEOSSTRtree_insert_r(c.handle(), tree, pieces[i].polygon.get(), &indices[i]);
  }
  struct Query {
    size_t self = 0;
    std::vector<std::pair<size_t, size_t>> pairs;
  } query;
  const size_t mostPairs = std::max(kMostPairsAnyway, kMostPairsPerRibbon * pieces.size());
  for (size_t i = 0; i < pieces.size() && query.pairs.size() <= mostPairs; ++i) {
    query.self = i;
    GEOSSTRtree_query_r(
        c.handle(), tree, pieces[i].polygon.get(),
        [](void* item, void* data) {
          auto* q = static_cast<Query*>(data);
          const size_t other = *static_cast<size_t*>(item);
          if (other > q->self) q->pairs.emplace_back(q->self, other);
        },
        &query);
  }
  GEOSSTRtree_destroy_r(c.handle(), tree);
  if (query.pairs.size() > mostPairs) {
    problem = "the overlap is not drawn: too many swaths cross each other";
    return {};
  }
  std::vector<GeosPtr> overlaps;
  bool failed = false;
  const GEOSPreparedGeometry* prepared = nullptr;
  size_t preparedFor = 0;
  for (const auto& [one, other] : query.pairs) {
    if (!prepared || preparedFor != one) {
      if (prepared) GEOSPreparedGeom_destroy_r(c.handle(), prepared);
      prepared = GEOSPrepare_r(c.handle(), pieces[one].polygon.get());
      preparedFor = one;
      if (!prepared) continue;
    }
    const GEOSGeometry* g = pieces[other].polygon.get();
    // Neighbouring ribbons of a pass touch along their shared edge only.
    if (GEOSPreparedIntersects_r(c.handle(), prepared, g) != 1 || GEOSPreparedTouches_r(c.handle(), prepared, g) != 0) {
      continue;
    }
    GeosPtr common = Own(c, GEOSIntersection_r(c.handle(), pieces[one].polygon.get(), g));
    if (!common) {
      failed = true;
      continue;
    }
    if (GeosPtr area = AreaOf(c, std::move(common))) overlaps.push_back(std::move(area));
  }
  if (prepared) GEOSPreparedGeom_destroy_r(c.handle(), prepared);
  if (failed) problem = "part of the overlap could not be computed";
  return overlaps;
}

// A line with the points that lie within the thinning distance of the line
// through their neighbours dropped, in stretches of a few hundred points:
// over a whole job's path of passes back and forth, thinning in one piece
// would take time that grows with the number of passes times the points.
constexpr size_t kThinningStretch = 256;

void AppendThinned(const GeosContext& c, const LonLat* points, size_t count, std::vector<LonLat>& out) {
  GEOSCoordSequence* sequence = GEOSCoordSeq_create_r(c.handle(), static_cast<unsigned>(count), 2);
  if (!sequence) return;
  for (size_t i = 0; i < count; ++i) {
    GEOSCoordSeq_setXY_r(c.handle(), sequence, static_cast<unsigned>(i), points[i].longitude, points[i].latitude);
  }
  GeosPtr line = Own(c, GEOSGeom_createLineString_r(c.handle(), sequence));
  GeosPtr thin = line ? Own(c, GEOSSimplify_r(c.handle(), line.get(), kThinning)) : Own(c, nullptr);
  const GEOSCoordSequence* kept = thin ? GEOSGeom_getCoordSeq_r(c.handle(), thin.get()) : nullptr;
  unsigned size = 0;
  if (!kept || !GEOSCoordSeq_getSize_r(c.handle(), kept, &size) || size < 2) {
    out.insert(out.end(), points + (out.empty() ? 0 : 1), points + count);
    return;
  }
  // Each stretch begins where the one before ended.
  for (unsigned i = out.empty() ? 0 : 1; i < size; ++i) {
    LonLat p;
    GEOSCoordSeq_getXY_r(c.handle(), kept, i, &p.longitude, &p.latitude);
    out.push_back(p);
  }
}

std::vector<LonLat> ThinnedLine(const GeosContext& c, const std::vector<PathVertex>& path, size_t begin, size_t end) {
  std::vector<LonLat> points;
  for (size_t i = begin; i < end; ++i) {
    if (OnTheGlobe(path[i].at)) points.push_back(path[i].at);
  }
  if (points.size() < 3) return points;
  std::vector<LonLat> thinned;
  for (size_t start = 0; start + 1 < points.size(); start += kThinningStretch) {
    AppendThinned(c, points.data() + start, std::min(kThinningStretch + 1, points.size() - start), thinned);
  }
  return thinned;
}

}  // namespace

MapLayers ComputeMapLayers(const CoverageData& data) {
  MapLayers layers;
  GeosContext c;
  std::vector<Piece> byBin = RibbonsOf(c, data.quads, true, data.quads.size());
  for (int bin = 0; bin < kRateBinCount; ++bin) {
    RateBinGround ground{static_cast<RateBin>(bin), {}};
    for (const Piece& piece : byBin) {
      if (piece.bin != ground.bin) continue;
      LonLatMultiPolygon polygons = ToLonLat(c, Thinned(c, piece.polygon.get()).get());
      for (LonLatPolygon& polygon : polygons) ground.ground.push_back(std::move(polygon));
    }
    if (ground.ground.empty()) continue;
    OrientForFill(ground.ground);
    layers.rates.push_back(std::move(ground));
  }
  byBin.clear();
  // The overlap from ribbons that do not stop at a change of rate, thinned
  // as they will be drawn before they are compared, which leaves a straight
  // ribbon a few points. Drawn as they are, not unioned: where three passes
  // meet, their overlaps overlap, and a non-zero fill paints that ground once.
  std::vector<Piece> ribbons = RibbonsOf(c, data.quads, false, kOverlapRibbonQuads);
  for (Piece& ribbon : ribbons) ribbon.polygon = Thinned(c, ribbon.polygon.get());
  for (const GeosPtr& overlap : OverlapOf(c, ribbons, layers.problem)) {
    for (LonLatPolygon& polygon : ToLonLat(c, overlap.get())) layers.overlap.push_back(std::move(polygon));
  }
  OrientForFill(layers.overlap);
  for (size_t piece = 0; piece < data.pathPieceStarts.size(); ++piece) {
    const size_t end = piece + 1 < data.pathPieceStarts.size() ? data.pathPieceStarts[piece + 1] : data.path.size();
    std::vector<LonLat> line = ThinnedLine(c, data.path, data.pathPieceStarts[piece], end);
    if (line.size() >= 2) layers.path.push_back(std::move(line));
  }
  return layers;
}

}  // namespace zeltlog
