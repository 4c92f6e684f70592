// Job information records: system versions (101), job summary (201), farm,
// field and weather (202), job notes (204, 205) and text messages (250).
// Each becomes event lines; the job summary also sets the swath geometry
// from the machine width. Full pass only.
#pragma once

#include "core/session.h"

namespace zeltlog {

void DecodeSystemVersions(ConversionSession& session);
void DecodeJobSummary(ConversionSession& session);
void DecodeFarmInfo(ConversionSession& session);
void DecodeJobNotes1(ConversionSession& session);
void DecodeJobNotes2(ConversionSession& session);
void DecodeTextMessage(ConversionSession& session);

}  // namespace zeltlog
