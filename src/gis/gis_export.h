// The coverage of a log as GIS layers, in the format the file's extension
// names: ".gpkg" (one file, every layer), ".geojson", ".shp" or ".fgb" (one
// file per layer, NAME_path.geojson and so on). Layers:
//   path      one line per gap-separated piece: start_time, end_time,
//             start_iso, end_iso
//   swaths    one polygon per quad as drawn: time, run, target, actual,
//             speed, left_off, right_off, time_iso, width, heading,
//             elevation, product
//   coverage  the union of the quads, a multipolygon feature per polygon:
//             area_ha, then the job's record
//   skipped   the field less the union (only with a field), the same way
//   field     the field (only with one), the same way
//   marks     marks and boundary points: code, name, altitude
// (GisLayerColumns in gis/export_names.h names every column's type and
// unit.) Coordinates are WGS-84 longitude and latitude; times are seconds
// since midnight, and beside them ISO 8601 text.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "coverage/coverage_data.h"
#include "coverage/coverage_report.h"
#include "gis/export_names.h"

namespace zeltlog {

// What the layers tell of the job beyond its geometry.
struct GisJobAttributes {
  std::optional<int> zoneHours;  // the log's zone, hours east of UTC; the ISO times carry no offset without
  std::string product;           // on every swath; null when empty
  // The job's record on every coverage feature, after area_ha, as text
  // (dates and times ISO 8601): column names of at most 10 characters,
  // distinct from one another and from area_ha without regard to case;
  // an empty value is null.
  std::vector<std::pair<std::string, std::string>> record;
};

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
GisExportResult ExportCoverageLayers(const std::string& path, const CoverageData& data, const CoverageReport& report,
                                     const GisJobAttributes& job);

}  // namespace zeltlog
