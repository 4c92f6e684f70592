#include "converters/field_file.h"

#include <sys/stat.h>

#include <cmath>

#include <string>
#include <vector>

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

// A FIFO or a device may never end, or block at its opening: the field
// file, and the companions GDAL opens beside a Shapefile, are regular
// files, and that is known before GDAL opens any of them.
std::string NotARegularFile(const std::string& path) {
  std::vector<std::string> files = {path};
  const size_t dot = path.find_last_of('.');
  if (dot != std::string::npos && path.size() - dot == 4 && (path.compare(dot, 4, ".shp") == 0 || path.compare(dot, 4, ".SHP") == 0)) {
    for (const char* companion : {"shx", "dbf", "prj", "cpg", "qix", "sbn", "SHX", "DBF", "PRJ", "CPG", "QIX", "SBN"}) {
      files.push_back(path.substr(0, dot + 1) + companion);
    }
  }
  for (const std::string& file : files) {
    struct stat status;
    if (stat(file.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
      return file == path && S_ISDIR(status.st_mode) ? "is a folder, not a file"
                                                     : file == path ? "not a regular file"
                                                                    : file + " is not a regular file";
    }
  }
  return {};
}

}  // namespace

std::string ReadFieldFile(const std::string& path, PolygonFile& out) {
  if (std::string problem = NotARegularFile(path); !problem.empty()) return problem;
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
