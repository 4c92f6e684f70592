// The GIS files reach the programs through a module of their own
// (libzeltlog-gis.so), loaded the first time a command needs it: GDAL and
// the hundred libraries it brings are then loaded only by a run that reads
// a field from a GIS file or exports layers, and a conversion starts as
// fast and as small as before.
#pragma once

#include <string>

#include "gis/archive.h"
#include "gis/gis_export.h"
#include "gis/polygon_file.h"

namespace zeltlog {

// What the module offers; its one exported C function returns it.
struct GisModuleFunctions {
  static constexpr const char* kEntry = "zeltlog_gis_module_functions";
  static constexpr int kVersion = 8;
  int version;
  std::string (*readPolygonFile)(const std::string& path, PolygonFile& out);
  GisExportResult (*exportCoverageLayers)(const std::string& path, const CoverageData& data,
                                          const CoverageReport& report, const GisJobAttributes& job);
  // The season archive (gis/archive.h).
  ArchiveAddResult (*archiveAddJob)(const std::string& archive, const ArchiveJob& job, bool update);
  ArchiveTable (*archiveQuery)(const std::string& archive, const ArchiveFilter& filter, const std::string& by);
  ArchiveMapJobs (*archiveMapSelection)(const std::string& archive, const ArchiveFilter& filter);
  std::string (*archiveRemove)(const std::string& archive, const std::string& job, const std::string& before,
                               long long& removed);
  std::string (*archiveExport)(const std::string& archive, const std::string& out);
  std::string (*archiveGroundWkb)(const CoverageReport& report);
  void (*archiveKeepConnection)(bool keep);
};

// Why GIS files cannot be read or written by this build at all (the
// Windows build has no GDAL), or null when they can, as long as the module
// loads.
const char* GisFilesLeftOut();

// ReadPolygonFile and ExportCoverageLayers through the module. When it
// cannot be loaded they fail with the reason ("GIS files need ...").
std::string ReadPolygonFileWithModule(const std::string& path, PolygonFile& out);
GisExportResult ExportCoverageLayersWithModule(const std::string& path, const CoverageData& data,
                                               const CoverageReport& report, const GisJobAttributes& job);

// The archive's functions through the module; without it each fails with
// the reason.
ArchiveAddResult ArchiveAddJobWithModule(const std::string& archive, const ArchiveJob& job, bool update);
ArchiveTable ArchiveQueryWithModule(const std::string& archive, const ArchiveFilter& filter, const std::string& by);
ArchiveMapJobs ArchiveMapSelectionWithModule(const std::string& archive, const ArchiveFilter& filter);
std::string ArchiveRemoveWithModule(const std::string& archive, const std::string& job, const std::string& before,
                                    long long& removed);
std::string ArchiveExportWithModule(const std::string& archive, const std::string& out);
// Empty without the module: the ground is then made while storing.
std::string ArchiveGroundWkbWithModule(const CoverageReport& report);
// Keeps this thread's PostGIS connection from one ArchiveAddJobWithModule to
// the next while it lives (a run of archive add).
class KeptArchiveConnection {
 public:
  KeptArchiveConnection();
  ~KeptArchiveConnection();
  KeptArchiveConnection(const KeptArchiveConnection&) = delete;
  KeptArchiveConnection& operator=(const KeptArchiveConnection&) = delete;
};

}  // namespace zeltlog
