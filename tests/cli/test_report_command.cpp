// The options of `report`, parsed as the command line gives them.
#include <gtest/gtest.h>

#include <CLI/CLI.hpp>

#include <filesystem>

#include "cli/command_report.h"
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
      {{"report", "A.LOG"}, true, {{"A.LOG"}, false, "", ""}},
      {{"report", "--json", "--field", "paddock.kmz", "--export", "out.gpkg", "A.LOG", "B.LOG"},
       true,
       {{"A.LOG", "B.LOG"}, true, "paddock.kmz", "out.gpkg"}},
      {{"report"}, false, {}},
      {{"report", "--field"}, false, {}},
      {{"report", "--colour", "A.LOG"}, false, {}},
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
    if (!c.parses) continue;
    EXPECT_EQ(o.logs, c.expected.logs);
    EXPECT_EQ(o.json, c.expected.json);
    EXPECT_EQ(o.field, c.expected.field);
    EXPECT_EQ(o.exportPath, c.expected.exportPath);
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
    testkit::Fix fix;
    fix.time = testkit::Timestamp::FromTimeOfDay(30000.0 + i * 0.2);
    fix.latitude = -34.25 + i / metresPerDegree;
    fix.longitude = 141.0;
    fix.altitude = 50.0f;
    fix.speed = 5.0f;
    fix.heading = 0.0f;
    fix.spray = i + 1 < fixes ? 1 : 0;
    log.Frame(1, testkit::Position1(fix));
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
}

}  // namespace
}  // namespace zeltlog::cli
