// The analysis module, libzeltlog-analysis.so: the coverage figures and
// the map's layers (GEOS) and KMZ archives (libzip), loaded by the first
// run that needs one of them. The Windows build links them instead
// (ZELTLOG_ANALYSIS_LINKED).
#pragma once

#include "core/program_module.h"

#ifndef ZELTLOG_ANALYSIS_MODULE_BUILT
#define ZELTLOG_ANALYSIS_MODULE_BUILT nullptr
#define ZELTLOG_ANALYSIS_MODULE_INSTALLED nullptr
#endif

namespace zeltlog {

inline constexpr ProgramModule kAnalysisModule = {"libzeltlog-analysis.so", "ZELTLOG_ANALYSIS_MODULE",
                                                  ZELTLOG_ANALYSIS_MODULE_BUILT, ZELTLOG_ANALYSIS_MODULE_INSTALLED};

// Why `whatNeeds` ("KMZ archives need") cannot go on: the module could not
// be loaded for `reason`.
inline std::string AnalysisModuleProblem(const char* whatNeeds, const std::string& reason) {
  return std::string(whatNeeds) + " the module " + kAnalysisModule.fileName + ", which could not be loaded" +
         (reason.empty() ? std::string() : " (" + reason + ")");
}

}  // namespace zeltlog
