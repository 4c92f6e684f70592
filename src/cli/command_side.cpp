// What the side converters' subcommands share: the event list file, one
// session per input, and the report of each input.
#include <cstdio>
#include <memory>

#include "cli/cli_platform.h"
#include "cli/commands.h"
#include "cli/events_file.h"
#include "cli/output_plan.h"
#include "converters/side_result.h"
#include "core/session.h"

namespace zeltlog::cli {

int ReportSideResult(CliPlatform& platform, const std::string& input, const SideResult& result) {
  for (const auto& written : result.written) platform.Print(written);
  if (!result.inputRead) {
    platform.PrintError("zeltlog-cli: " + input + ": " + result.inputError);
    return 1;
  }
  for (const auto& failed : result.failed) {
    platform.PrintError("zeltlog-cli: " + failed.path + ": cannot be written: " + failed.reason);
  }
  if (!result.refusal.empty()) platform.PrintError("zeltlog-cli: " + input + ": " + result.refusal);
  if (!result.inputError.empty()) platform.PrintError("zeltlog-cli: " + input + ": " + result.inputError);
  return result.Succeeded() ? 0 : 1;
}

int RunSideConverter(const CommonOptions& common, const std::vector<std::string>& inputs,
                     SideResult (*convert)(ConversionSession&, const std::string&),
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
    OutputOptions output{common.verbose, false, false};
    CliPlatform platform(output, events.writer(), true);
    for (const auto& input : inputs) {
      // Each input starts from a fresh session, as a fresh window would.
      ConversionSession session(platform);
      const SideResult result = convert(session, input);
      if (ReportSideResult(platform, input, result) != 0) status = 1;
    }
  }
  if (!events.Close()) status = 1;
  return status;
}

}  // namespace zeltlog::cli
