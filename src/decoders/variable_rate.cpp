#include "decoders/variable_rate.h"

#include "core/text_format.h"
#include "decoders/payload.h"

namespace zeltlog {
namespace {
bool ShowsLine(const ConversionSession& s, int mode) { return mode == 1 && s.Wants(EventKind::Record); }
}  // namespace

void DecodeDesiredFlow(ConversionSession& s, int mode) {
  const double flow = payload::F32(s, 0);
  if (ShowsLine(s, mode)) {
    s.scratch.clear();
    AppendFormat(s.scratch, "VRC 32 - Desired Flow rate %3.3lf l/min, Status %d", {flow, payload::U8(s, 4)});
    s.AddEvent(EventKind::Record, s.scratch);
  }
  s.desiredFlowRate = flow;
}

int DecodeTargetRate(ConversionSession& s, int mode) {
  const double target = payload::F32(s, 2);
  if (ShowsLine(s, mode)) {
    s.scratch.clear();
    AppendFormat(s.scratch, "VRC 34 Target:  Chan %d, Units: %d  Target 1:%3.3lf",
                 {payload::U8(s, 0), payload::U8(s, 1), target});
    s.AddEvent(EventKind::Record, s.scratch);
  }
  s.currentTargetRate = target;
  return 1;
}

void DecodeActualRate(ConversionSession& s, int mode) {
  const double actual = payload::F32(s, 2);
  if (ShowsLine(s, mode)) {
    s.scratch.clear();
    AppendFormat(s.scratch, "VRC 36 Actual: Chans:%d, Units:%d,Rate:%3.3f",
                 {payload::U8(s, 0), payload::U8(s, 1), actual});
    s.AddEvent(EventKind::Record, s.scratch);
  }
  s.currentActualRate = actual;
}

int DecodeFlowStatus(ConversionSession& s, int mode) {
  const uint8_t status = payload::U8(s, 0);
  if (ShowsLine(s, mode)) {
    s.scratch.clear();
    AppendFormat(s.scratch, "VRC 140 Flow Status:%d, Rate:%3.3lf l/ha, Tank:%3.2lf l, Meter Cal:%3.1lf counts/l",
                 {status, payload::F32(s, 11), payload::F32(s, 1), payload::F32(s, 7)});
    s.AddEvent(EventKind::Record, s.scratch);
  }
  s.flowStatus = status;
  return 1;
}

void DecodePrescriptionMap(ConversionSession& s) {
  const uint8_t length = payload::U8(s, 0);
  s.scratch.assign("Prescription Map:  ");
  s.scratch.append(payload::Text(s, 1, length));
  s.AddEvent(EventKind::Record, s.scratch);
}

}  // namespace zeltlog
