// The season archive: every reported job in one data source, a GeoPackage
// (one file) or a PostgreSQL/PostGIS database ("PG:dbname=..."), through
// GDAL's vector API. Tables:
//   zeltlog_archive  the schema's version (one row)
//   jobs             one row per log, keyed by the SHA-256 of its bytes
//                    (unique): the log's name, the application record's
//                    fields, the figures, the first and last fix, and the
//                    sprayed ground as a WGS-84 multipolygon (longitudes
//                    -180 to 180)
//   runs, weather    the job's runs and weather observations
//   marks            its marks and boundary points (points)
// Each of these rows names its job by the hash. Each log is stored in one
// transaction; where another process holds a GeoPackage, the store waits
// (SQLite's busy timeout) and tries again.
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "coverage/coverage_data.h"
#include "coverage/coverage_report.h"

namespace zeltlog {

// The version of the tables this build writes. An archive of an older one
// is brought up to it in place; one of a newer one is refused.
inline constexpr int kArchiveSchemaVersion = 1;

struct ArchiveWeather {
  std::string time;  // ISO 8601, as the record gives it
  std::optional<double> windSpeed, windDirection, temperature, humidity;
};

// One job as it is stored: what names it, the record, and the report.
struct ArchiveJob {
  std::string hash;  // SHA-256 of the log's bytes, 64 lowercase hex digits
  std::string log;   // the log's name as given
  // The application record (texts UTF-8; empty when unknown).
  std::string farm, field, operatorName, machine, operation, crop, client, product;
  std::string date;           // the first fix's local date, YYYY-MM-DD
  std::string start, finish;  // the first and last fix, ISO 8601 with the log's zone
  std::optional<int> timeZone;
  std::vector<ArchiveWeather> weather;
  std::vector<CollectedMark> marks;
  const CoverageReport* report = nullptr;  // the figures, runs and coverage
  // The sprayed ground as stored, from ArchiveGroundWkb of the report,
  // made beforehand (beside the next logs' reports, while the
  // archive takes one log at a time); null: made while storing.
  const std::string* groundWkb = nullptr;
};

// What storing a job did.
enum class ArchiveStore { Added, AlreadyThere, Updated };
struct ArchiveAddResult {
  std::string error;  // why nothing was stored; empty when it worked
  ArchiveStore stored = ArchiveStore::Added;
  long long id = 0;   // the job's row id
  // The job was stored, but closing the archive afterwards failed (its
  // extent or counts may be stale): said, not tried again.
  std::string warning;
  bool ok() const { return error.empty(); }
};

// Which jobs a query, a map or an export takes; empty means any.
struct ArchiveFilter {
  std::string from, to;  // local dates, YYYY-MM-DD, inclusive
  std::string farm, field, operatorName, machine, crop, client, product;
};

// A query's answer: named columns of text, whole numbers or real numbers;
// a missing value is std::monostate.
using ArchiveValue = std::variant<std::monostate, std::string, long long, double>;
struct ArchiveTable {
  std::vector<std::string> columns;
  std::vector<std::vector<ArchiveValue>> rows;
  std::string error;
};

// The jobs a map draws: each one's list row and its sprayed ground.
struct ArchiveMapJob {
  std::vector<ArchiveValue> row;  // as ArchiveTable's columns
  LonLatMultiPolygon coverage;
};
struct ArchiveMapJobs {
  std::vector<std::string> columns;
  std::vector<ArchiveMapJob> jobs;
  std::string error;
};

// The sprayed ground a job row holds, made from a report's coverage: one
// valid multipolygon, longitudes within -180 to 180, as well-known binary;
// empty when it cannot be made.
std::string ArchiveGroundWkb(const CoverageReport& report);
// `archive` is a GeoPackage's path or "PG:..." connection text. Every
// failure's message names the archive.
ArchiveAddResult ArchiveAddJob(const std::string& archive, const ArchiveJob& job, bool update);
// With `keep`, this thread's ArchiveAddJob keeps a PostGIS archive's
// connection open for its next job; without, it closes the one it kept.
void ArchiveKeepConnection(bool keep);
// One row per job (`by` empty) or per group of `by`: farm, field,
// operator, machine, crop, client, product or month.
ArchiveTable ArchiveQuery(const std::string& archive, const ArchiveFilter& filter, const std::string& by);
ArchiveMapJobs ArchiveMapSelection(const std::string& archive, const ArchiveFilter& filter);
// Removes the job whose row id is `job` or whose hash begins with it
// (refused when the prefix names several), or with `before` every job of
// a local date before it. The jobs removed, in `removed`.
std::string ArchiveRemove(const std::string& archive, const std::string& job, const std::string& before,
                          long long& removed);
// Writes the archive's tables to `out` (.gpkg: every table; .geojson,
// .shp, .fgb: the jobs), a path in a folder of the caller's own.
std::string ArchiveExport(const std::string& archive, const std::string& out);

}  // namespace zeltlog
