// The names of the files a GIS export writes, known before any is written
// (and without GDAL), so that an export that would write over an input is
// refused first.
#pragma once

#include <string>
#include <vector>

namespace zeltlog {

// The layers an export holds, in order.
std::vector<const char*> GisExportLayerNames(bool withField);

// The file each layer is written into by an export to `path`: `path`
// itself for a .gpkg, NAME_path.geojson and so on for the formats of one
// file per layer; none for an extension no export writes.
std::vector<std::string> GisExportFiles(const std::string& path, bool withField);

// Every file an export to `path` may write, whether or not the report has
// a field: the layers' files and a Shapefile's companions.
std::vector<std::string> GisExportEveryFile(const std::string& path);

}  // namespace zeltlog
