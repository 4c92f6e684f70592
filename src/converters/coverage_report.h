// The coverage report of a guidance log: the log's passes feed a coverage
// sink, whose figures are computed against a field and, when asked, its
// layers exported as a GIS file. The command line's `report` and the
// window's "MAP REPORT" both run it.
#pragma once

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

// The map page written beside a log: its base name with "_REPORT.html".
std::string MapPagePathOf(const std::string& log);

// The "MAP REPORT" command: asks for a log, lists its report's table in
// the event list after the log's own lines and writes the map page beside
// the log (the window opens it in the desktop's browser).
CommandResult RunMapReport(ConversionSession& session);

}  // namespace zeltlog
