// The subcommands of zeltlog-cli: each parses its options into a small
// object and runs over the library.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace zeltlog::cli {

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
  double sprayProjection = 0.2;
  bool open = false;
  int jobs = 1;
};

class CommandSet {
 public:
  // Runs the subcommand that was parsed; returns the exit status.
  int Run() const { return run_ ? run_() : 2; }
  void Select(std::function<int()> run) { run_ = std::move(run); }

  CommonOptions common;
  ConvertOptions convert;

 private:
  std::function<int()> run_;
};

void RegisterCommands(CLI::App& app, CommandSet& commands);

int RunConvert(const CommonOptions& common, const ConvertOptions& options);

}  // namespace zeltlog::cli
