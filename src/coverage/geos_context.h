// A GEOS context of the reentrant C API and owning handles of its
// geometries, with conversions from and to the plain degree polygons.
#pragma once

#include <geos_c.h>

#include <memory>
#include <vector>

#include "coverage/lonlat_geometry.h"

namespace zeltlog {

class GeosContext {
 public:
  GeosContext();
  ~GeosContext();
  GeosContext(const GeosContext&) = delete;
  GeosContext& operator=(const GeosContext&) = delete;

  GEOSContextHandle_t handle() const { return handle_; }

 private:
  GEOSContextHandle_t handle_;
};

struct GeosDeleter {
  GEOSContextHandle_t handle = nullptr;
  void operator()(GEOSGeometry* g) const {
    if (g) GEOSGeom_destroy_r(handle, g);
  }
};
using GeosPtr = std::unique_ptr<GEOSGeometry, GeosDeleter>;

inline GeosPtr Own(const GeosContext& c, GEOSGeometry* g) { return GeosPtr(g, GeosDeleter{c.handle()}); }

// A polygon from one ring of points, closed if it is not; null when the
// ring has fewer than three distinct points.
GeosPtr RingPolygon(const GeosContext& c, const std::vector<LonLat>& points);
// A geometry from plain polygons (a multipolygon, possibly empty).
GeosPtr FromLonLat(const GeosContext& c, const LonLatMultiPolygon& polygons);
// The polygons of a geometry (of a collection too); lines and points are
// left out.
LonLatMultiPolygon ToLonLat(const GeosContext& c, const GEOSGeometry* g);
// The union of geometries, cascaded; takes them over. Null on failure.
GeosPtr UnionOf(const GeosContext& c, std::vector<GeosPtr> parts);
// A valid form of any polygon geometry, null on failure.
GeosPtr MadeValid(const GeosContext& c, const GEOSGeometry* g);

}  // namespace zeltlog
