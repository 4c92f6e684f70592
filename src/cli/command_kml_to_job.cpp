// zeltlog-cli kml-to-job: a polygon in a KML file to a FLYDEX job file
// beside it, the written lines echoed as the event list shows them.
#include <cstdio>
#include <memory>

#include "cli/cli_platform.h"
#include "cli/commands.h"
#include "cli/events_file.h"
#include "cli/output_plan.h"
#include "converters/kml_to_job.h"
#include "core/output_names.h"

namespace zeltlog::cli {
namespace {

// The job lines are printed as they stand in the job file; the event list
// file keeps them as the window's list holds them, line ends included.
// The message boxes are left out: the tool reports refusals on standard
// error itself.
class JobPlatform : public CliPlatform {
 public:
  JobPlatform(const OutputOptions& options, EventLines* events)
      : CliPlatform(options, nullptr, true), events_(events) {}

  void AddEvent(EventKind kind, std::string_view line) override {
    if (events_) events_->Add(line);
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    CliPlatform::AddEvent(kind, line);
  }
  bool WantsEvents(EventKind kind) const override { return events_ != nullptr || CliPlatform::WantsEvents(kind); }
  void ShowMessage(std::string_view) override {}

 private:
  EventLines* events_;
};

}  // namespace

int RunKmlToJob(const CommonOptions& common, const KmlToJobCommandOptions& o) {
  if (!OutputsAreNewFiles({o.kml}, JobOutputs(o), common)) return 1;
  EventsFile events;
  if (!events.Open(common)) return 1;
  int status = 0;
  {
    OutputOptions output{common.verbose, false, false, EventsToStandardOutput(common)};
    JobPlatform platform(output, events.writer());
    ConversionSession session(platform, platform, platform);
    KmlToJobOptions options;
    options.jobName = o.name;
    options.boundaryKind = o.exclude ? 1 : 0;
    options.jobNumber = o.number;
    // The job file lands beside the KML, as after choosing it in the window.
    session.lastChosenFolder = FolderOf(o.kml);
    const CommandResult result = ConvertKmlToJobOn(session, options, o.kml);
    status = ReportCommandResult(platform, o.kml, result);
  }
  if (!events.Close()) status = 1;
  return status;
}

}  // namespace zeltlog::cli
