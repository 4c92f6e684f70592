#include "decoders/sensors.h"

#include "core/text_format.h"
#include "decoders/payload.h"

namespace zeltlog {

void DecodeShortValue(ConversionSession& s) { s.shortValue = payload::S16(s, 0); }

void DecodeHeightSensor(ConversionSession& s) {
  if (!s.Wants(EventKind::Record)) return;
  s.scratch.clear();
  AppendFormat(s.scratch, "Laser Height or SnowDepth %3.6lf", {payload::F32(s, 0)});
  s.AddEvent(EventKind::Record, s.scratch);
}

void DecodeSwathWidth(ConversionSession& s) {
  const double width = payload::F32(s, 13);
  s.swathWidth = width;
  s.leftEdgeOffset = 0.5 * width;
  s.rightEdgeOffset = -0.5 * width;
  if (!s.Wants(EventKind::Record)) return;
  s.scratch.clear();
  AppendFormat(s.scratch, "Swath Width %3.2lf", {width});
  s.AddEvent(EventKind::Record, s.scratch);
}

}  // namespace zeltlog
