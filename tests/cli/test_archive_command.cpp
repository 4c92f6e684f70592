// The season archive end to end, read back with GDAL's own programs, its
// GeoPackage validator and, where PostgreSQL is installed, a PostGIS of
// our own.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <map>

#include <stdlib.h>
#include <sys/mount.h>

#include "cli_runner.h"
#include "log_builder.h"
#include "temp_dir.h"

namespace zeltlog::cli {
namespace {

using testkit::RunCli;
using testkit::RunShell;
using testkit::ShellQuote;

struct PassJob {
  double longitude;
  int day;  // of March 2026
  const char* farm;
  const char* field;
  const char* pilot;
};

// A straight pass north, 24 m wide, fixes 1 m apart at 5 m/s, spraying
// from the first fix to the last but one (96 l), on the day and with the
// record's farm, field and pilot.
std::string PassLog(const PassJob& job, int fixes = 300) {
  testkit::LogBuilder log("PASS");
  log.Frame(120, testkit::SwathWidth(24.0f));
  log.Frame(34, testkit::TargetRate(1, 0, 80.0f));
  log.Frame(140, testkit::FlowStatus(1, 500.0f, 0, 650.0f, 80.0f, 40.0f));
  log.Frame(202, testkit::FarmRecord({job.farm, job.field, job.pilot, "VH-ZLT", "Spray", "Wheat", "10 km/h", "NE",
                                      "22", "40"}));
  log.Frame(60, testkit::Mark(3, -34.25, job.longitude, 50.0f, "Tree <b>&amp;"));
  for (int i = 0; i < fixes; ++i) {
    log.Frame(1, testkit::Position1({.time = testkit::Timestamp::FromTimeOfDay(30000.0 + i * 0.2, 2026, 3, job.day),
                                     .latitude = -34.25 + i / 110930.0, .longitude = job.longitude,
                                     .altitude = 50.0f, .speed = 5.0f, .heading = 0.0f,
                                     .spray = i + 1 < fixes ? 1u : 0u}));
  }
  log.Frame(140, testkit::FlowStatus(1, 404.0f, 0, 650.0f, 80.0f, 40.0f));
  return log.str();
}

// Three jobs: two on one farm, one across the 180° meridian on a farm
// whose name is markup.
const PassJob kSeason[] = {{141.0, 3, "Riverside", "North", "Kim"},
                           {141.001, 17, "Riverside", "South", "Lee"},
                           {180.0, 28, "<b>Isle's \"&amp;</b>", "Dateline", "Kim"}};

std::string Archive(const std::string& archive) { return " --archive " + ShellQuote(archive); }

nlohmann::ordered_json Json(const testkit::CliResult& run) {
  EXPECT_EQ(run.status, 0) << run.err;
  return run.status == 0 ? nlohmann::ordered_json::parse(run.out) : nlohmann::ordered_json::array();
}

// What one archive answers for the season, after every check of its own;
// two archives of the same season answer the same.
std::string SeasonIn(const std::string& archive, const std::vector<std::string>& logs) {
  std::string logList;
  for (const std::string& log : logs) logList += " " + ShellQuote(log);
  const auto added = RunCli("archive add -j 2" + Archive(archive) + logList);
  EXPECT_EQ(added.status, 0) << added.err;
  EXPECT_NE(added.out.find("stored as job 3 ("), std::string::npos) << added.out;
  // The same logs again store nothing new, and say so.
  const auto again = RunCli("archive add" + Archive(archive) + logList);
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_NE(again.out.find(logs[1] + ": already stored as job 2 ("), std::string::npos) << again.out;
  const nlohmann::ordered_json jobs = Json(RunCli("archive list --json" + Archive(archive)));
  EXPECT_EQ(jobs.size(), 3u);

  // The sums of the groups are the sums of the single reports.
  const nlohmann::ordered_json reports = Json(RunCli("report --json" + logList));
  const nlohmann::ordered_json byField = Json(RunCli("archive summary --by field --json" + Archive(archive)));
  // The reports print hectares to 4 decimals, litres to 2.
  const std::tuple<const char*, const char*, double> sums[] = {{"net_ha", "sprayed_area_ha", 1.5e-4},
                                                               {"gross_ha", "gross_sprayed_area_ha", 1.5e-4},
                                                               {"volume_l", "volume_l", 1.5e-2},
                                                               {"spraying_time_s", "spraying_time_s", 1.5e-2}};
  for (const auto& [group, single, rounding] : sums) {
    double grouped = 0.0, reported = 0.0;
    for (const auto& row : byField) grouped += row[group].get<double>();
    for (const auto& report : reports) reported += report[single].get<double>();
    EXPECT_NEAR(grouped, reported, rounding) << group;
    EXPECT_GT(reported, 0.0) << group;
  }
  EXPECT_EQ(byField.size(), 3u);

  // Filters and groups, as the database selects and groups them.
  struct Case {
    std::string arguments;
    size_t rows;
    std::string first;  // the first row's first column
  };
  const Case cases[] = {
      {"list --farm Riverside", 2, "1"},
      {"list --from 2026-03-17", 2, "2"},
      {"list --from 2026-03-04 --to 2026-03-27", 1, "2"},
      {"list --operator Kim --field Dateline", 1, "3"},
      {"list --machine VH-ZLT --crop Wheat", 3, "1"},
      {"list --client Nobody", 0, ""},
      {"summary --by farm", 2, kSeason[2].farm},
      {"summary --by month", 1, "2026-03"},
      {"summary --by operator --farm Riverside", 2, "Kim"},
      {"summary --by product", 1, ""},
  };
  std::string answers;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    const nlohmann::ordered_json rows = Json(RunCli("archive " + c.arguments + " --json" + Archive(archive)));
    EXPECT_EQ(rows.size(), c.rows);
    if (rows.size() == c.rows && c.rows > 0) {
      const nlohmann::ordered_json& first = rows[0].begin().value();
      EXPECT_EQ(first.is_null() ? "" : first.is_string() ? first.get<std::string>() : first.dump(), c.first);
    }
    const auto csv = RunCli("archive " + c.arguments + " --csv" + Archive(archive));
    EXPECT_EQ(csv.status, 0);
    answers += rows.dump() + csv.out;
  }
  // The summary over farms, for the reader.
  const auto table = RunCli("archive summary --by farm" + Archive(archive));
  EXPECT_EQ(table.status, 0) << table.err;
  EXPECT_NE(table.out.find("Riverside"), std::string::npos) << table.out;
  return answers + jobs.dump() + byField.dump() + table.out;
}

// Runs `sql` on the archive through ogrinfo's SQLite dialect (SpatiaLite).
std::string OgrSql(const std::string& archive, const std::string& sql) {
  const auto run = RunShell("ogrinfo -ro -q -dialect SQLite -sql " + ShellQuote(sql) + " " + ShellQuote(archive));
  EXPECT_EQ(run.status, 0) << run.err;
  return run.out;
}

class ArchiveCommand : public testing::Test {
 protected:
  void SetUp() override {
    for (size_t i = 0; i < std::size(kSeason); ++i) {
      logs_.push_back(dir_.File("JOB" + std::to_string(i + 1) + ".LOG"));
      testkit::WriteFile(logs_.back(), PassLog(kSeason[i]));
    }
  }
  testkit::TempDir dir_;
  std::vector<std::string> logs_;
};

TEST_F(ArchiveCommand, GeoPackageHoldsTheSeason) {
  const std::string archive = dir_.File("season.gpkg");
  SeasonIn(archive, logs_);
  const auto valid = RunShell("/usr/bin/python3 -m osgeo_utils.samples.validate_gpkg " + ShellQuote(archive));
  EXPECT_EQ(valid.status, 0) << valid.out << valid.err;
  // Each job's ground, measured on the ellipsoid by SpatiaLite, is its
  // sprayed area; the one across the meridian lies within -180 to 180.
  const nlohmann::ordered_json jobs = Json(RunCli("archive list --json" + Archive(archive)));
  for (const auto& job : jobs) {
    const std::string id = std::to_string(job["id"].get<long long>());
    const std::string area = OgrSql(archive, "SELECT ST_Area(geom, 1) / 10000 AS ha, ST_MinX(geom) AS w, "
                                             "ST_MaxX(geom) AS e FROM jobs WHERE fid = " + id);
    const double hectares = std::stod(area.substr(area.find("ha (Real) = ") + 12));
    EXPECT_NEAR(hectares, job["sprayed_ha"].get<double>(), job["sprayed_ha"].get<double>() * 1e-4) << area;
    EXPECT_GE(std::stod(area.substr(area.find("w (Real) = ") + 11)), -180.0);
    EXPECT_LE(std::stod(area.substr(area.find("e (Real) = ") + 11)), 180.0);
  }
  EXPECT_NE(OgrSql(archive, "SELECT COUNT(*) AS n FROM marks").find("n (Integer) = 3"), std::string::npos);
  EXPECT_NE(OgrSql(archive, "SELECT COUNT(*) AS n FROM weather").find("n (Integer) = 3"), std::string::npos);

  // A job-info file updates the job's record; the others stay.
  testkit::WriteFile(dir_.File("info.json"), R"({"client": "Hay Co", "product": "Glyphosate 450"})");
  const auto updated = RunCli("archive add --job-info " + ShellQuote(dir_.File("info.json")) + Archive(archive) + " " +
                              ShellQuote(logs_[0]));
  EXPECT_EQ(updated.status, 0) << updated.err;
  EXPECT_NE(updated.out.find("job 1 (") , std::string::npos) << updated.out;
  EXPECT_NE(updated.out.find("updated"), std::string::npos) << updated.out;
  const nlohmann::ordered_json hay = Json(RunCli("archive list --json --client 'Hay Co'" + Archive(archive)));
  ASSERT_EQ(hay.size(), 1u);
  EXPECT_EQ(hay[0]["product"], "Glyphosate 450");
  EXPECT_EQ(Json(RunCli("archive list --json" + Archive(archive))).size(), 3u);
}


// Each fault is named with the archive, exits with 1 and leaves the
// archive as it was.
TEST_F(ArchiveCommand, FaultsLeaveTheArchiveAsItWas) {
  const std::string good = dir_.File("good.gpkg");
  ASSERT_EQ(RunCli("archive add" + Archive(good) + " " + ShellQuote(logs_[0])).status, 0);
  const std::string small = dir_.File("small");
  std::filesystem::create_directory(small);
  const bool mounted = mount("tmpfs", small.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=512k") == 0;
  struct Case {
    const char* name;
    std::string archive;
    std::string prepare;  // a shell command run first
    const char* message;
  };
  const std::string newer = dir_.File("newer.gpkg"), full = small + "/full.gpkg", readOnly = dir_.File("ro");
  const std::vector<Case> cases = {
      {"not a GeoPackage", dir_.File("notes.gpkg"), "echo hello > " + ShellQuote(dir_.File("notes.gpkg")),
       "not a GeoPackage"},
      {"a folder", dir_.File("folder.gpkg"), "mkdir " + ShellQuote(dir_.File("folder.gpkg")), "not a GeoPackage"},
      {"a GeoPackage of something else", dir_.File("other.gpkg"),
       "ogr2ogr -f GPKG " + ShellQuote(dir_.File("other.gpkg")) + " " + ShellQuote(good) + " runs",
       "not a job archive"},
      {"a newer schema", newer,
       "cp " + ShellQuote(good) + " " + ShellQuote(newer) + " && ogrinfo -q -sql 'UPDATE zeltlog_archive SET "
       "schema_version = 99' " + ShellQuote(newer),
       "made by a newer version of this program (archive schema 99"},
      {"a full disk", full,
       "cp " + ShellQuote(good) + " " + ShellQuote(full) + " && (cat /dev/zero > " + ShellQuote(small + "/filler") +
           " 2>/dev/null; true)",
       "full"},
      {"a database that refuses", "PG:host=" + dir_.File("nobody") + " dbname=season", "", "cannot connect"},
      {"a read-only mount", readOnly + "/ro.gpkg",
       "mkdir " + ShellQuote(readOnly) + " && mount -t tmpfs -o size=1m tmpfs " + ShellQuote(readOnly) + " && cp " +
           ShellQuote(good) + " " + ShellQuote(readOnly + "/ro.gpkg") + " && mount -o remount,ro " + ShellQuote(readOnly),
       "cannot be written: Read-only file system"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.archive == full && !mounted) {
      ADD_FAILURE() << "a small file system cannot be mounted here";
      continue;
    }
    if (!c.prepare.empty()) {
      ASSERT_EQ(RunShell(c.prepare).status, 0);
    }
    const std::string before = c.archive.rfind("PG:", 0) == 0 ? "" : testkit::ReadFile(c.archive);
    const auto run = RunCli("archive add" + Archive(c.archive) + " " + ShellQuote(logs_[1]) + " " + ShellQuote(logs_[2]));
    EXPECT_EQ(run.status, 1);
    const std::string named = c.archive.rfind("PG:", 0) == 0 ? "PG:dbname=season" : c.archive;
    EXPECT_NE(run.err.find(named + ": "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    if (!before.empty()) {
      EXPECT_EQ(testkit::ReadFile(c.archive), before);
    }
  }
  if (mounted) {
    // Once there is room again, the archive takes the logs.
    std::filesystem::remove(small + "/filler");
    const auto run = RunCli("archive add" + Archive(full) + " " + ShellQuote(logs_[1]));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Json(RunCli("archive list --json" + Archive(full))).size(), 2u);
    umount2(small.c_str(), MNT_DETACH);
  }
  umount2(readOnly.c_str(), MNT_DETACH);
}

// Four processes add ten logs each into one archive while a fifth adds
// the first ten again: forty jobs, none twice.
void FourWritersAndOneAgain(const std::string& archive, const testkit::TempDir& dir) {
  std::string batches[4];
  for (int i = 0; i < 40; ++i) {
    const std::string log = dir.File("P" + std::to_string(i) + ".LOG");
    testkit::WriteFile(log, PassLog({141.0 + i * 0.001, 1 + i % 28, "Farm", "Field", "Kim"}, 60));
    batches[i / 10] += " " + ShellQuote(log);
  }
  std::string script;
  for (int i = 0; i < 5; ++i) {
    script += ShellQuote(ZELTLOG_CLI_PATH) + " archive add" + Archive(archive) + batches[i % 4] + " > " +
              ShellQuote(dir.File("out" + std::to_string(i))) + " 2>&1 & pids=\"$pids $!\"; ";
  }
  script += "s=0; for p in $pids; do wait $p || s=1; done; exit $s";
  const auto run = RunShell(script);
  std::string outputs;
  for (int i = 0; i < 5; ++i) outputs += testkit::ReadFile(dir.File("out" + std::to_string(i)));
  EXPECT_EQ(run.status, 0) << outputs;
  EXPECT_EQ(Json(RunCli("archive list --json" + Archive(archive))).size(), 40u);
  size_t already = 0;
  for (size_t at = outputs.find("already stored"); at != std::string::npos; at = outputs.find("already stored", at + 1)) {
    ++already;
  }
  EXPECT_EQ(already, 10u) << outputs;
}

TEST_F(ArchiveCommand, ConcurrentAddsAllLand) {
  const std::string archive = dir_.File("shared.gpkg");
  FourWritersAndOneAgain(archive, dir_);
  // Nothing is left locked: a writer gets in at once.
  EXPECT_EQ(RunShell("ogrinfo -q -sql 'DELETE FROM runs WHERE 0' " + ShellQuote(archive)).status, 0);
}

// A PostgreSQL 15 cluster with PostGIS of the test's own, run by the
// postgres user (PostgreSQL refuses root) in a private folder and
// listening only on a socket there; stopped and removed when dropped.
class PostGisCluster {
 public:
  PostGisCluster() {
    if (!std::filesystem::exists(kBin + "/initdb") ||
        !std::filesystem::exists("/usr/share/postgresql/15/extension/postgis.control")) {
      missing_ = "PostgreSQL 15 with PostGIS 3 is not installed (postgresql-15-postgis-3)";
      return;
    }
    char folder[] = "/tmp/zeltlog-pg-XXXXXX";
    if (!mkdtemp(folder)) {
      failed_ = "no folder for the cluster";
      return;
    }
    folder_ = folder;
    started_ = true;
    const auto made = RunShell("chown postgres " + ShellQuote(folder_) + " && " + kAs + kBin + "/initdb -A trust -U postgres -D " +
                               ShellQuote(folder_ + "/data") + " > /dev/null && " + Control("start") + " && " + kAs +
                               "psql -q -h " + ShellQuote(folder_) + " -U postgres -c 'CREATE DATABASE season' && " + kAs +
                               "psql -q -h " + ShellQuote(folder_) + " -U postgres -d season -c 'CREATE EXTENSION postgis'");
    if (made.status != 0) failed_ = "the cluster did not start: " + made.err;
  }
  ~PostGisCluster() {
    if (started_) RunShell(Control("stop"));
    std::error_code ignored;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
  }
  // Why there is no cluster: not installed (the test is skipped), or
  // installed but failed (the test fails).
  const std::string& missing() const { return missing_; }
  const std::string& failed() const { return failed_; }
  std::string Archive() const { return "PG:host=" + folder_ + " dbname=season user=postgres"; }
  std::string Psql(const std::string& sql) const { return RunShell(PsqlCommand(sql)).out; }
  std::string PsqlCommand(const std::string& sql) const {
    return kAs + "psql -At -h " + ShellQuote(folder_) + " -U postgres -d season -c " + ShellQuote(sql);
  }
  // pg_ctl start or stop (at once, as a crash would) as a shell command.
  std::string Control(const std::string& action) const {
    return kAs + kBin + "/pg_ctl -w -D " + ShellQuote(folder_ + "/data") +
           (action == "stop" ? " -m immediate stop" : " -l " + ShellQuote(folder_ + "/log") +
                                                          " -o \"-c listen_addresses='' -k " + folder_ + "\" start") +
           " > /dev/null";
  }

 private:
  inline static const std::string kBin = "/usr/lib/postgresql/15/bin", kAs = "runuser -u postgres -- ";
  std::string folder_, missing_, failed_;
  bool started_ = false;
};

// The same season in PostGIS answers as in a GeoPackage, and four writers
// land there too.
TEST_F(ArchiveCommand, PostGisAnswersAsAGeoPackage) {
  PostGisCluster cluster;
  if (!cluster.missing().empty()) GTEST_SKIP() << cluster.missing();
  ASSERT_EQ(cluster.failed(), "");
  const std::string inPostGis = SeasonIn(cluster.Archive(), logs_);
  EXPECT_EQ(inPostGis, SeasonIn(dir_.File("season.gpkg"), logs_));
  // psql reads what GDAL wrote: a unique key on the hash, ground in WGS-84.
  EXPECT_EQ(cluster.Psql("SELECT count(*), count(DISTINCT hash), min(ST_SRID(geom)) FROM jobs"), "3|3|4326\n");
  EXPECT_NE(cluster.Psql("SELECT indexdef FROM pg_indexes WHERE indexname = 'jobs_hash'").find("UNIQUE"),
            std::string::npos);
  const auto removed = RunCli("archive remove 1" + Archive(cluster.Archive()));
  EXPECT_EQ(removed.status, 0) << removed.err;
  EXPECT_EQ(cluster.Psql("SELECT count(*) FROM jobs; SELECT count(*) FROM runs WHERE job NOT IN (SELECT hash FROM jobs)"),
            "2\n0\n");
  EXPECT_EQ(cluster.Psql("DROP TABLE jobs, runs, weather, marks, zeltlog_archive").find("ERROR"), std::string::npos);
  FourWritersAndOneAgain(cluster.Archive(), dir_);

  // The server stopped while an add runs: exit 1, the archive named, and
  // every job that was stored whole.
  std::string logs;
  for (int i = 0; i < 60; ++i) {
    const std::string log = dir_.File("Q" + std::to_string(i) + ".LOG");
    testkit::WriteFile(log, PassLog({150.0 + i * 0.001, 1 + i % 28, "Farm", "Field", "Lee"}, 3000));
    logs += " " + ShellQuote(log);
  }
  const std::string out = dir_.File("stopped.out");
  const auto stopped = RunShell(ShellQuote(ZELTLOG_CLI_PATH) + " archive add" + Archive(cluster.Archive()) + logs + " > " +
                                ShellQuote(out) + " 2>&1 & for i in $(seq 1000); do [ \"$(" +
                                cluster.PsqlCommand("SELECT count(*) FROM jobs WHERE operator = 'Lee'") +
                                ")\" != 0 ] && break; sleep 0.02; done; " + cluster.Control("stop") + "; wait $!");
  EXPECT_EQ(stopped.status, 1) << testkit::ReadFile(out);
  EXPECT_NE(testkit::ReadFile(out).find(": not stored: PG:dbname=season: "), std::string::npos) << testkit::ReadFile(out);
  ASSERT_EQ(RunShell(cluster.Control("start")).status, 0);
  const std::string left = cluster.Psql("SELECT count(*) FROM jobs WHERE farm = 'Farm' AND operator = 'Lee'; "
                                        "SELECT count(*) FROM jobs j WHERE NOT EXISTS (SELECT 1 FROM runs WHERE job = j.hash)");
  EXPECT_NE(left.substr(0, left.find('\n')), "60") << left << testkit::ReadFile(out);
  EXPECT_EQ(left.substr(left.find('\n') + 1), "0\n") << left;
}

// Every option's exit status, and what remove and export leave.
TEST_F(ArchiveCommand, OptionsRemoveAndExport) {
  const std::string archive = dir_.File("kept.gpkg"), log = ShellQuote(logs_[0]), page = dir_.File("season.html");
  const std::string env = "XDG_DATA_HOME=" + ShellQuote(dir_.File("data")) + " ZELTLOG_ARCHIVE= ";
  std::filesystem::create_directory(dir_.File("taken.html"));
  struct Case {
    std::string arguments;
    int status;
    std::string says;  // on standard output or error
  };
  const Case cases[] = {
      {"archive", 2, ""},
      {"archive add", 2, ""},
      {"archive add -j 0 " + log, 2, ""},
      {"archive add --field '' " + log, 2, ""},
      {"archive list --archive ''", 2, ""},
      {"archive list --json --csv", 2, ""},
      {"archive list --from 2026-3-1", 2, ""},
      {"archive summary", 2, ""},
      {"archive summary --by pilot", 2, ""},
      {"archive remove", 2, ""},
      {"archive remove 1 --before 2026-01-01", 2, ""},
      {"archive export", 2, ""},
      {"archive list" + Archive(archive), 1, archive + ": no archive there yet"},
      {"archive add --job-info " + ShellQuote(dir_.File("none.json")) + Archive(archive) + " " + log, 1, "none.json"},
      {"archive add --field " + ShellQuote(dir_.File("none.kml")) + Archive(archive) + " " + log, 1, "none.kml"},
      {"archive add" + Archive(archive) + " " + ShellQuote(dir_.File("NONE.LOG")) + " " + log, 1, "NONE.LOG: "},
      {"archive add -j 3" + Archive(archive) + " " + ShellQuote(logs_[1]) + " " + ShellQuote(logs_[2]), 0, "job 3"},
      // The season map of the three jobs; never onto the archive.
      {"archive map --html " + ShellQuote(page) + Archive(archive), 0, page},
      {"archive map --html " + ShellQuote(archive) + Archive(archive), 1, "is the same file as the input"},
      {"archive map --html " + ShellQuote(dir_.File("taken.html")) + Archive(archive), 1, "cannot be written"},
      {"archive map" + Archive(archive), 2, ""},
      // The default archive lies in $XDG_DATA_HOME, made on first use.
      {env + ShellQuote(ZELTLOG_CLI_PATH) + " archive add " + log, 0, "stored as job 1"},
      {"ZELTLOG_ARCHIVE=" + ShellQuote(archive) + " " + ShellQuote(ZELTLOG_CLI_PATH) + " archive list", 0, "Dateline"},
      {"archive remove 99" + Archive(archive), 1, archive + ": no job 99"},
      {"archive remove 2" + Archive(archive), 0, "1 job removed"},
      {"archive remove --before 2026-03-18" + Archive(archive), 0, "1 job removed"},
      {"archive export " + ShellQuote(dir_.File("out.txt")) + Archive(archive), 1, "unknown GIS format"},
      {"archive export " + ShellQuote(archive) + Archive(archive), 1, archive},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    const bool shell = c.arguments.rfind("archive", 0) != 0;
    const auto run = shell ? RunShell(c.arguments) : RunCli(c.arguments);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_NE((run.out + run.err).find(c.says), std::string::npos) << run.out << run.err;
  }
  EXPECT_TRUE(std::filesystem::exists(dir_.File("data/zeltlog/archive.gpkg")));
  // The page as an HTML parser reads it: a row per job, the farm's markup
  // as text; and as a browser draws it, opened on job 3: its two pieces
  // either side of the meridian, and its figures.
  auto xpath = [&](const std::string& path) {
    return RunShell("xmllint --html --xpath " + ShellQuote(path) + " " + ShellQuote(page) + " 2>/dev/null").out;
  };
  EXPECT_EQ(xpath("count(//table[@id='job-list']/tbody/tr)"), "3\n");
  EXPECT_EQ(xpath("string(//tr[@data-job='3']/td[3])"), std::string(kSeason[2].farm) + "\n");
  EXPECT_EQ(xpath("count(//b)"), "0\n");
  if (std::system("command -v chromium >/dev/null 2>&1") == 0) {
    const std::string dom = RunShell("timeout 120 chromium --headless --no-sandbox --disable-gpu --user-data-dir=" +
                                     ShellQuote(dir_.File("browser")) + " --dump-dom " +
                                     ShellQuote("file://" + page + "#job=3") + " 2>/dev/null").out;
    EXPECT_NE(dom.find("data-drawn=\"Jobs:3 Ground:4\""), std::string::npos) << dom.substr(0, 300);
    EXPECT_NE(dom.find("data-selected=\"3\""), std::string::npos);
    EXPECT_EQ(dom.find(" data-error=\""), std::string::npos);
    EXPECT_NE(dom.find("<th>Farm</th><td>&lt;b&gt;Isle's \"&amp;amp;&lt;/b&gt;</td>"), std::string::npos);
  }
  const nlohmann::ordered_json left = Json(RunCli("archive list --json" + Archive(archive)));
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0]["field"], "Dateline");
  // Exports GDAL reads back: every table in a GeoPackage, the jobs in the rest.
  for (const char* name : {"out.gpkg", "out.geojson", "out.shp", "out.fgb"}) {
    SCOPED_TRACE(name);
    const std::string out = dir_.File(name);
    const auto run = RunCli("archive export " + ShellQuote(out) + Archive(archive));
    EXPECT_EQ(run.status, 0) << run.err;
    const auto read = RunShell("ogrinfo -ro -al " + ShellQuote(out));
    EXPECT_NE(read.out.find("Feature Count: 1"), std::string::npos) << read.out << read.err;
    EXPECT_NE(read.out.find("Dateline"), std::string::npos) << read.out;
    const bool everyTable = std::string(name) == "out.gpkg";
    EXPECT_EQ(read.out.find("Layer name: marks") != std::string::npos, everyTable);
  }
}

}  // namespace
}  // namespace zeltlog::cli
