// The metadata file written beside a GIS export, NAME-metadata.json for an
// export to NAME.gpkg (or NAME.geojson, ...): every layer's file and
// columns, each with its type and, for a number, its unit, and the job's
// record, for the programs that read the layers without knowing ours.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zeltlog {

// The metadata file of an export to `path`; empty for an extension no
// export writes.
std::string GisExportMetadataPath(const std::string& path);

// The metadata of an export to `path` (with the skipped and field layers
// when `withField`), ended by "\n": the coverage layer's record columns
// after its own, the log's zone, and `jobJson`, a JSON object of the job's
// record (null when empty).
std::string FormatGisExportMetadata(const std::string& path, bool withField, std::optional<int> zoneHours,
                                    const std::vector<std::pair<std::string, std::string>>& recordColumns,
                                    const std::string& jobJson);

}  // namespace zeltlog
