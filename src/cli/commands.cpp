#include "cli/commands.h"

#include <CLI/CLI.hpp>
#include <cmath>

#include "cli/event_lines.h"
#include "cli/file_name_option.h"
#include "converters/kml_to_job.h"

namespace zeltlog::cli {
namespace {

void AddCommonOptions(CLI::App* command, CommonOptions& common) {
  NamesAFile(command->add_option("--events", common.eventsPath,
                                 "Write the whole event list to FILE, in the exported DATA.DAT format; - for "
                                 "standard output"))
      ->type_name("FILE");
  command->add_flag("-v,--verbose", common.verbose, "Print every event line on standard output");
}

// Standard output carries one thing: the event list with --events -, the
// reports with --json, or the tool's lines (every event line with -v).
void CheckStandardOutput(const CommonOptions& common, bool json) {
  const bool eventsThere = common.eventsPath == kStandardOutputName;
  if (eventsThere && common.verbose) throw CLI::ValidationError("--events - and -v both write to standard output");
  if (eventsThere && json) throw CLI::ValidationError("--events - and --json both write to standard output");
  if (json && common.verbose) throw CLI::ValidationError("--json and -v both write to standard output");
}

}  // namespace

void RegisterCommands(CLI::App& app, CommandSet& commands) {
  CLI::App* convert = app.add_subcommand(
      "convert", "Convert guidance logs to KML: base.KML (flight path), base_SIC.KML (swaths), base_M.KML (marks)");
  ConvertOptions& o = commands.convert;
  convert->add_option("LOG", o.logs, "Guidance logs to convert")->required();
  convert->add_flag("--no-path", o.noPath, "Do not write the flight-path document");
  convert->add_flag("--no-marks", o.noMarks, "Do not write the marks document (nor boundary points)");
  convert->add_flag("--no-boundaries", o.noBoundaries, "Leave boundary points out of the marks document");
  convert->add_option("--spray-projection", o.sprayProjection, "Spray projection time in seconds")
      ->check(CLI::Validator(
          [](std::string& text) {
            // NaN passes every range test; it is no number of seconds.
            double value = 0.0;
            return CLI::detail::lexical_cast(text, value) && std::isnan(value) ? std::string("not a number")
                                                                                : std::string();
          },
          "", "NotANumber"))
      ->check(CLI::Range(-2.0, 2.0))
      ->default_val(kDefaultSprayProjection)
      ->type_name("SECONDS");
  convert->add_flag("--open", o.open, "Open the documents written in the desktop's KML viewer");
  convert->add_option("-j,--jobs", o.jobs, "Convert N logs at a time")->check(CLI::Range(1, 64))->type_name("N");
  convert->add_flag("--json", o.json,
                    "Print one JSON object per log on standard output (summary figures, documents written, errors) "
                    "and nothing else there");
  convert->add_flag("-q,--quiet", o.quiet, "Show no progress display on a terminal");
#ifdef ZELTLOG_WITH_ANALYSIS
  convert->add_flag("--kmz", o.kmz, "Write each document as a KMZ (zipped doc.kml): base.KMZ, base_SIC.KMZ, base_M.KMZ");
#endif
  convert->add_flag("--ogc", o.ogc, "Write documents valid against the OGC KML 2.2 schema");
  convert->add_flag("--time", o.time,
                    "Give each swath quad and path segment its date and time, for a viewer's time slider "
                    "(documents as with --ogc)");
  convert->add_option("--color-by", o.colorBy,
                      "rate: colour each swath quad by the rate applied against the target, with a legend "
                      "(documents as with --ogc)")
      ->check(CLI::IsMember({"rate"}))
      ->type_name("WHAT");
  AddCommonOptions(convert, commands.common);
  convert->callback([&commands] {
    CheckStandardOutput(commands.common, commands.convert.json);
    commands.Select([&commands] { return RunConvert(commands.common, commands.convert); });
  });

#ifdef ZELTLOG_WITH_ANALYSIS
  CLI::App* report = AddReportCommand(app, commands.report);
  report->callback([&commands] { commands.Select([&commands] { return RunReport(commands.report); }); });
  AddArchiveCommand(app, commands);
#endif

  CLI::App* kmlToJob = app.add_subcommand(
      "kml-to-job", "Turn a polygon drawn in a map viewer (KML) into a FLYDEX job file named NAME beside the KML");
  KmlToJobCommandOptions& j = commands.kmlToJob;
  kmlToJob->add_option("KML", j.kml, "KML file holding the polygon")->required();
  kmlToJob->add_option("--name", j.name, "Job name, up to 20 characters; also the job file's name")
      ->required()
      ->check(CLI::Validator(
          [](std::string& name) {
            return name.size() > kMaxJobNameLength ? std::string("the job name has more than 20 characters")
                                                   : std::string();
          },
          "up to 20 characters"))
      ->type_name("NAME");
  kmlToJob->add_flag("--exclude", j.exclude, "The polygon is an exclusion boundary (default: inclusion)");
  kmlToJob->add_option("--number", j.number, "Job number, 1 to 999, for a job name that is not a number")
      ->check(CLI::Range(kMinJobNumber, kMaxJobNumber))
      ->type_name("N");
  AddCommonOptions(kmlToJob, commands.common);
  kmlToJob->callback(
      [&commands] { CheckStandardOutput(commands.common, false); commands.Select([&commands] { return RunKmlToJob(commands.common, commands.kmlToJob); }); });

  CLI::App* bin1 = app.add_subcommand(
      "bin1", "Convert GPS binary message logs: base.CSV (fixes), base_AGE.KML, base_MODE.KML, base_SATS.KML");
  bin1->add_option("BIN", commands.bin1Inputs, "GPS binary message logs to convert")->required();
  AddCommonOptions(bin1, commands.common);
  bin1->callback([&commands] { CheckStandardOutput(commands.common, false); commands.Select([&commands] { return RunBin1(commands.common, commands.bin1Inputs); }); });

  CLI::App* rq7 = app.add_subcommand(
      "rq7", "Extract the GPS data blocks of controller logs into baseP.BIN, a GPS binary message log");
  rq7->add_option("BIN", commands.rq7Inputs, "Controller logs to process")->required();
  AddCommonOptions(rq7, commands.common);
  rq7->callback([&commands] { CheckStandardOutput(commands.common, false); commands.Select([&commands] { return RunRq7(commands.common, commands.rq7Inputs); }); });
}

}  // namespace zeltlog::cli
