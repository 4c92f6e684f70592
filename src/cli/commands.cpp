#include "cli/commands.h"

#include <CLI/CLI.hpp>

namespace zeltlog::cli {
namespace {

void AddCommonOptions(CLI::App* command, CommonOptions& common) {
  command->add_option("--events", common.eventsPath,
                      "Write the whole event list to FILE, in the exported DATA.DAT format")
      ->type_name("FILE");
  command->add_flag("-v,--verbose", common.verbose, "Print every event line on standard output");
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
      ->check(CLI::Range(-2.0, 2.0))
      ->default_val(0.2)
      ->type_name("SECONDS");
  convert->add_flag("--open", o.open, "Open the documents written in the desktop's KML viewer");
  convert->add_option("-j,--jobs", o.jobs, "Convert N logs at a time")->check(CLI::Range(1, 64))->type_name("N");
  AddCommonOptions(convert, commands.common);
  convert->callback([&commands] { commands.Select([&commands] { return RunConvert(commands.common, commands.convert); }); });
}

}  // namespace zeltlog::cli
