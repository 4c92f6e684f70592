#include "gis/archive_source.h"

#include <cpl_conv.h>
#include <ogrsf_frmts.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>
#include <fcntl.h>
#include <sys/stat.h>
#ifndef _WIN32
#include <sys/statvfs.h>
#endif

#include "core/os.h"
#include "gis/archive_tables.h"
#include "gis/gdal_setup.h"

namespace zeltlog {

bool IsPostgres(const std::string& archive) { return archive.rfind("PG:", 0) == 0; }

namespace {

// Why the file at `path` (or, when there is none, a new file in its
// folder) cannot be written, such as a read-only file system; empty when
// nothing says so.
std::string WhyNotWritable(const std::string& path) {
#ifdef _WIN32
  std::FILE* file = _wfopen(os::NativePath(path).c_str(), L"r+b");
  if (file) {
    std::fclose(file);
    return "";
  }
  return errno == ENOENT ? std::string() : std::string("cannot be written: ") + std::strerror(errno);
#else
  const int file = open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (file >= 0) {
    close(file);
    return "";
  }
  if (errno != ENOENT) return std::string("cannot be written: ") + std::strerror(errno);
  const size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  struct statvfs system;
  if (statvfs(folder.c_str(), &system) == 0 && (system.f_flag & ST_RDONLY)) {
    return "cannot be created: " + std::string(std::strerror(EROFS));
  }
  return "";
#endif
}

// Adds to `layer` each column of `columns` that it lacks.
bool AddMissingColumns(OGRLayer& layer, const std::vector<ArchiveColumn>& columns) {
  for (const ArchiveColumn& column : columns) {
    if (layer.GetLayerDefn()->GetFieldIndex(column.name) >= 0) continue;
    OGRFieldDefn field(column.name, column.type);
    if (layer.CreateField(&field) != OGRERR_NONE) return false;
  }
  return true;
}

// The tables of an archive that has none, in its open transaction.
bool CreateTables(GDALDataset& dataset) {
  OGRSpatialReference wgs84;
  wgs84.SetWellKnownGeogCS("WGS84");
  wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  const char* options[] = {"GEOMETRY_NAME=geom", "FID=fid", nullptr};
  for (const ArchiveTableDefinition& table : ArchiveTableDefinitions()) {
    OGRLayer* layer = dataset.CreateLayer(table.name, table.geometry == wkbNone ? nullptr : &wgs84, table.geometry,
                                          const_cast<char**>(options));
    if (!layer || !AddMissingColumns(*layer, table.columns)) return false;
  }
  OGRLayer* version = dataset.GetLayerByName(kArchiveVersionTable);
  OGRFeature row(version->GetLayerDefn());
  row.SetField("schema_version", kArchiveSchemaVersion);
  if (version->CreateFeature(&row) != OGRERR_NONE) return false;
  // The same log is stored once however many processes add it.
  for (const char* index : {"CREATE UNIQUE INDEX jobs_hash ON jobs (hash)", "CREATE INDEX runs_job ON runs (job)",
                            "CREATE INDEX weather_job ON weather (job)", "CREATE INDEX marks_job ON marks (job)"}) {
    CPLErrorReset();
    dataset.ExecuteSQL(index, nullptr, nullptr);
    if (CPLGetLastErrorType() >= CE_Failure) return false;
  }
  return true;
}

// A new GeoPackage is made whole under a name of its own and then linked
// to its place, which fails when another process made one first: the
// archive appears with its tables or not at all.
std::string CreateGeoPackage(const std::string& path) {
  GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GPKG");
  if (!driver) return "GDAL has no GPKG driver";
  std::string temporary = path + ".new-" + std::to_string(getpid()) + "-" + std::to_string(std::random_device()());
  {
    GDALDatasetUniquePtr dataset(driver->Create(temporary.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
    if (!dataset) return LastGdalError("cannot create the archive");
    dataset->StartTransaction(FALSE);
    if (!CreateTables(*dataset) || dataset->CommitTransaction() != OGRERR_NONE) {
      const std::string error = LastGdalError("cannot create the archive's tables");
      dataset.reset();
      unlink(temporary.c_str());
      return error;
    }
    CPLErrorReset();
    dataset.reset();
    if (CPLGetLastErrorType() >= CE_Failure) {
      const std::string error = LastGdalError("cannot create the archive");
      unlink(temporary.c_str());
      return error;
    }
  }
#ifdef _WIN32
  const int error = os::MoveIfAbsent(temporary, path);
  if (error != 0) unlink(temporary.c_str());
#else
  const int error = link(temporary.c_str(), path.c_str()) == 0 ? 0 : errno;
  unlink(temporary.c_str());
#endif
  if (error != 0 && error != EEXIST) return std::string("cannot create the archive: ") + std::strerror(error);
  return "";
}

// The schema's version, or -1 with GDAL's message when it cannot be read.
int SchemaVersion(GDALDataset& dataset) {
  OGRLayer* layer = dataset.GetLayerByName(kArchiveVersionTable);
  if (!layer) return 0;
  layer->ResetReading();
  OGRFeatureUniquePtr row(layer->GetNextFeature());
  const int version = row ? row->GetFieldAsInteger("schema_version") : -1;
  layer->ResetReading();
  return version;
}

// Brings an archive of an older schema up to this one: each table gains
// the columns it lacks, then the version is set, all in one transaction.
bool Migrate(GDALDataset& dataset) {
  if (dataset.StartTransaction(FALSE) != OGRERR_NONE) return false;
  for (const ArchiveTableDefinition& table : ArchiveTableDefinitions()) {
    OGRLayer* layer = dataset.GetLayerByName(table.name);
    if (!layer || !AddMissingColumns(*layer, table.columns)) {
      dataset.RollbackTransaction();
      return false;
    }
  }
  OGRLayer* version = dataset.GetLayerByName(kArchiveVersionTable);
  version->ResetReading();
  OGRFeatureUniquePtr row(version->GetNextFeature());
  version->ResetReading();
  if (!row) return dataset.RollbackTransaction(), false;
  row->SetField("schema_version", kArchiveSchemaVersion);
  if (version->SetFeature(row.get()) != OGRERR_NONE) return dataset.RollbackTransaction(), false;
  return dataset.CommitTransaction() == OGRERR_NONE;
}

}  // namespace

std::string ArchiveDialect::MonthOf(const std::string& column) const {
  return postgres ? "to_char(" + column + ", 'YYYY-MM')" : "substr(" + column + ", 1, 7)";
}

std::string ArchiveDialect::OrderOf(const std::string& column) const {
  // Text sorts by its bytes in both, whatever the server's locale.
  return "(" + column + " IS NULL), " + column + (postgres ? " COLLATE \"C\"" : "");
}

std::string ArchiveDialect::Literal(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') out += '\'';
    out += c;
  }
  return out + "'";
}

bool ArchiveDialect::TryAgain(const std::string& message) {
  for (const char* sign : {"database is locked", "database table is locked", "SQLITE_BUSY", "duplicate key value",
                           "UNIQUE constraint failed", "could not serialize", "deadlock detected",
                           // Another process made the tables first.
                           "already exists"}) {
    if (message.find(sign) != std::string::npos) return true;
  }
  return false;
}

std::string OpenArchive(const std::string& archive, ArchiveAccess access, ArchiveSource& out) {
  RegisterGdalDrivers();
  out.dialect.postgres = IsPostgres(archive);
  out.name = archive;
  if (out.dialect.postgres) {
    // The connection text may hold a password: messages name the database.
    const size_t dbname = archive.find("dbname=");
    out.name = dbname == std::string::npos ? "PG:" : "PG:" + archive.substr(dbname, archive.find(' ', dbname) - dbname);
  }
  const unsigned flags = GDAL_OF_VECTOR | (access == ArchiveAccess::Write ? GDAL_OF_UPDATE : 0);
  if (!out.dialect.postgres) {
    struct stat status;
    if (stat(archive.c_str(), &status) != 0) {
      if (errno != ENOENT) return out.Problem(std::strerror(errno));
      if (access == ArchiveAccess::Read) return out.Problem("no archive there yet (archive add makes it)");
      if (std::string error = WhyNotWritable(archive); !error.empty()) return out.Problem(error);
      if (std::string error = CreateGeoPackage(archive); !error.empty()) return out.Problem(error);
    } else if (!S_ISREG(status.st_mode)) {
      return out.Problem("not a GeoPackage (not a file)");
    }
    // Another process's transaction is waited for, up to a point.
    CPLSetThreadLocalConfigOption("OGR_SQLITE_PRAGMA", "busy_timeout=20000");
    const char* drivers[] = {"GPKG", nullptr};
    out.dataset.reset(GDALDataset::Open(archive.c_str(), flags, drivers, nullptr, nullptr));
    CPLSetThreadLocalConfigOption("OGR_SQLITE_PRAGMA", nullptr);
    if (!out.dataset) {
      const std::string error = LastGdalError("");
      if (ArchiveDialect::TryAgain(error)) return out.Problem(error);
      if (access == ArchiveAccess::Write) {
        if (std::string why = WhyNotWritable(archive); !why.empty()) return out.Problem(why);
      }
      return out.Problem("not a GeoPackage");
    }
  } else {
    // The Windows build has GDAL without its PostgreSQL driver (no libpq).
    if (!GetGDALDriverManager()->GetDriverByName("PostgreSQL")) {
      return out.Problem("PostGIS archives are left out of this build (its GDAL has no PostgreSQL driver)");
    }
    const char* drivers[] = {"PostgreSQL", nullptr};
    out.dataset.reset(GDALDataset::Open(archive.c_str(), flags, drivers, nullptr, nullptr));
    if (!out.dataset) return out.Problem("cannot connect to the database: " + LastGdalError("refused"));
    // Figures come back as the shortest text that reads as the same
    // double, as a GeoPackage gives them.
    out.dataset->ExecuteSQL("SET extra_float_digits = 3", nullptr, nullptr);
  }
  GDALDataset& dataset = *out.dataset;
  if (!dataset.GetLayerByName("jobs") || !dataset.GetLayerByName(kArchiveVersionTable)) {
    // A database is made an archive on first use; a GeoPackage that holds
    // something else is left alone.
    if (!out.dialect.postgres) return out.Problem("a GeoPackage that is not a job archive");
    if (access == ArchiveAccess::Read) return out.Problem("no archive there yet (archive add makes it)");
    if (dataset.StartTransaction(FALSE) != OGRERR_NONE || !CreateTables(dataset) ||
        dataset.CommitTransaction() != OGRERR_NONE) {
      const std::string error = LastGdalError("cannot create the archive's tables");
      dataset.RollbackTransaction();
      return out.Problem(error);
    }
  }
  const int version = SchemaVersion(dataset);
  if (version < 0) return out.Problem("its schema version cannot be read: " + LastGdalError("no version row"));
  if (version > kArchiveSchemaVersion) {
    return out.Problem("made by a newer version of this program (archive schema " + std::to_string(version) +
                       "; this one knows up to " + std::to_string(kArchiveSchemaVersion) + ")");
  }
  if (version < kArchiveSchemaVersion) {
    if (access == ArchiveAccess::Read) return out.Problem("an archive of an older schema: archive add brings it up to date");
    if (!Migrate(dataset)) return out.Problem("cannot bring the schema up to date: " + LastGdalError(""));
  }
  return "";
}

std::string ArchiveWhere(const ArchiveFilter& filter, const ArchiveDialect& dialect) {
  std::string where;
  auto add = [&where](const std::string& condition) { where += (where.empty() ? " WHERE " : " AND ") + condition; };
  if (!filter.from.empty()) add("date >= " + dialect.Literal(filter.from));
  if (!filter.to.empty()) add("date <= " + dialect.Literal(filter.to));
  const std::pair<const char*, const std::string*> texts[] = {
      {"farm", &filter.farm},       {"field", &filter.field}, {"operator", &filter.operatorName},
      {"machine", &filter.machine}, {"crop", &filter.crop},   {"client", &filter.client},
      {"product", &filter.product}};
  for (const auto& [column, value] : texts) {
    if (!value->empty()) add(std::string(column) + " = " + dialect.Literal(*value));
  }
  return where;
}

}  // namespace zeltlog
