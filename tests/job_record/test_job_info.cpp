#include <gtest/gtest.h>

#include <filesystem>

#include "testkit.h"
#include "job_record/job_info.h"
#include "job_record/record_check.h"

namespace zeltlog {
namespace {

TEST(JobInfo, KnownKeysAreReadOthersWarnedAndTheLogsValuesKept) {
  const JobInfoReading reading = ReadJobInfoText(R"({
      "product": "Glyphosate 450", "registration": "APVMA 12345",
      "active_constituents": ["450 g/l glyphosate"], "client": "Ana Ruiz", "address": "Lot 4, Hay Rd",
      "aircraft": "VH-ZLT", "applicator": "Nguyen Aerial", "licence": "AA-1234", "water_volume": "30 l/ha",
      "tank_mix": [{"product": "Glyphosate 450", "rate": "2.0 l/ha"}, {"product": "Wetter"}],
      "field": "Paddock 7", "crop": "Wheat", "operator": "J. Nguyen", "machine": null,
      "extra": {"job number": "J-0519", "nozzle": "AI11003"}, "pilot": "x", "wind": "y"})",
                                                 "job.json");
  ASSERT_TRUE(reading.info) << reading.error;
  const JobInfo& info = *reading.info;
  EXPECT_EQ(info.registration, "APVMA 12345");
  EXPECT_EQ(info.activeConstituents, std::vector<std::string>{"450 g/l glyphosate"});
  ASSERT_EQ(info.tankMix.size(), 2u);
  EXPECT_EQ(info.tankMix[0].rate, "2.0 l/ha");
  EXPECT_EQ(info.tankMix[1].rate, "");
  EXPECT_EQ(info.waterVolume, "30 l/ha");
  EXPECT_EQ(info.extra, (std::vector<std::pair<std::string, std::string>>{{"job number", "J-0519"}, {"nozzle", "AI11003"}}));
  EXPECT_EQ(reading.warnings, std::vector<std::string>{"job.json: keys not known, left out: \"pilot\", \"wind\""});

  ApplicationRecord log;
  log.field = "Paddock 7 North";
  log.operatorName = "J. Nguyen";
  const JobRecord merged = MergeJobInfo(log, info);
  EXPECT_EQ(merged.record.field, "Paddock 7 North");  // the log's value stays
  EXPECT_EQ(merged.record.crop, "Wheat");             // the file fills what the log lacks
  EXPECT_EQ(merged.filledFromFile, std::vector<std::string>{"crop"});
  ASSERT_EQ(merged.differences.size(), 1u);
  EXPECT_EQ(merged.differences[0].key, "field");
  EXPECT_EQ(merged.differences[0].logValue, "Paddock 7 North");
  EXPECT_EQ(merged.differences[0].fileValue, "Paddock 7");
}

TEST(JobInfo, BadFilesAreRefusedNamingTheFileAndTheKey) {
  testkit::TempDir dir;
  const struct {
    std::string text;
    const char* error;
  } cases[] = {
      {"{\"product\": \"Glyphosate\",", "job.json: not JSON: parse error at line 1, column 26"},
      {"{\"rate\": 1e3084}", "job.json: not JSON: number overflow parsing '1e3084'"},
      {"{\"client\": \"Caf\xE9\"}", "job.json: line 1, column 16: not UTF-8 text"},
      {"{\"x\": \"" + std::string(kJobInfoMaxBytes, 'a') + "\"}", "job.json: larger than 1 MB"},
      {"{\"licence\": 1234}", "job.json: \"licence\": a text is expected, not a number"},
      {"{\"tank_mix\": [{\"product\": \"A\", \"rate\": 2.0}]}",
       "job.json: \"tank_mix\"[0] \"rate\": a text is expected, not a number"},
      {"{\"active_constituents\": \"glyphosate\"}", "job.json: \"active_constituents\": a list of texts is expected"},
      {"{\"extra\": {\"batch\": [1]}}", "job.json: \"extra\" \"batch\": a text is expected, not a list"},
      {"[\"product\"]", "job.json: an object of job fields is expected, not a list"},
      {std::string(100000, '['), "job.json: line 1, column 17: nested deeper than 16 levels"},
  };
  // `report --job-info` says the same, exits 1 and writes nothing.
  auto report = [&](const std::string& jobInfo) {
    return testkit::RunCli("report --html " + testkit::ShellQuote(dir.File("map.html")) + " --export " +
                           testkit::ShellQuote(dir.File("out.geojson")) + " --job-info " + testkit::ShellQuote(jobInfo) +
                           " " ZELTLOG_SOURCE_DIR "/examples/SPRAYJOB.LOG");
  };
  for (const auto& c : cases) {
    testkit::WriteFile(dir.File("job.json"), c.text);
    const JobInfoReading reading = ReadJobInfoFile(dir.File("job.json"));
    EXPECT_FALSE(reading.info);
    EXPECT_EQ(reading.error.rfind(dir.File(c.error), 0), 0u) << reading.error;
    const auto run = report(dir.File("job.json"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "zeltlog-cli: " + reading.error + "\n");
    EXPECT_EQ(run.out, "");
  }
  std::filesystem::create_directory(dir.File("folder.json"));
  EXPECT_EQ(ReadJobInfoFile(dir.File("folder.json")).error, dir.File("folder.json") + ": is a folder, not a file");
  EXPECT_EQ(report(dir.File("folder.json")).status, 1);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.File("")), {}), 2);  // job.json, folder.json
}

// Every profile against a record that holds everything, one that holds
// nothing, and ones where another field answers: the console's machine
// stands for the aircraft where its registration is not asked for, and the
// file's water volume gives a rate.
TEST(RecordCheck, EachProfileListsTheFieldsItsRuleAsksForAndTheRecordLacks) {
  JobRecord full;
  ApplicationRecord& r = full.record;
  r.farm = r.field = r.operatorName = r.machine = r.crop = "x";
  r.date = r.start = r.finish = "2019-05-14";
  r.weather.push_back({"", ParseWindSpeed("3 m/s"), ParseWindDirection("N"), {}, {}});
  JobInfo& i = full.info;
  i.product = i.registration = i.client = i.address = i.aircraft = i.applicator = i.licence = "x";
  i.activeConstituents = {"x"};
  JobRecord machineOnly;
  machineOnly.record.machine = "Rogator";
  machineOnly.info.waterVolume = "30 l/ha";
  JobRecord gusty;
  gusty.record.weather.push_back({"", ParseWindSpeed("gusty"), ParseWindDirection("SW"), {}, {}});
  const struct {
    const char* profile;
    const JobRecord& job;
    ComputedFigures figures;
    std::vector<std::string> missing;  // "all": every field of the profile
  } cases[] = {
      {"nsw", machineOnly, {}, {"operator", "product", "active_constituents", "date", "start", "finish", "field", "crop",
                               "quantity", "wind_speed", "wind_direction"}},
      {"qld", machineOnly, {true, true, true}, {"operator", "aircraft_registration", "client", "address", "product",
                                                "registration", "field", "crop", "date", "start", "finish",
                                                "wind_speed", "wind_direction"}},
      {"vic", gusty, {true, true, true}, {"product", "date", "crop", "field", "operator", "client", "address", "wind_speed"}},
      {"us-faa-137", machineOnly, {}, {"client", "address", "date", "product", "quantity", "operator", "licence"}},
      {"us-epa-171", gusty, {true, false, false},
       {"field", "date", "start", "product", "registration", "operator", "licence"}},
      {"eu-2023-564", machineOnly, {}, {"product", "registration", "date", "start", "area", "crop", "field"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.profile);
    const RecordProfile* profile = FindRecordProfile(c.profile);
    ASSERT_TRUE(profile);
    EXPECT_EQ(MissingRecordFields(*profile, c.job, c.figures), c.missing);
    EXPECT_EQ(MissingRecordFields(*profile, full, {true, true, true}), std::vector<std::string>{});
    const std::vector<std::string> all(profile->fields.begin(), profile->fields.end());
    EXPECT_EQ(MissingRecordFields(*profile, JobRecord{}, {}), all);
  }
  EXPECT_EQ(RecordProfiles().size(), std::size(cases));
  EXPECT_FALSE(FindRecordProfile("wa"));
}

}  // namespace
}  // namespace zeltlog
