// The archive's data source, opened for the archive's functions
// (gis/archive.h), and what differs between its two kinds of database.
#pragma once

#include <gdal_priv.h>

#include <string>

#include "gis/archive.h"

namespace zeltlog {

// Everything the SQL of a GeoPackage (SQLite) and of PostGIS
// (PostgreSQL) writes differently, in one place.
struct ArchiveDialect {
  bool postgres = false;
  // The local month of a job's `date` column as text, "YYYY-MM".
  std::string MonthOf(const std::string& column) const;
  // ORDER BY terms of a text column: missing values last, text by its
  // bytes whatever the server's locale.
  std::string OrderOf(const std::string& column) const;
  // `text` as a string literal.
  static std::string Literal(const std::string& text);
  // Whether GDAL's message says another process holds the database, or
  // stored the same log first: the transaction is tried again.
  static bool TryAgain(const std::string& message);
};

// Whether `archive` names a PostgreSQL database ("PG:...").
bool IsPostgres(const std::string& archive);

struct ArchiveSource {
  GDALDatasetUniquePtr dataset;
  ArchiveDialect dialect;
  std::string name;  // as the messages name it
  // "NAME: reason", as every message of the archive begins.
  std::string Problem(const std::string& reason) const { return name + ": " + reason; }
};

enum class ArchiveAccess { Read, Write };

// Opens the archive, creating it and its tables on first use when it is
// written, and checks its schema's version (an older one is migrated in
// place). Empty on success, else why it could not be opened.
std::string OpenArchive(const std::string& archive, ArchiveAccess access, ArchiveSource& out);

// The WHERE clause of `filter` ("" when it takes every job).
std::string ArchiveWhere(const ArchiveFilter& filter, const ArchiveDialect& dialect);

}  // namespace zeltlog
