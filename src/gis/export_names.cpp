#include "gis/export_names.h"

#include <algorithm>
#include <cctype>

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
  if (ExtensionOf(path) != "shp") return files;
  const size_t layers = files.size();
  for (size_t i = 0; i < layers; ++i) {
    const std::string base = files[i].substr(0, files[i].size() - 3);
    for (const char* companion : {"shx", "dbf", "prj", "cpg"}) files.push_back(base + companion);
  }
  return files;
}

}  // namespace zeltlog
