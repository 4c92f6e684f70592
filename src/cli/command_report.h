// zeltlog-cli report [--json] [--field FILE] [--export FILE] [--html FILE]
// [--job-info FILE] [--check-record PROFILE [--strict]] [--units metric|us]
// [--pdf FILE [--paper a4|letter]] LOG...: the sprayed area, overlap, skips
// and applied rate of each log, as a table or as JSON, and optionally its
// layers as a GIS file, a map page and the proof of application.
#pragma once

#include <string>
#include <vector>

#include "converters/coverage_report.h"

namespace CLI {
class App;
}

namespace zeltlog::cli {

// Every member has its initial value written out, so that an options
// value may name only the members it sets.
struct ReportCommandOptions {
  std::vector<std::string> logs{};
  bool json = false;
  std::string field{};        // a polygon file GDAL reads; empty: the log's boundary rings
  std::string exportPath{};   // .gpkg, .geojson, .shp or .fgb; empty: no export
  std::string htmlPath{};     // the map page; empty: none
  std::string jobInfoPath{};  // the user's job-info file (JSON); empty: none
  std::string checkRecord{};  // a record profile ("nsw", ...); empty: no check
  bool strict = false;        // a field the profile asks for and the record lacks fails the log
  std::string units = "metric";  // or "us": acres and US gallons in the table, the map page and the PDF
  std::string pdfPath{};      // the proof of application; empty: none
  std::string paper = "a4";   // the PDF's: "a4" or "letter"
  std::string version{};      // the program's, which the PDF names
  std::string isoxmlPath{};   // TASKDATA: a folder or a .zip; empty: none
};

// Adds the subcommand and its options to `app`; the caller sets its
// callback.
CLI::App* AddReportCommand(CLI::App& app, ReportCommandOptions& options);

// The subcommand: prints the reports; returns the exit status (0, or 1
// when a log, the field or an export could not be read or written).
int RunReport(const ReportCommandOptions& options);

// The report of one log: the log's conversion feeds a CoverageSink, whose
// figures are computed against `field` (or the log's boundary rings when
// it is null) and exported to `exportPath` when it is not empty; the job's
// record takes what `jobInfo` adds when it is not null, and goes into the
// proof of application when `pdf` asks for one.
CoverageReportOutcome RunCoverageReport(const std::string& log, const LonLatMultiPolygon* field,
                                        const std::string& exportPath, const std::string& pagePath = "",
                                        const JobInfo* jobInfo = nullptr, ReportUnits units = ReportUnits::Metric,
                                        const RecordPdfRequest* pdf = nullptr, TaskDataExport* taskData = nullptr);

// Where the export (or the map page) of one of several logs goes: FILE's name with the log's
// base name appended (out.gpkg and JOB12.LOG give out_JOB12.gpkg); for a
// single log, FILE itself.
std::string ExportPathFor(const std::string& exportPath, const std::string& log, bool severalLogs);

}  // namespace zeltlog::cli
