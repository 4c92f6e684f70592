// Swath quads: each piece of a sprayed strip between two positions, written
// as a filled polygon placemark into the swath document.
#pragma once

#include "core/session.h"

namespace zeltlog {

// Writes the quad of the four corner texts of the track writer state and
// keeps its bare polygon for the end of the document; then the current
// corners become the previous ones and the ring number advances.
void WriteSwathQuad(ConversionSession& session);

}  // namespace zeltlog
