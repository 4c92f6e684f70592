// Storing, removing and exporting the archive's jobs.
#include <cpl_conv.h>
#include <ogr_geometry.h>
#include <ogrsf_frmts.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <random>
#include <thread>

#include "core/name_text.h"
#include "gis/archive.h"
#include "gis/archive_source.h"
#include "gis/archive_tables.h"
#include "gis/gdal_setup.h"

namespace zeltlog {

const std::vector<ArchiveTableDefinition>& ArchiveTableDefinitions() {
  static const std::vector<ArchiveTableDefinition> tables = {
      {kArchiveVersionTable, wkbNone, {{"schema_version", OFTInteger}}},
      {"jobs",
       wkbMultiPolygon,
       {{"hash", OFTString},           {"log", OFTString},           {"farm", OFTString},
        {"field", OFTString},          {"operator", OFTString},      {"machine", OFTString},
        {"operation", OFTString},      {"crop", OFTString},          {"client", OFTString},
        {"product", OFTString},        {"date", OFTDate},            {"start", OFTString},
        {"finish", OFTString},         {"time_zone", OFTInteger},    {"first_fix", OFTDateTime},
        {"last_fix", OFTDateTime},     {"sprayed_ha", OFTReal},      {"gross_ha", OFTReal},
        {"overlap_ha", OFTReal},       {"field_ha", OFTReal},        {"skipped_ha", OFTReal},
        {"outside_ha", OFTReal},       {"coverage_pct", OFTReal},    {"volume_l", OFTReal},
        {"applied_rate", OFTReal},     {"target_rate", OFTReal},     {"spraying_s", OFTReal},
        {"distance_m", OFTReal},       {"fixes", OFTInteger}}},
      {"runs",
       wkbNone,
       {{"job", OFTString},
        {"run", OFTInteger},
        {"start_time", OFTReal},
        {"end_time", OFTReal},
        {"gross_ha", OFTReal},
        {"net_ha", OFTReal}}},
      {"weather",
       wkbNone,
       {{"job", OFTString},
        {"time", OFTString},
        {"wind_speed", OFTReal},
        {"wind_direction", OFTReal},
        {"temperature", OFTReal},
        {"humidity", OFTReal}}},
      {"marks", wkbPoint, {{"job", OFTString}, {"code", OFTInteger}, {"name", OFTString}, {"altitude", OFTReal}}},
  };
  return tables;
}

namespace {

// Mark names are 8-bit Windows-1252 text; the archive holds UTF-8. Control
// bytes other than TAB are left out.
std::string Utf8FromWindows1252(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    const uint32_t code = c >= 0x80 && c < 0xA0 ? kWindows1252High[c - 0x80] : c;
    if (code == 0 || (code < 0x20 && code != '\t') || code == 0x7F) continue;
    AppendCodePoint(out, code);
  }
  return out;
}

OGRLinearRing* RingOf(const LonLatRing& ring) {
  auto* out = new OGRLinearRing;
  for (const LonLat& p : ring) out->addPoint(p.longitude, p.latitude);
  out->closeRings();
  return out;
}

// The sprayed ground as one valid multipolygon, with longitudes within
// -180 to 180: ground beyond the 180° meridian is cut there and moved by a
// turn. A job lies within half a turn of its first fix, so within one turn
// either side. A coverage kept in the pieces of the tiles it was built in
// (polygons that meet along the tiles' edges) is unioned first; one the
// report joined is a union already.
std::unique_ptr<OGRMultiPolygon> GroundOf(const CoverageReport& report) {
  const LonLatMultiPolygon& coverage = report.coverage;
  OGRMultiPolygon pieces;
  for (const LonLatPolygon& p : coverage) {
    if (p.outer.size() < 3) continue;
    auto polygon = std::make_unique<OGRPolygon>();
    polygon->addRingDirectly(RingOf(p.outer));
    for (const LonLatRing& hole : p.holes) polygon->addRingDirectly(RingOf(hole));
    pieces.addGeometryDirectly(polygon.release());
  }
  auto out = std::make_unique<OGRMultiPolygon>();
  if (pieces.IsEmpty()) return out;
  std::unique_ptr<OGRGeometry> whole(report.coverageJoined ? nullptr : pieces.UnionCascaded());
  if (!whole) whole.reset(pieces.clone());
  OGREnvelope box;
  whole->getEnvelope(&box);
  for (int turn = -1; turn <= 1; ++turn) {
    const double west = -180.0 + 360.0 * turn;
    if (box.MaxX <= west || box.MinX >= west + 360.0) continue;
    std::unique_ptr<OGRGeometry> part;
    if (turn == 0 && box.MinX >= -180.0 && box.MaxX <= 180.0) {
      part.reset(whole->clone());
    } else {
      OGRPolygon band;
      auto* ring = new OGRLinearRing;
      for (const auto& [x, y] : {std::pair{west, -90.0}, {west + 360.0, -90.0}, {west + 360.0, 90.0}, {west, 90.0}}) {
        ring->addPoint(x, y);
      }
      ring->closeRings();
      band.addRingDirectly(ring);
      part.reset(whole->Intersection(&band));
    }
    if (!part) continue;
    std::vector<OGRGeometry*> polygons;
    const OGRwkbGeometryType type = wkbFlatten(part->getGeometryType());
    if (type == wkbPolygon) {
      polygons.push_back(part.get());
    } else if (OGR_GT_IsSubClassOf(type, wkbGeometryCollection)) {
      for (OGRGeometry* g : *part->toGeometryCollection()) {
        if (wkbFlatten(g->getGeometryType()) == wkbPolygon) polygons.push_back(g);
      }
    }
    for (OGRGeometry* g : polygons) {
      auto* polygon = g->clone()->toPolygon();
      if (turn != 0) {
        for (OGRLinearRing* ring : *polygon) {
          for (int i = 0; i < ring->getNumPoints(); ++i) ring->setPoint(i, ring->getX(i) - 360.0 * turn, ring->getY(i));
        }
      }
      out->addGeometryDirectly(polygon);
    }
  }
  return out;
}

void SetOptional(OGRFeature& row, const char* column, const std::optional<double>& value) {
  if (value && std::isfinite(*value)) {
    row.SetField(column, *value);
  } else {
    row.SetFieldNull(row.GetFieldIndex(column));
  }
}

void SetText(OGRFeature& row, const char* column, const std::string& value) {
  if (value.empty()) {
    row.SetFieldNull(row.GetFieldIndex(column));
  } else {
    row.SetField(column, value.c_str());
  }
}

// A local ISO 8601 time as a date-time: with its zone when the record
// knows it (GDAL stores it in UTC), without a date none.
void SetDateTime(OGRFeature& row, const char* column, const std::string& iso) {
  OGRField parsed;
  if (iso.size() >= 19 && iso[10] == 'T' && OGRParseDate(iso.c_str(), &parsed, 0)) {
    row.SetField(row.GetFieldIndex(column), &parsed);
  } else {
    row.SetFieldNull(row.GetFieldIndex(column));
  }
}

void FillJobRow(OGRFeature& row, const ArchiveJob& job) {
  const CoverageReport& r = *job.report;
  row.SetField("hash", job.hash.c_str());
  row.SetField("log", job.log.c_str());
  SetText(row, "farm", job.farm);
  SetText(row, "field", job.field);
  SetText(row, "operator", job.operatorName);
  SetText(row, "machine", job.machine);
  SetText(row, "operation", job.operation);
  SetText(row, "crop", job.crop);
  SetText(row, "client", job.client);
  SetText(row, "product", job.product);
  int year = 0, month = 0, day = 0;
  if (std::sscanf(job.date.c_str(), "%4d-%2d-%2d", &year, &month, &day) == 3) {
    row.SetField(row.GetFieldIndex("date"), year, month, day, 0, 0, 0.0f, 0);
  } else {
    row.SetFieldNull(row.GetFieldIndex("date"));
  }
  SetText(row, "start", job.start);
  SetText(row, "finish", job.finish);
  if (job.timeZone) {
    row.SetField("time_zone", *job.timeZone);
  } else {
    row.SetFieldNull(row.GetFieldIndex("time_zone"));
  }
  SetDateTime(row, "first_fix", job.start);
  SetDateTime(row, "last_fix", job.finish);
  row.SetField("sprayed_ha", r.sprayedAreaHa);
  row.SetField("gross_ha", r.grossSprayedAreaHa);
  row.SetField("overlap_ha", r.overlapAreaHa);
  SetOptional(row, "field_ha", r.fieldAreaHa);
  SetOptional(row, "skipped_ha", r.skippedAreaHa);
  SetOptional(row, "outside_ha", r.outsideAreaHa);
  SetOptional(row, "coverage_pct", r.coveragePercent);
  row.SetField("volume_l", r.volumeL);
  SetOptional(row, "applied_rate", r.appliedRateLPerHa);
  SetOptional(row, "target_rate", r.targetRateLPerHa);
  row.SetField("spraying_s", r.sprayingTimeS);
  row.SetField("distance_m", r.distanceM);
  row.SetField("fixes", r.fixes);
  if (job.groundWkb && !job.groundWkb->empty()) {
    OGRGeometry* ground = nullptr;
    const auto* bytes = reinterpret_cast<const unsigned char*>(job.groundWkb->data());
    if (OGRGeometryFactory::createFromWkb(bytes, nullptr, &ground, job.groundWkb->size()) == OGRERR_NONE && ground &&
        wkbFlatten(ground->getGeometryType()) == wkbMultiPolygon) {
      row.SetGeometryDirectly(ground);
      return;
    }
    delete ground;
  }
  row.SetGeometryDirectly(GroundOf(r).release());
}

bool Execute(GDALDataset& dataset, const std::string& sql) {
  CPLErrorReset();
  if (OGRLayer* result = dataset.ExecuteSQL(sql.c_str(), nullptr, nullptr)) dataset.ReleaseResultSet(result);
  return CPLGetLastErrorType() < CE_Failure;
}

// The job's runs, weather and marks, after any it had.
bool WriteJobRows(GDALDataset& dataset, const ArchiveJob& job) {
  const std::string key = ArchiveDialect::Literal(job.hash);
  for (const char* table : {"runs", "weather", "marks"}) {
    if (!Execute(dataset, std::string("DELETE FROM ") + table + " WHERE job = " + key)) return false;
  }
  OGRLayer* runs = dataset.GetLayerByName("runs");
  OGRLayer* weather = dataset.GetLayerByName("weather");
  OGRLayer* marks = dataset.GetLayerByName("marks");
  if (!runs || !weather || !marks) return false;
  for (const RunFigures& run : job.report->runs) {
    OGRFeature row(runs->GetLayerDefn());
    row.SetField("job", job.hash.c_str());
    row.SetField("run", run.run);
    row.SetField("start_time", run.startTime);
    row.SetField("end_time", run.endTime);
    row.SetField("gross_ha", run.grossAreaHa);
    row.SetField("net_ha", run.netAreaHa);
    if (runs->CreateFeature(&row) != OGRERR_NONE) return false;
  }
  for (const ArchiveWeather& observation : job.weather) {
    OGRFeature row(weather->GetLayerDefn());
    row.SetField("job", job.hash.c_str());
    SetText(row, "time", observation.time);
    SetOptional(row, "wind_speed", observation.windSpeed);
    SetOptional(row, "wind_direction", observation.windDirection);
    SetOptional(row, "temperature", observation.temperature);
    SetOptional(row, "humidity", observation.humidity);
    if (weather->CreateFeature(&row) != OGRERR_NONE) return false;
  }
  for (const CollectedMark& mark : job.marks) {
    if (!std::isfinite(mark.at.longitude) || !std::isfinite(mark.at.latitude) || std::fabs(mark.at.latitude) > 90.0 ||
        std::fabs(mark.at.longitude) > 360.0) {
      continue;
    }
    OGRFeature row(marks->GetLayerDefn());
    row.SetField("job", job.hash.c_str());
    row.SetField("code", mark.type);
    row.SetField("name", Utf8FromWindows1252(mark.name).c_str());
    row.SetField("altitude", mark.altitude);
    const double longitude =
        std::fabs(mark.at.longitude) <= 180.0 ? mark.at.longitude : LongitudeNear(mark.at.longitude, 0.0);
    row.SetGeometryDirectly(new OGRPoint(longitude, mark.at.latitude));
    if (marks->CreateFeature(&row) != OGRERR_NONE) return false;
  }
  return true;
}

// A PostGIS archive's connection, kept from one job to the next while a
// run asks for it (ArchiveKeepConnection): a new connection costs the
// server a process of its own, PostGIS's loading and GDAL's reading of the
// catalogue, more than storing a job does. A GeoPackage is opened for each
// job: GDAL holds a layer's extent and count in memory, and another
// process may change them meanwhile.
struct KeptConnection {
  bool keep = false;
  std::string archive;
  ArchiveSource source;
};

KeptConnection& Kept() {
  static thread_local KeptConnection kept;
  return kept;
}

// One attempt at storing the job, in one transaction; `error` empty on
// success.
ArchiveAddResult AddOnce(const std::string& archive, const ArchiveJob& job, bool update) {
  ArchiveAddResult result;
  KeptConnection& kept = Kept();
  const bool keep = kept.keep && IsPostgres(archive);
  if (keep && kept.archive != archive) kept.source = {};
  ArchiveSource fresh;
  ArchiveSource& source = keep ? kept.source : fresh;
  if (!source.dataset) {
    source = {};
    result.error = OpenArchive(archive, ArchiveAccess::Write, source);
    if (!result.ok()) return result;
    kept.archive = keep ? archive : std::string();
  }
  GDALDataset& dataset = *source.dataset;
  OGRLayer* jobs = dataset.GetLayerByName("jobs");
  // A failed attempt closes a kept connection: the next opens a new one.
  auto fail = [&](const std::string& fallback) {
    result.error = source.Problem(LastGdalError(fallback));
    dataset.RollbackTransaction();
    if (keep) source.dataset.reset();
    return result;
  };
  CPLErrorReset();
  if (dataset.StartTransaction(FALSE) != OGRERR_NONE) return fail("cannot begin a transaction");
  jobs->SetAttributeFilter(("hash = " + ArchiveDialect::Literal(job.hash)).c_str());
  jobs->ResetReading();
  OGRFeatureUniquePtr existing(jobs->GetNextFeature());
  jobs->ResetReading();
  jobs->SetAttributeFilter(nullptr);
  if (CPLGetLastErrorType() >= CE_Failure) return fail("cannot read the jobs");
  if (existing && !update) {
    result.stored = ArchiveStore::AlreadyThere;
    result.id = existing->GetFID();
    dataset.RollbackTransaction();
    return result;
  }
  OGRFeature row(jobs->GetLayerDefn());
  FillJobRow(row, job);
  if (existing) {
    row.SetFID(existing->GetFID());
    if (jobs->SetFeature(&row) != OGRERR_NONE) return fail("cannot update the job");
    result.stored = ArchiveStore::Updated;
  } else if (jobs->CreateFeature(&row) != OGRERR_NONE) {
    return fail("cannot store the job");
  }
  result.id = row.GetFID();
  if (!WriteJobRows(dataset, job)) return fail("cannot store the job's runs, weather and marks");
  // The tables' extents, counts and times of change go into the same
  // transaction: left to the closing, a GeoPackage writes each in one of
  // its own, and every transaction waits for the disk three times.
  for (const char* table : {"jobs", "runs", "weather", "marks"}) {
    OGRLayer* layer = dataset.GetLayerByName(table);
    if (!layer || layer->SyncToDisk() != OGRERR_NONE) return fail("cannot store the job");
  }
  if (dataset.CommitTransaction() != OGRERR_NONE) return fail("cannot complete the transaction");
  // The job is stored now. Closing may still meet another process's lock
  // (the layers' extents and counts are written then); trying the whole
  // job again would only find it stored.
  if (keep) return result;
  CPLErrorReset();
  source.dataset.reset();
  if (CPLGetLastErrorType() >= CE_Failure) result.warning = source.Problem(LastGdalError("cannot close the archive"));
  return result;
}

// Runs `attempt` until it works or fails for a reason other than another
// process holding the database, for up to two minutes.
template <typename Attempt>
auto WithRetries(Attempt attempt) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
  std::minstd_rand random(std::random_device{}());
  for (;;) {
    auto result = attempt();
    if (!ArchiveDialect::TryAgain(result.error) || std::chrono::steady_clock::now() > deadline) return result;
    std::this_thread::sleep_for(std::chrono::milliseconds(10 + random() % 90));
  }
}

}  // namespace

std::string ArchiveGroundWkb(const CoverageReport& report) {
  QuietGdalErrors quiet;
  const std::unique_ptr<OGRMultiPolygon> ground = GroundOf(report);
  std::string wkb(ground->WkbSize(), '\0');
  if (ground->exportToWkb(wkbNDR, reinterpret_cast<unsigned char*>(wkb.data()), wkbVariantIso) != OGRERR_NONE) return "";
  return wkb;
}

void ArchiveKeepConnection(bool keep) {
  KeptConnection& kept = Kept();
  kept.keep = keep;
  if (!keep) kept = {};
}

ArchiveAddResult ArchiveAddJob(const std::string& archive, const ArchiveJob& job, bool update) {
  QuietGdalErrors quiet;
  if (!job.report) {
    ArchiveAddResult nothing;
    nothing.error = "no report to store";
    return nothing;
  }
  return WithRetries([&] { return AddOnce(archive, job, update); });
}

std::string ArchiveRemove(const std::string& archive, const std::string& job, const std::string& before,
                          long long& removed) {
  QuietGdalErrors quiet;
  struct Attempt {
    std::string error;
    long long removed = 0;
  };
  const Attempt done = WithRetries([&]() -> Attempt {
    Attempt attempt;
    ArchiveSource source;
    attempt.error = OpenArchive(archive, ArchiveAccess::Write, source);
    if (!attempt.error.empty()) return attempt;
    GDALDataset& dataset = *source.dataset;
    std::string where;
    if (!before.empty()) {
      where = "date < " + ArchiveDialect::Literal(before);
    } else {
      const bool digits = job.find_first_not_of("0123456789") == std::string::npos;
      const bool hex = job.find_first_not_of("0123456789abcdef") == std::string::npos;
      if (digits) where = "fid = " + job;
      if (hex && job.size() >= 4) where += (where.empty() ? "" : " OR ") + ("hash LIKE " + ArchiveDialect::Literal(job + "%"));
      if (where.empty()) {
        attempt.error = source.Problem("no job " + job + " (give a row id or at least 4 digits of its hash)");
        return attempt;
      }
    }
    OGRLayer* count = dataset.ExecuteSQL(("SELECT COUNT(*) FROM jobs WHERE " + where).c_str(), nullptr, nullptr);
    if (count) {
      OGRFeatureUniquePtr row(count->GetNextFeature());
      attempt.removed = row ? row->GetFieldAsInteger64(0) : 0;
      dataset.ReleaseResultSet(count);
    }
    if (before.empty() && attempt.removed == 0) {
      attempt.error = source.Problem("no job " + job);
      return attempt;
    }
    if (before.empty() && attempt.removed > 1) {
      attempt.error = source.Problem(job + " names " + std::to_string(attempt.removed) + " jobs; give more of the hash");
      return attempt;
    }
    const std::string hashes = "(SELECT hash FROM jobs WHERE " + where + ")";
    if (dataset.StartTransaction(FALSE) != OGRERR_NONE || !Execute(dataset, "DELETE FROM runs WHERE job IN " + hashes) ||
        !Execute(dataset, "DELETE FROM weather WHERE job IN " + hashes) ||
        !Execute(dataset, "DELETE FROM marks WHERE job IN " + hashes) ||
        !Execute(dataset, "DELETE FROM jobs WHERE " + where) || dataset.CommitTransaction() != OGRERR_NONE) {
      attempt.error = source.Problem(LastGdalError("cannot remove the jobs"));
      dataset.RollbackTransaction();
    }
    return attempt;
  });
  removed = done.error.empty() ? done.removed : 0;
  return done.error;
}

std::string ArchiveExport(const std::string& archive, const std::string& out) {
  QuietGdalErrors quiet;
  ArchiveSource source;
  if (std::string error = OpenArchive(archive, ArchiveAccess::Read, source); !error.empty()) return error;
  const size_t dot = out.find_last_of('.');
  std::string extension = dot == std::string::npos ? "" : out.substr(dot + 1);
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const char* driverName = extension == "gpkg"      ? "GPKG"
                           : extension == "geojson" ? "GeoJSON"
                           : extension == "shp"     ? "ESRI Shapefile"
                           : extension == "fgb"     ? "FlatGeobuf"
                                                    : nullptr;
  if (!driverName) return out + ": unknown GIS format: the file name must end in .gpkg, .geojson, .shp or .fgb";
  GDALDriver* driver = GetGDALDriverManager()->GetDriverByName(driverName);
  if (!driver) return out + ": GDAL has no " + driverName + " driver";
  GDALDatasetUniquePtr target(driver->Create(out.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
  if (!target) return out + ": " + LastGdalError("cannot be created");
  const bool everyTable = extension == "gpkg";
  for (const ArchiveTableDefinition& table : ArchiveTableDefinitions()) {
    if (!everyTable && std::string(table.name) != "jobs") continue;
    OGRLayer* layer = source.dataset->GetLayerByName(table.name);
    const char* utf8[] = {"ENCODING=UTF-8", nullptr};
    if (!layer || !target->CopyLayer(layer, table.name, extension == "shp" ? const_cast<char**>(utf8) : nullptr)) {
      return out + ": " + LastGdalError("cannot write the table " + std::string(table.name));
    }
  }
  CPLErrorReset();
  target.reset();
  if (CPLGetLastErrorType() >= CE_Failure) return out + ": " + LastGdalError("cannot be completed");
  return "";
}

}  // namespace zeltlog
