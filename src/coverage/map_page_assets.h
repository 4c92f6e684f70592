// The map library's script and style, carried inline by every map page:
// Leaflet (BSD 2-clause; copyright 2010-2019 Vladimir Agafonkin, 2010-2011
// CloudMade), taken from the system's libjs-leaflet when the program is
// built.
#pragma once

#include <cstddef>

namespace zeltlog {

extern const char kLeafletScript[];
extern const std::size_t kLeafletScriptSize;
extern const char kLeafletStyle[];
extern const std::size_t kLeafletStyleSize;

}  // namespace zeltlog
