// The coverage report of a guidance log: the log's passes feed a coverage
// sink, whose figures are computed against a field and, when asked, its
// layers exported as a GIS file. The command line's `report` and the
// window's "MAP REPORT" both run it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/command_result.h"
#include "core/session.h"
#include "converters/taskdata_export.h"
#include "coverage/coverage_data.h"
#include "coverage/coverage_report.h"
#include "coverage/report_format.h"
#include "coverage/record_pdf.h"
#include "gis/gis_export.h"
#include "job_record/job_info.h"

namespace zeltlog {

// What the report of one log did, as every command says it (the log read
// or not; what is wrong with the log, in one problem, then the figures'
// problems; the export's and the map page's files written or not), and
// the report itself when the log was read.
struct CoverageReportOutcome {
  CommandResult result;
  CoverageReport report;
  // The application record of the job, as the same pass over the log
  // gathered it, with the user's job-info file merged in when one was
  // given. Its start and finish are the local times of the log's first and
  // last fix (job.record.start, job.record.finish).
  JobRecord job;
  // The SHA-256 of the log's bytes, 64 lower-case hexadecimal digits;
  // empty when the log was not read.
  std::string logSha256;
  // The log's marks and boundary points, as the map page shows them.
  std::vector<CollectedMark> marks;
};

// The proof of application asked of a report: where it goes, on what
// paper, and the program's version it names.
struct RecordPdfRequest {
  std::string path;
  PaperSize paper = PaperSize::A4;
  std::string version;
};

// The report of one log, with the session's spray projection, against
// `field` (the log's boundary rings when it is null), exported to
// `exportPath` when it is not empty, and drawn on a map page written to
// `pagePath` when that is not empty. The event lines of the passes go to
// the session's event list. The job's record takes what `jobInfo` adds
// when it is not null; the map page shows it, in `units`, and so does the
// proof of application that `pdf` asks for when it is not null, with the
// figures and the map. With `taskData`, the pass streams the log's time log
// into it and the log becomes one of its tasks.
CoverageReportOutcome ReportCoverageOf(ConversionSession& session, const std::string& log,
                                       const LonLatMultiPolygon* field, const std::string& exportPath,
                                       const std::string& pagePath = "", const JobInfo* jobInfo = nullptr,
                                       ReportUnits units = ReportUnits::Metric, const RecordPdfRequest* pdf = nullptr,
                                       TaskDataExport* taskData = nullptr);

// The report of one log as the command line makes it: the passes' event
// lines go nowhere, the long read's progress goes to `progress`, and the
// swaths are drawn `sprayProjection` seconds ahead. `report` and `archive
// add` print it; the window's RECORD, TASKDATA and "Add to archive" write
// and store it.
CoverageReportOutcome ReportCoverageQuietly(Progress& progress, double sprayProjection, const std::string& log,
                                            const LonLatMultiPolygon* field, const std::string& exportPath,
                                            const std::string& pagePath = "", const JobInfo* jobInfo = nullptr,
                                            ReportUnits units = ReportUnits::Metric,
                                            const RecordPdfRequest* pdf = nullptr,
                                            TaskDataExport* taskData = nullptr);

// The files written beside a log: its base name with "_REPORT.html" (the
// map page), "_RECORD.pdf" (the proof of application) or "_TASKDATA.zip".
std::string MapPagePathOf(const std::string& log);
std::string RecordPdfPathOf(const std::string& log);
std::string TaskDataZipPathOf(const std::string& log);

inline constexpr const char* kJobInfoFilter = "JOB INFO FORMAT .JSON|*.JSON|All Files - All Types|*.*;*||";

// The user's job-info file at `path` for a command of the window (none when
// the path is empty). Its warnings go to the event list; a file that
// cannot be taken gives the command line's message in a message box and
// sets `refused`: the command then writes nothing.
std::optional<JobInfo> TakeJobInfo(ConversionSession& session, const std::string& path, bool& refused);

// "JOB INFO": asks for the job-info file the window's record takes and
// reads it at once. `jobInfoPath` becomes the file ("JOB INFO: <path>" in
// the event list), or empty when the chooser is cancelled or the file
// cannot be taken ("JOB INFO OFF").
CommandResult PickJobInfo(ConversionSession& session, std::string& jobInfoPath);

// The "MAP REPORT" command: asks for a log, lists its report's table in
// the event list after the log's own lines and writes the map page beside
// the log (the window opens it in the desktop's browser). The record on
// the page takes the job-info file at `jobInfoPath` when it is not empty.
CommandResult RunMapReport(ConversionSession& session, const std::string& jobInfoPath = "",
                           ReportUnits units = ReportUnits::Metric);

// "RECORD": the proof of application of `log`, with the job-info file at
// `jobInfoPath`, on `paper`, naming the program's `version`, written
// beside the log (RecordPdfPathOf). "TASKDATA": the log as one task of a
// TASKDATA zip beside it (TaskDataZipPathOf). Each reports the log as
// `report` does, with the session's spray projection and progress display,
// and lists the file it wrote. A job-info file that cannot be taken, or an
// output that would be an input, stops the command before any output.
CommandResult WriteRecordPdfOf(ConversionSession& session, const std::string& log, const std::string& jobInfoPath,
                               PaperSize paper, const std::string& version, ReportUnits units = ReportUnits::Metric);
CommandResult WriteTaskDataOf(ConversionSession& session, const std::string& log, const std::string& jobInfoPath,
                              const std::string& version);

// What the window writes or stores of a job, and why this build leaves it
// out (the Windows build has no cairo, libxml2 or GDAL), or empty when it
// is in.
enum class JobOutput { RecordPdf, TaskData, Archive };
std::string JobOutputLeftOut(JobOutput output);

// The paper of the user's locale (LC_PAPER): Letter where it is US Letter,
// else A4.
PaperSize LocalePaperSize();
// The units of the user's locale (LC_MEASUREMENT): acres and US gallons
// where it measures in US units, else hectares and litres.
ReportUnits LocaleReportUnits();

}  // namespace zeltlog
