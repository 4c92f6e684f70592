#include "gis/gis_module.h"

#include <cstdlib>
#include <mutex>
#include <vector>

#ifndef _WIN32
#include <dlfcn.h>
#include <unistd.h>
#endif

namespace zeltlog {
namespace {

constexpr const char* kModuleName = "libzeltlog-gis.so";

std::string ExecutableFolder() {
#ifndef _WIN32
  std::vector<char> path(4096);
  const ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
  if (length <= 0) return {};
  std::string executable(path.data(), static_cast<size_t>(length));
  const size_t slash = executable.find_last_of('/');
  return slash == std::string::npos ? std::string() : executable.substr(0, slash);
#else
  return {};
#endif
}

// Where the module may lie: named by ZELTLOG_GIS_MODULE, beside the
// program, in the installed library folder next to it, where the build
// left it, and where it was to be installed.
[[maybe_unused]] std::vector<std::string> Candidates() {
  std::vector<std::string> places;
  if (const char* named = std::getenv("ZELTLOG_GIS_MODULE"); named && *named) places.emplace_back(named);
  const std::string folder = ExecutableFolder();
  if (!folder.empty()) {
    places.push_back(folder + "/" + kModuleName);
    places.push_back(folder + "/../lib/zeltlog/" + kModuleName);
  }
#ifdef ZELTLOG_GIS_MODULE_BUILT
  places.emplace_back(ZELTLOG_GIS_MODULE_BUILT);
#endif
#ifdef ZELTLOG_GIS_MODULE_INSTALLED
  places.emplace_back(ZELTLOG_GIS_MODULE_INSTALLED);
#endif
  return places;
}

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
#elif !defined(_WIN32)
    std::string lastError;
    for (const std::string& place : Candidates()) {
      void* handle = dlopen(place.c_str(), RTLD_NOW | RTLD_LOCAL);
      if (!handle) {
        if (const char* error = dlerror()) lastError = error;
        continue;
      }
      using Entry = const GisModuleFunctions* (*)();
      auto entry = reinterpret_cast<Entry>(dlsym(handle, kGisModuleEntry));
      const GisModuleFunctions* functions = entry ? entry() : nullptr;
      if (functions && functions->version == kGisModuleVersion) {
        loaded.functions = functions;
        return;
      }
      lastError = place + " is not this program's GIS module";
    }
    loaded.problem = "GIS files need the GDAL module " + std::string(kModuleName) + ", which could not be loaded" +
                     (lastError.empty() ? std::string() : " (" + lastError + ")");
#else
    loaded.problem = "GIS files are not supported in this build";
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
