// Identifier 35: the boom's section count and the signed lateral offsets of
// the left and right swath edges (centimetres; left positive).
#pragma once

#include "core/session.h"

namespace zeltlog {

// Mode 1 (full pass) adds the event line; any other mode only decodes.
int DecodeSections(ConversionSession& session, int mode);

}  // namespace zeltlog
