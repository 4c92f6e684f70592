// Windows has no GIS exports (the build has no GDAL), so no set is ever
// staged there: every call says so.
#include <cerrno>
#include <cstring>

#include "core/staging_folder.h"

namespace zeltlog {

bool StagingFolder::Create(const std::string&, std::string& error) {
  error = std::strerror(ENOSYS);
  return false;
}

bool StagingFolder::Publish(std::string& failedName, std::string& error) {
  failedName.clear();
  error = std::strerror(ENOSYS);
  return false;
}

void StagingFolder::Discard() {
  path_.clear();
  lock_ = -1;
}

}  // namespace zeltlog
