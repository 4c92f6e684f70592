#include "gis/gdal_setup.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_http.h>
#include <cpl_string.h>
#include <cpl_vsi.h>
#include <cpl_vsi_virtual.h>
#include <gdal.h>
#include <ogr_srs_api.h>

#include "core/os.h"

#include <cerrno>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace zeltlog {
namespace {

constexpr char kNoNetwork[] = "GIS files are never read from the network";

// Every request that GDAL would send over HTTP (a remote data source, a
// schema, a reference in a VRT) fails instead.
CPLHTTPResult* RefuseFetch(const char*, CSLConstList, GDALProgressFunc, void*, CPLHTTPFetchWriteFunc, void*, void*) {
  CPLError(CE_Failure, CPLE_AppDefined, "%s", kNoNetwork);
  auto* result = static_cast<CPLHTTPResult*>(CPLCalloc(1, sizeof(CPLHTTPResult)));
  result->nStatus = 1;
  result->pszErrBuf = CPLStrdup(kNoNetwork);
  return result;
}

void* RefuseOpen(void*, const char*, const char*) {
  CPLError(CE_Failure, CPLE_AppDefined, "%s", kNoNetwork);
  errno = EACCES;
  return nullptr;
}
int RefuseStat(void*, const char*, VSIStatBufL*, int) {
  errno = EACCES;
  return -1;
}

// The network file systems (/vsicurl/, /vsis3/ and the rest) give way to
// one that opens nothing, whatever names them: a field file, a VRT inside
// it, a path on the command line. Any file system not known to be local is
// taken for a network one.
void KeepOffTheNetwork() {
  static const std::set<std::string> kLocal = {
      "/vsimem/", "/vsizip/",  "/vsigzip/",    "/vsitar/",   "/vsistdin/", "/vsistdout/", "/vsistdout_redirect/",
      "/vsisubfile/", "/vsisparse/", "/vsicrypt/", "/vsi7z/", "/vsirar/", "/vsicached?"};
  OSRSetPROJEnableNetwork(FALSE);
  CPLHTTPSetFetchCallback(RefuseFetch, nullptr);
  static VSIFilesystemPluginCallbacksStruct* const refuse = VSIAllocFilesystemPluginCallbacksStruct();
  refuse->open = RefuseOpen;
  refuse->stat = RefuseStat;
  // GDAL drops a handler it replaces without freeing it; they are kept
  // here for the process's life (never destroyed, not even at exit), as
  // GDAL keeps its own.
  static auto* const replaced = new std::vector<VSIFilesystemHandler*>;
  static char** const prefixes = VSIGetFileSystemsPrefixes();
  for (int i = 0; prefixes && prefixes[i]; ++i) {
    const std::string prefix = prefixes[i];
    if (!kLocal.count(prefix) || !VSIIsLocal((prefix + "x/y").c_str())) {
      replaced->push_back(VSIFileManager::GetHandler(prefix.c_str()));
      VSIInstallPluginHandler(prefixes[i], refuse);
    }
  }
  // A handler keeps the prefix it is given by its address: the list stays.
}

}  // namespace

void RegisterGdalDrivers() {
  static std::once_flag once;
  std::call_once(once, [] {
#ifdef _WIN32
    // GDAL is linked in whole: it loads no driver from a folder of plugins
    // (by default one beside the program).
    CPLSetConfigOption("GDAL_DRIVER_PATH", "disable");
    // The Windows programs carry PROJ's database beside themselves.
    if (const std::string folder = os::ExecutableFolder(); !folder.empty()) {
      const char* const paths[] = {folder.c_str(), nullptr};
      OSRSetPROJSearchPaths(paths);
    }
#endif
    GDALAllRegister();
    KeepOffTheNetwork();
  });
}

QuietGdalErrors::QuietGdalErrors() {
  CPLPushErrorHandler(CPLQuietErrorHandler);
  CPLErrorReset();
}

QuietGdalErrors::~QuietGdalErrors() { CPLPopErrorHandler(); }

std::string LastGdalError(const std::string& fallback) {
  const char* message = CPLGetLastErrorMsg();
  return message && *message ? std::string(message) : fallback;
}

}  // namespace zeltlog
