// The track and swath writer: called once per accepted position fix of the
// full pass. Projects the fix forward by the spray projection time, breaks
// the path at time gaps, writes the path point and the progress line, keeps
// the direction across which the swath lies and, while the spray is on,
// cuts the sprayed strip into quads.
#pragma once

#include "core/session.h"

namespace zeltlog {

// source 1: a full fix (identifier 1); source 2: a compact fix, whose speed
// is derived from the displacement since the previous fix.
void WriteTrackPoint(ConversionSession& session, int source);

// Radians per degree as the writer uses it (3.1416 / 180).
inline constexpr double kWriterRadiansPerDegree = 0.017453333333333335;

}  // namespace zeltlog
