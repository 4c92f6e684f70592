// zeltlog-cli: the guidance-log conversion and the side converters from the
// command line. Only this file turns outcomes into messages and exit codes:
// 0 every input converted, 1 an input could not be read or an output not
// written, 2 a usage error.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/signals.h"
#include "cli/standard_output.h"
#include "core/temporary_file.h"
#include "zeltlog_version.h"

int main(int argc, char** argv) {
  // A file size limit or a reader of standard output that goes away shows
  // up as a failed write that is reported; line ends are not translated.
  zeltlog::cli::PrepareStandardStreams();
  zeltlog::cli::WatchInterruptingSignals();
  zeltlog::cli::EndRunWhenMemoryRunsOut();
  std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);

  CLI::App app{"ZELTLOG: guidance logs of spraying consoles to KML documents, and side converters.", "zeltlog-cli"};
  app.set_version_flag("--version", std::string("zeltlog-cli " ZELTLOG_VERSION_TEXT));
  app.require_subcommand(1);

  zeltlog::cli::CommandSet commands;
  zeltlog::cli::RegisterCommands(app, commands);
  commands.SetProgramVersion(ZELTLOG_VERSION_TEXT);
  // A path such as /logs/JOB.LOG is a path, not a Windows-style option.
  const auto unixStyleOnly = [](CLI::App* command, const auto& self) -> void {
    command->allow_windows_style_options(false);
    for (CLI::App* sub : command->get_subcommands({})) self(sub, self);
  };
  unixStyleOnly(&app, unixStyleOnly);

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return 2;
  }
  int status = 1;
  try {
    status = commands.Run();
  } catch (const std::exception& e) {
    // A thread or a file descriptor the system would not give.
    std::fprintf(stderr, "zeltlog-cli: the system refused a resource: %s\n", e.what());
    zeltlog::RemoveTemporaries(true);
    std::_Exit(1);
  }
  if (!zeltlog::cli::FinishStandardOutput()) status = 1;
  return status;
}
