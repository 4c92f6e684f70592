// Points laid out in metres on the ground, turned into WGS-84 degrees by
// PROJ through GDAL: a Transverse Mercator centred on the chosen point with
// a scale of 1, so that within a few hundred metres of it grid areas are
// ground areas to better than a part in a billion. Independent of the
// coverage module's own area arithmetic.
#pragma once

#include <ogr_spatialref.h>

#include <memory>
#include <string>

#include "coverage/lonlat_geometry.h"

namespace zeltlog::testkit {

class LocalGrid {
 public:
  LocalGrid(double latitude, double longitude) {
    grid_.importFromProj4(("+proj=tmerc +lat_0=" + std::to_string(latitude) + " +lon_0=" + std::to_string(longitude) +
                           " +k=1 +x_0=0 +y_0=0 +ellps=WGS84 +towgs84=0,0,0 +units=m +no_defs")
                              .c_str());
    wgs84_.SetWellKnownGeogCS("WGS84");
    wgs84_.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    grid_.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    toDegrees_.reset(OGRCreateCoordinateTransformation(&grid_, &wgs84_));
  }

  // Metres east and north of the centre.
  LonLat At(double east, double north) const {
    double x = east, y = north;
    toDegrees_->Transform(1, &x, &y);
    return {x, y};
  }

 private:
  OGRSpatialReference grid_, wgs84_;
  std::unique_ptr<OGRCoordinateTransformation> toDegrees_;
};

}  // namespace zeltlog::testkit
