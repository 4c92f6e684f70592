// The options of `report`, parsed as the command line gives them.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <CLI/CLI.hpp>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>
#include <sstream>

#include "cli/command_report.h"
#include "testkit.h"

namespace zeltlog::cli {
namespace {

TEST(ReportCommand, Options) {
  struct Case {
    std::vector<std::string> arguments;
    bool parses;
    ReportCommandOptions expected;
  };
  const Case cases[] = {
      {{"report", "A.LOG"}, true, {{"A.LOG"}, false, "", "", "", "", "", false, "metric", ""}},
      {{"report", "--json", "--field", "paddock.kmz", "--export", "out.gpkg", "--html", "map.html", "--job-info",
        "job.json", "--check-record", "us-epa-171", "--strict", "--units", "us", "--isoxml", "season.zip", "A.LOG",
        "B.LOG"},
       true,
       {{"A.LOG", "B.LOG"}, true, "paddock.kmz", "out.gpkg", "map.html", "job.json", "us-epa-171", true, "us",
        "", "a4", "", "season.zip"}},
      {{"report"}, false, {}},
      {{"report", "--field"}, false, {}},
      {{"report", "--colour", "A.LOG"}, false, {}},
      {{"report", "--strict", "A.LOG"}, false, {}},  // strict about no profile
      {{"report", "--check-record", "wa", "A.LOG"}, false, {}},
      {{"report", "--units", "imperial", "A.LOG"}, false, {}},
      {{"report", "--pdf", "r.pdf", "A.LOG"}, true, {{"A.LOG"}, false, "", "", "", "", "", false, "metric", "r.pdf"}},
      {{"report", "--pdf", "r.pdf", "--paper", "letter", "A.LOG"}, true,
       {{"A.LOG"}, false, "", "", "", "", "", false, "metric", "r.pdf", "letter"}},
      {{"report", "--pdf", "r.pdf", "--paper", "a3", "A.LOG"}, false, {}},
      {{"report", "--paper", "letter", "A.LOG"}, false, {}},  // a paper for no PDF
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
      return std::tie(r.logs, r.json, r.field, r.exportPath, r.htmlPath, r.jobInfoPath, r.checkRecord, r.strict, r.units,
                      r.pdfPath, r.paper, r.isoxmlPath);
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
  for (int i = 0; i < fixes; ++i) log.Frame(1, testkit::PassFix(i, 141.0, i + 1 < fixes));
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
  // --units us: acres and US gallons in the table, the rate their
  // quotient; the JSON keeps its SI keys and values.
  const auto us = testkit::RunCli("report --units us " + testkit::ShellQuote(dir.File("PASS.LOG")));
  auto shown = [&](const std::string& label, const std::string& unit) {
    const size_t at = us.out.find(label);
    EXPECT_NE(at, std::string::npos) << label;
    size_t end = 0;
    const double value = std::stod(us.out.substr(at + 20), &end);
    EXPECT_EQ(us.out.substr(at + 20 + end, unit.size() + 1), " " + unit) << label;
    return value;
  };
  const double acres = shown("Sprayed area:", "ac"), gallons = shown("Volume:", "gal");
  EXPECT_NEAR(acres, expectedHectares / 0.40468564224, 1e-3);
  EXPECT_NEAR(gallons, 96.0 / 3.785411784, 0.05);
  EXPECT_NEAR(shown("Applied rate:", "gal/ac"), 96.0 / 3.785411784 / acres, 0.01);
  EXPECT_EQ(testkit::RunCli("report --json --units us " + testkit::ShellQuote(dir.File("PASS.LOG"))).out, run.out);
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

// The job's record through the command: the user's file merged (the log's
// value kept, the file's beside it), the log's digest as sha256sum gives
// it, the texts escaped on the map page as an HTML parser reads them, and
// the record check with and without --strict. A log without a weather
// record is no error.
TEST(ReportCommand, TheJobsRecordInTheJsonOnThePageAndChecked) {
  testkit::TempDir dir;
  const std::string log = ZELTLOG_SOURCE_DIR "/examples/SPRAYJOB.LOG", pass = dir.File("PASS.LOG");
  testkit::WriteFile(pass, StraightPass(40));
  testkit::WriteFile(dir.File("job.json"), R"({"product": "<b>Gly & phosate</b>\u0007", "field": "Paddock 7",
                                              "client": "Ana Ruiz", "address": "Hay Rd", "licence": "AA-1"})");
  const std::string jobInfo = " --job-info " + testkit::ShellQuote(dir.File("job.json")) + " ";
  const auto run =
      testkit::RunCli("report --json --html " + testkit::ShellQuote(dir.File("page.html")) + jobInfo + log);
  ASSERT_EQ(run.status, 0) << run.err;
  const nlohmann::json job = nlohmann::json::parse(run.out)[0]["job"];
  EXPECT_EQ(job["product"], "<b>Gly & phosate</b>\a");
  EXPECT_EQ(job["differences"], nlohmann::json::parse(R"([{"key": "field", "log": "Paddock 7 North", "file": "Paddock 7"}])"));
  EXPECT_EQ(job["log_sha256"], testkit::RunShell("sha256sum " + log).out.substr(0, 64));
  auto xpath = [&](const std::string& path) {
    return testkit::RunShell("xmllint --html --xpath " + testkit::ShellQuote(path) + " " +
                             testkit::ShellQuote(dir.File("page.html")))
        .out;  // with a line end
  };
  EXPECT_EQ(xpath("string(//table[@id='record']/tr[th='Product']/td)"), "<b>Gly & phosate</b>\n");
  EXPECT_EQ(xpath("count(//table[@id='record']//b)"), "0\n");
  EXPECT_EQ(xpath("string(//table[@id='record']/tr[th='Field']/td)"), "Paddock 7 North\n");
  EXPECT_EQ(xpath("string(//table[@id='weather']/tbody/tr/td[2])"), "12 km/h (3.33 m/s)\n");

  const struct {
    std::string arguments;
    int status;
    std::vector<std::string> missing;
  } cases[] = {
      {"--check-record us-faa-137 --strict" + jobInfo + log, 0, {}},
      {"--check-record us-faa-137 --strict " + log, 1, {"client", "address", "product", "licence"}},
      {"--check-record us-faa-137 " + log, 0, {"client", "address", "product", "licence"}},
      {"--check-record nsw " + pass,
       0,
       {"operator", "product", "active_constituents", "aircraft", "field", "crop", "wind_speed", "wind_direction"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments);
    const auto checked = testkit::RunCli("report --json " + c.arguments);
    EXPECT_EQ(checked.status, c.status) << checked.err;
    EXPECT_EQ(nlohmann::json::parse(checked.out)[0]["job"]["check_record"]["missing"], c.missing);
    EXPECT_EQ(checked.err.find("the job's record lacks what us-faa-137 asks for: client, address, product, licence") !=
                  std::string::npos,
              c.status == 1)
        << checked.err;
  }
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

// A map page or a PDF that cannot be written. A PDF onto an input or a
// folder is refused before anything is written, so the map page asked for
// beside it is not written either.
TEST(ReportCommand, MapPageAndRecordThatCannotBeWritten) {
  testkit::TempDir dir;
  testkit::WriteFile(dir.File("PASS.LOG"), StraightPass(40));
  testkit::WriteFile(dir.File("field.kml"), "a field");
  std::filesystem::create_directory(dir.File("taken.html"));
  std::filesystem::create_directory(dir.File("taken.pdf"));
  struct Case {
    std::string option, error;
    bool refusedFirst;
  };
  const Case cases[] = {
      {"--html " + dir.File("taken.html"), dir.File("taken.html") + ": cannot be written: a folder has that name", false},
      {"--html " + dir.File("PASS.LOG"), "is the same file as the input " + dir.File("PASS.LOG") + ": nothing written",
       true},
      {"--html " + dir.File("no/such/folder/map.html"), "map.html: cannot be written: ", false},
      {"--pdf " + dir.File("taken.pdf"),
       dir.File("taken.pdf") + ": cannot be written: a folder has that name; nothing written", true},
      {"--pdf " + dir.File("PASS.LOG"), "is the same file as the input " + dir.File("PASS.LOG") + ": nothing written",
       true},
      {"--field " + dir.File("field.kml") + " --pdf " + dir.File("field.kml"),
       "is the same file as the input " + dir.File("field.kml") + ": nothing written", true},
      {"--pdf " + dir.File("no/such/folder/r.pdf"), "r.pdf: cannot be written: ", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.option);
    std::filesystem::remove(dir.File("side.html"));
    const std::string side = c.option.find("--html") == 0 ? "" : " --html " + dir.File("side.html");
    const auto run = testkit::RunCli("report " + c.option + side + " " + testkit::ShellQuote(dir.File("PASS.LOG")));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(c.error), std::string::npos) << run.err;
    if (!side.empty()) {
      EXPECT_EQ(std::filesystem::exists(dir.File("side.html")), !c.refusedFirst);
    }
  }
  EXPECT_EQ(testkit::ReadFile(dir.File("PASS.LOG")), StraightPass(40));
  EXPECT_EQ(testkit::ReadFile(dir.File("field.kml")), "a field");
  EXPECT_EQ(testkit::EntriesIn(dir.File("taken.pdf")) + testkit::EntriesIn(dir.File("taken.html")), 0u);
}

// What the npm package isoxml, a reader of TASKDATA we did not write, reads
// of an export (tests/isoxml/read_taskdata.js); null when it is not
// installed (scripts/bootstrap installs it where npm is).
nlohmann::json ReadTaskData(const std::string& out) {
  const std::string reader = std::string(ZELTLOG_SOURCE_DIR) + "/tests/isoxml";
  if (std::system("command -v node >/dev/null 2>&1") != 0 ||
      !std::filesystem::exists(reader + "/node_modules/isoxml")) {
    return nullptr;
  }
  const auto run = testkit::RunShell("node " + testkit::ShellQuote(reader + "/read_taskdata.js") + " " +
                                     testkit::ShellQuote(out));
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  return nlohmann::json::parse(run.out, nullptr, false);
}

// A pass north at `longitude` on a farm's field, zone +10, a boom of
// `sections` (none: the job's 23.5 m swath) 24 m wide, 12 m left and right
// of the fix, spraying from fix `firstOn` on (and then 20 m wide from fix
// 200): the target rate
// 80.37 l/ha, applied 78.37 then 81.63 l/ha; fixes 0.2 s apart from
// 08:20:00 on 12 November 2012.
constexpr int kSeasonFixes = 300;
std::string SeasonLog(double longitude, const std::string& farm, const std::string& field, int sections = 4,
                      const std::string& machine = "VH-ZLT", int firstOn = 0) {
  testkit::LogBuilder log("SEASON");
  log.Frame(201, testkit::JobSummaryRecord({.timeZone = 10}));
  log.Frame(202, testkit::FarmRecord({.farm = farm, .field = field, .operatorName = "Jo Pilot", .machine = machine}));
  if (sections > 0) log.Frame(35, testkit::Sections(sections, 1200, -1200));
  log.Frame(34, testkit::TargetRate(1, 0, 80.37f));
  log.Frame(36, testkit::ActualRate(1, 0, 78.37f));
  log.Frame(140, testkit::FlowStatus(1, 500.0f, 0, 650.0f, 80.0f, 40.0f));
  for (int i = 0; i < kSeasonFixes; ++i) {
    if (i == kSeasonFixes / 2) log.Frame(36, testkit::ActualRate(1, 0, 81.63f));
    if (i == 200 && firstOn > 0) log.Frame(120, testkit::SwathWidth(20.0f));
    log.Frame(1, testkit::PassFix(i, longitude, i >= firstOn));
  }
  log.Frame(140, testkit::FlowStatus(1, 431.5f, 0, 650.0f, 80.0f, 40.0f));
  return log.str();
}

TEST(ReportCommand, TaskDataReadBackByAnotherReader) {
  testkit::TempDir dir;
  testkit::WriteFile(dir.File("A.LOG"), SeasonLog(141.0, "Riverside", "North"));
  testkit::WriteFile(dir.File("B.LOG"), SeasonLog(359.99, "Riverside", "North"));
  testkit::WriteFile(dir.File("C.LOG"), SeasonLog(-179.99, "Hilltop", "South"));
  testkit::WriteFile(dir.File("NONE.LOG"), testkit::LogBuilder("NONE").Frame(99, testkit::Bytes{1}).str());
  // Another machine without sections; the first one again with two,
  // starting off.
  testkit::WriteFile(dir.File("D.LOG"), SeasonLog(141.0, "Riverside", "North", 0, "VH-ONE"));
  testkit::WriteFile(dir.File("E.LOG"), SeasonLog(141.0, "Riverside", "North", 2, "VH-ZLT", 100));
  const std::map<std::string, std::pair<int, bool>> shapes = {  // sections, starts off
      {"A.LOG", {4, false}}, {"B.LOG", {4, false}}, {"C.LOG", {4, false}}, {"D.LOG", {0, false}}, {"E.LOG", {2, true}}};
  // A field with a hole, from a GIS file.
  testkit::WriteFile(dir.File("field.geojson"),
                     R"({"type":"Polygon","coordinates":[[[140.99,-34.26],[141.01,-34.26],[141.01,-34.24],)"
                     R"([140.99,-34.24],[140.99,-34.26]],[[140.999,-34.251],[141.001,-34.251],[141.001,-34.249],)"
                     R"([140.999,-34.249],[140.999,-34.251]]]})");
  struct Case {
    std::string options, out;
    std::vector<std::string> logs;
    std::map<std::string, int> counts;  // entries after merging by name
    std::vector<std::pair<double, double>> east;  // each task's range of longitudes
    std::vector<int> ringTypes;                   // of the first field's boundary
    size_t files;                                 // in OUT/TASKDATA (0: OUT is a zip)
    std::vector<int> sections;                    // each device's
  };
  // The client and the product come from the user's job-info file.
  testkit::WriteFile(dir.File("job.json"), R"({"client": "Riverside Pastoral", "product": "Glyphosate 450"})");
  const Case cases[] = {
      {"--job-info " + testkit::ShellQuote(dir.File("job.json")) + " --field " +
           testkit::ShellQuote(dir.File("field.geojson")),
       dir.File("season"),
       {"A.LOG", "C.LOG"},
       {{"CTR", 1}, {"FRM", 2}, {"PFD", 2}, {"WKR", 1}, {"PDT", 1}, {"DVC", 1}, {"DET", 6}, {"TSK", 2}},
       {{141.0, 141.0}, {-179.9901, -179.9899}}, {1, 2}, 5, {4}},
      // Longitudes of 0..360 come out in -180..180; one farm and field of
      // the same name is one entry.
      {"", dir.File("season.zip"), {"A.LOG", "B.LOG", "C.LOG"},
       {{"CTR", 0}, {"FRM", 2}, {"PFD", 2}, {"WKR", 1}, {"PDT", 0}, {"DVC", 1}, {"DET", 6}, {"TSK", 3}},
       {{141.0, 141.0}, {-0.0101, -0.0099}, {-179.9901, -179.9899}}, {}, 0, {4}},
      // An earlier TASKDATA is replaced whole, not merged; a log that
      // cannot be read makes no task.
      {"", dir.File("season"), {"NONE.LOG", "B.LOG"}, {{"TSK", 1}}, {{-0.0101, -0.0099}}, {}, 3, {4}},
      // A machine has the most sections of its logs, its elements numbered
      // after another's.
      {"", dir.File("fleet"), {"D.LOG", "E.LOG", "A.LOG"}, {{"DVC", 2}, {"DET", 8}, {"TSK", 3}},
       {{141.0, 141.0}, {141.0, 141.0}, {141.0, 141.0}}, {}, 7, {0, 4}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.out);
    std::string logs;
    for (const std::string& log : c.logs) logs += " " + testkit::ShellQuote(dir.File(log));
    const auto run = testkit::RunCli("report --json " + c.options + " --isoxml " + testkit::ShellQuote(c.out) + logs);
    ASSERT_EQ(run.status, c.logs.front() == "NONE.LOG" ? 1 : 0) << run.err;
    // No staging folder is left, and the TASKDATA folder holds its files only.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path())) {
      EXPECT_NE(entry.path().filename().string().rfind(".zeltlog", 0), 0u) << entry.path();
    }
    if (c.files > 0) {
      const auto files = std::filesystem::directory_iterator(c.out + "/TASKDATA");
      EXPECT_EQ(static_cast<size_t>(std::distance(begin(files), end(files))), c.files);
    }
    std::vector<nlohmann::json> reports;
    for (const nlohmann::json& report : nlohmann::json::parse(run.out)) {
      if (!report.contains("error")) reports.push_back(report);
    }
    const nlohmann::json read = ReadTaskData(c.out);
    if (read.is_null()) GTEST_SKIP() << "needs node and tests/isoxml/node_modules (scripts/bootstrap)";
    ASSERT_FALSE(read.contains("error")) << read;
    EXPECT_EQ(read["warnings"], nlohmann::json::array()) << read["warnings"];
    EXPECT_EQ(read["dangling"], nlohmann::json::array());
    for (const auto& [tag, count] : c.counts) EXPECT_EQ(read["counts"][tag], count) << tag;
    // The machine, its boom and the boom's sections from the left, each
    // with its geometry.
    ASSERT_EQ(read["devices"].size(), c.sections.size());
    for (size_t d = 0; d < c.sections.size(); ++d) {
      const nlohmann::json& elements = read["devices"][d];
      ASSERT_EQ(elements.size(), 2u + static_cast<size_t>(c.sections[d]));
      EXPECT_EQ(elements[1]["parent"], elements[0]["object"]);
      for (size_t k = 2; k < elements.size(); ++k) {
        EXPECT_EQ(elements[k]["designator"], "Section " + std::to_string(k - 1));
        EXPECT_EQ(elements[k]["type"], "4");
        EXPECT_EQ(elements[k]["number"], k);
        EXPECT_EQ(elements[k]["parent"], elements[1]["object"]);
        EXPECT_EQ(elements[k]["ddis"], nlohmann::json::parse("[67, 134, 135]"));
      }
    }
    if (!c.ringTypes.empty()) {
      std::vector<int> types;
      for (const auto& ring : read["fields"][0]["rings"]) types.push_back(std::stoi(ring["type"].get<std::string>()));
      EXPECT_EQ(types, c.ringTypes);
    }
    ASSERT_EQ(read["tasks"].size(), reports.size());
    for (size_t i = 0; i < reports.size(); ++i) {
      const nlohmann::json& task = read["tasks"][i];
      const nlohmann::json& report = reports[i];
      EXPECT_EQ(task["designator"], c.logs[c.logs.size() - reports.size() + i]);
      EXPECT_EQ(task["status"], "4");
      EXPECT_NEAR(task["totals"]["116"].get<double>(), report["sprayed_area_ha"].get<double>() * 1e4, 1.0);
      EXPECT_NEAR(task["totals"]["80"].get<double>(), report["volume_l"].get<double>(), 0.5);
      ASSERT_EQ(task["timeLogs"].size(), 1u);
      const nlohmann::json& timeLog = task["timeLogs"][0];
      EXPECT_EQ(timeLog["errors"], nlohmann::json::array());
      EXPECT_EQ(timeLog["records"], report["fixes"]);
      EXPECT_EQ(timeLog["first"], "2012-11-12T08:20:00.000Z");
      EXPECT_EQ(timeLog["last"], "2012-11-12T08:20:59.800Z");
      EXPECT_GE(timeLog["minEast"].get<double>(), c.east[i].first - 1e-6);
      EXPECT_LE(timeLog["maxEast"].get<double>(), c.east[i].second + 1e-6);
      // Each value read times its presentation's scale is a logged one.
      // Each section on (01) or off (00), those not there 11: four on are
      // 0xFFFFFF55. A section's share of the swath, its centre to the
      // right of the fix, for each width.
      const auto [sections, startsOff] = shapes.at(task["designator"].get<std::string>());
      uint32_t on = 0xFFFFFFFF, off = on;
      for (int k = 0; k < sections; ++k) {
        on &= ~(2u << 2 * k);
        off &= ~(3u << 2 * k);
      }
      std::map<std::pair<int, std::string>, std::vector<double>> logged = {
          {{1, "Boom"}, {80.37}}, {{2, "Boom"}, {78.37, 81.63}},
          {{67, "Boom"}, startsOff ? std::vector<double>{20.0, 24.0} : std::vector<double>{sections > 0 ? 24.0 : 23.5}},
          {{141, "Boom"}, startsOff ? std::vector<double>{0, 1} : std::vector<double>{1}},
          {{161, "Boom"}, {static_cast<double>(static_cast<int32_t>(on))}}};
      std::vector<double>& states = logged[{161, "Boom"}];
      if (startsOff && sections > 0) states.insert(states.begin(), static_cast<int32_t>(off));
      for (int k = 1; k <= sections; ++k) {
        const std::string section = "Section " + std::to_string(k);
        for (const double& width : logged[{67, "Boom"}]) {
          logged[{67, section}].push_back(width / sections);
          logged[{134, section}] = {0.0};
          logged[{135, section}].push_back((k - 0.5) * width / sections - width / 2);
        }
        std::sort(logged[{135, section}].begin(), logged[{135, section}].end());
      }
      ASSERT_EQ(timeLog["values"].size(), logged.size()) << timeLog["values"];
      for (const nlohmann::json& value : timeLog["values"]) {
        const std::vector<double>& values = logged.at({value["ddi"].get<int>(), value["element"].get<std::string>()});
        ASSERT_EQ(value["scaled"].size(), values.size()) << value;
        for (size_t k = 0; k < values.size(); ++k) EXPECT_NEAR(value["scaled"][k].get<double>(), values[k], 0.01);
      }
    }
  }
}

TEST(ReportCommand, TaskDataThatCannotBeWritten) {
  testkit::TempDir dir;
  testkit::WriteFile(dir.File("A.LOG"), SeasonLog(141.0, "Riverside", "North"));
  testkit::WriteFile(dir.File("notes.txt"), "earlier");
  testkit::WriteFile(dir.File("notes.zip"), "earlier");
  // A read-only file system (as root, permissions stop nothing).
  const std::string readOnly = dir.File("ro");
  std::filesystem::create_directory(readOnly);
  const bool mounted = testkit::RunShell("mount -t tmpfs -o ro,size=64k tmpfs " + testkit::ShellQuote(readOnly)).status == 0;
  struct Case {
    std::string out, error, limit;
  };
  const Case cases[] = {
      {dir.File("A.LOG"), "is the same file as the input " + dir.File("A.LOG"), ""},
      {dir.File("notes.txt"), "notes.txt: cannot be written: it is a file, neither a folder nor a .zip", ""},
      {dir.File("notes.zip"), "notes.zip: cannot be written: it is a file but not a zip archive", ""},
      {dir.File("no/such/out"), "out: cannot be written: its folder " + dir.File("no/such") + " does not exist", ""},
      {readOnly, "ro: cannot be written: Read-only file system", ""},
      {readOnly + "/td.zip", "td.zip: cannot be written: Read-only file system", ""},
      // The time log (13.5 kB) stops half-way: the folder made for it goes.
      {dir.File("season"), "season: cannot be written: TLG00001.BIN: cannot write the time log: File too large",
       "ulimit -f 8; "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.out);
    if (c.out.rfind(readOnly, 0) == 0 && !mounted) {
      std::cout << "skipped (cannot mount a read-only tmpfs): " << c.out << "\n";
      continue;
    }
    const auto run = testkit::RunCli("report --isoxml " + testkit::ShellQuote(c.out) + " " +
                                         testkit::ShellQuote(dir.File("A.LOG")),
                                     c.limit);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(c.error), std::string::npos) << run.err;
    // Nothing of a TASKDATA, and what was there stays.
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"A.LOG", "notes.txt", "notes.zip", "ro"}));
    EXPECT_EQ(testkit::ReadFile(dir.File("notes.txt")) + testkit::ReadFile(dir.File("notes.zip")), "earlierearlier");
  }
  if (mounted) testkit::RunShell("umount " + testkit::ShellQuote(readOnly));
}

}  // namespace
}  // namespace zeltlog::cli
