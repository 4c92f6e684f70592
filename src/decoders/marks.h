// Identifier 60: a georeferenced mark (type below 128) or boundary point
// (128 and up; 130 inclusion, 131 exclusion). Lists each point and collects
// its placemark for the marks document, as the Marks and Boundaries
// switches allow. Full pass only.
#pragma once

#include "core/session.h"

namespace zeltlog {

void DecodeMarkOrBoundary(ConversionSession& session);

}  // namespace zeltlog
