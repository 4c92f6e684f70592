// One decoder per record kind: a function of a frame's payload that returns
// the record's typed value. Offsets are bytes from the start of the payload.
#pragma once

#include <optional>

#include "records/payload.h"
#include "records/records.h"

namespace zeltlog {

// The plausibility test: latitude within +-90, longitude from -180 to 360,
// neither of them zero (an empty receiver fix) nor not a number.
bool IsPlausibleFix(double latitude, double longitude);

// Identifier 1, a full fix with speed and heading; identifier 2, a compact
// fixed-point fix. Nothing when the fix fails the plausibility test.
std::optional<Fix> DecodeFullPosition(const Payload& payload);
std::optional<Fix> DecodeCompactPosition(const Payload& payload);

SwathSections DecodeSections(const Payload& payload);
SwathWidth DecodeSwathWidth(const Payload& payload);
DesiredFlow DecodeDesiredFlow(const Payload& payload);
TargetRate DecodeTargetRate(const Payload& payload);
ActualRate DecodeActualRate(const Payload& payload);
FlowStatus DecodeFlowStatus(const Payload& payload);
PrescriptionMap DecodePrescriptionMap(const Payload& payload);
MarkPoint DecodeMarkPoint(const Payload& payload);
HeightReading DecodeHeightReading(const Payload& payload);
SystemVersions DecodeSystemVersions(const Payload& payload);
JobSummary DecodeJobSummary(const Payload& payload);
FarmInfo DecodeFarmInfo(const Payload& payload);
JobNotes DecodeJobNotes1(const Payload& payload);
JobNotes DecodeJobNotes2(const Payload& payload);
TextMessage DecodeTextMessage(const Payload& payload);

}  // namespace zeltlog
