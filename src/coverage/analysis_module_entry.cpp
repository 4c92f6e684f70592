// The entries of the analysis module: built into libzeltlog-analysis.so only.
#include "coverage/coverage_module.h"
#include "sinks/kmz_archive.h"

extern "C" __attribute__((visibility("default"))) const void* zeltlog_coverage_module_functions() {
  static const zeltlog::CoverageModuleFunctions functions = {zeltlog::kCoverageModuleVersion, zeltlog::ComputeCoverage,
                                                             zeltlog::ComputeMapLayers};
  return &functions;
}

extern "C" __attribute__((visibility("default"))) const void* zeltlog_kmz_module_functions() {
  static const zeltlog::KmzModuleFunctions functions = {zeltlog::kKmzModuleVersion, zeltlog::WriteKmzArchive};
  return &functions;
}
