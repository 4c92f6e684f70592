// KMZ: a KML document zipped as "doc.kml", the form map viewers and GIS
// tools open directly. The archive is written by libzip into a temporary
// file beside the target and renamed over it when complete.
#pragma once

#include <string>

namespace zeltlog {

// Zips the document in `kmlPath` as the one entry "doc.kml" of the KMZ
// `kmzPath`. False with the reason when the archive cannot be written; the
// target then stays as it was.
bool WriteKmz(const std::string& kmlPath, const std::string& kmzPath, std::string* error);

}  // namespace zeltlog
