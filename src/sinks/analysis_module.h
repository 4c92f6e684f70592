// The analysis module, libzeltlog-analysis.so: the coverage figures and
// the map's layers (GEOS) and KMZ archives (libzip), loaded by the first
// run that needs one of them. The Windows build links them instead
// (ZELTLOG_ANALYSIS_LINKED).
#pragma once

#include "core/program_module.h"

namespace zeltlog {

inline constexpr ProgramModule kAnalysisModule = {"libzeltlog-analysis.so", "the module", "ZELTLOG_ANALYSIS_MODULE"};

}  // namespace zeltlog
