#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

#include "cli/cli_platform.h"
#include "cli/commands.h"
#include "cli/events_file.h"
#include "cli/json_report.h"
#include "cli/output_plan.h"
#include "cli/spool.h"
#include "cli/standard_output.h"
#include "core/output_names.h"
#include "pipeline/log_conversion.h"
#include "core/os.h"
#include "sinks/event_lines.h"

namespace zeltlog::cli {
namespace {

// Gathers the JSON report's figures from the same records and geometry the
// documents are drawn from.
class ReportSink : public Sink {
 public:
  explicit ReportSink(LogReport& report) : r_(report) {}
  void OnFigures(const PrescanFigures& f) override {
    r_.summaryRead = true;
    r_.latitudeMax = f.latitudeMax, r_.latitudeMin = f.latitudeMin;
    r_.longitudeMax = f.longitudeMax, r_.longitudeMin = f.longitudeMin;
    r_.distance = ExtentDistance(f.latitudeMax, f.latitudeMin, f.longitudeMax, f.longitudeMin);
    r_.zoomLevel = ZoomLevelFor(r_.distance);
    r_.altitudeMax = f.altitudeMax, r_.altitudeMin = f.altitudeMin;
    r_.targetRatesSet = f.targetRateMax >= -900.0;
    r_.targetRateMax = f.targetRateMax, r_.targetRateMin = f.targetRateMin;
    r_.actualRatesSet = f.actualRateMax >= -900.0;
    r_.actualRateMax = f.actualRateMax, r_.actualRateMin = f.actualRateMin;
    r_.volume = f.tankUsed;
  }
  void OnHeaderText(std::string_view text) override { r_.version = std::string(text); }
  void OnEnd(const RunEnd& end) override {
    r_.timesSet = end.anyFix;
    if (end.anyFix) r_.startTime = end.startTime, r_.endTime = end.endTime;
    r_.fixes = end.fixes;
    r_.goodRecords = end.goodFrames;
    r_.checksumErrors = end.checksumErrors;
  }

 private:
  LogReport& r_;
};

bool StandardOutputTaken(const CommonOptions& common, const ConvertOptions& o) {
  return o.json || EventsToStandardOutput(common);
}

// Converts one log; returns 0 when everything was read and written.
int ConvertOne(const std::string& path, const ConvertOptions& o, CliPlatform& platform) {
  ConversionSession session(platform, platform, platform);
  session.options.lineOutput = !o.noPath;
  session.options.marksOutput = !o.noMarks;
  session.options.boundaryOutput = !(o.noMarks || o.noBoundaries);
  session.options.sprayProjection = o.sprayProjection;
  session.options.kmz = o.kmz;
  session.options.ogcKml = o.ogc;
  session.options.timeStamps = o.time;
  session.options.rateColours = o.colorBy == "rate";
  platform.SetProgressLabel(std::string(FileNameOf(path)));
  LogReport report;
  ReportSink figures(report);
  std::vector<Sink*> extra;
  if (o.json) extra.push_back(&figures);
  const CommandResult result = RunLogConversionOn(session, path, extra);
  if (o.open) OpenInTurn(platform, DocumentsForViewer(session, path, result.outputs));
  const int status = ReportCommandResult(platform, path, result);
  if (o.json) {
    report.log = path;
    report.outputs = result.outputs.written;
    report.errors = ProblemMessages(path, result);
    platform.PrintReport(JsonReportLine(report));
  }
  return status;
}

// Cuts the bytes of a spooled event part back into lines for the combined
// list; `partial` carries a line across pieces.
void AddLines(std::string_view bytes, std::string& partial, EventLines& to) {
  for (size_t newline; (newline = bytes.find('\n')) != std::string_view::npos;) {
    if (partial.empty()) {
      to.Add(bytes.substr(0, newline));
    } else {
      partial.append(bytes.substr(0, newline));
      to.Add(partial);
      partial.clear();
    }
    bytes.remove_prefix(newline + 1);
  }
  partial.append(bytes);
}

std::string TemporaryFolder() {
  std::error_code ec;
  const auto folder = std::filesystem::temp_directory_path(ec);
  return ec ? std::string() : folder.string();
}

// Converts the logs `o.jobs` at a time; `eventsLost` is set when a log's
// event lines could not be kept for the combined list.
int RunParallel(const CommonOptions& common, const ConvertOptions& o, EventLines* events, bool& eventsLost) {
  const size_t count = o.logs.size();
  const size_t workers = std::min<size_t>(static_cast<size_t>(o.jobs), count);
  // Logs done ahead of their turn wait with their reports spooled; a few
  // turns ahead at most, so that neither memory nor open files grow with
  // the number of logs.
  const size_t lookAhead = 2 * workers;
  const std::string eventsFolder = FolderOf(common.eventsPath);
  const std::string reportFolder = TemporaryFolder();
  struct Job {
    std::unique_ptr<CliPlatform> platform;
    std::unique_ptr<Spool> eventsPart;
    std::unique_ptr<Spool> report;
    int status = 0;
    bool done = false;
  };
  std::vector<Job> jobs(count);
  std::mutex mutex;
  std::condition_variable finished;
  std::condition_variable printed;
  size_t nextToPrint = 0;
  std::atomic<size_t> next{0};
  OutputOptions output{common.verbose, o.open, false, StandardOutputTaken(common, o)};

  auto worker = [&] {
    for (size_t i = next++; i < count; i = next++) {
      {
        std::unique_lock<std::mutex> lock(mutex);
        printed.wait(lock, [&] { return i < nextToPrint + lookAhead; });
      }
      Job& job = jobs[i];
      job.platform = std::make_unique<CliPlatform>(output, nullptr, false);
      if (events) job.eventsPart = std::make_unique<Spool>(eventsFolder);
      job.report = std::make_unique<Spool>(reportFolder);
      job.platform->SpoolTo(job.eventsPart.get(), job.report.get());
      job.status = ConvertOne(o.logs[i], o, *job.platform);
      std::lock_guard<std::mutex> lock(mutex);
      job.done = true;
      finished.notify_all();
    }
  };
  std::vector<std::thread> threads;
  for (size_t i = 0; i < workers; ++i) threads.emplace_back(worker);

  int status = 0;
  for (size_t i = 0; i < count; ++i) {
    std::unique_lock<std::mutex> lock(mutex);
    finished.wait(lock, [&] { return jobs[i].done; });
    lock.unlock();
    Job& job = jobs[i];
    if (job.status != 0) status = 1;
    if (!job.report->ReadBack([](std::string_view bytes) { WriteStandardOutput(bytes); })) {
      job.platform->PrintError("zeltlog-cli: " + o.logs[i] + ": its report could not be kept: " + job.report->reason());
      status = 1;
    }
    job.platform->Flush();
    if (job.eventsPart) {
      std::string partial;
      if (!job.eventsPart->ReadBack([&](std::string_view bytes) { AddLines(bytes, partial, *events); })) {
        if (!eventsLost) {
          FlushStandardOutput();
          std::fprintf(stderr, "zeltlog-cli: %s: cannot be written: %s\n", common.eventsPath.c_str(),
                       job.eventsPart->reason().c_str());
        }
        eventsLost = true;
        status = 1;
      }
      if (!partial.empty()) events->Add(partial);
    }
    job = Job{};
    lock.lock();
    nextToPrint = i + 1;
    printed.notify_all();
  }
  for (auto& thread : threads) thread.join();
  return status;
}

}  // namespace

int RunConvert(const CommonOptions& common, const ConvertOptions& o) {
  if (!OutputsAreNewFiles(o.logs, ConvertOutputs(o), common)) return 1;
  EventsFile events;
  if (!events.Open(common)) return 1;
  int status = 0;
  if (o.jobs > 1 && o.logs.size() > 1) {
    bool eventsLost = false;
    status = RunParallel(common, o, events.writer(), eventsLost);
    if (eventsLost) events.Drop();
  } else {
    OutputOptions output{common.verbose, o.open, !o.quiet && os::StandardErrorIsTerminal(), StandardOutputTaken(common, o)};
    CliPlatform platform(output, events.writer(), true);
    for (const auto& log : o.logs) {
      if (ConvertOne(log, o, platform) != 0) status = 1;
    }
  }
  if (!events.Close()) status = 1;
  return status;
}

}  // namespace zeltlog::cli
