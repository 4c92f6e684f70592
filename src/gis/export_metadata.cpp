#include "gis/export_metadata.h"

#include <nlohmann/json.hpp>

#include "core/iso_time.h"
#include "gis/export_names.h"

namespace zeltlog {
namespace {

std::string FileNameOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

nlohmann::ordered_json ColumnJson(const GisColumn& column) {
  static constexpr const char* kTypes[] = {"Real", "Integer", "String", "String"};
  nlohmann::ordered_json o;
  o["name"] = column.name;
  o["type"] = kTypes[static_cast<int>(column.type)];
  if (column.type == GisType::Time) o["format"] = "ISO 8601";
  if (column.unit) o["unit"] = column.unit;
  o["description"] = column.meaning;
  return o;
}

}  // namespace

std::string GisExportMetadataPath(const std::string& path) {
  if (GisExportFiles(path, false).empty()) return {};
  return path.substr(0, path.find_last_of('.')) + "-metadata.json";
}

std::string FormatGisExportMetadata(const std::string& path, bool withField, std::optional<int> zoneHours,
                                    const std::vector<std::pair<std::string, std::string>>& recordColumns,
                                    const std::string& jobJson) {
  const std::vector<std::string> files = GisExportFiles(path, withField);
  const std::vector<const char*> layers = GisExportLayerNames(withField);
  nlohmann::ordered_json o;
  o["export"] = FileNameOf(path);
  o["crs"] = "EPSG:4326";
  o["coordinates"] = "WGS 84 longitude and latitude, degrees";
  o["time_zone"] = zoneHours ? nlohmann::ordered_json(IsoZoneText(*zoneHours)) : nlohmann::ordered_json();
  o["layers"] = nlohmann::ordered_json::array();
  for (size_t i = 0; i < layers.size(); ++i) {
    nlohmann::ordered_json layer;
    layer["name"] = layers[i];
    layer["file"] = FileNameOf(files.size() == 1 ? files[0] : files[i]);
    nlohmann::ordered_json& columns = layer["fields"] = nlohmann::ordered_json::array();
    for (const GisColumn& column : GisLayerColumns(layers[i])) columns.push_back(ColumnJson(column));
    if (std::string(layers[i]) == "coverage") {
      for (const auto& [name, value] : recordColumns) {
        columns.push_back(ColumnJson({name.c_str(), GisType::Text, nullptr, "of the job's record"}));
      }
    }
    o["layers"].push_back(std::move(layer));
  }
  o["job"] = jobJson.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json::parse(jobJson);
  return o.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

}  // namespace zeltlog
