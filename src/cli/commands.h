// The subcommands of zeltlog-cli: each parses its options into a small
// object and runs over the library.
#pragma once

#include <functional>

#include <string>
#include <vector>

#ifdef ZELTLOG_WITH_ANALYSIS
#include "cli/command_archive.h"
#include "cli/command_report.h"
#endif

namespace CLI {
class App;
}

namespace zeltlog {
struct ConversionSession;
struct CommandResult;
}  // namespace zeltlog

namespace zeltlog::cli {

// Seconds each fix is moved forward by, unless told otherwise: the window's
// value after its first second.
inline constexpr double kDefaultSprayProjection = 0.2;

class CliPlatform;

// Options every subcommand shares.
struct CommonOptions {
  std::string eventsPath;
  bool verbose = false;
};

struct ConvertOptions {
  std::vector<std::string> logs;
  bool noPath = false;
  bool noMarks = false;
  bool noBoundaries = false;
  double sprayProjection = kDefaultSprayProjection;
  bool open = false;
  int jobs = 1;
  bool json = false;   // one JSON report per log on standard output, nothing else there
  bool quiet = false;  // no progress display
  bool kmz = false;    // each document zipped as a KMZ
  bool ogc = false;    // documents valid against the OGC KML 2.2 schema
  bool time = false;   // quads and path points carry their time
  std::string colorBy;  // "rate": quads styled by applied rate; empty: one style
};

struct KmlToJobCommandOptions {
  std::string kml;
  std::string name;
  bool exclude = false;
  int number = 1;
};

class CommandSet {
 public:
  // Runs the subcommand that was parsed; returns the exit status.
  int Run() const { return run_ ? run_() : 2; }
  void Select(std::function<int()> run) { run_ = std::move(run); }

  CommonOptions common;
  ConvertOptions convert;
  KmlToJobCommandOptions kmlToJob;
  std::vector<std::string> bin1Inputs;
  std::vector<std::string> rq7Inputs;
#ifdef ZELTLOG_WITH_ANALYSIS
  ReportCommandOptions report;
  ArchiveCommandOptions archive;
#endif

 private:
  std::function<int()> run_;
};

void RegisterCommands(CLI::App& app, CommandSet& commands);

int RunConvert(const CommonOptions& common, const ConvertOptions& options);
int RunKmlToJob(const CommonOptions& common, const KmlToJobCommandOptions& options);
// The one reporter of every subcommand: prints the outputs written and the
// problems of one input; returns its exit status (0 or 1).
int ReportCommandResult(CliPlatform& platform, const std::string& input, const CommandResult& result);
// The problems of one input as the reporter words them, without the
// program's name: "<input>: <problem>" or "<output>: cannot be written: ...".
std::vector<std::string> ProblemMessages(const std::string& input, const CommandResult& result);
// Runs a side converter over each input in turn with one event list;
// `outputsOf` names the files it writes for an input.
int RunSideConverter(const CommonOptions& common, const std::vector<std::string>& inputs,
                     CommandResult (*convert)(ConversionSession&, const std::string&),
                     std::vector<std::string> (*outputsOf)(const std::string&));

int RunBin1(const CommonOptions& common, const std::vector<std::string>& inputs);
int RunRq7(const CommonOptions& common, const std::vector<std::string>& inputs);

}  // namespace zeltlog::cli
