// The field of a coverage report, from a file: any file GDAL reads,
// through the GIS module; or, in a build without GIS files (the Windows
// build has no GDAL), a KML in a map viewer's layout, read as "KML to JOB"
// reads it.
#pragma once

#include <string>

#include "gis/polygon_file.h"

namespace zeltlog {

// Empty when the file was read (even without any polygon), else the reason
// it could not be.
std::string ReadFieldFile(const std::string& path, PolygonFile& out);

}  // namespace zeltlog
