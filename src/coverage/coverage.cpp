// The coverage figures from the collected quads. The union of a million
// quads is never built quad by quad: the quads become ribbons and crossed
// quads made valid (coverage/ribbons.h), each run's pieces are unioned,
// and the runs after them, tile by tile (UnionByTiles).
#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <unordered_map>

#include "coverage/coverage.h"
#include "coverage/ellipsoid_area.h"
#include "coverage/geos_context.h"
#include "coverage/ribbons.h"

namespace zeltlog {
namespace {

constexpr double kSquareMetresPerHectare = 10000.0;
constexpr double kDegree = 3.14159265358979323846 / 180.0;

double Area(const GeosContext& c, const GEOSGeometry* g) { return MultiPolygonArea(ToLonLat(c, g)); }

struct RunState {
  RunFigures figures;
  std::vector<GeosPtr> pieces;
};

// The union of many valid polygons, most of which meet none of the others
// (a file of thousands of small plots): the polygons that meet are found
// through a tree of their boxes and prepared geometry, and only each group
// that meets is unioned, first as a coverage (polygons that only share
// edges, checked by their area), else cascaded. The groups are disjoint,
// so together they are one valid multipolygon. A few polygons are unioned
// at once.
constexpr size_t kFewParts = 64;

GeosPtr UnionOfMany(const GeosContext& c, std::vector<GeosPtr> parts) {
  if (parts.size() <= kFewParts) return UnionOf(c, std::move(parts));
  GEOSContextHandle_t h = c.handle();
  std::vector<size_t> group(parts.size());
  for (size_t i = 0; i < parts.size(); ++i) group[i] = i;
  auto root = [&](size_t i) {
    while (group[i] != i) i = group[i] = group[group[i]];
    return i;
  };
  GEOSSTRtree* tree = GEOSSTRtree_create_r(h, 10);
  if (!tree) return Own(c, nullptr);
  std::vector<size_t> indices(parts.size());
  for (size_t i = 0; i < parts.size(); ++i) {
    indices[i] = i;
    GEOSSTRtree_insert_r(h, tree, parts[i].get(), &indices[i]);
  }
  struct Query {
    size_t self;
    std::vector<size_t> near;
  } query{0, {}};
  for (size_t i = 0; i < parts.size(); ++i) {
    query.self = i;
    query.near.clear();
    GEOSSTRtree_query_r(
        h, tree, parts[i].get(),
        [](void* item, void* data) {
          auto* q = static_cast<Query*>(data);
          if (*static_cast<size_t*>(item) > q->self) q->near.push_back(*static_cast<size_t*>(item));
        },
        &query);
    if (query.near.empty()) continue;
    const GEOSPreparedGeometry* prepared = GEOSPrepare_r(h, parts[i].get());
    for (size_t other : query.near) {
      if (root(other) == root(i)) continue;
      if (!prepared || GEOSPreparedIntersects_r(h, prepared, parts[other].get()) != 0) group[root(other)] = root(i);
    }
    if (prepared) GEOSPreparedGeom_destroy_r(h, prepared);
  }
  GEOSSTRtree_destroy_r(h, tree);
  std::map<size_t, std::vector<GeosPtr>> groups;
  for (size_t i = 0; i < parts.size(); ++i) groups[root(i)].push_back(std::move(parts[i]));
  std::vector<GEOSGeometry*> polygons;
  std::function<void(const GEOSGeometry*)> append = [&](const GEOSGeometry* g) {
    const int type = GEOSGeomTypeId_r(h, g);
    if (type == GEOS_POLYGON) {
      if (GEOSisEmpty_r(h, g) != 1) polygons.push_back(GEOSGeom_clone_r(h, g));
    } else if (type == GEOS_MULTIPOLYGON || type == GEOS_GEOMETRYCOLLECTION) {
      for (int k = 0; k < GEOSGetNumGeometries_r(h, g); ++k) append(GEOSGetGeometryN_r(h, g, k));
    }
  };
  auto take = [&](GeosPtr g) { append(g.get()); };
  bool failed = false;
  for (auto& [first, members] : groups) {
    if (members.size() == 1) {
      take(std::move(members[0]));
      continue;
    }
    double sum = 0.0;
    std::vector<GEOSGeometry*> raw;
    for (GeosPtr& member : members) {
      double area = 0.0;
      GEOSArea_r(h, member.get(), &area);
      sum += area;
      raw.push_back(GEOSGeom_clone_r(h, member.get()));
    }
    GeosPtr collection =
        Own(c, GEOSGeom_createCollection_r(h, GEOS_GEOMETRYCOLLECTION, raw.data(), static_cast<unsigned>(raw.size())));
    GeosPtr joined = collection ? Own(c, GEOSCoverageUnion_r(h, collection.get())) : Own(c, nullptr);
    double area = 0.0;
    if (joined && GEOSArea_r(h, joined.get(), &area) && std::fabs(area - sum) <= 1e-9 * sum &&
        GEOSisValid_r(h, joined.get()) == 1) {
      take(std::move(joined));
      continue;
    }
    GeosPtr unioned = UnionOf(c, std::move(members));
    if (!unioned) failed = true;
    if (unioned) take(std::move(unioned));
  }
  if (failed) {
    for (GEOSGeometry* g : polygons) GEOSGeom_destroy_r(h, g);
    return Own(c, nullptr);
  }
  return Own(c, GEOSGeom_createCollection_r(h, GEOS_MULTIPOLYGON, polygons.data(), static_cast<unsigned>(polygons.size())));
}

// A file's field may hold many polygons that overlap or touch, some of
// them invalid: each is made valid on its own, and their union is one
// cascaded union, never an overlay of the whole set at once. Its rings are
// moved into the log's frame first.
GeosPtr FieldGeometry(const GeosContext& c, const CoverageData& data, const LonLatMultiPolygon* field) {
  if (field) {
    LonLatMultiPolygon moved = *field;
    double centre = data.centreLongitude;
    if (!data.centred && !moved.empty() && !moved[0].outer.empty()) centre = LongitudeNear(moved[0].outer[0].longitude, 0.0);
    MoveNear(moved, centre);
    std::vector<GeosPtr> parts;
    parts.reserve(moved.size());
    for (const LonLatPolygon& polygon : moved) {
      GeosPtr part = FromLonLat(c, {polygon});
      if (!part) return part;
      if (GEOSisEmpty_r(c.handle(), part.get()) == 1) continue;
      GeosPtr valid = MadeValid(c, part.get());
      if (!valid) return valid;
      parts.push_back(std::move(valid));
    }
    if (parts.empty()) return FromLonLat(c, {});
    return UnionOfMany(c, std::move(parts));  // overlapping polygons of a file count once
  }
  const BoundaryRings rings = BoundaryRingsOf(data);
  std::vector<GeosPtr> parts;
  for (const LonLatRing* ring : {&rings.boundary, &rings.inclusion}) {
    if (GeosPtr polygon = RingPolygon(c, *ring)) parts.push_back(MadeValid(c, polygon.get()));
  }
  if (parts.empty()) return Own(c, nullptr);
  GeosPtr area = UnionOf(c, std::move(parts));
  if (area && !rings.exclusion.empty()) {
    if (GeosPtr polygon = RingPolygon(c, rings.exclusion)) {
      GeosPtr hole = MadeValid(c, polygon.get());
      if (hole) area = Own(c, GEOSDifference_r(c.handle(), area.get(), hole.get()));
    }
  }
  return area;
}

// The union of the runs is built tile by tile, on a grid of squares of
// about 50 m: each run's union is cut into the tiles it reaches and each
// tile's pieces are unioned on their own. A job's runs lie side by side and
// their union is one large polygon; building it in one overlay would pass
// every vertex through every level of the cascade. The tiles' polygons are
// joined again where that is cheap (Join), and the skipped ground is worked
// out in the same tiles.
constexpr double kTileMetres = 50.0;

struct TileGrid {
  double west = 0.0, south = 0.0, width = 1.0, height = 1.0;
  long columns = 1, rows = 1;
  double West(long column) const { return west + static_cast<double>(column) * width; }
  double South(long row) const { return south + static_cast<double>(row) * height; }
};

TileGrid GridOver(const GeosContext& c, const std::vector<GeosPtr>& parts) {
  double xmin = 1e300, ymin = 1e300, xmax = -1e300, ymax = -1e300;
  for (const GeosPtr& part : parts) {
    double a, b, d, e;
    if (GEOSisEmpty_r(c.handle(), part.get()) == 1 || !GEOSGeom_getXMin_r(c.handle(), part.get(), &a) ||
        !GEOSGeom_getYMin_r(c.handle(), part.get(), &b) || !GEOSGeom_getXMax_r(c.handle(), part.get(), &d) ||
        !GEOSGeom_getYMax_r(c.handle(), part.get(), &e)) {
      continue;
    }
    xmin = std::min(xmin, a), ymin = std::min(ymin, b), xmax = std::max(xmax, d), ymax = std::max(ymax, e);
  }
  TileGrid grid;
  if (xmin > xmax) return grid;
  const double middle = std::clamp((ymin + ymax) / 2.0, -89.0, 89.0);
  grid.height = kTileMetres / 111000.0;
  grid.width = grid.height / std::cos(middle * kDegree);
  // A few far-flung fixes must not make millions of tiles.
  constexpr long kMostTilesAcross = 2048;
  grid.width = std::max(grid.width, (xmax - xmin) / kMostTilesAcross);
  grid.height = std::max(grid.height, (ymax - ymin) / kMostTilesAcross);
  // The grid reaches half a tile beyond the sprayed ground on every side.
  grid.west = xmin - grid.width / 2.0;
  grid.south = ymin - grid.height / 2.0;
  grid.columns = static_cast<long>((xmax - grid.west) / grid.width) + 1;
  grid.rows = static_cast<long>((ymax - grid.south) / grid.height) + 1;
  return grid;
}

void AppendPolygons(const GeosContext& c, const GEOSGeometry* g, LonLatMultiPolygon& out) {
  LonLatMultiPolygon polygons = ToLonLat(c, g);
  for (LonLatPolygon& polygon : polygons) out.push_back(std::move(polygon));
}

// Joins polygons that meet only along shared edges (the tiles' pieces)
// into `out`, by dropping the edges they share. Joining assigns every hole
// to its polygon one by one, which a large job's thousands of slivers
// between neighbouring runs make slow: above a size, and where the pieces'
// vertices along a tile edge do not match exactly, they are kept as they
// are, the same ground in more polygons.
constexpr int kMostVerticesJoined = 100000;

struct Joined {
  double piecesArea = 0.0;  // in square metres, summed piece by piece
  bool joined = false;      // the pieces became one union
};

// With `join` false the pieces are kept as they are.
Joined Join(const GeosContext& c, std::vector<GeosPtr> pieces, LonLatMultiPolygon& out, bool join = true) {
  double piecesArea = 0.0;
  long vertices = 0;
  std::vector<GEOSGeometry*> raw;
  for (GeosPtr& piece : pieces) {
    piecesArea += Area(c, piece.get());
    vertices += GEOSGetNumCoordinates_r(c.handle(), piece.get());
    raw.push_back(piece.release());
  }
  GeosPtr collection = Own(c, GEOSGeom_createCollection_r(c.handle(), GEOS_GEOMETRYCOLLECTION, raw.data(),
                                                           static_cast<unsigned>(raw.size())));
  Joined result{piecesArea, false};
  if (!collection) return result;
  if (!join || vertices > kMostVerticesJoined) {
    AppendPolygons(c, collection.get(), out);
    return result;
  }
  if (GeosPtr joined = Own(c, GEOSCoverageUnion_r(c.handle(), collection.get()))) {
    LonLatMultiPolygon polygons = ToLonLat(c, joined.get());
    if (std::fabs(MultiPolygonArea(polygons) - piecesArea) <= 1e-9 * piecesArea + 1e-6) {
      for (LonLatPolygon& polygon : polygons) out.push_back(std::move(polygon));
      result.joined = true;
      return result;
    }
  }
  AppendPolygons(c, collection.get(), out);
  return result;
}

using TilePieces = std::map<std::pair<long, long>, std::vector<GeosPtr>>;  // by (row, column)

// Cuts `g`, which lies within rows [row0, row1] and columns [column0,
// column1], into its tiles by halving the range: each vertex is clipped
// once per halving, not once per tile.
void CutIntoTiles(const GeosContext& c, const TileGrid& grid, GeosPtr g, long row0, long row1, long column0,
                  long column1, TilePieces& tiles) {
  if (!g || GEOSisEmpty_r(c.handle(), g.get()) == 1) return;
  if (row0 == row1 && column0 == column1) {
    tiles[{row0, column0}].push_back(std::move(g));
    return;
  }
  auto clip = [&](long r0, long r1, long c0, long c1) {
    return Own(c, GEOSClipByRect_r(c.handle(), g.get(), grid.West(c0), grid.South(r0), grid.West(c1 + 1),
                                   grid.South(r1 + 1)));
  };
  if (row1 - row0 >= column1 - column0) {
    const long middle = row0 + (row1 - row0) / 2;
    GeosPtr low = clip(row0, middle, column0, column1), high = clip(middle + 1, row1, column0, column1);
    g.reset();
    CutIntoTiles(c, grid, std::move(low), row0, middle, column0, column1, tiles);
    CutIntoTiles(c, grid, std::move(high), middle + 1, row1, column0, column1, tiles);
  } else {
    const long middle = column0 + (column1 - column0) / 2;
    GeosPtr low = clip(row0, row1, column0, middle), high = clip(row0, row1, middle + 1, column1);
    g.reset();
    CutIntoTiles(c, grid, std::move(low), row0, row1, column0, middle, tiles);
    CutIntoTiles(c, grid, std::move(high), row0, row1, middle + 1, column1, tiles);
  }
}

// A field of many polygons (a file of small plots) is met tile by tile
// through a tree of its polygons' boxes, so that each tile clips only the
// polygons that reach it; the field beyond the sprayed tiles is found
// polygon by polygon against the prepared union of those tiles. A field of
// a few polygons is clipped whole.
class FieldParts {
 public:
  FieldParts(const GeosContext& c, const GEOSGeometry* field) : c_(c) {
    if (!field) return;
    const int count = GEOSGetNumGeometries_r(c.handle(), field);
    if (count <= static_cast<int>(kFewParts)) return;
    tree_ = GEOSSTRtree_create_r(c.handle(), 10);
    if (!tree_) return;
    for (int i = 0; i < count; ++i) parts_.push_back(GEOSGetGeometryN_r(c.handle(), field, i));
    for (const GEOSGeometry*& part : parts_) GEOSSTRtree_insert_r(c.handle(), tree_, part, &part);
  }
  ~FieldParts() {
    if (tree_) GEOSSTRtree_destroy_r(c_.handle(), tree_);
  }
  FieldParts(const FieldParts&) = delete;
  FieldParts& operator=(const FieldParts&) = delete;

  bool many() const { return tree_ != nullptr; }

  // The field within the rectangle, as one multipolygon.
  GeosPtr Within(double west, double south, double east, double north) const {
    GeosPtr box = Own(c_, GEOSGeom_createRectangle_r(c_.handle(), west, south, east, north));
    std::vector<const GEOSGeometry*> found;
    GEOSSTRtree_query_r(
        c_.handle(), tree_, box.get(),
        [](void* item, void* data) {
          static_cast<std::vector<const GEOSGeometry*>*>(data)->push_back(*static_cast<const GEOSGeometry**>(item));
        },
        &found);
    std::vector<GEOSGeometry*> polygons;
    for (const GEOSGeometry* part : found) {
      GeosPtr clipped = Own(c_, GEOSClipByRect_r(c_.handle(), part, west, south, east, north));
      if (!clipped) return clipped;
      AppendPolygonsOf(clipped.get(), polygons);
    }
    return Own(c_, GEOSGeom_createCollection_r(c_.handle(), GEOS_MULTIPOLYGON, polygons.data(),
                                               static_cast<unsigned>(polygons.size())));
  }

  // The field outside `done`, polygon by polygon: those cut by it into
  // `cut`, those it does not reach into `whole`; false on failure.
  bool Outside(const GEOSGeometry* done, std::vector<GeosPtr>& cut, std::vector<GeosPtr>& whole) const {
    const GEOSPreparedGeometry* prepared = GEOSPrepare_r(c_.handle(), done);
    if (!prepared) return false;
    bool ok = true;
    for (const GEOSGeometry* part : parts_) {
      if (GEOSPreparedIntersects_r(c_.handle(), prepared, part) == 0) {
        whole.push_back(Own(c_, GEOSGeom_clone_r(c_.handle(), part)));
      } else if (GEOSPreparedContains_r(c_.handle(), prepared, part) != 1) {
        GeosPtr rest = Own(c_, GEOSDifference_r(c_.handle(), part, done));
        if (!rest) ok = false;
        if (rest) cut.push_back(std::move(rest));
      }
    }
    GEOSPreparedGeom_destroy_r(c_.handle(), prepared);
    return ok;
  }

 private:
  void AppendPolygonsOf(const GEOSGeometry* g, std::vector<GEOSGeometry*>& out) const {
    const int type = GEOSGeomTypeId_r(c_.handle(), g);
    if (type == GEOS_POLYGON) {
      if (GEOSisEmpty_r(c_.handle(), g) != 1) out.push_back(GEOSGeom_clone_r(c_.handle(), g));
    } else if (type == GEOS_MULTIPOLYGON || type == GEOS_GEOMETRYCOLLECTION) {
      for (int i = 0; i < GEOSGetNumGeometries_r(c_.handle(), g); ++i) AppendPolygonsOf(GEOSGetGeometryN_r(c_.handle(), g, i), out);
    }
  }

  const GeosContext& c_;
  GEOSSTRtree* tree_ = nullptr;
  std::vector<const GEOSGeometry*> parts_;
};

// The union of the runs into r.coverage and, with a field, the field less
// that union into r.skipped and its area into `skippedSquareMetres`.
bool UnionByTiles(const GeosContext& c, std::vector<GeosPtr> runUnions, const GEOSGeometry* field,
                  SkippedGround skippedGround, CoverageReport& r, double& skippedSquareMetres) {
  const TileGrid grid = GridOver(c, runUnions);
  const FieldParts fieldParts(c, field);
  TilePieces tiles;
  for (GeosPtr& run : runUnions) {
    double xmin, ymin, xmax, ymax;
    const GEOSGeometry* g = run.get();
    if (GEOSisEmpty_r(c.handle(), g) == 1 || !GEOSGeom_getXMin_r(c.handle(), g, &xmin) ||
        !GEOSGeom_getYMin_r(c.handle(), g, &ymin) || !GEOSGeom_getXMax_r(c.handle(), g, &xmax) ||
        !GEOSGeom_getYMax_r(c.handle(), g, &ymax)) {
      continue;
    }
    const long firstColumn = std::max(0L, static_cast<long>((xmin - grid.west) / grid.width));
    const long lastColumn = std::min(grid.columns - 1, static_cast<long>((xmax - grid.west) / grid.width));
    const long firstRow = std::max(0L, static_cast<long>((ymin - grid.south) / grid.height));
    const long lastRow = std::min(grid.rows - 1, static_cast<long>((ymax - grid.south) / grid.height));
    CutIntoTiles(c, grid, std::move(run), firstRow, lastRow, firstColumn, lastColumn, tiles);
  }
  std::vector<GeosPtr> sprayedPieces, skippedPieces, sprayedTiles;
  for (auto& [tile, pieces] : tiles) {
    const double west = grid.West(tile.second), east = grid.West(tile.second + 1);
    const double south = grid.South(tile.first), north = grid.South(tile.first + 1);
    GeosPtr sprayed = UnionOf(c, std::move(pieces));
    if (!sprayed) return false;
    if (field) {
      GeosPtr fieldPart = fieldParts.many() ? fieldParts.Within(west, south, east, north)
                                            : Own(c, GEOSClipByRect_r(c.handle(), field, west, south, east, north));
      if (!fieldPart) return false;
      GeosPtr skipped = Own(c, GEOSDifference_r(c.handle(), fieldPart.get(), sprayed.get()));
      if (!skipped) return false;
      skippedPieces.push_back(std::move(skipped));
      sprayedTiles.push_back(Own(c, GEOSGeom_createRectangle_r(c.handle(), west, south, east, north)));
    }
    sprayedPieces.push_back(std::move(sprayed));
  }
  const size_t sprayedPieceCount = sprayedPieces.size();
  r.coverageJoined = Join(c, std::move(sprayedPieces), r.coverage).joined || sprayedPieceCount == 1;
  if (field) {
    // The field outside every tile with sprayed ground is skipped whole.
    GeosPtr tilesDone = UnionOf(c, std::move(sprayedTiles));
    if (!tilesDone) return false;
    std::vector<GeosPtr> untouched;  // polygons that share no edge with a tile's
    if (fieldParts.many()) {
      if (!fieldParts.Outside(tilesDone.get(), skippedPieces, untouched)) return false;
    } else {
      GeosPtr rest = Own(c, GEOSDifference_r(c.handle(), field, tilesDone.get()));
      if (!rest) return false;
      skippedPieces.push_back(std::move(rest));
    }
    // The skipped area is the sum of the pieces' areas whether they are
    // joined or not, so that it does not hang on what the caller draws.
    skippedSquareMetres = Join(c, std::move(skippedPieces), r.skipped, skippedGround == SkippedGround::Joined).piecesArea;
    for (const GeosPtr& polygon : untouched) {
      const size_t first = r.skipped.size();
      AppendPolygons(c, polygon.get(), r.skipped);
      for (size_t i = first; i < r.skipped.size(); ++i) skippedSquareMetres += PolygonArea(r.skipped[i]);
    }
  }
  return true;
}

}  // namespace

BoundaryRings BoundaryRingsOf(const CoverageData& data) {
  BoundaryRings rings;
  for (const CollectedMark& mark : data.marks) {
    if (!std::isfinite(mark.at.longitude) || !std::isfinite(mark.at.latitude)) continue;
    if (mark.type == 128) rings.boundary.push_back(mark.at);
    if (mark.type == 130) rings.inclusion.push_back(mark.at);
    if (mark.type == 131) rings.exclusion.push_back(mark.at);
  }
  for (LonLatRing* ring : {&rings.boundary, &rings.inclusion, &rings.exclusion}) {
    if (ring->size() < 3) {
      ring->clear();
    } else if (ring->front().longitude != ring->back().longitude || ring->front().latitude != ring->back().latitude) {
      ring->push_back(ring->front());
    }
  }
  return rings;
}

CoverageReport ComputeCoverage(const CoverageData& data, const LonLatMultiPolygon* field, SkippedGround skippedGround) {
  CoverageReport r;
  GeosContext c;
  const std::vector<CollectedQuad>& quads = data.quads;

  const QuadShapes shapes = ClassifyQuads(quads);
  std::vector<RunState> runs;
  std::unordered_map<int, size_t> runIndex;
  // Every piece goes to the run of its first quad; a crossed quad made
  // valid counts its own area.
  RibbonChain ribbons(c, quads, shapes, {}, [&](size_t first, GeosPtr piece) {
    RunState& run = runs[runIndex[quads[first].run]];
    if (shapes.infos[first].shape == QuadShape::Crossed) run.figures.grossAreaHa += Area(c, piece.get());
    run.pieces.push_back(std::move(piece));
  });

  double sprayingTime = 0.0, targetTime = 0.0;
  for (size_t i = 0; i < quads.size(); ++i) {
    const CollectedQuad& q = quads[i];
    auto [found, added] = runIndex.try_emplace(q.run, runs.size());
    if (added) {
      runs.emplace_back();
      runs.back().figures.run = q.run;
      runs.back().figures.startTime = q.time;
    }
    RunState& run = runs[found->second];
    run.figures.endTime = q.time;

    const bool continues = i > 0 && quads[i - 1].run == q.run && !q.firstOfRun;
    if (continues && !q.afterGap && q.time > quads[i - 1].time) {
      const double step = q.time - quads[i - 1].time;
      sprayingTime += step;
      targetTime += step * q.targetRate;
    }
    if (shapes.infos[i].shape != QuadShape::Crossed) run.figures.grossAreaHa += shapes.infos[i].area;
    ribbons.Add(i);
  }
  ribbons.Finish();

  std::vector<GeosPtr> runUnions;
  double gross = 0.0;
  for (RunState& run : runs) {
    gross += run.figures.grossAreaHa;
    run.figures.grossAreaHa /= kSquareMetresPerHectare;
    // Ribbons and quads made valid are valid: a run of one needs no union.
    GeosPtr runUnion = run.pieces.size() == 1 ? std::move(run.pieces[0]) : UnionOf(c, std::move(run.pieces));
    if (!runUnion) {
      r.problems.push_back("the union of run " + std::to_string(run.figures.run) + " could not be computed");
      continue;
    }
    run.figures.netAreaHa = Area(c, runUnion.get()) / kSquareMetresPerHectare;
    runUnions.push_back(std::move(runUnion));
    r.runs.push_back(run.figures);
  }
  r.grossSprayedAreaHa = gross / kSquareMetresPerHectare;

  GeosPtr fieldArea = FieldGeometry(c, data, field);
  if (fieldArea && GEOSisEmpty_r(c.handle(), fieldArea.get()) == 1) fieldArea.reset();
  if (fieldArea) r.field = ToLonLat(c, fieldArea.get());
  double skippedSquareMetres = 0.0;
  if (!UnionByTiles(c, std::move(runUnions), fieldArea.get(), skippedGround, r, skippedSquareMetres)) {
    r.problems.push_back("the union of the runs could not be computed");
  }
  r.sprayedAreaHa = MultiPolygonArea(r.coverage) / kSquareMetresPerHectare;
  r.overlapAreaHa = std::max(0.0, r.grossSprayedAreaHa - r.sprayedAreaHa);
  if (fieldArea) {
    const double fieldSquareMetres = MultiPolygonArea(r.field);
    r.fieldAreaHa = fieldSquareMetres / kSquareMetresPerHectare;
    // No figure is negative, and no more of a field is skipped than it has.
    r.skippedAreaHa = std::clamp(skippedSquareMetres, 0.0, fieldSquareMetres) / kSquareMetresPerHectare;
    r.outsideAreaHa = std::max(0.0, r.sprayedAreaHa - (fieldSquareMetres - skippedSquareMetres) / kSquareMetresPerHectare);
    if (fieldSquareMetres > 0.0) r.coveragePercent = (fieldSquareMetres - skippedSquareMetres) / fieldSquareMetres * 100.0;
  }

  r.volumeL = data.tankUsed;
  if (r.sprayedAreaHa > 0.0) r.appliedRateLPerHa = r.volumeL / r.sprayedAreaHa;
  r.sprayingTimeS = sprayingTime;
  if (sprayingTime > 0.0) r.targetRateLPerHa = targetTime / sprayingTime;
  for (size_t piece = 0; piece < data.pathPieceStarts.size(); ++piece) {
    const size_t end = piece + 1 < data.pathPieceStarts.size() ? data.pathPieceStarts[piece + 1] : data.path.size();
    for (size_t i = data.pathPieceStarts[piece] + 1; i < end; ++i) {
      const double step = StepDistance(data.path[i - 1].at, data.path[i].at);
      if (std::isfinite(step)) r.distanceM += step;
    }
  }
  r.fixes = data.fixes;
  return r;
}

}  // namespace zeltlog
