// Variable-rate records: desired flow (32), target rate (34), actual rate
// (36), flow status and tank (140) and the prescription map name (141).
// Mode 1 is the full pass, which adds the event lines; the pre-scan passes
// 0 or 3 and only stores the values.
#pragma once

#include "core/session.h"

namespace zeltlog {

void DecodeDesiredFlow(ConversionSession& session, int mode);
int DecodeTargetRate(ConversionSession& session, int mode);
void DecodeActualRate(ConversionSession& session, int mode = 1);
int DecodeFlowStatus(ConversionSession& session, int mode);
void DecodePrescriptionMap(ConversionSession& session);

}  // namespace zeltlog
