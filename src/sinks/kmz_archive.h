// KMZ: a KML document zipped as "doc.kml", the form map viewers and GIS
// tools open directly. The archive is written by libzip into a temporary
// file beside the target and renamed over it when complete. libzip comes
// with the analysis module (sinks/analysis_module.h).
#pragma once

#include <string>

namespace zeltlog {

// Zips the document in `kmlPath` as the one entry "doc.kml" of the KMZ
// `kmzPath`. False with the reason when the archive cannot be written; the
// target then stays as it was. Through the analysis module (libzip is
// its library), loaded on first use.
bool WriteKmz(const std::string& kmlPath, const std::string& kmzPath, std::string* error);

// The same, in the analysis module itself.
bool WriteKmzArchive(const std::string& kmlPath, const std::string& kmzPath, std::string* error);

// What the analysis module offers for KMZ archives; its C function
// kEntry returns it.
struct KmzModuleFunctions {
  static constexpr const char* kEntry = "zeltlog_kmz_module_functions";
  static constexpr int kVersion = 1;
  int version;
  bool (*writeKmzArchive)(const std::string& kmlPath, const std::string& kmzPath, std::string* error);
};

}  // namespace zeltlog
