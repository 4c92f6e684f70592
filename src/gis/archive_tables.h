// The archive's tables and their columns, as they are created, migrated
// and written.
#pragma once

#include <ogr_core.h>

#include <vector>

namespace zeltlog {

inline constexpr char kArchiveVersionTable[] = "zeltlog_archive";

struct ArchiveColumn {
  const char* name;
  OGRFieldType type;
};

struct ArchiveTableDefinition {
  const char* name;
  OGRwkbGeometryType geometry;
  std::vector<ArchiveColumn> columns;
};

// The version table first, then jobs, runs, weather and marks.
const std::vector<ArchiveTableDefinition>& ArchiveTableDefinitions();

}  // namespace zeltlog
