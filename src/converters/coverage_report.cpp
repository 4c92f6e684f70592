#include "converters/coverage_report.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <thread>
#if defined(__GLIBC__)
#include <langinfo.h>
#include <locale.h>
#endif

#include "core/iso_time.h"
#include "core/name_text.h"
#include "core/output_names.h"
#include "core/output_set.h"
#include "core/same_file.h"
#include "core/sha256.h"
#include "core/staging_folder.h"
#include "coverage/coverage_module.h"
#include "coverage/map_page.h"
#include "coverage/report_format.h"
#include "coverage/taskdata_xml.h"
#include "gis/export_metadata.h"
#include "gis/gis_module.h"
#include "job_record/application_record_sink.h"
#include "pipeline/log_conversion.h"

namespace zeltlog {
namespace {

// A file written whole, every write checked; false with errno's reason.
bool WriteWholeFile(const std::string& path, const std::string& text, std::string& error) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    error = std::strerror(errno);
    return false;
  }
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size() && std::fflush(file) == 0;
  const int writeError = errno;
  const bool closed = std::fclose(file) == 0;
  if (written && closed) return true;
  error = std::strerror(written ? errno : writeError);
  return false;
}

// The layers and their metadata are written into a private folder beside
// their target, and take their places only once every file of the set is
// complete.
GisExportResult ExportThroughStagingFolder(const std::string& path, const CoverageData& data,
                                           const CoverageReport& report, const GisJobAttributes& job,
                                           const std::string& jobJson) {
  GisExportResult result;
  const std::string folder = FolderOf(path);
  StagingFolder staging;
  if (!staging.Create(folder, result.error)) {
    result.failedPath = path;
    return result;
  }
  const GisExportResult written =
      ExportCoverageLayersWithModule(JoinPath(staging.Path(), FileNameOf(path)), data, report, job);
  auto target = [&](const std::string& staged) { return JoinPath(folder, FileNameOf(staged)); };
  if (!written.ok()) {
    result.error = written.error;
    result.failedPath = written.failedPath.empty() ? path : target(written.failedPath);
    return result;
  }
  const std::string metadata = GisExportMetadataPath(path);
  const std::string text =
      FormatGisExportMetadata(path, report.fieldAreaHa.has_value(), job.zoneHours, job.record, jobJson);
  if (!WriteWholeFile(JoinPath(staging.Path(), FileNameOf(metadata)), text, result.error)) {
    result.failedPath = metadata;
    return result;
  }
  std::string failedName;
  if (!staging.Publish(failedName, result.error)) {
    result.failedPath = failedName.empty() ? path : JoinPath(folder, failedName);
    return result;
  }
  for (const std::string& staged : written.written) result.written.push_back(target(staged));
  result.written.push_back(metadata);
  return result;
}

// Writes a document made whole in memory through an output set of its own.
void WriteDocument(ConversionSession& session, const std::string& path, const std::string& bytes,
                   CommandResult& result) {
  OutputSet outputs(session.events);
  if (OutputFile* file = outputs.Create(path, OutputFile::Mode::Binary)) {
    file->WriteBytes(bytes.data(), bytes.size());
    outputs.Commit(file);
  }
  for (const std::string& written : outputs.report().written) result.outputs.written.push_back(written);
  for (const OutputFailure& failed : outputs.report().failed) result.outputs.failed.push_back(failed);
}

// Texts of a list, one after another.
std::string Joined(const std::vector<std::string>& texts) {
  std::string out;
  for (const std::string& text : texts) out.append(out.empty() ? "" : "; ").append(text);
  return out;
}

// What the layers carry of the job's record: the log's zone for their
// times, the product on every swath, and the record's texts on the
// coverage (the weather as logged at the start of the job).
GisJobAttributes AttributesOf(const JobRecord& job) {
  const ApplicationRecord& r = job.record;
  const JobInfo& i = job.info;
  std::vector<std::string> notes, mix;
  for (const JobNote& note : r.notes) notes.push_back(note.text);
  for (const TankMixEntry& entry : i.tankMix) mix.push_back(entry.product + " " + entry.rate);
  const WeatherObservation start = r.weather.empty() ? WeatherObservation{} : r.weather.front();
  GisJobAttributes a;
  a.zoneHours = r.timeZone;
  a.product = i.product;
  a.record = {{"farm", r.farm},
              {"field", r.field},
              {"operator", r.operatorName},
              {"machine", r.machine},
              {"operation", r.operation},
              {"crop", r.crop},
              {"product", i.product},
              {"reg_no", i.registration},
              {"actives", Joined(i.activeConstituents)},
              {"tank_mix", Joined(mix)},
              {"water_vol", i.waterVolume},
              {"client", i.client},
              {"address", i.address},
              {"aircraft", i.aircraft},
              {"applicator", i.applicator},
              {"licence", i.licence},
              {"date", r.date},
              {"start", r.start},
              {"finish", r.finish},
              {"time_zone", r.timeZone ? IsoZoneText(*r.timeZone) : ""},
              {"wind_speed", start.windSpeed.logged},
              {"wind_dir", start.windDirection.logged},
              {"temp", start.temperature.logged},
              {"humidity", start.humidity.logged},
              {"notes", Joined(notes)},
              {"presc_map", r.prescriptionMap},
              {"console", r.consoleVersion}};
  return a;
}

}  // namespace

CoverageReportOutcome ReportCoverageOf(ConversionSession& session, const std::string& log,
                                       const LonLatMultiPolygon* field, const std::string& exportPath,
                                       const std::string& pagePath, const JobInfo* jobInfo, ReportUnits units,
                                       const RecordPdfRequest* pdf, TaskDataExport* taskData) {
  CoverageReportOutcome outcome;
  CommandResult& result = outcome.result;
  result.chosen = true;
  if (!CoverageModuleProblem().empty()) {
    result.Unreadable(CoverageModuleProblem());
    return outcome;
  }
  // The log's digest is read on a thread of its own beside the passes,
  // which take longer: where a core is free it costs no time.
  std::string digest, digestProblem;
  std::thread hashing([&] { digest = Sha256OfFile(log, digestProblem); });
  CoverageSink sink;
  ApplicationRecordSink recordSink;
  std::vector<Sink*> sinks = {&sink, &recordSink};
  // The time log takes the records as they come.
  std::unique_ptr<TimeLogSink> timeLog = taskData ? taskData->NextTimeLog() : nullptr;
  if (timeLog) sinks.push_back(timeLog.get());
  const CommandResult passes = RunLogAnalysis(session, log, sinks);
  hashing.join();
  // The report words what is wrong with the log as one problem.
  std::string damage;
  for (const std::string& problem : passes.problems) damage.append(damage.empty() ? "" : "; ").append(problem);
  if (!passes.inputRead) {
    result.Unreadable(damage.empty() ? "cannot be read" : damage);
    if (timeLog) taskData->DropTimeLog(*timeLog);
    return outcome;
  }
  result.inputRead = true;
  if (!damage.empty()) result.problems.push_back(damage);
  outcome.job = MergeJobInfo(recordSink.Record(), jobInfo ? *jobInfo : JobInfo{});
  outcome.logSha256 = std::move(digest);
  // Only a drawing of the skipped ground needs its polygons joined.
  const bool drawn = !exportPath.empty() || !pagePath.empty() || (pdf && !pdf->path.empty());
  outcome.report =
      ComputeCoverageWithModule(sink.data(), field, drawn ? SkippedGround::Joined : SkippedGround::AreaOnly);
  outcome.report.log = log;
  outcome.marks = sink.data().marks;
  for (const std::string& problem : outcome.report.problems) result.problems.push_back(problem);
  if (timeLog) taskData->AddTask(TaskDataTaskOf(log, outcome.report, outcome.job), *timeLog);
  if (!exportPath.empty()) {
    const LogRecord record{outcome.job, outcome.logSha256, nullptr, {}};
    GisExportResult exported = ExportThroughStagingFolder(exportPath, sink.data(), outcome.report,
                                                          AttributesOf(outcome.job), FormatJobJson(record));
    for (std::string& written : exported.written) result.outputs.written.push_back(std::move(written));
    if (!exported.ok()) result.outputs.failed.push_back({exported.failedPath, exported.error});
  }
  // The map page and the PDF draw the same layers.
  std::optional<MapLayers> layers;
  auto mapLayers = [&]() -> const MapLayers& {
    if (!layers) layers = ComputeMapLayersWithModule(sink.data());
    return *layers;
  };
  if (!pagePath.empty()) {
    const LogRecord record{outcome.job, outcome.logSha256, nullptr, {}};
    WriteDocument(session, pagePath, FormatMapPage(outcome.report, mapLayers(), sink.data().marks, &record, units),
                  result);
  }
  if (pdf && !pdf->path.empty()) {
    const RecordPdf drawn = DrawRecordPdfWithModule({outcome.job, outcome.report, mapLayers(), sink.data().marks,
                                                     Utf8OfName(log), outcome.logSha256, pdf->version, pdf->paper,
                                                     units});
    if (drawn.error.empty()) {
      WriteDocument(session, pdf->path, drawn.bytes, result);
    } else {
      result.outputs.failed.push_back({pdf->path, drawn.error});
    }
  }
  return outcome;
}

CoverageReportOutcome ReportCoverageQuietly(Progress& progress, double sprayProjection, const std::string& log,
                                            const LonLatMultiPolygon* field, const std::string& exportPath,
                                            const std::string& pagePath, const JobInfo* jobInfo, ReportUnits units,
                                            const RecordPdfRequest* pdf, TaskDataExport* taskData) {
  UnreadEventLog events;
  Desktop none;
  ConversionSession session(events, progress, none);
  session.options.sprayProjection = sprayProjection;
  return ReportCoverageOf(session, log, field, exportPath, pagePath, jobInfo, units, pdf, taskData);
}

std::string MapPagePathOf(const std::string& log) { return OutputBase(log) + "_REPORT.html"; }
std::string RecordPdfPathOf(const std::string& log) { return OutputBase(log) + "_RECORD.pdf"; }
std::string TaskDataZipPathOf(const std::string& log) { return OutputBase(log) + "_TASKDATA.zip"; }

std::optional<JobInfo> TakeJobInfo(ConversionSession& s, const std::string& path, bool& refused) {
  refused = false;
  if (path.empty()) return std::nullopt;
  JobInfoReading reading = ReadJobInfoFile(path);
  for (const std::string& warning : reading.warnings) s.AddEvent(EventKind::Error, warning);
  if (!reading.info) {
    refused = true;
    s.desktop.ShowMessage(reading.error);
  }
  return std::move(reading.info);
}

CommandResult PickJobInfo(ConversionSession& s, std::string& jobInfoPath) {
  CommandResult result;
  const auto chosen = ChooseFileAndRememberFolder(s, kJobInfoFilter, "JSON");
  bool refused = false;
  result.chosen = chosen.has_value();
  result.inputRead = chosen && TakeJobInfo(s, *chosen, refused).has_value();
  jobInfoPath = result.inputRead ? *chosen : "";
  s.AddEvent(EventKind::Record, result.inputRead ? "JOB INFO: " + *chosen : "JOB INFO OFF");
  return result;
}

CommandResult RunMapReport(ConversionSession& s, const std::string& jobInfoPath, ReportUnits units) {
  bool refused = false;
  const std::optional<JobInfo> jobInfo = TakeJobInfo(s, jobInfoPath, refused);
  if (refused) return {};
  const auto chosen = ChooseFileAndRememberFolder(s, kLogFileFilter, "");
  if (!chosen) return {};
  CoverageReportOutcome outcome =
      ReportCoverageOf(s, *chosen, nullptr, "", MapPagePathOf(*chosen), jobInfo ? &*jobInfo : nullptr, units);
  if (!outcome.result.inputRead) return outcome.result;
  const LogRecord record{outcome.job, outcome.logSha256, nullptr, {}};
  const std::string table = FormatReportTable(outcome.report, &record, units);
  for (size_t start = 0; start < table.size();) {
    size_t end = table.find('\n', start);
    if (end == std::string::npos) end = table.size();
    s.AddEvent(EventKind::Summary, std::string_view(table).substr(start, end - start));
    start = end + 1;
  }
  return outcome.result;
}

namespace {

// The start of RECORD and TASKDATA: the job-info file taken, and `out`
// neither the log nor that file. False when the command stops there.
bool StartJobOutput(ConversionSession& s, const std::string& log, const std::string& jobInfoPath,
                    const std::string& out, std::optional<JobInfo>& jobInfo, CommandResult& result) {
  result.chosen = true;
  bool refused = false;
  jobInfo = TakeJobInfo(s, jobInfoPath, refused);
  if (refused) return false;
  std::vector<std::string> inputs{log};
  if (!jobInfoPath.empty()) inputs.push_back(jobInfoPath);
  if (const auto same = FindSameFile(inputs, {out})) {
    result.inputRead = true;
    result.outputs.failed.push_back({out, "it is the same file as the input " + same->existing + ": nothing written"});
    return false;
  }
  return true;
}

CommandResult ListWritten(ConversionSession& s, CommandResult result) {
  for (const std::string& written : result.outputs.written) s.AddEvent(EventKind::Summary, written + " written");
  return result;
}

}  // namespace

CommandResult WriteRecordPdfOf(ConversionSession& s, const std::string& log, const std::string& jobInfoPath,
                               PaperSize paper, const std::string& version, ReportUnits units) {
  CommandResult result;
  std::optional<JobInfo> jobInfo;
  const RecordPdfRequest pdf{RecordPdfPathOf(log), paper, version};
  if (!StartJobOutput(s, log, jobInfoPath, pdf.path, jobInfo, result)) return result;
  return ListWritten(s, ReportCoverageQuietly(s.progress, s.options.sprayProjection, log, nullptr, "", "",
                                              jobInfo ? &*jobInfo : nullptr, units, &pdf)
                            .result);
}

CommandResult WriteTaskDataOf(ConversionSession& s, const std::string& log, const std::string& jobInfoPath,
                              const std::string& version) {
  CommandResult result;
  std::optional<JobInfo> jobInfo;
  const std::string out = TaskDataZipPathOf(log);
  if (!StartJobOutput(s, log, jobInfoPath, out, jobInfo, result)) return result;
  TaskDataExport taskData;
  std::string error;
  if (!taskData.Begin(out, version, error)) {
    result.inputRead = true;
    result.outputs.failed.push_back({out, error});
    return result;
  }
  result = ReportCoverageQuietly(s.progress, s.options.sprayProjection, log, nullptr, "", "",
                                 jobInfo ? &*jobInfo : nullptr, ReportUnits::Metric, nullptr, &taskData)
               .result;
  if (!result.inputRead) return result;
  if (taskData.Finish(error)) {
    result.outputs.written.push_back(taskData.Target());
  } else {
    result.outputs.failed.push_back({out, error});
  }
  return ListWritten(s, std::move(result));
}

std::string JobOutputLeftOut(JobOutput output) {
  const char* reason = nullptr;
  switch (output) {
    case JobOutput::RecordPdf:
      reason = RecordPdfLeftOut();
      break;
    case JobOutput::TaskData:
      return TaskDataModuleLeftOut();
    case JobOutput::Archive:
      reason = GisFilesLeftOut();
      break;
  }
  return reason ? reason : "";
}

PaperSize LocalePaperSize() {
#if defined(__GLIBC__)
  // glibc keeps the paper's width in millimetres: 216 for US Letter.
  if (locale_t locale = newlocale(LC_PAPER_MASK, "", static_cast<locale_t>(0))) {
    // A number, given in the place of the text's pointer.
    const char* item = nl_langinfo_l(_NL_PAPER_WIDTH, locale);
    unsigned int width = 0;
    std::memcpy(&width, &item, sizeof width);
    freelocale(locale);
    return width == 216 ? PaperSize::Letter : PaperSize::A4;
  }
#endif
  return PaperSize::A4;
}

ReportUnits LocaleReportUnits() {
#if defined(__GLIBC__)
  // glibc keeps the system of measurement as a number: 1 metric, 2 US.
  if (locale_t locale = newlocale(LC_MEASUREMENT_MASK, "", static_cast<locale_t>(0))) {
    const char system = *nl_langinfo_l(_NL_MEASUREMENT_MEASUREMENT, locale);
    freelocale(locale);
    return system == 2 ? ReportUnits::Us : ReportUnits::Metric;
  }
#endif
  return ReportUnits::Metric;
}

}  // namespace zeltlog
