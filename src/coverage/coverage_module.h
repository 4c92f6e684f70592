// The coverage figures and the map's layers, computed with GEOS, reach the
// programs through the analysis module (sinks/analysis_module.h), loaded
// the first time a report needs them.
#pragma once

#include <string>

#include "coverage/coverage_sink.h"
#include "coverage/map_layers.h"

namespace zeltlog {

// What the analysis module offers for coverage; its C function
// kCoverageModuleEntry returns it.
struct CoverageModuleFunctions {
  int version;
  CoverageReport (*computeCoverage)(const CoverageData& data, const LonLatMultiPolygon* field);
  MapLayers (*computeMapLayers)(const CoverageData& data);
};
inline constexpr int kCoverageModuleVersion = 3;
inline constexpr const char* kCoverageModuleEntry = "zeltlog_coverage_module_functions";

// Why the figures cannot be computed (the module cannot be loaded), or
// empty when they can.
const std::string& CoverageModuleProblem();

// ComputeCoverage and ComputeMapLayers through the module; only when
// CoverageModuleProblem() is empty.
CoverageReport ComputeCoverageWithModule(const CoverageData& data, const LonLatMultiPolygon* field);
MapLayers ComputeMapLayersWithModule(const CoverageData& data);

}  // namespace zeltlog
