#include "gis/gis_module.h"

#include "core/program_module.h"

namespace zeltlog {
namespace {

const ModuleFunctions<GisModuleFunctions>& Module() {
#if defined(ZELTLOG_GIS_LEFT_OUT)
  static const auto module = ModuleFunctions<GisModuleFunctions>::LeftOut(GisFilesLeftOut());
#elif defined(ZELTLOG_GIS_LINKED)
  static const GisModuleFunctions linked = {GisModuleFunctions::kVersion, ReadPolygonFile,     ExportCoverageLayers,
                                            ArchiveAddJob,                ArchiveQuery,        ArchiveMapSelection,
                                            ArchiveRemove,                ArchiveExport,       ArchiveGroundWkb,
                                            ArchiveKeepConnection};
  static const auto module = ModuleFunctions<GisModuleFunctions>::Linked(linked);
#else
  static constexpr ProgramModule kGisModule = {"libzeltlog-gis.so", "the GDAL module", "ZELTLOG_GIS_MODULE"};
  static const ModuleFunctions<GisModuleFunctions> module(kGisModule, "GIS files need");
#endif
  return module;
}

}  // namespace

const char* GisFilesLeftOut() {
#ifdef ZELTLOG_GIS_LEFT_OUT
  return "GIS files are left out of the Windows build (it has no GDAL)";
#else
  return nullptr;
#endif
}

std::string ReadPolygonFileWithModule(const std::string& path, PolygonFile& out) {
  return Module().Call(&GisModuleFunctions::readPolygonFile, [](const std::string& problem) { return problem; }, path,
                       out);
}

GisExportResult ExportCoverageLayersWithModule(const std::string& path, const CoverageData& data,
                                               const CoverageReport& report, const GisJobAttributes& job) {
  auto failed = [&path](const std::string& problem) {
    GisExportResult result;
    result.failedPath = path;
    result.error = problem;
    return result;
  };
  return Module().Call(&GisModuleFunctions::exportCoverageLayers, failed, path, data, report, job);
}

ArchiveAddResult ArchiveAddJobWithModule(const std::string& archive, const ArchiveJob& job, bool update) {
  return Module().Call(&GisModuleFunctions::archiveAddJob,
                       [](const std::string& problem) {
                         ArchiveAddResult result;
                         result.error = problem;
                         return result;
                       }, archive, job, update);
}

ArchiveTable ArchiveQueryWithModule(const std::string& archive, const ArchiveFilter& filter, const std::string& by) {
  auto failed = [](const std::string& problem) {
    ArchiveTable table;
    table.error = problem;
    return table;
  };
  return Module().Call(&GisModuleFunctions::archiveQuery, failed, archive, filter, by);
}

ArchiveMapJobs ArchiveMapSelectionWithModule(const std::string& archive, const ArchiveFilter& filter) {
  auto failed = [](const std::string& problem) {
    ArchiveMapJobs jobs;
    jobs.error = problem;
    return jobs;
  };
  return Module().Call(&GisModuleFunctions::archiveMapSelection, failed, archive, filter);
}

std::string ArchiveRemoveWithModule(const std::string& archive, const std::string& job, const std::string& before,
                                    long long& removed) {
  removed = 0;
  return Module().Call(&GisModuleFunctions::archiveRemove, [](const std::string& problem) { return problem; }, archive,
                       job, before, removed);
}

std::string ArchiveExportWithModule(const std::string& archive, const std::string& out) {
  return Module().Call(&GisModuleFunctions::archiveExport, [](const std::string& problem) { return problem; }, archive,
                       out);
}

std::string ArchiveGroundWkbWithModule(const CoverageReport& report) {
  return Module().Call(&GisModuleFunctions::archiveGroundWkb, [](const std::string&) { return std::string(); },
                       report);
}

KeptArchiveConnection::KeptArchiveConnection() {
  Module().Call(&GisModuleFunctions::archiveKeepConnection, [](const std::string&) {}, true);
}

KeptArchiveConnection::~KeptArchiveConnection() {
  Module().Call(&GisModuleFunctions::archiveKeepConnection, [](const std::string&) {}, false);
}

}  // namespace zeltlog
