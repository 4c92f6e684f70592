#include "gis/gdal_setup.h"

#include <cpl_error.h>
#include <gdal.h>

#include <mutex>

namespace zeltlog {

void RegisterGdalDrivers() {
  static std::once_flag once;
  std::call_once(once, [] { GDALAllRegister(); });
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
