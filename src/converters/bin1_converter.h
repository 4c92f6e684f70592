// The "BIN1 to KML" command: a log of the GPS receiver's binary messages
// becomes a CSV table of its fixes (base + ".CSV") and three KML walls
// along the track whose heights show, per fix, the GPS age, the GPS mode
// and the number of satellites (base + "_AGE.KML", "_MODE.KML",
// "_SATS.KML"). The log is a stream of CR LF ended frames: "$BIN" message 1
// fixes are converted, "$LOG$" headers are listed, and "$PSAT," sentences
// give the last CSV column. A fix whose coordinates are no position on the
// globe is listed and skipped; a log without any fix writes nothing. The
// input is read through a buffer, and memory stays bounded by the
// 5251-byte frame buffer.
#pragma once

#include <string>

#include "core/command_result.h"
#include "core/session.h"

namespace zeltlog {

inline constexpr const char* kBin1FileFilter = "Orbanta GPS BIN FORMAT .BIN|*.BIN|All Files - All Types|*.*;*||";

inline constexpr const char* kBin1CsvHeader = "time,lon,lat,x,y,alt,xspeed, yspeed, speed,age,mode,sats,stdev,rstdev\n";

// The command: asks for the log, then converts it.
CommandResult ConvertBin1(ConversionSession& session);
// The conversion of a log already chosen; outputs beside it.
CommandResult ConvertBin1On(ConversionSession& session, const std::string& path);

}  // namespace zeltlog
