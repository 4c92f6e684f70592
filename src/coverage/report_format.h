// The two forms in which `report` prints its figures: a readable table and
// a JSON array with one object per log.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "coverage/coverage_report.h"
#include "coverage/report_lines.h"
#include "job_record/job_info.h"
#include "job_record/record_check.h"

namespace zeltlog {

// The figures in the units asked for: hectares, litres and litres per
// hectare, or acres, US gallons and US gallons per acre; "-" for a figure
// that does not apply.
class ReportUnitsShown {
 public:
  explicit ReportUnitsShown(ReportUnits units) : us_(units == ReportUnits::Us) {}
  bool Us() const { return us_; }
  double AreaValue(double ha) const;
  const char* AreaUnit() const { return us_ ? "ac" : "ha"; }
  std::string Area(double ha, int decimals) const;
  std::string Area(const std::optional<double>& ha, int decimals) const;
  std::string Volume(double litres, int decimals) const;
  std::string Rate(const std::optional<double>& litresPerHa, int decimals) const;

 private:
  bool us_;
};

// What a log's report shows of its job beside the figures.
struct LogRecord {
  JobRecord job;
  std::string logSha256;  // 64 hexadecimal digits; empty when unknown
  // With --check-record: the profile checked and the fields it finds
  // missing.
  const RecordProfile* profile = nullptr;
  std::vector<std::string> missing;
};

// One log's report with its job's record (none for a log not read).
struct ReportedLog {
  CoverageReport report;
  std::optional<LogRecord> record;
};

// The report figures that a rule may ask for, as the record check takes
// them.
ComputedFigures ComputedFiguresOf(const CoverageReport& report);

// The table of one log, lines ended by "\n": the figures, then the job's
// record when there is one.
std::string FormatReportTable(const CoverageReport& report, const LogRecord* record = nullptr,
                              ReportUnits units = ReportUnits::Metric);
// The JSON array of the logs' reports, indented, ended by "\n". Figures
// that do not apply (the field's without a field) are null. A log with a
// record has it as its "job" object.
std::string FormatReportJson(const std::vector<ReportedLog>& logs);
std::string FormatReportJson(const std::vector<CoverageReport>& reports);
// A log's record as the JSON report's "job" object, on one line: the
// metadata beside a GIS export holds it.
std::string FormatJobJson(const LogRecord& record);

// A text of the log or of the user's file made safe for a terminal: its
// control characters (C0, DEL and C1) each become "?".
std::string PrintableText(std::string_view text);

}  // namespace zeltlog
