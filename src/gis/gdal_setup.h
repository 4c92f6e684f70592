// GDAL's drivers registered once per process, and its messages kept off
// standard error while a call runs: the caller reports failures itself.
#pragma once

#include <string>

namespace zeltlog {

void RegisterGdalDrivers();

class QuietGdalErrors {
 public:
  QuietGdalErrors();
  ~QuietGdalErrors();
  QuietGdalErrors(const QuietGdalErrors&) = delete;
  QuietGdalErrors& operator=(const QuietGdalErrors&) = delete;
};

// GDAL's last error message, or `fallback` when it has none.
std::string LastGdalError(const std::string& fallback);

}  // namespace zeltlog
