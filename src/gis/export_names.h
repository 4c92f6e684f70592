// The names of the files a GIS export writes, known before any is written
// (and without GDAL), so that an export that would write over an input is
// refused first.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zeltlog {

// A column of a layer: its name, at most 10 characters and distinct from
// the layer's others without regard to case (a Shapefile's DBF and a
// GeoPackage keep no more), its type, and for a number its unit ("1" for
// a count or a code) and what it holds. A time is ISO 8601 text (with the
// log's offset, where its zone is known, and without a date where the fix
// has none), which every format keeps as it is.
enum class GisType { Real, Integer, Text, Time };
struct GisColumn {
  const char* name;
  GisType type;
  const char* unit;  // null for text and times
  const char* meaning;
};

// The columns of a layer an export writes, in order. The coverage layer
// has the job's record after them.
const std::vector<GisColumn>& GisLayerColumns(std::string_view layer);

// The layers an export holds, in order.
std::vector<const char*> GisExportLayerNames(bool withField);

// The file each layer is written into by an export to `path`: `path`
// itself for a .gpkg, NAME_path.geojson and so on for the formats of one
// file per layer; none for an extension no export writes.
std::vector<std::string> GisExportFiles(const std::string& path, bool withField);

// Every file an export to `path` may write, whether or not the report has
// a field: the layers' files, the metadata file and a Shapefile's
// companions.
std::vector<std::string> GisExportEveryFile(const std::string& path);

}  // namespace zeltlog
