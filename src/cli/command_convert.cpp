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
#include "core/log_conversion.h"
#include "core/output_names.h"

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

// The JSON report of one log, from what the session and the outcome hold.
LogReport ReportOf(const std::string& path, const ConversionSession& s, const ConversionOutcome& outcome,
                   std::vector<std::string> errors) {
  LogReport r;
  r.log = path;
  // The header line reads "Version: " and the console's text up to its NUL.
  const std::string_view header = std::string_view(s.headerText).substr(0, s.headerText.find('\0'));
  constexpr std::string_view kVersionPrefix = "Version: ";
  if (header.size() > kVersionPrefix.size()) r.version = header.substr(kVersionPrefix.size());
  r.summaryRead = outcome.logRead;
  if (r.summaryRead) {
    r.latitudeMax = s.latitudeMax, r.latitudeMin = s.latitudeMin;
    r.longitudeMax = s.longitudeMax, r.longitudeMin = s.longitudeMin;
    r.distance = ExtentDistance(s.latitudeMax, s.latitudeMin, s.longitudeMax, s.longitudeMin);
    r.zoomLevel = s.zoomLevel;
    r.altitudeMax = s.altitudeMax, r.altitudeMin = s.altitudeMin;
    r.targetRatesSet = s.targetRateMax >= -900.0;
    r.targetRateMax = s.targetRateMax, r.targetRateMin = s.targetRateMin;
    r.actualRatesSet = s.actualRateMax >= -900.0;
    r.actualRateMax = s.actualRateMax, r.actualRateMin = s.actualRateMin;
    r.volume = s.tankUsed;
    // The start time is kept only in the end line's text ("Start:%3.3lf").
    constexpr std::string_view kStart = "Start:";
    if (std::string_view(s.runStartText).substr(0, kStart.size()) == kStart) {
      const char* first = s.runStartText.data() + kStart.size();
      r.timesSet = std::from_chars(first, s.runStartText.data() + s.runStartText.size(), r.startTime).ec == std::errc();
      r.endTime = s.currentTime;
    }
    r.fixes = s.runPositionCount;
    r.goodRecords = s.goodRecordCount;
    r.checksumErrors = s.checksumErrorCount;
  }
  r.outputs = outcome.documentsWritten;
  r.errors = std::move(errors);
  return r;
}

bool StandardOutputTaken(const CommonOptions& common, const ConvertOptions& o) {
  return o.json || EventsToStandardOutput(common);
}

// Converts one log; returns 0 when everything was read and written.
int ConvertOne(const std::string& path, const ConvertOptions& o, CliPlatform& platform) {
  ConversionSession session(platform);
  session.lineOutput = o.noPath ? 0 : 1;
  session.marksOutput = o.noMarks ? 0 : 1;
  session.boundaryOutput = o.noMarks || o.noBoundaries ? 0 : 1;
  session.sprayProjection = o.sprayProjection;
  platform.SetProgressLabel(std::string(FileNameOf(path)));

  const ConversionOutcome outcome = RunLogConversionOn(session, path);
  for (const auto& written : outcome.documentsWritten) platform.Print(written);
  std::vector<std::string> errors;
  if (!outcome.logRead) {
    errors.push_back(path + ": " + outcome.logError);
  } else {
    for (const auto& failed : outcome.documentsFailed) errors.push_back(failed.path + ": cannot be written: " + failed.reason);
    if (outcome.endedInsideFrame) errors.push_back(path + ": the log ends inside a frame (truncated)");
    if (!outcome.logError.empty()) errors.push_back(path + ": " + outcome.logError);
  }
  for (const auto& error : errors) platform.PrintError("zeltlog-cli: " + error);
  if (o.json) platform.PrintReport(JsonReportLine(ReportOf(path, session, outcome, errors)));
  return outcome.Succeeded() ? 0 : 1;
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
