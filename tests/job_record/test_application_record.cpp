#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include <nlohmann/json.hpp>

#include "testkit.h"
#include "job_record/application_record.h"
#include "kml/xml_text.h"
#include "pipeline/log_conversion.h"

namespace zeltlog {
namespace {

TEST(Weather, ValuesParseIntoTheRecordsUnitsOrStayTextAndFlagged) {
  struct Case {
    ObservedValue (*parse)(std::string_view);
    const char* logged;
    std::optional<double> value;
  };
  const Case cases[] = {
      {ParseWindSpeed, "12 km/h", 3.33},  {ParseWindSpeed, "10kn", 5.14},       {ParseWindSpeed, "15 MPH", 6.71},
      {ParseWindSpeed, "4,5 m/s", 4.5},   {ParseWindSpeed, "12", std::nullopt}, {ParseWindSpeed, "-3 km/h", std::nullopt},
      {ParseWindDirection, "SW", 225.0},  {ParseWindDirection, "nne", 22.5},    {ParseWindDirection, "270", 270.0},
      {ParseWindDirection, "400", std::nullopt},
      {ParseTemperature, "18.5 C", 18.5}, {ParseTemperature, "65 F", 18.33},   {ParseTemperature, "-4\xC2\xB0" "C", -4.0},
      {ParseTemperature, "18.5", std::nullopt},
      {ParseHumidity, "54 %", 54.0},      {ParseHumidity, "48", 48.0},         {ParseHumidity, "101 %", std::nullopt},
      {ParseWindSpeed, "gusty", std::nullopt}, {ParseWindDirection, "", std::nullopt},
  };
  for (const Case& c : cases) {
    const ObservedValue v = c.parse(c.logged);
    EXPECT_EQ(v.logged, c.logged);
    ASSERT_EQ(v.value.has_value(), c.value.has_value()) << c.logged;
    if (c.value) {
      EXPECT_NEAR(*v.value, *c.value, 0.005) << c.logged;
    }
    EXPECT_EQ(v.Flagged(), !c.value && *c.logged != '\0') << c.logged;
  }
}

TEST(ApplicationRecord, TimesAreIsoWithTheZonesOffsetWhereKnown) {
  const struct {
    Timestamp time;
    std::optional<int> zone;
    const char* iso;
  } cases[] = {
      {{2019, 5, 14, 7, 42, 5, 0}, 10, "2019-05-14T07:42:05+10:00"},
      {{2019, 5, 14, 7, 59, 9, 80}, -5, "2019-05-14T07:59:09.80-05:00"},
      {{2019, 5, 14, 23, 0, 0, 0}, 0, "2019-05-14T23:00:00+00:00"},
      {{2019, 5, 14, 7, 42, 5, 0}, std::nullopt, "2019-05-14T07:42:05"},
      {{2019, 2, 29, 7, 42, 5, 0}, 10, "07:42:05+10:00"},  // no such day: no date
      {{1993, 0, 0, 7, 42, 5, 0}, std::nullopt, "07:42:05"},
      {{2019, 5, 14, 24, 0, 0, 0}, 10, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(IsoDateTime(c.time, c.zone), c.iso);
}

struct Gathered {
  ApplicationRecord record;        // as `report --json` gives it in its job object
  std::vector<std::string> lines;  // the record lines of the event list, as UTF-8
};

// The job object of `report --json` read back into a record.
ApplicationRecord RecordOfJson(const nlohmann::json& job) {
  auto text = [](const nlohmann::json& value) { return value.is_null() ? std::string() : value.get<std::string>(); };
  auto observed = [&](const nlohmann::json& value) {
    ObservedValue v{text(value["logged"]), std::nullopt};
    if (!value["value"].is_null()) v.value = value["value"].get<double>();
    EXPECT_EQ(value["flagged"], v.Flagged());
    return v;
  };
  ApplicationRecord r;
  for (auto [key, field] : {std::pair{"farm", &r.farm}, {"field", &r.field}, {"operator", &r.operatorName},
                            {"machine", &r.machine}, {"operation", &r.operation}, {"crop", &r.crop}, {"date", &r.date},
                            {"start", &r.start}, {"finish", &r.finish}, {"created", &r.created},
                            {"updated", &r.updated}, {"prescription_map", &r.prescriptionMap},
                            {"console_version", &r.consoleVersion}}) {
    *field = text(job[key]);
  }
  if (!job["time_zone_hours"].is_null()) r.timeZone = job["time_zone_hours"].get<int>();
  for (const auto& w : job["weather"]) {
    r.weather.push_back({text(w["time"]), observed(w["wind_speed_m_s"]), observed(w["wind_direction_deg"]),
                         observed(w["temperature_c"]), observed(w["humidity_percent"])});
  }
  for (const auto& n : job["notes"]) r.notes.push_back({n["identifier"], n["sequence"], n["text"]});
  if (const auto& c = job["console"]; !c.is_null()) {
    r.console = ConsoleFigures{c["machine_area_ha"], c["overlap_area_ha"],     c["skip_area_ha"],
                               c["applied_estimate_ha"], c["perimeter_m"], c["applied_calculated_ha"]};
  }
  if (const auto& h = job["height"]; !h.is_null()) r.height = HeightSummary{h["fixes"], h["minimum"], h["median"], h["maximum"]};
  return r;
}

Gathered Gather(const testkit::Bytes& log) {
  testkit::TempDir dir;
  testkit::WriteFile(dir.File("JOB.LOG"), testkit::Str(log));
  testkit::RecordingPlatform platform;
  ConversionSession session(platform, platform, platform);
  EXPECT_TRUE(RunLogAnalysis(session, dir.File("JOB.LOG"), {}).Succeeded());
  const auto run = testkit::RunCli("report --json " + testkit::ShellQuote(dir.File("JOB.LOG")));
  EXPECT_EQ(run.status, 0) << run.err;
  Gathered g{RecordOfJson(nlohmann::json::parse(run.out)[0]["job"]), {}};
  for (const std::string& line : platform.Lines()) {
    g.lines.emplace_back();
    kml::AppendUtf8Text(g.lines.back(), line);
  }
  return g;
}

bool Has(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// "hh:mm:ss(.hh)" of a time of day in seconds, as the end line shows it.
std::string ClockOf(double seconds) {
  const long hundredths = std::lround(seconds * 100.0);
  char text[32];
  std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld", hundredths / 360000, hundredths / 6000 % 60, hundredths / 100 % 60);
  std::string clock = text;
  if (hundredths % 100 != 0) clock += "." + std::to_string(100 + hundredths % 100).substr(1);
  return clock;
}

// Every value of the record that the event list shows is what it shows.
void ExpectRecordShowsWhatTheEventLinesShow(const Gathered& g) {
  const ApplicationRecord& r = g.record;
  EXPECT_TRUE(Has(g.lines, "Version: " + r.consoleVersion));
  EXPECT_TRUE(Has(g.lines, "Farm: " + r.farm + ", Field: " + r.field + ","));
  EXPECT_TRUE(Has(g.lines, "Operator: " + r.operatorName + ", Machine: " + r.machine));
  EXPECT_TRUE(Has(g.lines, "Operation: " + r.operation + ", Crop: " + r.crop));
  for (const WeatherObservation& w : r.weather) {
    EXPECT_TRUE(Has(g.lines, "WindSpeed: " + w.windSpeed.logged + ", Dir: " + w.windDirection.logged + ", Temp: " +
                                 w.temperature.logged + ", Humidity: " + w.humidity.logged));
  }
  for (const JobNote& n : r.notes) {
    EXPECT_TRUE(Has(g.lines, n.identifier == 204 ? "JOB NOTES 1: " + n.text
                                                 : "Sequence " + std::to_string(n.sequence) + ",JOB NOTES 2: " + n.text));
  }
  EXPECT_TRUE(Has(g.lines, "Prescription Map:  " + r.prescriptionMap));

  // The end line's start and end, and the created line's times and zone.
  double start = 0, end = 0;
  std::optional<int> zone;
  std::string created, updated;
  for (const std::string& line : g.lines) {
    std::sscanf(line.c_str(), "Start:%lf, End:%lf", &start, &end);
    int c[6], u[6], tz;
    if (std::sscanf(line.c_str(), "Created : %d:%d:%d %d/%d/%d , Updated: %d:%d:%d %d/%d/%d TZ %d", &c[0], &c[1], &c[2],
                    &c[3], &c[4], &c[5], &u[0], &u[1], &u[2], &u[3], &u[4], &u[5], &tz) == 13) {
      zone = tz;
      created = IsoDateTime({c[5], c[3], c[4], c[0], c[1], c[2], 0}, tz);
      updated = IsoDateTime({u[5], u[3], u[4], u[0], u[1], u[2], 0}, tz);
    }
  }
  if (r.console) {
    const ConsoleFigures& f = *r.console;
    char text[256];
    std::snprintf(text, sizeof text,
                  "Machine Area:%3.3lf ha, Overlap:%3.3lf, Skip: %3.3lf, Applied EST: %3.3lf, Perimeter: %3.3lf, "
                  "Applied CALC: %3.3lf",
                  f.machineArea, f.overlapArea, f.skipArea, f.appliedEstimate, f.perimeter, f.appliedCalculated);
    EXPECT_TRUE(Has(g.lines, text));
  }
  EXPECT_EQ(r.timeZone, zone);
  EXPECT_EQ(r.console.has_value(), zone.has_value());
  EXPECT_EQ(r.created, created);
  EXPECT_EQ(r.updated, updated);
  char offset[16] = "";
  if (zone) std::snprintf(offset, sizeof offset, "%c%02d:00", *zone < 0 ? '-' : '+', std::abs(*zone));
  EXPECT_EQ(r.start, (r.date.empty() ? "" : r.date + "T") + ClockOf(start) + offset);
  EXPECT_EQ(r.finish.substr(r.finish.find(':') - 2), ClockOf(end) + offset);

  // The height figures are readings the event list shows.
  if (r.height) {
    for (double value : {r.height->minimum, r.height->maximum}) {
      char line[64];
      std::snprintf(line, sizeof line, "Laser Height or SnowDepth %3.6lf", value);
      EXPECT_TRUE(Has(g.lines, line)) << line;
    }
    EXPECT_LE(r.height->minimum, r.height->median);
    EXPECT_LE(r.height->median, r.height->maximum);
  }
}

TEST(ApplicationRecord, OfTheExampleLogShowsWhatItsEventLinesShow) {
  const Gathered g = Gather(testkit::BuildSprayJob({.fixes = 5000, .markEvery = 700}));
  ExpectRecordShowsWhatTheEventLinesShow(g);
  const ApplicationRecord& r = g.record;
  EXPECT_EQ(r.farm, "Riverside Station");
  EXPECT_EQ(r.start, "2019-05-14T07:42:05+10:00");
  EXPECT_EQ(r.finish, "2019-05-14T07:59:09.80+10:00");
  ASSERT_EQ(r.weather.size(), 1u);
  EXPECT_EQ(r.weather[0].time, r.start);  // logged before the first fix
  EXPECT_EQ(*r.weather[0].windSpeed.value, 3.33);
  ASSERT_TRUE(r.height);
  EXPECT_GT(r.height->fixes, 0u);
}

// A built log: two weather records, one after the first fixes; height
// readings while spraying and not; a farm name in Windows-1252; with and
// without a job summary at its end.
TEST(ApplicationRecord, OfABuiltLogShowsWhatItsEventLinesShow) {
  for (const bool withSummary : {true, false}) {
    using namespace testkit;
    LogBuilder log("ZELT GUIDANCE V4.31 SN 77");
    log.Frame(202, FarmRecord({"Rivi\xE8re", "Block 3", "A. Smith", "VH-ZLT", "Fungicide", "Barley", "10 kn", "270",
                               "65 F", "48"}));
    int second = 0;
    auto fix = [&](unsigned spray) {
      log.Frame(1, Position1({testkit::Timestamp::FromTimeOfDay(36000.0 + second++, 2021, 3, 2), -34.25, 142.1 + second * 1e-4,
                              50.0f, 5.0f, 90.0f, spray}));
    };
    fix(0);
    log.Frame(42, HeightSensor(2.0f));
    fix(1);
    fix(1);
    log.Frame(202, FarmRecord({"Rivi\xE8re", "Block 3", "A. Smith", "VH-ZLT", "Fungicide", "Barley", "gusty", "NNE",
                               "", "101 %"}));
    log.Frame(42, HeightSensor(9.0f));
    fix(0);
    log.Frame(42, HeightSensor(4.0f));
    fix(1);
    log.Frame(42, HeightSensor(3.0f));
    fix(1);
    log.Frame(141, testkit::PrescriptionMap("B3.shp"));
    log.Frame(204, JobNotes1("Edge of creek left"));
    log.Frame(205, JobNotes2(2, "Second tank"));
    if (withSummary) {
      log.Frame(201, JobSummaryRecord({.machineArea = 1.25f, .timeZone = -5}));
    }
    const Gathered g = Gather(log.bytes());
    ExpectRecordShowsWhatTheEventLinesShow(g);
    const ApplicationRecord& r = g.record;
    EXPECT_EQ(r.farm, "Rivi\xC3\xA8re");
    EXPECT_EQ(r.start, withSummary ? "2021-03-02T10:00:00-05:00" : "2021-03-02T10:00:00");
    ASSERT_EQ(r.weather.size(), 2u);
    EXPECT_EQ(r.weather[1].time, withSummary ? "2021-03-02T10:00:02-05:00" : "2021-03-02T10:00:02");
    EXPECT_NEAR(*r.weather[0].temperature.value, 18.33, 0.005);
    EXPECT_TRUE(r.weather[1].windSpeed.Flagged());
    EXPECT_TRUE(r.weather[1].humidity.Flagged());
    EXPECT_FALSE(r.weather[1].temperature.Flagged());
    // Spraying fixes took 2, 2, 4 and 3; the 9 fell on a fix not spraying.
    ASSERT_TRUE(r.height);
    EXPECT_EQ(r.height->fixes, 4u);
    EXPECT_EQ(r.height->minimum, 2.0);
    EXPECT_EQ(r.height->median, 2.5);
    EXPECT_EQ(r.height->maximum, 4.0);
  }
}

}  // namespace
}  // namespace zeltlog
