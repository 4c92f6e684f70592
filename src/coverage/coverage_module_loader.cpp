#include "coverage/coverage_module.h"
#include "sinks/analysis_module.h"
#ifdef ZELTLOG_ANALYSIS_LINKED
#include "coverage/coverage.h"
#endif

namespace zeltlog {
namespace {

const ModuleFunctions<CoverageModuleFunctions>& Module() {
#ifdef ZELTLOG_ANALYSIS_LINKED
#ifdef ZELTLOG_PDF_LINKED
  static const CoverageModuleFunctions linked = {CoverageModuleFunctions::kVersion, ComputeCoverage, ComputeMapLayers,
                                                 DrawRecordPdf};
#else
  static const CoverageModuleFunctions linked = {CoverageModuleFunctions::kVersion, ComputeCoverage, ComputeMapLayers,
                                                 nullptr};
#endif
  static const auto module = ModuleFunctions<CoverageModuleFunctions>::Linked(linked);
#else
  static const ModuleFunctions<CoverageModuleFunctions> module(kAnalysisModule, "the coverage report needs");
#endif
  return module;
}

CoverageReport NoReport(const std::string& problem) {
  CoverageReport report;
  report.problems.push_back(problem);
  return report;
}

MapLayers NoLayers(const std::string& problem) {
  MapLayers layers;
  layers.problem = problem;
  return layers;
}

RecordPdf NoPdf(const std::string& problem) {
  RecordPdf pdf;
  pdf.error = problem;
  return pdf;
}

}  // namespace

const std::string& CoverageModuleProblem() { return Module().problem(); }

CoverageReport ComputeCoverageWithModule(const CoverageData& data, const LonLatMultiPolygon* field,
                                         SkippedGround skipped) {
  return Module().Call(&CoverageModuleFunctions::computeCoverage, NoReport, data, field, skipped);
}

MapLayers ComputeMapLayersWithModule(const CoverageData& data) {
  return Module().Call(&CoverageModuleFunctions::computeMapLayers, NoLayers, data);
}

const char* RecordPdfLeftOut() {
#ifdef ZELTLOG_PDF_LEFT_OUT
  return "the PDF record is left out of the Windows build (it has no cairo)";
#else
  return nullptr;
#endif
}

RecordPdf DrawRecordPdfWithModule(const RecordPdfInput& input) {
  if (const char* leftOut = RecordPdfLeftOut()) return NoPdf(leftOut);
  return Module().Call(&CoverageModuleFunctions::drawRecordPdf, NoPdf, input);
}

}  // namespace zeltlog
