// The archive's lists, summaries and map selections: the database selects,
// groups and sums; this only reads the rows it answers.
#include <ogr_geometry.h>
#include <ogrsf_frmts.h>

#include <cstdio>
#include <utility>

#include "gis/archive.h"
#include "gis/archive_source.h"
#include "gis/gdal_setup.h"

namespace zeltlog {
namespace {

enum class Kind { Text, Whole, Real, Date };
struct Column {
  std::string name;
  std::string expression;
  Kind kind;
};

// What a list shows of each job, in order.
std::vector<Column> ListColumns() {
  return {{"id", "fid", Kind::Whole},
          {"hash", "hash", Kind::Text},
          {"log", "log", Kind::Text},
          {"date", "date", Kind::Date},
          {"start", "start", Kind::Text},
          {"finish", "finish", Kind::Text},
          {"farm", "farm", Kind::Text},
          {"field", "field", Kind::Text},
          {"operator", "operator", Kind::Text},
          {"machine", "machine", Kind::Text},
          {"crop", "crop", Kind::Text},
          {"client", "client", Kind::Text},
          {"product", "product", Kind::Text},
          {"sprayed_ha", "sprayed_ha", Kind::Real},
          {"gross_ha", "gross_ha", Kind::Real},
          {"overlap_ha", "overlap_ha", Kind::Real},
          {"skipped_ha", "skipped_ha", Kind::Real},
          {"volume_l", "volume_l", Kind::Real},
          {"applied_rate_l_per_ha", "applied_rate", Kind::Real},
          {"spraying_time_s", "spraying_s", Kind::Real},
          {"distance_m", "distance_m", Kind::Real},
          {"fixes", "fixes", Kind::Whole}};
}

// The sums of a summary's groups. Overlap is the sum of the overlaps over
// the sum of the gross areas; the rate of work, the net area over the
// spraying time.
std::vector<Column> SummaryColumns(const std::string& by, const ArchiveDialect& dialect) {
  const std::string key = by == "month" ? dialect.MonthOf("date") : by;
  std::vector<Column> columns = {
      {by, key, Kind::Text},
      {"jobs", "COUNT(*)", Kind::Whole},
      {"net_ha", "SUM(sprayed_ha)", Kind::Real},
      {"gross_ha", "SUM(gross_ha)", Kind::Real},
      {"overlap_pct", "100.0 * SUM(overlap_ha) / NULLIF(SUM(gross_ha), 0)", Kind::Real},
      {"volume_l", "SUM(volume_l)", Kind::Real},
      {"spraying_time_s", "SUM(spraying_s)", Kind::Real},
      {"ha_per_hour", "3600.0 * SUM(sprayed_ha) / NULLIF(SUM(spraying_s), 0)", Kind::Real}};
  // Skipped ground is a field's: summed over other groups it means nothing.
  if (by == "field") columns.push_back({"skipped_ha", "SUM(skipped_ha)", Kind::Real});
  return columns;
}

std::string SelectList(const std::vector<Column>& columns) {
  // The answer is read by position: the names are the database's business.
  std::string list;
  for (size_t i = 0; i < columns.size(); ++i) {
    list += (i ? ", " : "") + columns[i].expression + " AS c" + std::to_string(i);
  }
  return list;
}

// Column `position` of an answer, named c<position>. GDAL may take a
// column of row ids for the answer's own row ids.
ArchiveValue ValueOf(const OGRFeature& row, size_t position, Kind kind) {
  const std::string name = "c" + std::to_string(position);
  const int index = row.GetFieldIndex(name.c_str());
  if (index < 0) {
    return row.GetFID() == OGRNullFID ? ArchiveValue() : ArchiveValue(static_cast<long long>(row.GetFID()));
  }
  if (!row.IsFieldSetAndNotNull(index)) return std::monostate();
  switch (kind) {
    case Kind::Whole:
      return static_cast<long long>(row.GetFieldAsInteger64(index));
    case Kind::Real:
      return row.GetFieldAsDouble(index);
    case Kind::Date: {
      const OGRFieldType type = row.GetFieldDefnRef(index)->GetType();
      if (type != OFTDate && type != OFTDateTime) return std::string(row.GetFieldAsString(index));
      int year = 0, month = 0, day = 0, hour = 0, minute = 0, zone = 0;
      float second = 0.0f;
      row.GetFieldAsDateTime(index, &year, &month, &day, &hour, &minute, &second, &zone);
      char text[16];
      std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
      return std::string(text);
    }
    case Kind::Text:
      break;
  }
  return std::string(row.GetFieldAsString(index));
}

// Runs `sql` and hands each row to `take`; empty, or why it failed.
template <typename Take>
std::string Select(ArchiveSource& source, const std::string& sql, Take take) {
  CPLErrorReset();
  OGRLayer* result = source.dataset->ExecuteSQL(sql.c_str(), nullptr, nullptr);
  if (!result) return source.Problem(LastGdalError("cannot read the jobs"));
  for (OGRFeatureUniquePtr row(result->GetNextFeature()); row; row.reset(result->GetNextFeature())) take(*row);
  const bool failed = CPLGetLastErrorType() >= CE_Failure;
  source.dataset->ReleaseResultSet(result);
  return failed ? source.Problem(LastGdalError("cannot read the jobs")) : "";
}

const char* const kListOrder = " ORDER BY date, start, fid";

}  // namespace

ArchiveTable ArchiveQuery(const std::string& archive, const ArchiveFilter& filter, const std::string& by) {
  QuietGdalErrors quiet;
  ArchiveTable table;
  ArchiveSource source;
  table.error = OpenArchive(archive, ArchiveAccess::Read, source);
  if (!table.error.empty()) return table;
  const std::vector<Column> columns = by.empty() ? ListColumns() : SummaryColumns(by, source.dialect);
  for (const Column& column : columns) table.columns.push_back(column.name);
  std::string sql = "SELECT " + SelectList(columns) + " FROM jobs" + ArchiveWhere(filter, source.dialect);
  sql += by.empty() ? kListOrder : " GROUP BY " + columns[0].expression + " ORDER BY " + source.dialect.OrderOf(columns[0].expression);
  table.error = Select(source, sql, [&](const OGRFeature& row) {
    std::vector<ArchiveValue> values;
    for (size_t i = 0; i < columns.size(); ++i) values.push_back(ValueOf(row, i, columns[i].kind));
    table.rows.push_back(std::move(values));
  });
  return table;
}

ArchiveMapJobs ArchiveMapSelection(const std::string& archive, const ArchiveFilter& filter) {
  QuietGdalErrors quiet;
  ArchiveMapJobs out;
  ArchiveSource source;
  out.error = OpenArchive(archive, ArchiveAccess::Read, source);
  if (!out.error.empty()) return out;
  const std::vector<Column> columns = ListColumns();
  for (const Column& column : columns) out.columns.push_back(column.name);
  const std::string sql =
      "SELECT " + SelectList(columns) + ", geom FROM jobs" + ArchiveWhere(filter, source.dialect) + kListOrder;
  out.error = Select(source, sql, [&](const OGRFeature& row) {
    ArchiveMapJob job;
    for (size_t i = 0; i < columns.size(); ++i) job.row.push_back(ValueOf(row, i, columns[i].kind));
    if (const OGRGeometry* geometry = row.GetGeometryRef()) {
      auto ring = [](const OGRLinearRing& r) {
        LonLatRing out;
        for (int i = 0; i < r.getNumPoints(); ++i) out.push_back({r.getX(i), r.getY(i)});
        return out;
      };
      auto add = [&](const OGRPolygon& polygon) {
        LonLatPolygon p;
        if (polygon.getExteriorRing()) p.outer = ring(*polygon.getExteriorRing());
        for (int i = 0; i < polygon.getNumInteriorRings(); ++i) p.holes.push_back(ring(*polygon.getInteriorRing(i)));
        job.coverage.push_back(std::move(p));
      };
      const OGRwkbGeometryType type = wkbFlatten(geometry->getGeometryType());
      if (type == wkbPolygon) add(*geometry->toPolygon());
      if (type == wkbMultiPolygon) {
        for (const OGRPolygon* polygon : *geometry->toMultiPolygon()) add(*polygon);
      }
    }
    out.jobs.push_back(std::move(job));
  });
  return out;
}

}  // namespace zeltlog
