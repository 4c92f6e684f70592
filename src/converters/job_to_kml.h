// The "FLYDEX JOB to KML" command: the entry of the reverse of the KML to
// job conversion. It lets the user pick a job file and checks that it can
// be opened; it writes no KML and no event line.
#pragma once

#include <string>

#include "core/command_result.h"
#include "core/session.h"

namespace zeltlog {

inline constexpr const char* kJobToKmlFilter =
    "FLYDEX JOB format to Google Earth KML .KML |*.KML|All Files - All Types|*.*;*||";

// The command: asks for the job file, then opens it.
CommandResult OpenJobFile(ConversionSession& session);
// The same for a job file already chosen.
CommandResult OpenJobFileOn(ConversionSession& session, const std::string& path);

}  // namespace zeltlog
