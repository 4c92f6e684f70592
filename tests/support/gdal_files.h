// Vector files written with GDAL for the tests: each layer a list of
// well-known-text geometries in WGS-84 (or in the given EPSG system).
#pragma once

#include <gdal_priv.h>
#include <ogr_geometry.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <string>
#include <vector>

namespace zeltlog::testkit {

struct GdalLayer {
  std::string name;
  std::vector<std::string> wkt;
  int epsg = 4326;
};

// False when GDAL could not write the file.
inline bool WriteGdalFile(const std::string& driverName, const std::string& path, const std::vector<GdalLayer>& layers) {
  GDALAllRegister();
  GDALDriver* driver = GetGDALDriverManager()->GetDriverByName(driverName.c_str());
  if (!driver) return false;
  GDALDatasetUniquePtr dataset(driver->Create(path.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
  if (!dataset) return false;
  for (const GdalLayer& l : layers) {
    OGRSpatialReference reference;
    reference.importFromEPSG(l.epsg);
    reference.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    OGRLayer* layer = dataset->CreateLayer(l.name.c_str(), &reference, wkbUnknown, nullptr);
    if (!layer) return false;
    for (const std::string& wkt : l.wkt) {
      OGRGeometry* geometry = nullptr;
      if (OGRGeometryFactory::createFromWkt(wkt.c_str(), &reference, &geometry) != OGRERR_NONE) return false;
      OGRFeature feature(layer->GetLayerDefn());
      feature.SetGeometryDirectly(geometry);
      if (layer->CreateFeature(&feature) != OGRERR_NONE) return false;
    }
  }
  return true;
}

}  // namespace zeltlog::testkit
