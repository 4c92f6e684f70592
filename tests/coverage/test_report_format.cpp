#include <gtest/gtest.h>

#include "coverage/map_page.h"
#include "coverage/report_format.h"
#include "job_record/weather.h"

#include <cmath>
#include <cstring>

#include <nlohmann/json.hpp>

namespace zeltlog {
namespace {

CoverageReport Sample(bool withField) {
  CoverageReport r;
  r.log = "logs/JOB12.LOG";
  r.sprayedAreaHa = 1.5;
  r.grossSprayedAreaHa = 1.60000004;
  r.overlapAreaHa = 0.10000004;
  if (withField) {
    r.fieldAreaHa = 2.2;
    r.skippedAreaHa = 0.7;
    r.outsideAreaHa = 0.0;
    r.coveragePercent = 68.181818;
  }
  r.volumeL = 81.25;
  r.appliedRateLPerHa = 54.1666667;
  r.targetRateLPerHa = 50.0;
  r.sprayingTimeS = 80.0;
  r.distanceM = 1234.56;
  r.fixes = 96;
  r.runs = {{1, 30000.0, 30020.0, 0.4, 0.4}, {2, 30026.4, 30046.0, 0.40000004, 0.35}};
  return r;
}

TEST(ReportFormat, TableWithAndWithoutField) {
  EXPECT_EQ(FormatReportTable(Sample(true)),
            "Log:                logs/JOB12.LOG\n"
            "Sprayed area:       1.5000 ha\n"
            "Gross sprayed area: 1.6000 ha\n"
            "Overlap area:       0.1000 ha\n"
            "Field area:         2.2000 ha\n"
            "Skipped area:       0.7000 ha\n"
            "Outside area:       0.0000 ha\n"
            "Coverage:           68.18 %\n"
            "Volume:             81.2 l\n"
            "Applied rate:       54.17 l/ha\n"
            "Target rate:        50.00 l/ha\n"
            "Spraying time:      80.0 s\n"
            "Distance:           1234.6 m\n"
            "Fixes:              96\n"
            "Runs:               2\n"
            "   Run     Start       End   Gross ha     Net ha\n"
            "     1  08:20:00  08:20:20     0.4000     0.4000\n"
            "     2  08:20:26  08:20:46     0.4000     0.3500\n");
  CoverageReport bare;
  bare.log = "A.LOG";
  // Without a field, rates or runs: a dash for each figure, no runs table.
  const std::string table = FormatReportTable(bare);
  for (const char* label : {"Field area:", "Skipped area:", "Outside area:", "Coverage:", "Applied rate:", "Target rate:"}) {
    EXPECT_NE(table.find(std::string(label) + std::string(20 - std::strlen(label), ' ') + "-\n"), std::string::npos) << label;
  }
  EXPECT_EQ(table.substr(table.find("Spraying time:")), "Spraying time:      0.0 s\nDistance:           0.0 m\n"
                                                        "Fixes:              0\nRuns:               0\n");
}

// The record of a job after the figures, in US units, with texts that
// would move a terminal's cursor.
TEST(ReportFormat, TableWithTheJobsRecordInUsUnits) {
  LogRecord record;
  ApplicationRecord& r = record.job.record;
  r.farm = "Rivi\xC3\xA8re\x1B[2J";
  r.field = "Block 3";
  r.date = "2021-03-02";
  r.start = "2021-03-02T10:00:00-05:00";
  r.timeZone = -5;
  r.weather.push_back({"2021-03-02T10:00:02-05:00", ParseWindSpeed("10 kn"), ParseWindDirection("NNE"),
                       ParseTemperature(""), ParseHumidity("101 %")});
  r.console = ConsoleFigures{1.25, 0.5, 0.0, 1.2, 450.0, 1.1};
  r.height = HeightSummary{4, 2.0, 2.5, 4.0};
  r.notes.push_back({205, 2, "Second tank\xC2\x9B"});
  record.job.info.product = "Glyphosate 450";
  record.job.info.tankMix.push_back({"Wetter", ""});
  record.job.differences.push_back({"operator", "A. Smith", "J. Nguyen"});
  record.logSha256 = std::string(64, 'a');
  record.profile = FindRecordProfile("us-faa-137");
  record.missing = {"client", "address"};
  const std::string table = FormatReportTable(Sample(true), &record, ReportUnits::Us);
  EXPECT_EQ(table.substr(table.find("Sprayed area:")),
            "Sprayed area:       3.7066 ac\n"
            "Gross sprayed area: 3.9537 ac\n"
            "Overlap area:       0.2471 ac\n"
            "Field area:         5.4363 ac\n"
            "Skipped area:       1.7297 ac\n"
            "Outside area:       0.0000 ac\n"
            "Coverage:           68.18 %\n"
            "Volume:             21.5 gal\n"
            "Applied rate:       5.79 gal/ac\n"
            "Target rate:        5.35 gal/ac\n"
            "Spraying time:      80.0 s\n"
            "Distance:           1234.6 m\n"
            "Fixes:              96\n"
            "Runs:               2\n"
            "   Run     Start       End   Gross ac     Net ac\n"
            "     1  08:20:00  08:20:20     0.9884     0.9884\n"
            "     2  08:20:26  08:20:46     0.9884     0.8649\n"
            "Farm:               Rivi\xC3\xA8re?[2J\n"
            "Field:              Block 3\n"
            "Operator:           -\n"
            "Machine:            -\n"
            "Operation:          -\n"
            "Crop:               -\n"
            "Date:               2021-03-02\n"
            "Start:              2021-03-02T10:00:00-05:00\n"
            "Finish:             -\n"
            "Time zone:          -05:00\n"
            "Weather at:         2021-03-02T10:00:02-05:00\n"
            "  Wind speed:       10 kn (5.14 m/s)\n"
            "  Wind direction:   NNE (22.5 deg)\n"
            "  Temperature:      -\n"
            "  Humidity:         101 % (not understood)\n"
            "Console area:       3.089 ac machine, 1.236 ac overlap, 0.000 ac skipped\n"
            "Console applied:    2.965 ac estimated, 2.718 ac calculated\n"
            "Console perimeter:  450.0 m\n"
            "Height:             2.00 min, 2.50 median, 4.00 max over 4 spraying fixes\n"
            "Note:               Second tank?\n"
            "Log SHA-256:        aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\n"
            "Product:            Glyphosate 450\n"
            "Tank mix:           Wetter, -\n"
            "Differs from file:  operator: log A. Smith, file J. Nguyen\n"
            "Record check:       us-faa-137 (14 CFR 137.71(b)): missing client, address\n");
}

TEST(ReportFormat, JsonArrayOneObjectPerLog) {
  CoverageReport second = Sample(false);
  second.log = "B\xFF.LOG";
  second.runs.clear();
  EXPECT_EQ(FormatReportJson({Sample(true)}), R"([
  {
    "log": "logs/JOB12.LOG",
    "sprayed_area_ha": 1.5,
    "gross_sprayed_area_ha": 1.6,
    "overlap_area_ha": 0.1,
    "field_area_ha": 2.2,
    "skipped_area_ha": 0.7,
    "outside_area_ha": 0.0,
    "coverage_percent": 68.18,
    "volume_l": 81.25,
    "applied_rate_l_per_ha": 54.17,
    "target_rate_l_per_ha": 50.0,
    "spraying_time_s": 80.0,
    "distance_m": 1234.56,
    "fixes": 96,
    "runs": [
      {
        "run": 1,
        "start_time_s": 30000.0,
        "end_time_s": 30020.0,
        "gross_area_ha": 0.4,
        "net_area_ha": 0.4
      },
      {
        "run": 2,
        "start_time_s": 30026.4,
        "end_time_s": 30046.0,
        "gross_area_ha": 0.4,
        "net_area_ha": 0.35
      }
    ]
  }
]
)");
  // A second log: its own object after the first, a field's figures null.
  const nlohmann::json first = nlohmann::json::parse(FormatReportJson({Sample(true)})).at(0);
  nlohmann::json expected = first;
  expected["log"] = "B\xC3\xBF.LOG";  // not UTF-8: read as Windows-1252
  for (const char* key : {"field_area_ha", "skipped_area_ha", "outside_area_ha", "coverage_percent"}) expected[key] = nullptr;
  expected["runs"] = nlohmann::json::array();
  EXPECT_EQ(nlohmann::json::parse(FormatReportJson({Sample(true), second})), nlohmann::json::array({first, expected}));
  EXPECT_EQ(FormatReportJson(std::vector<CoverageReport>{}), "[]\n");
}


TEST(MapPage, ScriptStrings) {
  const std::pair<std::string, std::string> cases[] = {
      {"plain", "\"plain\""},
      {"a\"b\\c", "\"a\\\"b\\\\c\""},
      {"</script><!--&", "\"\\u003c/script\\u003e\\u003c!--\\u0026\""},
      {"tab\tline\n\x01", "\"tab\\u0009line\\u000a\\u0001\""},
      {"\xE2\x80\xA8\xE2\x80\xA9\xE2\x80\xA6", "\"\\u2028\\u2029\xE2\x80\xA6\""},  // the ellipsis stays
      {"\xC3\xA9t\xC3\xA9", "\"\xC3\xA9t\xC3\xA9\""},
  };
  for (const auto& [text, expected] : cases) {
    std::string out;
    AppendScriptString(out, text);
    EXPECT_EQ(out, expected);
  }
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// The page's figures and data, for a log named with markup characters and a
// mark whose name tries to end the script. The page is checked in a browser
// by the report command's test.
TEST(MapPage, FiguresDataAndEscaping) {
  CoverageReport r = Sample(false);
  r.log = "logs/A&B <1>.LOG";
  r.sprayedAreaHa = 12.3456;
  MapLayers layers;
  layers.rates.push_back({RateBin::Over, {{{{142.0, -34.0}, {142.001, -34.0}, {142.001, -33.999}, {142.0, -34.0}}, {}}}});
  layers.path.push_back({{142.0, -34.0}, {142.5, -34.25}});
  const double nan = std::nan("");
  const std::vector<CollectedMark> marks = {
      {5, {142.25, -34.125}, 0.0, "</script><img src=x onerror=alert(1)>\xE9"},
      {128, {142.0, -34.0}, 0.0, "corner"},  // a boundary point draws the field, not a mark
      {6, {nan, -34.0}, 0.0, "lost"},
  };
  // A field with a point every 10 cm along a 100 m edge, zigzagging by 1 cm:
  // thinned as the other layers are, to a few points.
  LonLatRing ring;
  for (int i = 0; i < 1000; ++i) ring.push_back({142.0 + i * 1e-6, -34.0 + (i % 2) * 1e-7});
  for (LonLat p : {LonLat{142.001, -34.0}, {142.001, -33.999}, {142.0, -33.999}, {142.0, -34.0}}) ring.push_back(p);
  r.field = {{ring, {}}};
  // The record's texts are the log's and the user's: markup in them stays text.
  LogRecord record;
  record.job.record.farm = "</td></tr></table><script>alert(1)</script>";
  record.job.info.extra.push_back({"<b>", "&amp;"});
  const std::string page = FormatMapPage(r, layers, marks, &record);
  EXPECT_NE(page.find("<tr><th>Farm</th><td>&lt;/td&gt;&lt;/tr&gt;&lt;/table&gt;&lt;script&gt;alert(1)&lt;/script&gt;</td></tr>"),
            std::string::npos);
  EXPECT_NE(page.find("<tr><th>Extra</th><td>&lt;b&gt;: &amp;amp;</td></tr>"), std::string::npos);
  const size_t field = page.find("\"field\": ");
  ASSERT_NE(field, std::string::npos);
  EXPECT_LT(Count(page.substr(field, page.find("\"path\"") - field), "],["), 10u);
  EXPECT_EQ(Count(page, "<script"), 3u);
  EXPECT_EQ(Count(page, "</script>"), 3u);
  EXPECT_EQ(Count(page, "<link"), 0u);
  EXPECT_EQ(Count(page, "<script src"), 0u);
  EXPECT_NE(page.find("<title>Map report: A&amp;B &lt;1&gt;.LOG</title>"), std::string::npos);
  EXPECT_NE(page.find("<p class=\"log\">logs/A&amp;B &lt;1&gt;.LOG</p>"), std::string::npos);
  for (const char* row : {"<tr><th>Sprayed area</th><td class=\"n\">12.35 ha</td></tr>",
                          "<tr><th>Overlap area</th><td class=\"n\">0.10 ha</td></tr>",
                          "<tr><th>Field area</th><td class=\"n\">-</td></tr>",
                          "<tr><th>Applied rate</th><td class=\"n\">54.17 l/ha</td></tr>",
                          "<tr><th>Volume</th><td class=\"n\">81.2 l</td></tr>",
                          "<tr><td class=\"n\">2</td><td class=\"n\">08:20:26</td><td class=\"n\">08:20:46</td>"
                          "<td class=\"n\">0.40</td><td class=\"n\">0.35</td></tr>"}) {
    EXPECT_NE(page.find(row), std::string::npos) << row;
  }
  const std::string usPage = FormatMapPage(r, layers, marks, nullptr, ReportUnits::Us);
  for (const char* row : {"<tr><th>Sprayed area</th><td class=\"n\">30.51 ac</td></tr>",
                          "<tr><th>Applied rate</th><td class=\"n\">5.79 gal/ac</td></tr>", "<th class=\"n\">Net ac</th>"}) {
    EXPECT_NE(usPage.find(row), std::string::npos) << row;
  }
  EXPECT_NE(page.find("\"rates\": [\n{\"colour\": \"#ffa500\", \"label\": \"105 to 120 % of target\", \"ground\": "
                      "[[[[-34.0000000,142.0000000],[-34.0000000,142.0010000],[-33.9990000,142.0010000],"
                      "[-34.0000000,142.0000000]]]]}],\n"),
            std::string::npos);
  EXPECT_NE(page.find("\"path\": [[[-34.0000000,142.0000000],[-34.2500000,142.5000000]]],\n"), std::string::npos);
  EXPECT_NE(page.find("\"marks\": [\n{\"at\": [-34.1250000,142.2500000], \"code\": 5, \"name\": "
                      "\"\\u0026lt;/script\\u0026gt;\\u0026lt;img src=x onerror=alert(1)\\u0026gt;\xC3\xA9\"}]\n"),
            std::string::npos);
}

}  // namespace
}  // namespace zeltlog
