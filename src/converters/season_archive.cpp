#include "converters/season_archive.h"

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "core/os.h"
#include "core/same_file.h"
#include "coverage/report_format.h"
#include "gis/gis_module.h"

namespace zeltlog {
namespace {

bool NamedInEnvironment() {
  const char* named = std::getenv("ZELTLOG_ARCHIVE");
  return named && *named;
}

// The archive's job of one log's report.
ArchiveJob ArchiveJobOf(const std::string& log, const CoverageReportOutcome& outcome) {
  const ApplicationRecord& record = outcome.job.record;
  ArchiveJob job;
  job.hash = outcome.logSha256;
  job.log = log;
  job.farm = record.farm;
  job.field = record.field;
  job.operatorName = record.operatorName;
  job.machine = record.machine;
  job.operation = record.operation;
  job.crop = record.crop;
  job.client = outcome.job.info.client;
  job.product = outcome.job.info.product;
  job.date = record.date;
  job.start = record.start;
  job.finish = record.finish;
  job.timeZone = record.timeZone;
  for (const WeatherObservation& w : record.weather) {
    job.weather.push_back({w.time, w.windSpeed.value, w.windDirection.value, w.temperature.value, w.humidity.value});
  }
  job.marks = outcome.marks;
  job.report = &outcome.report;
  return job;
}

}  // namespace

std::string SeasonArchiveOf(const std::string& named) {
  if (!named.empty()) return named;
  if (NamedInEnvironment()) return std::getenv("ZELTLOG_ARCHIVE");
  // Relative values of XDG_DATA_HOME are to be ignored.
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && data[0] == '/') {
    return std::string(data) + "/zeltlog/archive.gpkg";
  }
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : ".") + "/.local/share/zeltlog/archive.gpkg";
}

void MakeDefaultArchiveFolder(const std::string& named) {
  if (!named.empty() || NamedInEnvironment()) return;
  std::error_code ignored;
  std::filesystem::create_directories(os::NativePath(SeasonArchiveOf("")).parent_path(), ignored);
}

ArchivedLog StoreInArchive(const std::string& archive, const std::string& log, const CoverageReportOutcome& outcome,
                           bool update, const std::string* groundWkb) {
  ArchivedLog stored;
  ArchiveJob job = ArchiveJobOf(log, outcome);
  job.groundWkb = groundWkb;
  stored.added = ArchiveAddJobWithModule(archive, job, update);
  const ArchiveAddResult& added = stored.added;
  if (!added.ok()) {
    stored.problem = log + ": not stored: " + added.error;
    return stored;
  }
  const std::string id = "job " + std::to_string(added.id) + " (" + outcome.logSha256.substr(0, 12) + ")";
  const std::string sprayed = FixedText(outcome.report.sprayedAreaHa, 2) + " ha sprayed";
  switch (added.stored) {
    case ArchiveStore::Added:
      stored.said = log + ": stored as " + id + ": " + sprayed;
      break;
    case ArchiveStore::Updated:
      stored.said = log + ": " + id + " updated: " + sprayed;
      break;
    case ArchiveStore::AlreadyThere:
      stored.said = log + ": already stored as " + id + "; nothing stored";
      break;
  }
  if (!added.warning.empty()) stored.problem = log + ": stored, but " + added.warning;
  return stored;
}

CommandResult AddLogToArchive(ConversionSession& s, const std::string& log, const std::string& jobInfoPath) {
  CommandResult result;
  result.chosen = true;
  bool refused = false;
  const std::optional<JobInfo> jobInfo = TakeJobInfo(s, jobInfoPath, refused);
  if (refused) return result;
  const std::string archive = SeasonArchiveOf("");
  std::vector<std::string> inputs{log};
  if (!jobInfoPath.empty()) inputs.push_back(jobInfoPath);
  if (archive.rfind("PG:", 0) != 0) {
    if (const auto same = FindSameFile(inputs, {archive})) {
      result.inputRead = true;
      result.problems.push_back(log + ": not stored: " + archive + " is the same file as the input " + same->existing);
      s.AddEvent(EventKind::Error, result.problems.back());
      return result;
    }
    MakeDefaultArchiveFolder("");
  }
  const CoverageReportOutcome outcome = ReportCoverageQuietly(s.progress, s.options.sprayProjection, log, nullptr, "",
                                                              "", jobInfo ? &*jobInfo : nullptr);
  result = outcome.result;
  if (!result.inputRead) {
    result.problems.push_back(log + ": not stored: " + (result.problems.empty() ? "cannot be read" : result.problems.front()));
    s.AddEvent(EventKind::Error, result.problems.back());
    return result;
  }
  const ArchivedLog stored = StoreInArchive(archive, log, outcome, jobInfo.has_value());
  if (!stored.said.empty()) s.AddEvent(EventKind::Summary, stored.said);
  if (!stored.problem.empty()) {
    s.AddEvent(EventKind::Error, stored.problem);
    result.problems.push_back(stored.problem);
  }
  return result;
}

}  // namespace zeltlog
