// What the side converters' subcommands share: the event list file, one
// session per input, and the report of each input.
#include <cstdio>
#include <memory>

#include "cli/cli_platform.h"
#include "cli/commands.h"
#include "cli/events_file.h"
#include "cli/output_plan.h"
#include "core/command_result.h"
#include "core/session.h"

namespace zeltlog::cli {

std::vector<std::string> ProblemMessages(const std::string& input, const CommandResult& result) {
  std::vector<std::string> messages;
  if (!result.inputRead) {
    for (const auto& problem : result.problems) messages.push_back(input + ": " + problem);
    return messages;
  }
  for (const auto& failed : result.outputs.failed) messages.push_back(failed.path + ": cannot be written: " + failed.reason);
  for (const auto& problem : result.problems) messages.push_back(input + ": " + problem);
  return messages;
}

int ReportCommandResult(CliPlatform& platform, const std::string& input, const CommandResult& result) {
  for (const auto& written : result.outputs.written) platform.Print(written);
  for (const auto& message : ProblemMessages(input, result)) platform.PrintError("zeltlog-cli: " + message);
  return result.Succeeded() ? 0 : 1;
}

int RunSideConverter(const CommonOptions& common, const std::vector<std::string>& inputs,
                     CommandResult (*convert)(ConversionSession&, const std::string&),
                     std::vector<std::string> (*outputsOf)(const std::string&)) {
  std::vector<std::string> outputs;
  for (const auto& input : inputs) {
    for (auto& output : outputsOf(input)) outputs.push_back(std::move(output));
  }
  if (!OutputsAreNewFiles(inputs, std::move(outputs), common)) return 1;
  EventsFile events;
  if (!events.Open(common)) return 1;
  int status = 0;
  {
    OutputOptions output{common.verbose, false, false, EventsToStandardOutput(common)};
    CliPlatform platform(output, events.writer(), true);
    for (const auto& input : inputs) {
      // Each input starts from a fresh session, as a fresh window would.
      ConversionSession session(platform, platform, platform);
      const CommandResult result = convert(session, input);
      if (ReportCommandResult(platform, input, result) != 0) status = 1;
    }
  }
  if (!events.Close()) status = 1;
  return status;
}

}  // namespace zeltlog::cli
