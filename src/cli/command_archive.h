// zeltlog-cli archive add|list|summary|map|remove|export: the season
// archive of reported jobs (gis/archive.h), a GeoPackage at
// $XDG_DATA_HOME/zeltlog/archive.gpkg unless --archive or ZELTLOG_ARCHIVE
// names another GeoPackage or a PostGIS database ("PG:dbname=...").
#pragma once

#include <string>
#include <vector>

#include "gis/archive.h"

namespace CLI {
class App;
}

namespace zeltlog::cli {

class CommandSet;

struct ArchiveCommandOptions {
  std::string archive;  // --archive; empty: ZELTLOG_ARCHIVE, else the default GeoPackage
  // add
  std::vector<std::string> logs;
  std::string jobInfoPath, field;
  int jobs = 1;
  // list, summary
  ArchiveFilter filter;
  bool json = false, csv = false;
  std::string by;
  // remove
  std::string job, before;
  // export
  std::string out;
  // map
  std::string html;
};

// Adds `archive` and its subcommands to `app`, each selecting its run in
// `commands`.
void AddArchiveCommand(CLI::App& app, CommandSet& commands);

int RunArchiveAdd(const ArchiveCommandOptions& options);
// list and summary (with `by`).
int RunArchiveQuery(const ArchiveCommandOptions& options);
int RunArchiveRemove(const ArchiveCommandOptions& options);
int RunArchiveExport(const ArchiveCommandOptions& options);
int RunArchiveMap(const ArchiveCommandOptions& options);

// A value as the archive's table shows it: figures rounded, a time as a
// clock, the hash's start, nothing as "-".
std::string ArchiveValueText(const ArchiveValue& value, const std::string& column);

}  // namespace zeltlog::cli
