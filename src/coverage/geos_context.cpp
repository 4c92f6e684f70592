#include "coverage/geos_context.h"

namespace zeltlog {
namespace {

// GEOS reports through these; the computation checks results instead.
void Quiet(const char*, void*) {}

void AppendRing(const GeosContext& c, const GEOSGeometry* ring, LonLatRing& out) {
  const GEOSCoordSequence* sequence = GEOSGeom_getCoordSeq_r(c.handle(), ring);
  unsigned size = 0;
  if (!sequence || !GEOSCoordSeq_getSize_r(c.handle(), sequence, &size) || size == 0) return;
  std::vector<double> buffer(2 * static_cast<size_t>(size));
  if (!GEOSCoordSeq_copyToBuffer_r(c.handle(), sequence, buffer.data(), 0, 0)) return;
  out.resize(size);
  for (unsigned i = 0; i < size; ++i) out[i] = {buffer[2 * i], buffer[2 * i + 1]};
}

void AppendPolygons(const GeosContext& c, const GEOSGeometry* g, LonLatMultiPolygon& out) {
  const int type = GEOSGeomTypeId_r(c.handle(), g);
  if (type == GEOS_POLYGON) {
    if (GEOSisEmpty_r(c.handle(), g) == 1) return;
    LonLatPolygon polygon;
    AppendRing(c, GEOSGetExteriorRing_r(c.handle(), g), polygon.outer);
    const int holes = GEOSGetNumInteriorRings_r(c.handle(), g);
    for (int i = 0; i < holes; ++i) {
      polygon.holes.emplace_back();
      AppendRing(c, GEOSGetInteriorRingN_r(c.handle(), g, i), polygon.holes.back());
    }
    out.push_back(std::move(polygon));
  } else if (type == GEOS_MULTIPOLYGON || type == GEOS_GEOMETRYCOLLECTION) {
    const int count = GEOSGetNumGeometries_r(c.handle(), g);
    for (int i = 0; i < count; ++i) AppendPolygons(c, GEOSGetGeometryN_r(c.handle(), g, i), out);
  }
}

GEOSGeometry* Ring(const GeosContext& c, const LonLatRing& points) {
  std::vector<double> buffer;
  buffer.reserve(2 * points.size() + 2);
  size_t distinct = 0;
  for (const LonLat& p : points) {
    const size_t n = buffer.size();
    if (n >= 2 && buffer[n - 2] == p.longitude && buffer[n - 1] == p.latitude) continue;
    buffer.push_back(p.longitude);
    buffer.push_back(p.latitude);
    ++distinct;
  }
  if (distinct > 1 && buffer[0] == buffer[buffer.size() - 2] && buffer[1] == buffer.back()) {
    --distinct;
  } else if (distinct > 0) {
    buffer.push_back(buffer[0]);
    buffer.push_back(buffer[1]);
  }
  if (distinct < 3) return nullptr;
  GEOSCoordSequence* sequence =
      GEOSCoordSeq_copyFromBuffer_r(c.handle(), buffer.data(), static_cast<unsigned>(buffer.size() / 2), 0, 0);
  if (!sequence) return nullptr;
  return GEOSGeom_createLinearRing_r(c.handle(), sequence);
}

}  // namespace

GeosContext::GeosContext() : handle_(GEOS_init_r()) {
  GEOSContext_setNoticeMessageHandler_r(handle_, Quiet, nullptr);
  GEOSContext_setErrorMessageHandler_r(handle_, Quiet, nullptr);
}

GeosContext::~GeosContext() { GEOS_finish_r(handle_); }

GeosPtr RingPolygon(const GeosContext& c, const std::vector<LonLat>& points) {
  GEOSGeometry* shell = Ring(c, points);
  if (!shell) return Own(c, nullptr);
  return Own(c, GEOSGeom_createPolygon_r(c.handle(), shell, nullptr, 0));
}

GeosPtr FromLonLat(const GeosContext& c, const LonLatMultiPolygon& polygons) {
  std::vector<GEOSGeometry*> parts;
  for (const LonLatPolygon& polygon : polygons) {
    GEOSGeometry* shell = Ring(c, polygon.outer);
    if (!shell) continue;
    std::vector<GEOSGeometry*> holes;
    for (const LonLatRing& hole : polygon.holes) {
      if (GEOSGeometry* ring = Ring(c, hole)) holes.push_back(ring);
    }
    parts.push_back(GEOSGeom_createPolygon_r(c.handle(), shell, holes.data(), static_cast<unsigned>(holes.size())));
  }
  return Own(c, GEOSGeom_createCollection_r(c.handle(), GEOS_MULTIPOLYGON, parts.data(),
                                            static_cast<unsigned>(parts.size())));
}

LonLatMultiPolygon ToLonLat(const GeosContext& c, const GEOSGeometry* g) {
  LonLatMultiPolygon out;
  if (g) AppendPolygons(c, g, out);
  return out;
}

GeosPtr UnionOf(const GeosContext& c, std::vector<GeosPtr> parts) {
  std::vector<GEOSGeometry*> raw;
  raw.reserve(parts.size());
  for (GeosPtr& part : parts) {
    if (part) raw.push_back(part.release());
  }
  GeosPtr collection = Own(c, GEOSGeom_createCollection_r(c.handle(), GEOS_GEOMETRYCOLLECTION, raw.data(),
                                                           static_cast<unsigned>(raw.size())));
  if (!collection) return collection;
  GeosPtr result = Own(c, GEOSUnaryUnion_r(c.handle(), collection.get()));
  if (!result) {
    // Nearly coincident edges can defeat floating-point overlay; snapping to
    // a grid of a hundred-millionth of a degree (about a millimetre) settles them.
    result = Own(c, GEOSUnaryUnionPrec_r(c.handle(), collection.get(), 1e-8));
  }
  return result;
}

GeosPtr MadeValid(const GeosContext& c, const GEOSGeometry* g) {
  if (!g) return Own(c, nullptr);
  if (GEOSisValid_r(c.handle(), g) == 1) return Own(c, GEOSGeom_clone_r(c.handle(), g));
  return Own(c, GEOSMakeValid_r(c.handle(), g));
}

}  // namespace zeltlog
