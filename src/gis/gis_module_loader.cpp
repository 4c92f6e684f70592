#include "gis/gis_module.h"

#include <mutex>

#include "core/program_module.h"

namespace zeltlog {
namespace {

struct Loaded {
  const GisModuleFunctions* functions = nullptr;
  std::string problem;
};

const Loaded& Module() {
  static Loaded loaded;
  static std::once_flag once;
  std::call_once(once, [] {
#if defined(ZELTLOG_GIS_LEFT_OUT)
    loaded.problem = GisFilesLeftOut();
#else
    constexpr ProgramModule kModule = {"libzeltlog-gis.so", "ZELTLOG_GIS_MODULE",
#ifdef ZELTLOG_GIS_MODULE_BUILT
                                       ZELTLOG_GIS_MODULE_BUILT, ZELTLOG_GIS_MODULE_INSTALLED
#else
                                       nullptr, nullptr
#endif
    };
    std::string problem;
    loaded.functions =
        static_cast<const GisModuleFunctions*>(LoadProgramModule(kModule, kGisModuleEntry, kGisModuleVersion, problem));
    if (loaded.functions) return;
    loaded.problem = "GIS files need the GDAL module " + std::string(kModule.fileName) + ", which could not be loaded" +
                     (problem.empty() ? std::string() : " (" + problem + ")");
#endif
  });
  return loaded;
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
  const Loaded& module = Module();
  if (!module.functions) return module.problem;
  return module.functions->readPolygonFile(path, out);
}

GisExportResult ExportCoverageLayersWithModule(const std::string& path, const CoverageData& data,
                                               const CoverageReport& report) {
  const Loaded& module = Module();
  if (!module.functions) {
    GisExportResult result;
    result.failedPath = path;
    result.error = module.problem;
    return result;
  }
  return module.functions->exportCoverageLayers(path, data, report);
}

}  // namespace zeltlog
