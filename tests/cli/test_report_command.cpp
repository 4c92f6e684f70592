// The options of `report`, parsed as the command line gives them.
#include <gtest/gtest.h>

#include <CLI/CLI.hpp>

#include "cli/command_report.h"

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

}  // namespace
}  // namespace zeltlog::cli
