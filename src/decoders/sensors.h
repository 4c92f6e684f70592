// Small sensor records: a 16-bit value kept unseen (20), the laser height or
// snow depth (42) and the swath width (120). Full pass only.
#pragma once

#include "core/session.h"

namespace zeltlog {

void DecodeShortValue(ConversionSession& session);
void DecodeHeightSensor(ConversionSession& session);
void DecodeSwathWidth(ConversionSession& session);

}  // namespace zeltlog
