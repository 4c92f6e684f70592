// Swath quads: each piece of a sprayed strip between two positions, written
// as a filled polygon placemark into the swath document.
#pragma once

#include "core/session.h"

namespace zeltlog {

// Writes the quad of the four corner texts of the track writer state; then
// the current corners become the previous ones and the ring number advances.
void WriteSwathQuad(ConversionSession& session);

// Sets `quadPolygonText` to the bare polygon of the last quad written (empty
// when there was none), which the swath document repeats before its tail.
// Built once at the end rather than after every quad.
void CompleteQuadPolygon(ConversionSession& session);

}  // namespace zeltlog
