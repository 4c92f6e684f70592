// The coverage figures and the map's layers, computed with GEOS, reach the
// programs through the analysis module (sinks/analysis_module.h), loaded
// the first time a report needs them.
#pragma once

#include <string>

#include "coverage/coverage_sink.h"
#include "coverage/map_layers.h"

namespace zeltlog {

// What the analysis module offers for coverage; its C function
// kEntry returns it.
struct CoverageModuleFunctions {
  static constexpr const char* kEntry = "zeltlog_coverage_module_functions";
  static constexpr int kVersion = 4;
  int version;
  CoverageReport (*computeCoverage)(const CoverageData& data, const LonLatMultiPolygon* field);
  MapLayers (*computeMapLayers)(const CoverageData& data);
};

// Why the figures cannot be computed (the module cannot be loaded), or
// empty when they can.
const std::string& CoverageModuleProblem();

// ComputeCoverage and ComputeMapLayers (coverage/coverage.h) through the
// module; without it, a report or layers with the module's problem.
CoverageReport ComputeCoverageWithModule(const CoverageData& data, const LonLatMultiPolygon* field);
MapLayers ComputeMapLayersWithModule(const CoverageData& data);

}  // namespace zeltlog
