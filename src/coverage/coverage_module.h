// The coverage figures and the map's layers, computed with GEOS, and the
// proof of application, drawn with cairo, reach the programs through the
// analysis module (sinks/analysis_module.h), loaded the first time a
// report needs them.
#pragma once

#include <string>

#include "coverage/coverage_sink.h"
#include "coverage/map_layers.h"
#include "coverage/record_pdf.h"

namespace zeltlog {

// What the analysis module offers for coverage; its C function
// kEntry returns it.
struct CoverageModuleFunctions {
  static constexpr const char* kEntry = "zeltlog_coverage_module_functions";
  static constexpr int kVersion = 6;
  int version;
  CoverageReport (*computeCoverage)(const CoverageData& data, const LonLatMultiPolygon* field, SkippedGround skipped);
  MapLayers (*computeMapLayers)(const CoverageData& data);
  RecordPdf (*drawRecordPdf)(const RecordPdfInput& input);  // null where the PDF is left out
};

// Why the figures cannot be computed (the module cannot be loaded), or
// empty when they can.
const std::string& CoverageModuleProblem();

// ComputeCoverage and ComputeMapLayers (coverage/coverage.h) through the
// module; without it, a report or layers with the module's problem.
CoverageReport ComputeCoverageWithModule(const CoverageData& data, const LonLatMultiPolygon* field,
                                         SkippedGround skipped);
MapLayers ComputeMapLayersWithModule(const CoverageData& data);

// Why this build cannot draw the proof of application at all (the Windows
// build has no cairo), or null when it can, as long as the module loads.
const char* RecordPdfLeftOut();
// DrawRecordPdf (coverage/record_pdf.h) through the module; without it,
// or where the PDF is left out, a PDF with the reason as its error.
RecordPdf DrawRecordPdfWithModule(const RecordPdfInput& input);

}  // namespace zeltlog
