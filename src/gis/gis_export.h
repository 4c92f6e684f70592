// The coverage of a log as GIS layers, in the format the file's extension
// names: ".gpkg" (one file, every layer), ".geojson", ".shp" or ".fgb" (one
// file per layer, NAME_path.geojson and so on). Layers:
//   path      one line per gap-separated piece: start_time, end_time
//   swaths    one polygon per quad as drawn: time, run, target, actual,
//             speed, left_off, right_off
//   coverage  the union of the quads, a multipolygon feature per polygon:
//             area_ha
//   skipped   the field less the union (only with a field), the same way
//   field     the field (only with one), the same way
//   marks     marks and boundary points: code, name, altitude
// Coordinates are WGS-84 longitude and latitude; times are seconds since
// midnight.
#pragma once

#include <string>
#include <vector>

#include "coverage/coverage_data.h"
#include "coverage/coverage_report.h"
#include "gis/export_names.h"

namespace zeltlog {

struct GisExportResult {
  std::vector<std::string> written;  // the files written
  std::string failedPath;            // set when writing failed
  std::string error;                 // why; also an unknown extension
  bool ok() const { return error.empty(); }
};

// Writes the layers into the files GisExportFiles names, in place: the
// caller gives a path in a folder of its own (core/staging_folder.h), and
// moves the files to their targets once they are all complete. Every
// write and close is checked; on failure the files stay as they are.
GisExportResult ExportCoverageLayers(const std::string& path, const CoverageData& data, const CoverageReport& report);

}  // namespace zeltlog
