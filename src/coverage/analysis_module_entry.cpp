// The entries of the analysis module: built into libzeltlog-analysis.so only.
#include "coverage/coverage.h"
#include "coverage/coverage_module.h"
#include "coverage/record_pdf.h"
#include "coverage/taskdata_xml.h"
#include "sinks/kmz_archive.h"

namespace zeltlog {

extern "C" __attribute__((visibility("default"))) const void* zeltlog_coverage_module_functions() {
  static const CoverageModuleFunctions functions = {CoverageModuleFunctions::kVersion, ComputeCoverage,
                                                    ComputeMapLayers, DrawRecordPdf};
  return &functions;
}

extern "C" __attribute__((visibility("default"))) const void* zeltlog_kmz_module_functions() {
  static const KmzModuleFunctions functions = {KmzModuleFunctions::kVersion, WriteKmzArchive};
  return &functions;
}

extern "C" __attribute__((visibility("default"))) const void* zeltlog_taskdata_module_functions() {
  static const TaskDataModuleFunctions functions = {TaskDataModuleFunctions::kVersion, WriteTaskDataFiles,
                                                    PackTaskDataZip};
  return &functions;
}

}  // namespace zeltlog
