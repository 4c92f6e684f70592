#include "gis/export_names.h"

#include <algorithm>
#include <cctype>

#include "gis/export_metadata.h"

namespace zeltlog {
namespace {

// The extension in lower case; empty when the name has none.
std::string ExtensionOf(const std::string& path) {
  const size_t dot = path.find_last_of('.');
  const size_t slash = path.find_last_of("/\\");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string extension = path.substr(dot + 1);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}

}  // namespace

const std::vector<GisColumn>& GisLayerColumns(std::string_view layer) {
  using T = GisType;
  static const std::vector<GisColumn> path = {
      {"start_time", T::Real, "s", "time of the piece's first fix, seconds since midnight (local)"},
      {"end_time", T::Real, "s", "time of the piece's last fix, seconds since midnight (local)"},
      {"start_iso", T::Time, nullptr, "date and time of the piece's first fix, ISO 8601 with the log's offset"},
      {"end_iso", T::Time, nullptr, "date and time of the piece's last fix, ISO 8601 with the log's offset"},
  };
  static const std::vector<GisColumn> swaths = {
      {"time", T::Real, "s", "time of the fix that closed the quad, seconds since midnight (local)"},
      {"run", T::Integer, "1", "spray run, counted from 1"},
      {"target", T::Real, "l/ha", "target rate"},
      {"actual", T::Real, "l/ha", "applied (actual) rate"},
      {"speed", T::Real, "m/s", "ground speed"},
      {"left_off", T::Real, "m", "left edge from the fix, left positive"},
      {"right_off", T::Real, "m", "right edge from the fix, left positive"},
      {"time_iso", T::Time, nullptr, "date and time of the fix, ISO 8601 with the log's offset"},
      {"width", T::Real, "m", "swath width, left_off less right_off"},
      {"heading", T::Real, "deg", "heading of the fix, clockwise from north"},
      {"elevation", T::Real, "m", "altitude of the fix"},
      {"product", T::Text, nullptr, "product applied, from the job's record"},
  };
  static const std::vector<GisColumn> areas = {{"area_ha", T::Real, "ha", "area on the WGS-84 ellipsoid"}};
  static const std::vector<GisColumn> marks = {
      {"code", T::Integer, "1", "below 128 a mark; 128 boundary, 130 inclusion, 131 exclusion point"},
      {"name", T::Text, nullptr, "the mark's name"},
      {"altitude", T::Real, "m", "altitude of the point"},
  };
  if (layer == "path") return path;
  if (layer == "swaths") return swaths;
  if (layer == "marks") return marks;
  return areas;
}

std::vector<const char*> GisExportLayerNames(bool withField) {
  if (withField) return {"path", "swaths", "coverage", "skipped", "field", "marks"};
  return {"path", "swaths", "coverage", "marks"};
}

std::vector<std::string> GisExportFiles(const std::string& path, bool withField) {
  const std::string extension = ExtensionOf(path);
  if (extension == "gpkg") return {path};
  if (extension != "geojson" && extension != "shp" && extension != "fgb") return {};
  const std::string base = path.substr(0, path.size() - extension.size() - 1);
  std::vector<std::string> files;
  // The extension in lower case, as GDAL writes a Shapefile's.
  for (const char* layer : GisExportLayerNames(withField)) files.push_back(base + "_" + layer + "." + extension);
  return files;
}

std::vector<std::string> GisExportEveryFile(const std::string& path) {
  std::vector<std::string> files = GisExportFiles(path, true);
  if (files.empty()) return files;
  const size_t layers = files.size();
  for (size_t i = 0; i < layers && ExtensionOf(path) == "shp"; ++i) {
    const std::string base = files[i].substr(0, files[i].size() - 3);
    for (const char* companion : {"shx", "dbf", "prj", "cpg"}) files.push_back(base + companion);
  }
  files.push_back(GisExportMetadataPath(path));
  return files;
}

}  // namespace zeltlog
