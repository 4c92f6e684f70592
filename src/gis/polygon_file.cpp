#include "gis/polygon_file.h"

#include <gdal_priv.h>
#include <ogr_geometry.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <cpl_string.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "gis/gdal_setup.h"

namespace zeltlog {
namespace {

struct TransformDeleter {
  void operator()(OGRCoordinateTransformation* t) const { OGRCoordinateTransformation::DestroyCT(t); }
};
using Transform = std::unique_ptr<OGRCoordinateTransformation, TransformDeleter>;

LonLatRing RingOf(const OGRLinearRing& ring, OGRCoordinateTransformation* toWgs84) {
  const int count = ring.getNumPoints();
  std::vector<double> x(count), y(count);
  for (int i = 0; i < count; ++i) {
    x[i] = ring.getX(i);
    y[i] = ring.getY(i);
  }
  if (toWgs84 && count > 0) toWgs84->Transform(count, x.data(), y.data());
  LonLatRing out(count);
  for (int i = 0; i < count; ++i) out[i] = {x[i], y[i]};
  return out;
}

void Collect(const OGRGeometry* g, OGRCoordinateTransformation* toWgs84, PolygonFile& out) {
  if (!g || g->IsEmpty()) return;
  const OGRwkbGeometryType type = wkbFlatten(g->getGeometryType());
  if (type == wkbPolygon) {
    const OGRPolygon* polygon = g->toPolygon();
    LonLatPolygon p;
    p.outer = RingOf(*polygon->getExteriorRing(), toWgs84);
    for (int i = 0; i < polygon->getNumInteriorRings(); ++i) p.holes.push_back(RingOf(*polygon->getInteriorRing(i), toWgs84));
    out.polygons.push_back(std::move(p));
  } else if (OGR_GT_IsSubClassOf(type, wkbGeometryCollection)) {
    const OGRGeometryCollection* collection = g->toGeometryCollection();
    for (int i = 0; i < collection->getNumGeometries(); ++i) Collect(collection->getGeometryRef(i), toWgs84, out);
  } else if (OGR_GT_IsSurface(type)) {
    // Curved or polyhedral surfaces, as straight-edged polygons.
    std::unique_ptr<OGRGeometry> linear(g->getLinearGeometry());
    if (linear && wkbFlatten(linear->getGeometryType()) != type) Collect(linear.get(), toWgs84, out);
  } else if (OGR_GT_IsCurve(type)) {
    ++out.lines;
  } else if (type == wkbPoint) {
    ++out.points;
  }
}

// A packed field file (a KMZ, a zipped Shapefile) may unpack to far more
// than it holds: what it unpacks to is bounded before GDAL reads it. The
// sizes an archive declares come first (a quick and exact message); then
// every entry is unpacked and counted, since a declared size may lie and
// what a zip entry unpacks to is only known by unpacking it.
constexpr GUIntBig kMostUnpackedBytes = 256ull << 20;

std::string UnpackedSizeProblem(const std::string& path) {
  char head[4] = {};
  if (FILE* file = std::fopen(path.c_str(), "rb")) {
    const size_t read = std::fread(head, 1, sizeof head, file);
    std::fclose(file);
    if (read < sizeof head) return {};
  }
  if (head[0] != 'P' || head[1] != 'K' || head[2] != 3 || head[3] != 4) return {};
  const std::string archive = "/vsizip/" + path;
  const CPLStringList entries(VSIReadDirRecursive(archive.c_str()));
  std::vector<std::string> files;
  GUIntBig declared = 0;
  for (int i = 0; i < entries.size(); ++i) {
    VSIStatBufL stat;
    const std::string entry = archive + "/" + entries[i];
    if (VSIStatL(entry.c_str(), &stat) == 0 && VSI_ISREG(stat.st_mode)) {
      declared += stat.st_size;
      files.push_back(entry);
    }
  }
  const std::string most = std::to_string(kMostUnpackedBytes >> 20) + " MB a field file may hold";
  if (declared > kMostUnpackedBytes) return "it unpacks to " + std::to_string(declared >> 20) + " MB, more than the " + most;
  GUIntBig unpacked = 0;
  std::vector<char> buffer(1 << 20);
  for (const std::string& entry : files) {
    VSILFILE* file = VSIFOpenL(entry.c_str(), "rb");
    if (!file) continue;
    for (size_t got; (got = VSIFReadL(buffer.data(), 1, buffer.size(), file)) > 0;) {
      if ((unpacked += got) > kMostUnpackedBytes) {
        VSIFCloseL(file);
        return "it unpacks to more than the " + most + ", though it declares " + std::to_string(declared >> 10) + " KB";
      }
    }
    VSIFCloseL(file);
  }
  return {};
}

// A VRT names other files and reads them in its stead: those would escape
// every check made here on the field file itself.
bool IsVirtualDataset(const std::string& path) {
  const char* const kVirtual[] = {"OGR_VRT", "VRT", nullptr};
  return GDALIdentifyDriverEx(path.c_str(), GDAL_OF_VECTOR, kVirtual, nullptr) != nullptr;
}

// Every vector driver but the virtual ones.
const char* const* FieldFileDrivers() {
  static const CPLStringList drivers = [] {
    CPLStringList names;
    for (int i = 0; i < GDALGetDriverCount(); ++i) {
      GDALDriverH driver = GDALGetDriver(i);
      const std::string name = GDALGetDriverShortName(driver);
      if (name != "OGR_VRT" && name != "VRT" && GDALGetMetadataItem(driver, GDAL_DCAP_VECTOR, nullptr)) names.AddString(name.c_str());
    }
    return names;
  }();
  return drivers.List();
}

}  // namespace

std::string ReadPolygonFile(const std::string& path, PolygonFile& out) {
  RegisterGdalDrivers();
  QuietGdalErrors quiet;
  if (out.refusal = UnpackedSizeProblem(path); !out.refusal.empty()) return {};
  if (IsVirtualDataset(path)) {
    out.refusal = "it is a VRT, which reads other files in its stead: give the field file it names";
    return {};
  }
  GDALDatasetUniquePtr dataset(
      GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, FieldFileDrivers(), nullptr, nullptr));
  if (!dataset) return LastGdalError("not a vector file GDAL reads");
  OGRSpatialReference wgs84;
  wgs84.SetWellKnownGeogCS("WGS84");
  wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  for (OGRLayer* layer : dataset->GetLayers()) {
    Transform toWgs84;
    if (const OGRSpatialReference* reference = layer->GetSpatialRef(); reference && !reference->IsSame(&wgs84)) {
      toWgs84.reset(OGRCreateCoordinateTransformation(reference, &wgs84));
      if (!toWgs84) return LastGdalError("the reference system of layer " + std::string(layer->GetName()) + " cannot be turned into WGS-84");
    }
    layer->ResetReading();
    const size_t first = out.polygons.size();
    for (const auto& feature : *layer) {
      Collect(feature->GetGeometryRef(), toWgs84.get(), out);
    }
    // A layer without a reference system is taken as degrees; projected
    // metres so taken lie far beyond the globe.
    out.refusal =
        FieldDegreesProblem(out.polygons.data() + first, out.polygons.size() - first, layer->GetSpatialRef() != nullptr);
    if (!out.refusal.empty()) return {};
  }
  return {};
}

}  // namespace zeltlog
