// The "Process out from RQ7" command: the GPS data blocks of type 1 that a
// controller log holds, each after a "$LOG" header line, are copied back to
// back into base + "P.BIN" (a valid GPS message log for the BIN1
// converter), and every block header is listed. The input is read through
// a buffer, and memory stays bounded by the 5251-byte frame buffer.
#pragma once

#include <string>

#include "core/command_result.h"
#include "core/session.h"

namespace zeltlog {

inline constexpr const char* kControllerLogFilter =
    "Orbanta GPS BIN FORMAT from RQ7 logs .BIN|*.BIN|All Files - All Types|*.*;*||";

// The command: asks for the controller log, then extracts its blocks.
CommandResult ExtractControllerBlocks(ConversionSession& session);
// The extraction from a log already chosen; the output lies beside it.
CommandResult ExtractControllerBlocksFrom(ConversionSession& session, const std::string& path);

}  // namespace zeltlog
