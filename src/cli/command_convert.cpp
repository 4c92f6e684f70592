#include <atomic>
#include <charconv>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>

#include "cli/cli_platform.h"
#include "cli/commands.h"
#include "cli/events_file.h"
#include "cli/json_report.h"
#include "core/byte_reader.h"
#include "pipeline/log_conversion.h"
#include "core/output_names.h"
#include "sinks/event_lines.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace zeltlog::cli {
namespace {

bool StandardErrorIsTerminal() {
#ifdef _WIN32
  return false;
#else
  return isatty(fileno(stderr)) != 0;
#endif
}

// Gathers the JSON report's figures from the same records and geometry the
// documents are drawn from.
class ReportSink : public Sink {
 public:
  explicit ReportSink(LogReport& report) : r_(report) {}
  void OnBegin(const PrescanFigures& f) override {
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
  ConversionSession session(platform);
  session.options.lineOutput = o.noPath ? 0 : 1;
  session.options.marksOutput = o.noMarks ? 0 : 1;
  session.options.boundaryOutput = o.noMarks || o.noBoundaries ? 0 : 1;
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
  const int status = ReportCommandResult(platform, path, result);
  if (o.json) {
    report.log = path;
    report.outputs = result.outputs.written;
    report.errors = ProblemMessages(path, result);
    platform.PrintReport(JsonReportLine(report));
  }
  return status;
}

// Appends a finished per-log event file to the combined one.
void AppendFile(const std::string& from, EventLines& to) {
  ByteReader reader;
  if (!reader.Open(from)) return;
  std::string line;
  for (int byte = reader.ReadByte(); byte >= 0; byte = reader.ReadByte()) {
    if (byte == '\n') {
      to.Add(line);
      line.clear();
    } else {
      line.push_back(static_cast<char>(byte));
    }
  }
  reader.Close();
  std::remove(from.c_str());
}

int RunParallel(const CommonOptions& common, const ConvertOptions& o, EventsFile& eventsFile) {
  EventLines* events = eventsFile.writer();
  const size_t count = o.logs.size();
  struct Job {
    std::unique_ptr<CliPlatform> platform;
    std::unique_ptr<EventLines> events;
    std::string eventsPath;
    int status = 0;
    bool done = false;
  };
  std::vector<Job> jobs(count);
  std::mutex mutex;
  std::condition_variable finished;
  std::atomic<size_t> next{0};
  OutputOptions output{common.verbose, o.open, false, StandardOutputTaken(common, o)};

  auto worker = [&] {
    for (size_t i = next++; i < count; i = next++) {
      Job& job = jobs[i];
      if (events) {
        // Each log's lines go to a file of their own, joined in order later.
        job.events = std::make_unique<EventLines>();
        job.eventsPath = eventsFile.PartPath(i);
        if (!job.events->OpenRaw(job.eventsPath)) job.events.reset();
      }
      job.platform = std::make_unique<CliPlatform>(output, job.events.get(), false);
      job.status = ConvertOne(o.logs[i], o, *job.platform);
      if (job.events) job.events->Close();
      std::lock_guard<std::mutex> lock(mutex);
      job.done = true;
      finished.notify_all();
    }
  };
  std::vector<std::thread> threads;
  const size_t workers = std::min<size_t>(static_cast<size_t>(o.jobs), count);
  for (size_t i = 0; i < workers; ++i) threads.emplace_back(worker);

  int status = 0;
  for (size_t i = 0; i < count; ++i) {
    std::unique_lock<std::mutex> lock(mutex);
    finished.wait(lock, [&] { return jobs[i].done; });
    lock.unlock();
    jobs[i].platform->Flush();
    if (events && !jobs[i].eventsPath.empty()) AppendFile(jobs[i].eventsPath, *events);
    if (jobs[i].status != 0) status = 1;
    jobs[i].platform.reset();
  }
  for (auto& thread : threads) thread.join();
  return status;
}

}  // namespace

int RunConvert(const CommonOptions& common, const ConvertOptions& o) {
  EventsFile events;
  if (!events.Open(common)) return 1;
  int status = 0;
  if (o.jobs > 1 && o.logs.size() > 1) {
    status = RunParallel(common, o, events);
  } else {
    OutputOptions output{common.verbose, o.open, !o.quiet && StandardErrorIsTerminal(), StandardOutputTaken(common, o)};
    CliPlatform platform(output, events.writer(), true);
    for (const auto& log : o.logs) {
      if (ConvertOne(log, o, platform) != 0) status = 1;
    }
  }
  if (!events.Close()) status = 1;
  return status;
}

}  // namespace zeltlog::cli
