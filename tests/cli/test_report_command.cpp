// The options of `report`, parsed as the command line gives them.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <CLI/CLI.hpp>

#include <filesystem>
#include <map>
#include <sstream>

#include "cli/command_report.h"
#include "job_record/job_info.h"
#include "cli_runner.h"
#include "log_builder.h"
#include "temp_dir.h"
#include "xml_check.h"

namespace zeltlog::cli {
namespace {

TEST(ReportCommand, Options) {
  struct Case {
    std::vector<std::string> arguments;
    bool parses;
    ReportCommandOptions expected;
  };
  const Case cases[] = {
      {{"report", "A.LOG"}, true, {{"A.LOG"}, false, "", "", "", "", "", false, "metric"}},
      {{"report", "--json", "--field", "paddock.kmz", "--export", "out.gpkg", "--html", "map.html", "--job-info",
        "job.json", "--check-record", "us-epa-171", "--strict", "--units", "us", "A.LOG", "B.LOG"},
       true,
       {{"A.LOG", "B.LOG"}, true, "paddock.kmz", "out.gpkg", "map.html", "job.json", "us-epa-171", true, "us"}},
      {{"report"}, false, {}},
      {{"report", "--field"}, false, {}},
      {{"report", "--colour", "A.LOG"}, false, {}},
      {{"report", "--strict", "A.LOG"}, false, {}},  // strict about no profile
      {{"report", "--check-record", "wa", "A.LOG"}, false, {}},
      {{"report", "--units", "imperial", "A.LOG"}, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments.size());
    CLI::App app;
    ReportCommandOptions o;
    AddReportCommand(app, o);
    std::vector<std::string> reversed(c.arguments.rbegin(), c.arguments.rend());
    bool parsed = true;
    try {
      app.parse(reversed);
    } catch (const CLI::ParseError&) {
      parsed = false;
    }
    EXPECT_EQ(parsed, c.parses);
    auto fields = [](const ReportCommandOptions& r) {
      return std::tie(r.logs, r.json, r.field, r.exportPath, r.htmlPath, r.jobInfoPath, r.checkRecord, r.strict, r.units);
    };
    if (!c.parses) continue;
    EXPECT_EQ(fields(o), fields(c.expected));
  }
}

TEST(ReportCommand, ExportNamesForSeveralLogs) {
  EXPECT_EQ(ExportPathFor("gis/out.gpkg", "logs/JOB12.LOG", false), "gis/out.gpkg");
  EXPECT_EQ(ExportPathFor("gis/out.gpkg", "logs/JOB12.LOG", true), "gis/out_JOB12.gpkg");
  EXPECT_EQ(ExportPathFor("out.shp", "JOB3", true), "out_JOB3.shp");
}

// One straight pass north on a zone's central meridian, 24 m wide, fixes
// 1 m apart at 5 m/s, spraying from the first fix to the last but one.
std::string StraightPass(int fixes) {
  testkit::LogBuilder log("PASS");
  log.Frame(120, testkit::SwathWidth(24.0f));
  log.Frame(34, testkit::TargetRate(1, 0, 80.0f));
  log.Frame(140, testkit::FlowStatus(1, 500.0f, 0, 650.0f, 80.0f, 40.0f));
  const double metresPerDegree = 110930.0;  // of latitude near 34 S
  for (int i = 0; i < fixes; ++i) {
    log.Frame(1, testkit::Position1({.time = testkit::Timestamp::FromTimeOfDay(30000.0 + i * 0.2),
                                     .latitude = -34.25 + i / metresPerDegree, .longitude = 141.0, .altitude = 50.0f,
                                     .speed = 5.0f, .heading = 0.0f, .spray = i + 1 < fixes ? 1u : 0u}));
  }
  log.Frame(140, testkit::FlowStatus(1, 404.0f, 0, 650.0f, 80.0f, 40.0f));
  return log.str();
}

TEST(ReportCommand, ReportsALogEndToEnd) {
  testkit::TempDir dir;
  testkit::WriteFile(dir.File("PASS.LOG"), StraightPass(502));
  const auto run = testkit::RunCli("report --json --export " + testkit::ShellQuote(dir.File("out.gpkg")) + " " +
                                   testkit::ShellQuote(dir.File("PASS.LOG")));
  ASSERT_EQ(run.status, 0) << run.err;
  auto figure = [&](const std::string& name) {
    const size_t at = run.out.find("\"" + name + "\": ");
    EXPECT_NE(at, std::string::npos) << name;
    return std::stod(run.out.substr(at + name.size() + 4));
  };
  // 501 m of path, all sprayed 24 m wide: the grid's scale factor on the
  // central meridian (0.9996) makes the ground a little wider.
  const double distance = figure("distance_m");
  EXPECT_NEAR(distance, 501.0, 501.0 * 0.003);
  const double expectedHectares = 24.0 / 0.9996 * distance / 10000.0;
  EXPECT_NEAR(figure("sprayed_area_ha"), expectedHectares, expectedHectares * 0.001);
  EXPECT_NEAR(figure("overlap_area_ha"), 0.0, 1e-4);
  EXPECT_DOUBLE_EQ(figure("volume_l"), 96.0);
  EXPECT_DOUBLE_EQ(figure("fixes"), 502.0);
  EXPECT_TRUE(std::filesystem::exists(dir.File("out.gpkg")));
  // Documents are not the report's business.
  EXPECT_FALSE(std::filesystem::exists(dir.File("PASS.KML")));

  // A log with nothing to draw is refused, as convert refuses it.
  testkit::WriteFile(dir.File("NONE.LOG"), testkit::LogBuilder("NONE").Frame(99, testkit::Bytes{1}).str());
  const auto none = testkit::RunCli("report " + testkit::ShellQuote(dir.File("NONE.LOG")));
  EXPECT_EQ(none.status, 1);
  EXPECT_NE(none.err.find("NONE.LOG: the log holds no position fix"), std::string::npos) << none.err;
  // The JSON names it with its error; a name that is not UTF-8 is read as
  // Windows-1252, as convert --json and the documents read it.
  const std::string latin1 = dir.File("NON\xC9.LOG");
  std::filesystem::copy_file(dir.File("NONE.LOG"), latin1);
  const auto json = testkit::RunCli("report --json " + testkit::ShellQuote(latin1) + " " +
                                    testkit::ShellQuote(dir.File("PASS.LOG")));
  EXPECT_EQ(json.status, 1);
  const nlohmann::json reports = nlohmann::json::parse(json.out);
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0], nlohmann::json({{"log", dir.File("NON\xC3\x89.LOG")}, {"error", "the log holds no position fix"}}));
  EXPECT_EQ(reports[1]["log"], dir.File("PASS.LOG"));
}

// The report's pass gathers the job's record, merged with the user's
// job-info file, and the digest of the log's bytes.
TEST(ReportCommand, CarriesTheJobRecordAndTheLogsDigest) {
  const std::string log = ZELTLOG_SOURCE_DIR "/examples/SPRAYJOB.LOG";
  JobInfo info;
  info.product = "Glyphosate 450";
  info.farm = "Hillside";
  const CoverageReportOutcome outcome = RunCoverageReport(log, nullptr, "", "", &info);
  ASSERT_TRUE(outcome.result.inputRead);
  EXPECT_EQ(outcome.job.record.farm, "Riverside Station");
  EXPECT_EQ(outcome.job.record.start, "2019-05-14T07:42:05+10:00");
  EXPECT_EQ(outcome.job.info.product, "Glyphosate 450");
  ASSERT_EQ(outcome.job.differences.size(), 1u);
  EXPECT_EQ(outcome.job.differences[0].fileValue, "Hillside");
  const auto sum = testkit::RunShell("sha256sum " + log);
  EXPECT_EQ(outcome.logSha256, sum.out.substr(0, 64));
}

// What headless Chromium drew of a map page opened from disk: the page's
// data-drawn words ("Path:2 ...") by layer, and its data-error.
struct DrawnPage {
  std::map<std::string, int> layers;
  std::string error;
  bool opened = false;
};

std::string Attribute(const std::string& dom, const std::string& name) {
  const size_t at = dom.find(" " + name + "=\"");
  if (at == std::string::npos) return "";
  const size_t start = at + name.size() + 3;
  return dom.substr(start, dom.find('"', start) - start);
}

DrawnPage OpenInBrowser(const std::string& page) {
  testkit::TempDir profile;
  const std::string command = "timeout 120 chromium --headless --no-sandbox --disable-gpu --user-data-dir=" +
                              testkit::ShellQuote(profile.File("profile")) + " --dump-dom " +
                              testkit::ShellQuote("file://" + page) + " >" + testkit::ShellQuote(profile.File("dom")) +
                              " 2>/dev/null";
  DrawnPage drawn;
  drawn.opened = std::system(command.c_str()) == 0;
  const std::string dom = testkit::ReadFile(profile.File("dom"));
  drawn.error = Attribute(dom, "data-error");
  std::istringstream words(Attribute(dom, "data-drawn"));
  for (std::string word; words >> word;) {
    const size_t colon = word.find(':');
    drawn.layers[word.substr(0, colon)] = std::stoi(word.substr(colon + 1));
  }
  return drawn;
}

// The map page of the example log and of a log without a field, drawn by a
// real browser with no network: no script error, and every layer the log
// has is drawn.
TEST(ReportCommand, MapPageInABrowser) {
  if (std::system("command -v chromium >/dev/null 2>&1") != 0) GTEST_SKIP() << "needs chromium (scripts/bootstrap)";
  testkit::TempDir dir;
  std::filesystem::copy_file(ZELTLOG_SOURCE_DIR "/examples/SPRAYJOB.LOG", dir.File("SPRAYJOB.LOG"));
  testkit::WriteFile(dir.File("PASS.LOG"), StraightPass(502));
  const auto run = testkit::RunCli("report --html " + testkit::ShellQuote(dir.File("map.html")) + " " +
                                   testkit::ShellQuote(dir.File("SPRAYJOB.LOG")) + " " +
                                   testkit::ShellQuote(dir.File("PASS.LOG")));
  ASSERT_EQ(run.status, 0) << run.err;
  // Several logs: one page each, named as the exports are, listed after
  // each table.
  for (const char* name : {"map_SPRAYJOB.html", "map_PASS.html"}) {
    EXPECT_NE(run.out.find("\n" + dir.File(name) + "\n"), std::string::npos) << run.out;
  }
  struct Case {
    const char* page;
    std::map<std::string, bool> drawnOrNot;
  };
  const Case cases[] = {
      {"map_SPRAYJOB.html",
       {{"Applied-rate", true}, {"Overlap", true}, {"Skipped", true}, {"Field", true}, {"Path", true}, {"Marks", true}}},
      {"map_PASS.html",
       {{"Applied-rate", true}, {"Overlap", false}, {"Skipped", false}, {"Field", false}, {"Path", true}, {"Marks", false}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.page);
    const DrawnPage drawn = OpenInBrowser(dir.File(c.page));
    ASSERT_TRUE(drawn.opened);
    EXPECT_EQ(drawn.error, "");
    ASSERT_EQ(drawn.layers.size(), c.drawnOrNot.size());
    for (const auto& [layer, shown] : c.drawnOrNot) EXPECT_EQ(drawn.layers.at(layer) > 0, shown) << layer;
  }
}

TEST(ReportCommand, MapPageThatCannotBeWritten) {
  testkit::TempDir dir;
  testkit::WriteFile(dir.File("PASS.LOG"), StraightPass(40));
  std::filesystem::create_directory(dir.File("taken.html"));
  struct Case {
    std::string page, error;
  };
  const Case cases[] = {
      {dir.File("taken.html"), dir.File("taken.html") + ": cannot be written: "},
      {dir.File("PASS.LOG"), "is the same file as the input " + dir.File("PASS.LOG") + ": nothing written"},
      {dir.File("no/such/folder/map.html"), "map.html: cannot be written: "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.page);
    const auto run = testkit::RunCli("report --html " + testkit::ShellQuote(c.page) + " " +
                                     testkit::ShellQuote(dir.File("PASS.LOG")));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(c.error), std::string::npos) << run.err;
  }
  EXPECT_EQ(testkit::ReadFile(dir.File("PASS.LOG")), StraightPass(40));
}

}  // namespace
}  // namespace zeltlog::cli
