#include "decoders/swath_sections.h"

#include <cmath>
#include <cstdlib>

#include "core/text_format.h"
#include "decoders/payload.h"

namespace zeltlog {

int DecodeSections(ConversionSession& s, int mode) {
  const int32_t left = payload::S16(s, 1);
  const int32_t right = payload::S16(s, 3);
  s.swathWidth = std::abs(right - left) * 0.01;
  s.swathCentreOffset = (left + right) * 0.005;
  s.leftEdgeOffset = left * 0.01;
  s.rightEdgeOffset = right * 0.01;
  if (mode != 1 || !s.Wants(EventKind::Record)) return 1;
  s.scratch.clear();
  AppendFormat(s.scratch, "SW %3.3f,  %3.3f,LRoffsets %3.3f,  %3.3f, %3.3f\n",
               {s.swathWidth, s.swathCentreOffset, s.leftEdgeOffset, s.rightEdgeOffset,
                std::fabs(s.leftEdgeOffset - s.rightEdgeOffset)});
  s.AddEvent(EventKind::Record, s.scratch);
  return 1;
}

}  // namespace zeltlog
