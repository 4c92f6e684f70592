// The season archive as the command line's `archive` and the window's
// "Add to archive" use it: which archive, and a log's report stored in it
// with what storing it said.
#pragma once

#include <string>

#include "converters/coverage_report.h"
#include "gis/archive.h"

namespace zeltlog {

// The archive a command uses: `named` (--archive) when not empty, else
// ZELTLOG_ARCHIVE, else archive.gpkg in zeltlog's folder of $XDG_DATA_HOME
// (~/.local/share when that is unset or relative).
std::string SeasonArchiveOf(const std::string& named);
// Makes the default archive's folder (when neither `named` nor
// ZELTLOG_ARCHIVE names another archive) on first use.
void MakeDefaultArchiveFolder(const std::string& named);

// A reported log stored in `archive` (its job updated when `update`): what
// the store did, the line that says it ("LOG: stored as job 3
// (0123456789ab): 12.40 ha sprayed", "...: already stored as ...; nothing
// stored"), and what went wrong ("LOG: not stored: ..." with `said` empty,
// or "LOG: stored, but ..."), each empty when there is nothing to say.
// `groundWkb`, when given, is the sprayed ground made beforehand
// (ArchiveGroundWkbWithModule of the report).
struct ArchivedLog {
  ArchiveAddResult added;
  std::string said;
  std::string problem;
};
ArchivedLog StoreInArchive(const std::string& archive, const std::string& log, const CoverageReportOutcome& outcome,
                           bool update, const std::string* groundWkb = nullptr);

// "Add to archive": `log` reported as `archive add` reports it (with the
// session's spray projection and progress display, and the job-info file
// at `jobInfoPath` when it is not empty, which updates a job stored
// before) and stored in the default archive; the event list gets what
// storing it said. A job-info file that cannot be taken stores nothing.
CommandResult AddLogToArchive(ConversionSession& session, const std::string& log, const std::string& jobInfoPath);

}  // namespace zeltlog
