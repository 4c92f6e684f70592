// Position records: identifier 1 (full fix with speed and heading) and
// identifier 2 (compact fixed-point fix). Both carry the five-byte packed
// timestamp; both must pass the plausibility test before they are used.
#pragma once

#include "core/session.h"

namespace zeltlog {

// Argument of the position, rate and swath decoders: what the pass wants.
// Position decoders take 0 in the full pass (decode and hand the fix to the
// track writer) and 1 in the pre-scan (decode only).
inline constexpr int kPositionFull = 0;
inline constexpr int kPositionPrescan = 1;

// Return 1 when the fix is accepted, 0 when rejected.
int DecodePosition1(ConversionSession& session, int mode);
int DecodePosition2(ConversionSession& session, int mode);

// The plausibility test: latitude within +-90, longitude from -180 to 360,
// neither of them zero (an empty receiver fix).
bool IsPlausibleFix(double latitude, double longitude);

}  // namespace zeltlog
