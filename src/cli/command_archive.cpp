#include "cli/command_archive.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <mutex>
#include <optional>
#include <thread>

#include "cli/archive_map_page.h"
#include "cli/cli_platform.h"
#include "cli/command_report.h"
#include "cli/commands.h"
#include "cli/file_name_option.h"
#include "cli/output_plan.h"
#include "converters/field_file.h"
#include "converters/season_archive.h"
#include "core/event_log.h"
#include "core/os.h"
#include "core/output_set.h"
#include "core/staging_folder.h"
#include "coverage/report_format.h"
#include "gis/gis_module.h"
#include "job_record/job_info.h"

namespace zeltlog::cli {
namespace {

// A local date, as the filters and --before take it.
const CLI::Validator kDate(
    [](std::string& text) {
      int year = 0, month = 0, day = 0;
      char end = 0;
      if (text.size() != 10 || std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &year, &month, &day, &end) != 3 ||
          month < 1 || month > 12 || day < 1 || day > 31) {
        return std::string("not a date YYYY-MM-DD");
      }
      return std::string();
    },
    "YYYY-MM-DD", "Date");

void AddArchiveOption(CLI::App* command, ArchiveCommandOptions& o) {
  command->add_option("--archive", o.archive,
                      "The archive: a GeoPackage file, or a PostGIS database as PG:\"dbname=... host=...\" (default: "
                      "$ZELTLOG_ARCHIVE, else archive.gpkg in $XDG_DATA_HOME/zeltlog, ~/.local/share/zeltlog)")
      ->check(CLI::Validator(
          [](std::string& name) { return name.empty() ? std::string("the archive's name is empty") : std::string(); },
          "", "Archive"))
      ->type_name("ARCHIVE");
}

void AddFilterOptions(CLI::App* command, ArchiveFilter& f) {
  command->add_option("--from", f.from, "Jobs of this local date or later")->check(kDate)->type_name("DATE");
  command->add_option("--to", f.to, "Jobs of this local date or earlier")->check(kDate)->type_name("DATE");
  const std::pair<const char*, std::string*> texts[] = {
      {"--farm", &f.farm},       {"--field", &f.field},   {"--operator", &f.operatorName}, {"--machine", &f.machine},
      {"--crop", &f.crop},       {"--client", &f.client}, {"--product", &f.product}};
  for (const auto& [name, value] : texts) {
    command->add_option(name, *value, std::string("Jobs whose record's ") + (name + 2) + " is TEXT")->type_name("TEXT");
  }
}

void AddTableFormat(CLI::App* command, ArchiveCommandOptions& o) {
  CLI::Option* json = command->add_flag("--json", o.json, "Print a JSON array of objects instead of the table");
  command->add_flag("--csv", o.csv, "Print comma-separated values with a header line instead of the table")
      ->excludes(json);
}

}  // namespace

std::string ArchiveValueText(const ArchiveValue& value, const std::string& column) {
  if (std::holds_alternative<std::monostate>(value)) return "-";
  if (const auto* text = std::get_if<std::string>(&value)) {
    return column == "hash" ? text->substr(0, 12) : *text;
  }
  if (const auto* whole = std::get_if<long long>(&value)) return std::to_string(*whole);
  const double real = std::get<double>(value);
  if (column.find("time_s") != std::string::npos) return ClockText(real);
  return FixedText(real, column.find("pct") != std::string::npos || column == "ha_per_hour" ? 1 : 2);
}

namespace {

// Figures to the nanohectare, nanolitre and nanosecond: sums the two
// kinds of database add up in another order read the same.
double Rounded(double value) { return std::round(value * 1e9) / 1e9; }

std::string CsvField(const ArchiveValue& value) {
  if (std::holds_alternative<std::monostate>(value)) return "";
  if (const auto* whole = std::get_if<long long>(&value)) return std::to_string(*whole);
  if (const auto* real = std::get_if<double>(&value)) return nlohmann::ordered_json(Rounded(*real)).dump();
  const std::string& text = std::get<std::string>(value);
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

nlohmann::ordered_json JsonOf(const ArchiveValue& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  if (const auto* whole = std::get_if<long long>(&value)) return *whole;
  if (const auto* real = std::get_if<double>(&value)) return Rounded(*real);
  return nullptr;
}

// The table's lines: columns padded to their widest value, figures to the
// right.
std::vector<std::string> TableLines(const std::vector<std::string>& columns,
                                    const std::vector<std::vector<ArchiveValue>>& rows,
                                    const std::vector<std::string>& shown) {
  std::vector<size_t> index;
  for (const std::string& name : shown) {
    for (size_t i = 0; i < columns.size(); ++i) {
      if (columns[i] == name) index.push_back(i);
    }
  }
  std::vector<std::vector<std::string>> cells(1);
  for (size_t i : index) cells[0].push_back(columns[i]);
  std::vector<bool> right(index.size(), false);
  for (const auto& row : rows) {
    cells.emplace_back();
    for (size_t k = 0; k < index.size(); ++k) {
      const ArchiveValue& value = row[index[k]];
      if (std::holds_alternative<double>(value) || std::holds_alternative<long long>(value)) right[k] = true;
      cells.back().push_back(ArchiveValueText(value, columns[index[k]]));
    }
  }
  std::vector<size_t> width(index.size(), 0);
  for (const auto& line : cells) {
    for (size_t k = 0; k < line.size(); ++k) width[k] = std::max(width[k], line[k].size());
  }
  std::vector<std::string> lines;
  for (const auto& line : cells) {
    std::string text;
    for (size_t k = 0; k < line.size(); ++k) {
      const std::string pad(width[k] - line[k].size(), ' ');
      text += (k ? "  " : "") + (right[k] ? pad + line[k] : line[k] + (k + 1 < line.size() ? pad : ""));
    }
    lines.push_back(text);
  }
  return lines;
}

void PrintTable(CliPlatform& printer, const ArchiveTable& table, const ArchiveCommandOptions& o) {
  if (o.json) {
    nlohmann::ordered_json rows = nlohmann::ordered_json::array();
    for (const auto& row : table.rows) {
      nlohmann::ordered_json object = nlohmann::ordered_json::object();
      for (size_t i = 0; i < table.columns.size(); ++i) object[table.columns[i]] = JsonOf(row[i]);
      rows.push_back(std::move(object));
    }
    printer.PrintReport(rows.dump(2));
    return;
  }
  if (o.csv) {
    std::string header;
    for (const std::string& column : table.columns) header += (header.empty() ? "" : ",") + column;
    printer.PrintReport(header);
    for (const auto& row : table.rows) {
      std::string line;
      for (size_t i = 0; i < row.size(); ++i) line += (i ? "," : "") + CsvField(row[i]);
      printer.PrintReport(line);
    }
    return;
  }
  const std::vector<std::string> shown =
      o.by.empty() ? std::vector<std::string>{"id", "hash", "date", "start", "farm", "field", "operator", "machine",
                                              "product", "sprayed_ha", "gross_ha", "volume_l", "spraying_time_s"}
                   : table.columns;
  for (const std::string& line : TableLines(table.columns, table.rows, shown)) printer.PrintReport(line);
}

int Refused(CliPlatform& printer, const std::string& message) {
  printer.PrintError("zeltlog-cli: " + message);
  return 1;
}

}  // namespace

void AddArchiveCommand(CLI::App& app, CommandSet& commands) {
  const char* leftOut = GisFilesLeftOut();
  ArchiveCommandOptions& o = commands.archive;
  CLI::App* archive = app.add_subcommand(
      "archive", leftOut ? "The season archive of reported jobs (left out of the Windows build: it has no GDAL)"
                         : "The season archive of reported jobs: a GeoPackage, or a PostGIS database");
  archive->require_subcommand(1);

  CLI::App* add = archive->add_subcommand(
      "add", "Report each log as report does and store the job, keyed by the SHA-256 of the log's bytes");
  add->add_option("LOG", o.logs, "Guidance logs to add")->required();
  NamesAFile(add->add_option("--job-info", o.jobInfoPath,
                             "What the logs lack for their records, from a JSON file (as report --job-info); a job "
                             "already stored takes it"))
      ->type_name("FILE");
  NamesAFile(add->add_option("--field", o.field,
                             "The field's polygons (as report --field); a job already stored is reported again "
                             "against it"))
      ->type_name("FILE");
  add->add_option("-j,--jobs", o.jobs, "Report N logs at a time")->check(CLI::Range(1, 64))->type_name("N");
  AddArchiveOption(add, o);
  add->callback([&commands] { commands.Select([&commands] { return RunArchiveAdd(commands.archive); }); });

  CLI::App* list = archive->add_subcommand("list", "One line per stored job");
  AddFilterOptions(list, o.filter);
  AddTableFormat(list, o);
  AddArchiveOption(list, o);
  list->callback([&commands] { commands.Select([&commands] { return RunArchiveQuery(commands.archive); }); });

  CLI::App* summary = archive->add_subcommand(
      "summary", "One line per group of jobs: jobs, net and gross ha, overlap %, volume, spraying time, ha per hour");
  summary->add_option("--by", o.by, "What to group by")
      ->required()
      ->check(CLI::IsMember({"farm", "field", "operator", "machine", "crop", "client", "product", "month"}))
      ->type_name("farm|field|operator|machine|crop|client|product|month");
  AddFilterOptions(summary, o.filter);
  AddTableFormat(summary, o);
  AddArchiveOption(summary, o);
  summary->callback([&commands] { commands.Select([&commands] { return RunArchiveQuery(commands.archive); }); });

  CLI::App* map = archive->add_subcommand(
      "map", "Write one offline page with every selected job's sprayed ground on a map and a table of the jobs");
  NamesAFile(map->add_option("--html", o.html, "The page to write"))->required()->type_name("FILE");
  AddFilterOptions(map, o.filter);
  AddArchiveOption(map, o);
  map->callback([&commands] { commands.Select([&commands] { return RunArchiveMap(commands.archive); }); });

  CLI::App* remove = archive->add_subcommand("remove", "Remove a job, or every job before a date");
  CLI::Option* job = remove->add_option("JOB", o.job, "The job's row id, or the start of its hash");
  CLI::Option* before =
      remove->add_option("--before", o.before, "Every job of an earlier local date")->check(kDate)->type_name("DATE");
  job->excludes(before);
  AddArchiveOption(remove, o);
  remove->callback([&commands] {
    if (commands.archive.job.empty() && commands.archive.before.empty()) {
      throw CLI::ValidationError("give a JOB or --before DATE");
    }
    commands.Select([&commands] { return RunArchiveRemove(commands.archive); });
  });

  CLI::App* exported = archive->add_subcommand(
      "export", "Write the archive to OUT: .gpkg (every table), .geojson, .shp or .fgb (the jobs)");
  NamesAFile(exported->add_option("OUT", o.out, "The file to write"))->required();
  AddArchiveOption(exported, o);
  exported->callback([&commands] { commands.Select([&commands] { return RunArchiveExport(commands.archive); }); });
}

int RunArchiveAdd(const ArchiveCommandOptions& o) {
  CliPlatform printer({}, nullptr, true);
  if (const char* leftOut = GisFilesLeftOut()) return Refused(printer, leftOut);
  const std::string archive = SeasonArchiveOf(o.archive);
  std::vector<std::string> inputs = o.logs;
  if (!o.field.empty()) inputs.push_back(o.field);
  if (!o.jobInfoPath.empty()) inputs.push_back(o.jobInfoPath);
  if (archive.rfind("PG:", 0) != 0) {
    if (!OutputsAreNewFiles(inputs, {archive}, {})) return 1;
    MakeDefaultArchiveFolder(o.archive);
  }
  LonLatMultiPolygon field;
  if (!o.field.empty()) {
    PolygonFile file;
    const std::string problem = ReadFieldFile(o.field, file);
    if (!problem.empty() || file.polygons.empty()) {
      return Refused(printer, o.field + ": " + (problem.empty() ? "it holds no polygon" : problem));
    }
    field = std::move(file.polygons);
  }
  std::optional<JobInfo> jobInfo;
  if (!o.jobInfoPath.empty()) {
    JobInfoReading reading = ReadJobInfoFile(o.jobInfoPath);
    for (const std::string& warning : reading.warnings) printer.PrintError("zeltlog-cli: " + warning);
    if (!reading.info) return Refused(printer, reading.error);
    jobInfo = std::move(reading.info);
  }
  // A job stored before is reported again, and updated, only when the
  // user gives what changes its record or figures.
  const bool update = jobInfo.has_value() || !o.field.empty();
  const LonLatMultiPolygon* fieldGiven = o.field.empty() ? nullptr : &field;
  const JobInfo* info = jobInfo ? &*jobInfo : nullptr;
  // The logs are reported `jobs` at a time, and stored one at a time, in
  // their order, while the next ones are reported. A log reported before
  // the one ahead of it waits for its turn while its worker goes on with
  // the next log, so that no core waits for the slowest log; at most twice
  // `jobs` logs are reported ahead of the one being stored. The workers
  // also make each job's sprayed ground as the archive holds it (a union
  // of the coverage's pieces, as long as a report at times), so that the
  // one storing thread only writes.
  struct Reported {
    std::optional<CoverageReportOutcome> outcome;
    std::string groundWkb;
    std::exception_ptr failure;
  };
  const size_t workers = std::min(static_cast<size_t>(o.jobs), o.logs.size());
  const size_t ahead = 2 * workers;
  std::vector<Reported> reported(o.logs.size());
  std::mutex mutex;
  std::condition_variable changed;
  size_t next = 0, storing = 0;
  bool stop = false;
  auto report = [&] {
    for (;;) {
      std::unique_lock lock(mutex);
      changed.wait(lock, [&] { return stop || next >= o.logs.size() || next < storing + ahead; });
      if (stop || next >= o.logs.size()) return;
      const size_t i = next++;
      lock.unlock();
      Reported done;
      try {
        done.outcome = RunCoverageReport(o.logs[i], fieldGiven, "", "", info);
        if (done.outcome->result.inputRead) done.groundWkb = ArchiveGroundWkbWithModule(done.outcome->report);
      } catch (...) {
        done.failure = std::current_exception();
      }
      lock.lock();
      reported[i] = std::move(done);
      changed.notify_all();
    }
  };
  std::vector<std::thread> reporting;
  auto finish = [&] {
    {
      std::lock_guard lock(mutex);
      stop = true;
    }
    changed.notify_all();
    for (std::thread& worker : reporting) worker.join();
  };
  for (size_t w = 0; w < workers; ++w) reporting.emplace_back(report);
  int status = 0;
  const KeptArchiveConnection kept;
  try {
    for (; storing < o.logs.size();) {
      const std::string& log = o.logs[storing];
      Reported done;
      {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return reported[storing].outcome || reported[storing].failure; });
        done = std::move(reported[storing]);
        reported[storing] = {};
        ++storing;
      }
      changed.notify_all();
      if (done.failure) std::rethrow_exception(done.failure);
      const CoverageReportOutcome& outcome = *done.outcome;
      if (ReportCommandResult(printer, log, outcome.result) != 0) status = 1;
      if (!outcome.result.inputRead) continue;
      const ArchivedLog stored = StoreInArchive(archive, log, outcome, update, &done.groundWkb);
      if (!stored.said.empty()) printer.Print(stored.said);
      if (!stored.problem.empty()) printer.PrintError("zeltlog-cli: " + stored.problem);
      if (!stored.added.ok()) status = 1;
    }
  } catch (...) {
    finish();
    throw;
  }
  finish();
  return status;
}

int RunArchiveQuery(const ArchiveCommandOptions& o) {
  OutputOptions output;
  output.stdoutTaken = o.json || o.csv;
  CliPlatform printer(output, nullptr, true);
  if (const char* leftOut = GisFilesLeftOut()) return Refused(printer, leftOut);
  const ArchiveTable table = ArchiveQueryWithModule(SeasonArchiveOf(o.archive), o.filter, o.by);
  if (!table.error.empty()) return Refused(printer, table.error);
  PrintTable(printer, table, o);
  return 0;
}

int RunArchiveMap(const ArchiveCommandOptions& o) {
  CliPlatform printer({}, nullptr, true);
  if (const char* leftOut = GisFilesLeftOut()) return Refused(printer, leftOut);
  const std::string archive = SeasonArchiveOf(o.archive);
  if (archive.rfind("PG:", 0) != 0 && !OutputsAreNewFiles({archive}, {o.html}, {})) return 1;
  const ArchiveMapJobs jobs = ArchiveMapSelectionWithModule(archive, o.filter);
  if (!jobs.error.empty()) return Refused(printer, jobs.error);
  // Made whole in memory, then written as every document is: complete or
  // not at all.
  const std::string page = FormatSeasonMapPage(jobs, ArchiveValueText);
  UnreadEventLog events;
  OutputSet outputs(events);
  if (OutputFile* file = outputs.Create(o.html, OutputFile::Mode::Binary)) {
    file->WriteBytes(page.data(), page.size());
    outputs.Commit(file);
  }
  CommandResult result;
  result.inputRead = true;
  result.outputs = outputs.report();
  return ReportCommandResult(printer, archive, result);
}

int RunArchiveRemove(const ArchiveCommandOptions& o) {
  CliPlatform printer({}, nullptr, true);
  if (const char* leftOut = GisFilesLeftOut()) return Refused(printer, leftOut);
  const std::string archive = SeasonArchiveOf(o.archive);
  long long removed = 0;
  const std::string error = ArchiveRemoveWithModule(archive, o.job, o.before, removed);
  if (!error.empty()) return Refused(printer, error);
  printer.Print(archive + ": " + std::to_string(removed) + (removed == 1 ? " job" : " jobs") + " removed");
  return 0;
}

int RunArchiveExport(const ArchiveCommandOptions& o) {
  CliPlatform printer({}, nullptr, true);
  if (const char* leftOut = GisFilesLeftOut()) return Refused(printer, leftOut);
  const std::string archive = SeasonArchiveOf(o.archive);
  if (archive.rfind("PG:", 0) != 0 && !OutputsAreNewFiles({archive}, {o.out}, {})) return 1;
  // Written into a private folder beside its target, and moved into place
  // once complete.
  std::string error;
  StagingFolder staging;
  const std::filesystem::path target = os::NativePath(o.out);
  const std::string folder = target.has_parent_path() ? target.parent_path().string() : "";
  if (!staging.Create(folder, error)) return Refused(printer, o.out + ": cannot be written: " + error);
  error = ArchiveExportWithModule(archive, staging.Path() + "/" + target.filename().string());
  if (!error.empty()) return Refused(printer, error);
  std::string failedName;
  if (!staging.Publish(failedName, error)) return Refused(printer, o.out + ": cannot be written: " + error);
  printer.Print(o.out);
  return 0;
}

}  // namespace zeltlog::cli
