#include "cli/command_report.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <optional>

#include "cli/cli_platform.h"
#include "cli/commands.h"
#include "cli/file_name_option.h"
#include "cli/output_plan.h"
#include "converters/field_file.h"
#include "core/os.h"
#include "coverage/coverage_module.h"
#include "coverage/coverage_sink.h"
#include "coverage/report_format.h"
#include "coverage/taskdata_xml.h"
#include "job_record/record_check.h"
#include "gis/export_names.h"
#include "gis/gis_module.h"
#include "job_record/job_info.h"
#include "zeltlog_version.h"

namespace zeltlog::cli {
namespace {

std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.find_last_of('.');
  return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

// Text that ends in a line end, as the printer's lines take it.
std::string_view WithoutLastLineEnd(std::string_view text) {
  if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
  return text;
}

}  // namespace

CLI::App* AddReportCommand(CLI::App& app, ReportCommandOptions& o) {
  // The Windows build has no GDAL: its help says what that leaves out.
  const bool gis = GisFilesLeftOut() == nullptr;
  CLI::App* report = app.add_subcommand(
      "report",
      gis ? "Report the sprayed area, overlap, skips and applied rate of guidance logs, optionally as GIS layers"
          : "Report the sprayed area, overlap, skips and applied rate of guidance logs (GIS layers and GIS files are "
            "left out of the Windows build: it has no GDAL)");
  report->add_option("LOG", o.logs, "Guidance logs to report")->required();
  report->add_flag("--json", o.json, "Print a JSON array with one object per log instead of the table");
  NamesAFile(report->add_option("--field", o.field,
                     gis ? "The field's polygons, from any file GDAL reads (KML, KMZ, GeoJSON, Shapefile, GeoPackage); "
                           "without it the log's boundary points"
                         : "The field's polygons, from a KML as a map viewer saves it (no other GIS files in the "
                           "Windows build); without it the log's boundary points"))
      ->type_name("FILE");
  NamesAFile(report->add_option("--export", o.exportPath,
                     gis ? "Write the path, swaths, coverage, skipped, field and marks layers to FILE (.gpkg, "
                           ".geojson, .shp or .fgb; one file per layer for the last three)"
                         : "Not in the Windows build (it has no GDAL): the layers as a GIS file"))
      ->type_name("FILE");
  NamesAFile(report->add_option("--html", o.htmlPath,
                     "Write a map page to FILE: the field, the coverage coloured by applied rate, overlaps, skipped "
                     "ground, path, marks and the figures, in one HTML file that needs no network"))
      ->type_name("FILE");
  NamesAFile(report->add_option("--job-info", o.jobInfoPath,
                                "What the log lacks for the job's record, from a JSON file: product, registration, "
                                "active constituents, client, address, aircraft, applicator, licence, water volume, "
                                "tank mix and \"extra\" texts"))
      ->type_name("FILE");
  std::vector<std::string> profiles;
  std::string profileNames;
  for (const RecordProfile& profile : RecordProfiles()) {
    profiles.emplace_back(profile.name);
    profileNames.append(profileNames.empty() ? "" : ", ").append(profile.name);
  }
  CLI::Option* check =
      report->add_option("--check-record", o.checkRecord,
                         "List the fields of the job's record that the rule of PROFILE asks for and the record lacks (" +
                             profileNames + ")")
          ->type_name("PROFILE")
          ->check(CLI::IsMember(profiles));
  report->add_flag("--strict", o.strict, "With --check-record: a log whose record lacks a field fails (exit status 1)")
      ->needs(check);
  report->add_option("--units", o.units, "metric (hectares, litres) or us (acres, US gallons) in the table and on the "
                                         "map page; the JSON keeps its SI keys")
      ->type_name("UNITS")
      ->check(CLI::IsMember({"metric", "us"}));
  const char* leftOut = RecordPdfLeftOut();
  CLI::Option* pdf = NamesAFile(report->add_option(
      "--pdf", o.pdfPath,
      leftOut ? "Not in the Windows build (it has no cairo): the proof of application as a PDF"
              : "Write the proof of application to FILE, a PDF to sign: the job's record, a map of the coverage, the "
                "figures, the runs, the weather and the notes"));
  pdf->type_name("FILE");
  report->add_option("--paper", o.paper, "The PDF's paper: a4 (the default) or letter")
      ->check(CLI::IsMember({"a4", "letter"}))
      ->needs(pdf);
  // A Windows build made without libxml2 says so in its help.
  const std::string& taskData = TaskDataModuleLeftOut();
  NamesAFile(report->add_option("--isoxml", o.isoxmlPath,
                     taskData.empty()
                         ? "Write the logs as ISO 11783-10 TASKDATA (version 4.3) for farm management software: "
                           "OUT/TASKDATA/TASKDATA.XML with one task and one binary time log per log, OUT a folder "
                           "or a .zip; an earlier TASKDATA there is replaced"
                         : "Not in this build: " + taskData))
      ->type_name("OUT");
  return report;
}

std::string ExportPathFor(const std::string& exportPath, const std::string& log, bool severalLogs) {
  if (!severalLogs) return exportPath;
  const size_t dot = exportPath.find_last_of('.');
  const size_t slash = exportPath.find_last_of("/\\");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
    return exportPath + "_" + BaseName(log);
  }
  return exportPath.substr(0, dot) + "_" + BaseName(log) + exportPath.substr(dot);
}

CoverageReportOutcome RunCoverageReport(const std::string& log, const LonLatMultiPolygon* field,
                                        const std::string& exportPath, const std::string& pagePath,
                                        const JobInfo* jobInfo, ReportUnits units, const RecordPdfRequest* pdf,
                                        TaskDataExport* taskData) {
  // The report prints only its table or JSON, shows no progress, and draws
  // the swath as convert draws it by default.
  Progress progress;
  return ReportCoverageQuietly(progress, kDefaultSprayProjection, log, field, exportPath, pagePath, jobInfo, units,
                               pdf, taskData);
}

int RunReport(const ReportCommandOptions& o) {
  // Standard output carries the tables, each followed by the files its log
  // wrote, or the JSON array alone.
  OutputOptions output;
  output.stdoutTaken = o.json;
  CliPlatform printer(output, nullptr, true);
  if (const char* leftOut = GisFilesLeftOut(); leftOut && !o.exportPath.empty()) {
    CommandResult refused;
    refused.inputRead = true;
    refused.outputs.failed.push_back({o.exportPath, leftOut});
    return ReportCommandResult(printer, "", refused);
  }
  if (const char* leftOut = RecordPdfLeftOut(); leftOut && !o.pdfPath.empty()) {
    CommandResult refused;
    refused.inputRead = true;
    refused.outputs.failed.push_back({o.pdfPath, leftOut});
    return ReportCommandResult(printer, "", refused);
  }
  // No export or page may write over a log, the field or one another.
  const bool several = o.logs.size() > 1;
  std::vector<std::string> inputs = o.logs, outputs;
  if (!o.field.empty()) inputs.push_back(o.field);
  if (!o.jobInfoPath.empty()) inputs.push_back(o.jobInfoPath);
  for (const std::string& log : o.logs) {
    // Every file of the export: each layer's and a Shapefile's companions.
    if (!o.exportPath.empty()) {
      const std::string exportPath = ExportPathFor(o.exportPath, log, several);
      const std::vector<std::string> files = GisExportEveryFile(exportPath);
      if (files.empty()) outputs.push_back(exportPath);
      outputs.insert(outputs.end(), files.begin(), files.end());
    }
    if (!o.htmlPath.empty()) outputs.push_back(ExportPathFor(o.htmlPath, log, several));
    if (!o.pdfPath.empty()) {
      // A proof of application is never put where a folder stands, nor
      // after other files were written.
      const std::string pdfPath = ExportPathFor(o.pdfPath, log, several);
      std::error_code error;
      if (std::filesystem::is_directory(os::NativePath(pdfPath), error)) {
        printer.PrintError("zeltlog-cli: " + pdfPath + ": cannot be written: a folder has that name; nothing written");
        return 1;
      }
      outputs.push_back(pdfPath);
    }
  }
  // TASKDATA: OUT itself, a zip or a folder that is no input.
  if (!o.isoxmlPath.empty()) outputs.push_back(o.isoxmlPath);
  if (!OutputsAreNewFiles(inputs, outputs, {})) return 1;
  LonLatMultiPolygon field;
  if (!o.field.empty()) {
    PolygonFile file;
    const std::string problem = ReadFieldFile(o.field, file);
    if (!problem.empty() || file.polygons.empty()) {
      CommandResult unread;
      unread.Unreadable(problem.empty() ? "it holds no polygon" : problem);
      return ReportCommandResult(printer, o.field, unread);
    }
    field = std::move(file.polygons);
  }
  // A job-info file that cannot be taken stops the report before any log:
  // a record without what the user wrote in it is not the one asked for.
  std::optional<JobInfo> jobInfo;
  if (!o.jobInfoPath.empty()) {
    JobInfoReading reading = ReadJobInfoFile(o.jobInfoPath);
    for (const std::string& warning : reading.warnings) printer.PrintError("zeltlog-cli: " + warning);
    if (!reading.info) {
      printer.PrintError("zeltlog-cli: " + reading.error);
      return 1;
    }
    jobInfo = std::move(reading.info);
  }
  const ReportUnits units = o.units == "us" ? ReportUnits::Us : ReportUnits::Metric;
  const RecordProfile* profile = o.checkRecord.empty() ? nullptr : FindRecordProfile(o.checkRecord);
  // TASKDATA's staging folder, once the inputs are known to be good.
  TaskDataExport taskData;
  if (!o.isoxmlPath.empty()) {
    std::string error;
    if (!taskData.Begin(o.isoxmlPath, ZELTLOG_VERSION, error)) {
      CommandResult refused;
      refused.inputRead = true;
      refused.outputs.failed.push_back({o.isoxmlPath, error});
      return ReportCommandResult(printer, "", refused);
    }
  }
  int status = 0;
  std::vector<ReportedLog> reports;
  RecordPdfRequest pdf;
  pdf.paper = o.paper == "letter" ? PaperSize::Letter : PaperSize::A4;
  pdf.version = o.version;
  for (const std::string& log : o.logs) {
    const std::string exportPath = o.exportPath.empty() ? "" : ExportPathFor(o.exportPath, log, several);
    const std::string pagePath = o.htmlPath.empty() ? "" : ExportPathFor(o.htmlPath, log, several);
    pdf.path = o.pdfPath.empty() ? "" : ExportPathFor(o.pdfPath, log, several);
    CoverageReportOutcome outcome = RunCoverageReport(log, o.field.empty() ? nullptr : &field, exportPath, pagePath,
                                                      jobInfo ? &*jobInfo : nullptr, units, &pdf,
                                                      o.isoxmlPath.empty() ? nullptr : &taskData);
    LogRecord record{std::move(outcome.job), std::move(outcome.logSha256), profile, {}};
    if (profile) record.missing = MissingRecordFields(*profile, record.job, ComputedFiguresOf(outcome.report));
    // A damaged log is reported from what could be read, as convert draws it.
    if (outcome.result.inputRead && !o.json) {
      if (!reports.empty()) printer.Print("");
      printer.Print(WithoutLastLineEnd(FormatReportTable(outcome.report, &record, units)));
    }
    if (ReportCommandResult(printer, log, outcome.result) != 0) status = 1;
    if (outcome.result.inputRead && o.strict && !record.missing.empty()) {
      std::string missing;
      for (const std::string& field : record.missing) missing.append(missing.empty() ? "" : ", ").append(field);
      printer.PrintError("zeltlog-cli: " + log + ": the job's record lacks what " + profile->name + " asks for: " +
                         missing);
      status = 1;
    }
    if (outcome.result.inputRead) {
      reports.push_back({std::move(outcome.report), std::move(record)});
    } else if (o.json) {
      // The JSON names every log it was given, a failed one with its error.
      CoverageReport failed;
      failed.log = log;
      for (const std::string& problem : outcome.result.problems) {
        failed.error.append(failed.error.empty() ? "" : "; ").append(problem);
      }
      if (failed.error.empty()) failed.error = "cannot be read";
      reports.push_back({std::move(failed), std::nullopt});
    }
  }
  if (!o.isoxmlPath.empty()) {
    // The logs' tasks in one TASKDATA, once every log is reported.
    CommandResult exported;
    exported.inputRead = true;
    std::string error;
    if (taskData.Finish(error)) {
      exported.outputs.written.push_back(taskData.Target());
    } else {
      exported.outputs.failed.push_back({o.isoxmlPath, error});
    }
    if (ReportCommandResult(printer, "", exported) != 0) status = 1;
  }
  if (o.json) printer.PrintReport(WithoutLastLineEnd(FormatReportJson(reports)));
  return status;
}

}  // namespace zeltlog::cli
