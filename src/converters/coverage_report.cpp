#include "converters/coverage_report.h"

#include "core/output_names.h"
#include "core/output_set.h"
#include "coverage/coverage_module.h"
#include "coverage/map_page.h"
#include "coverage/report_format.h"
#include "gis/gis_module.h"
#include "pipeline/log_conversion.h"

namespace zeltlog {

CoverageReportOutcome ReportCoverageOf(ConversionSession& session, const std::string& log,
                                       const LonLatMultiPolygon* field, const std::string& exportPath,
                                       const std::string& pagePath) {
  CoverageReportOutcome outcome;
  if (!CoverageModuleProblem().empty()) {
    outcome.error = CoverageModuleProblem();
    return outcome;
  }
  CoverageSink sink;
  const CommandResult passes = RunLogAnalysis(session, log, {&sink});
  std::string problems;
  for (const std::string& problem : passes.problems) problems.append(problems.empty() ? "" : "; ").append(problem);
  if (!passes.inputRead) {
    outcome.error = problems.empty() ? "cannot be read" : problems;
    return outcome;
  }
  outcome.damage = problems;
  outcome.report = ComputeCoverageWithModule(sink.data(), field);
  outcome.report.log = log;
  if (!exportPath.empty()) outcome.exported = ExportCoverageLayersWithModule(exportPath, sink.data(), outcome.report);
  if (!pagePath.empty()) {
    const std::string page = FormatMapPage(outcome.report, ComputeMapLayersWithModule(sink.data()), sink.data().marks);
    OutputSet outputs(session.platform);
    if (OutputFile* file = outputs.Create(pagePath, OutputFile::Mode::Binary)) {
      file->WriteBytes(page.data(), page.size());
      outputs.Commit(file);
    }
    outcome.page = outputs.report();
  }
  return outcome;
}

std::string MapPagePathOf(const std::string& log) { return OutputBase(log) + "_REPORT.html"; }

CommandResult RunMapReport(ConversionSession& s) {
  const auto chosen = ChooseFileAndRememberFolder(s, kLogFileFilter, "");
  if (!chosen) return {};
  CommandResult result;
  result.chosen = true;
  const std::string page = MapPagePathOf(*chosen);
  const CoverageReportOutcome outcome = ReportCoverageOf(s, *chosen, nullptr, "", page);
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
  result.outputs = outcome.page;
  for (const std::string& written : outcome.page.written) s.platform.OpenInViewer(written);
  s.platform.RefreshFields(s);
  return result;
}

}  // namespace zeltlog
