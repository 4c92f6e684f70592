#include "converters/field_file.h"

#include "converters/kml_to_job.h"
#include "gis/gis_module.h"

namespace zeltlog {
namespace {

// Each coordinates block is a ring: an outer boundary opens a polygon, an
// inner one is a hole of the polygon before it.
class FieldRings : public KmlVertexTaker {
 public:
  explicit FieldRings(LonLatMultiPolygon& field) : field_(field) {}

  void Ring(bool hole) override {
    if (hole && !field_.empty()) {
      field_.back().holes.emplace_back();
      ring_ = &field_.back().holes.back();
    } else {
      field_.emplace_back();
      ring_ = &field_.back().outer;
    }
  }

  void Vertex(double latitude, double longitude) override {
    if (!ring_) Ring(false);
    ring_->push_back({longitude, latitude});
  }

 private:
  LonLatMultiPolygon& field_;
  LonLatRing* ring_ = nullptr;
};

// A ring closes on itself; one of fewer than three corners encloses nothing.
bool Closed(LonLatRing& ring) {
  if (ring.size() < 3) return false;
  if (ring.front().longitude != ring.back().longitude || ring.front().latitude != ring.back().latitude) {
    ring.push_back(ring.front());
  }
  return ring.size() >= 4;
}

LonLatMultiPolygon ClosedPolygons(LonLatMultiPolygon read) {
  LonLatMultiPolygon polygons;
  for (LonLatPolygon& polygon : read) {
    if (!Closed(polygon.outer)) continue;
    LonLatPolygon kept;
    kept.outer = std::move(polygon.outer);
    for (LonLatRing& hole : polygon.holes) {
      if (Closed(hole)) kept.holes.push_back(std::move(hole));
    }
    polygons.push_back(std::move(kept));
  }
  return polygons;
}

}  // namespace

std::string ReadFieldFile(const std::string& path, PolygonFile& out) {
  if (!GisFilesLeftOut()) {
    const std::string problem = ReadPolygonFileWithModule(path, out);
    return problem.empty() ? out.refusal : problem;
  }
  LonLatMultiPolygon read;
  FieldRings rings(read);
  const std::string problem = ScanKmlCoordinates(path, rings);
  if (!problem.empty()) return problem;
  if (std::string refusal = FieldDegreesProblem(read, true); !refusal.empty()) return refusal;
  out.polygons = ClosedPolygons(std::move(read));
  if (out.polygons.empty()) {
    return "it holds no polygon in a map viewer's KML layout, the one kind of field file the Windows build reads "
           "(it has no GDAL)";
  }
  return {};
}

}  // namespace zeltlog
