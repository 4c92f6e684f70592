// The GIS files reach the programs through a module of their own
// (libzeltlog-gis.so), loaded the first time a command needs it: GDAL and
// the hundred libraries it brings are then loaded only by a run that reads
// a field from a GIS file or exports layers, and a conversion starts as
// fast and as small as before.
#pragma once

#include <string>

#include "gis/gis_export.h"
#include "gis/polygon_file.h"

namespace zeltlog {

// What the module offers; its one exported C function returns it.
struct GisModuleFunctions {
  static constexpr const char* kEntry = "zeltlog_gis_module_functions";
  static constexpr int kVersion = 2;
  int version;
  std::string (*readPolygonFile)(const std::string& path, PolygonFile& out);
  GisExportResult (*exportCoverageLayers)(const std::string& path, const CoverageData& data,
                                          const CoverageReport& report);
};

// Why GIS files cannot be read or written by this build at all (the
// Windows build has no GDAL), or null when they can, as long as the module
// loads.
const char* GisFilesLeftOut();

// ReadPolygonFile and ExportCoverageLayers through the module. When it
// cannot be loaded they fail with the reason ("GIS files need ...").
std::string ReadPolygonFileWithModule(const std::string& path, PolygonFile& out);
GisExportResult ExportCoverageLayersWithModule(const std::string& path, const CoverageData& data,
                                               const CoverageReport& report);

}  // namespace zeltlog
