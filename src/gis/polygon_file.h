// The polygons of any vector file GDAL reads: KML and KMZ, GeoJSON,
// Shapefile, GeoPackage and the rest. Field boundaries come this way into
// the coverage report and into job files.
#pragma once

#include <string>

#include "coverage/lonlat_geometry.h"

namespace zeltlog {

struct PolygonFile {
  // Every polygon of every layer, with its holes, in file order, in WGS-84
  // degrees (a file in another reference system is transformed).
  LonLatMultiPolygon polygons;
  int lines = 0;   // line geometries met
  int points = 0;  // point geometries met
  // Set when the file was read but its polygons are refused: they are no
  // field on the globe (coordinates that are not degrees), or it unpacks
  // to more than a field file may. Nothing more is read then.
  std::string refusal;
};

// Empty when the file was read (even without any polygon), else the reason
// it could not be.
std::string ReadPolygonFile(const std::string& path, PolygonFile& out);

}  // namespace zeltlog
