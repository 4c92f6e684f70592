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
  bool fromWgs84 = false;  // the text is in WGS-84 and turned into `epsg`
};

// False when GDAL could not write the file.
inline bool WriteGdalFile(const std::string& driverName, const std::string& path, const std::vector<GdalLayer>& layers) {
  GDALAllRegister();
  GDALDriver* driver = GetGDALDriverManager()->GetDriverByName(driverName.c_str());
  if (!driver) return false;
  GDALDatasetUniquePtr dataset(driver->Create(path.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
  if (!dataset) return false;
  OGRSpatialReference wgs84;
  wgs84.SetWellKnownGeogCS("WGS84");
  wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  for (const GdalLayer& l : layers) {
    OGRSpatialReference reference;
    reference.importFromEPSG(l.epsg);
    reference.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    OGRLayer* layer = dataset->CreateLayer(l.name.c_str(), &reference, wkbUnknown, nullptr);
    if (!layer) return false;
    for (const std::string& wkt : l.wkt) {
      OGRGeometry* geometry = nullptr;
      if (OGRGeometryFactory::createFromWkt(wkt.c_str(), l.fromWgs84 ? &wgs84 : &reference, &geometry) != OGRERR_NONE) {
        return false;
      }
      if (l.fromWgs84 && geometry->transformTo(&reference) != OGRERR_NONE) return false;
      OGRFeature feature(layer->GetLayerDefn());
      feature.SetGeometryDirectly(geometry);
      if (layer->CreateFeature(&feature) != OGRERR_NONE) return false;
    }
  }
  return true;
}

}  // namespace zeltlog::testkit
