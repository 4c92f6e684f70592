#include "converters/coverage_report.h"

#include "coverage/coverage_sink.h"
#include "coverage/report_format.h"
#include "gis/gis_module.h"
#include "pipeline/log_conversion.h"

namespace zeltlog {

CoverageReportOutcome ReportCoverageOf(ConversionSession& session, const std::string& log,
                                       const LonLatMultiPolygon* field, const std::string& exportPath) {
  CoverageReportOutcome outcome;
  CoverageSink sink;
  const CommandResult passes = RunLogAnalysis(session, log, {&sink});
  std::string problems;
  for (const std::string& problem : passes.problems) problems.append(problems.empty() ? "" : "; ").append(problem);
  if (!passes.inputRead) {
    outcome.error = problems.empty() ? "cannot be read" : problems;
    return outcome;
  }
  outcome.damage = problems;
  outcome.report = ComputeCoverage(sink.data(), field);
  outcome.report.log = log;
  if (!exportPath.empty()) outcome.exported = ExportCoverageLayersWithModule(exportPath, sink.data(), outcome.report);
  return outcome;
}

CommandResult RunMapReport(ConversionSession& s) {
  const auto chosen = ChooseFileAndRememberFolder(s, kLogFileFilter, "");
  if (!chosen) return {};
  CommandResult result;
  result.chosen = true;
  const CoverageReportOutcome outcome = ReportCoverageOf(s, *chosen, nullptr, "");
  if (!outcome.error.empty()) {
    result.Unreadable(outcome.error);
    return result;
  }
  result.inputRead = true;
  if (!outcome.damage.empty()) result.problems.push_back(outcome.damage);
  if (!outcome.report.problem.empty()) result.problems.push_back(outcome.report.problem);
  const std::string table = FormatReportTable(outcome.report);
  for (size_t start = 0; start < table.size();) {
    size_t end = table.find('\n', start);
    if (end == std::string::npos) end = table.size();
    s.AddEvent(EventKind::Summary, std::string_view(table).substr(start, end - start));
    start = end + 1;
  }
  s.platform.RefreshFields(s);
  return result;
}

}  // namespace zeltlog
