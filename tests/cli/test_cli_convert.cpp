// What convert prints on standard output in each of its modes: the JSON
// reports, the event list with --events - or into a file, the version; the
// options that cannot share standard output; bad logs and usage errors.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "converters/event_export.h"
#include "testkit.h"
#include "zeltlog_version.h"

namespace zeltlog {
namespace {

using nlohmann::json;

std::string RatesLine(const char* label, const json& rates) {
  if (rates.is_null()) return std::string(label) + "NOT SET";
  const double max = rates["max"], min = rates["min"];
  return label + Printf("%3.3lf, %3.3lf, %3.3lf", max, min, max - min);
}

// The summary lines and document paths that a plain run prints, rebuilt
// from one JSON report.
std::vector<std::string> PlainLinesOf(const json& r) {
  const json& s = r["summary"];
  const double latMax = s["latitude"]["max"], latMin = s["latitude"]["min"];
  const double lonMax = s["longitude"]["max"], lonMin = s["longitude"]["min"];
  const double altMax = s["altitude"]["max"], altMin = s["altitude"]["min"];
  const double distance = s["distance"];
  std::vector<std::string> lines = {
      "Version: " + r["version"].get<std::string>(),
      Printf("Latitude range:  %3.8lf, %3.8lf, %3.8lf", latMax, latMin, latMax - latMin),
      Printf("Longitude range: %3.8lf, %3.8lf, %3.8lf", lonMax, lonMin, lonMax - lonMin),
      Printf("Dist:  %3.5lf, Google zoom level: %d", distance, s["zoom_level"].get<int>()),
      Printf("Altitudes variation: %3.3lf, %3.3lf, %3.3lf", altMax, altMin, altMax - altMin),
      RatesLine("Target rates: ", s["target_rate"]),
      RatesLine("Actual rates: ", s["actual_rate"]) +
          (s["volume"].is_null() ? "" : Printf(", Volume: %3.1lf", s["volume"].get<double>())),
      Printf("Start:%3.3lf, End:%3.3lf, %d, records, %d checksum errors", s["start"].get<double>(),
             s["end"].get<double>(), r["fixes"].get<int>(), r["checksum_errors"].get<int>()),
  };
  for (const auto& output : r["outputs"]) lines.push_back(output);
  return lines;
}

class CliConvert : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(dir.File("A.LOG"), JobLog(800));
    const testkit::Fix fix{.time = testkit::Timestamp::FromTimeOfDay(27725.25), .latitude = -34.5, .longitude = 142.25,
                           .altitude = 50.5f, .speed = 3.0f};
    testkit::WriteFile(dir.File("B.LOG"), testkit::LogBuilder("CONSOLE 7.1").Frame(1, testkit::Position1(fix)).str());
  }
  std::string Quoted(const char* name) const { return ShellQuote(dir.File(name)); }
  testkit::TempDir dir;
};

TEST_F(CliConvert, JsonReportsHoldWhatThePlainRunPrints) {
  const auto plain = RunCli("convert " + Quoted("A.LOG") + " " + Quoted("B.LOG"));
  ASSERT_EQ(plain.status, 0) << plain.err;
  const auto plainLines = SplitLines(plain.out);
  ASSERT_EQ(plainLines.size(), 22u) << plain.out;

  const std::string logs = Quoted("A.LOG") + " " + Quoted("MISSING.LOG") + " " + Quoted("B.LOG");
  const auto serial = RunCli("convert --json " + logs);
  EXPECT_EQ(serial.status, 1);
  EXPECT_EQ(serial.err, "   CS error  ID 34, bytes = 10  cs = 33  90\nzeltlog-cli: " + dir.File("MISSING.LOG") +
                            ": No such file or directory\n");
  const auto reports = SplitLines(serial.out);
  ASSERT_EQ(reports.size(), 3u) << serial.out;
  const json a = json::parse(reports[0]), missing = json::parse(reports[1]), b = json::parse(reports[2]);
  EXPECT_EQ(a["log"], dir.File("A.LOG"));
  EXPECT_EQ(a["records"].get<int>() > 800, true);
  EXPECT_EQ(a["errors"], json::array());
  EXPECT_EQ(PlainLinesOf(a), std::vector<std::string>(plainLines.begin(), plainLines.begin() + 11));
  EXPECT_EQ(PlainLinesOf(b), std::vector<std::string>(plainLines.begin() + 11, plainLines.end()));
  EXPECT_EQ(b["summary"]["target_rate"], nullptr);
  EXPECT_EQ(missing, json::parse("{\"log\":" + json(dir.File("MISSING.LOG")).dump() +
                                 ",\"version\":null,\"summary\":null,\"fixes\":0,\"records\":0,\"checksum_errors\":0,"
                                 "\"outputs\":[],\"errors\":[" +
                                 json(dir.File("MISSING.LOG") + ": No such file or directory").dump() + "]}"));

  // Logs converted in parallel report in the order of the logs.
  const auto parallel = RunCli("convert --json -j 3 " + logs);
  EXPECT_EQ(parallel.status, 1);
  EXPECT_EQ(parallel.out, serial.out);
}

TEST_F(CliConvert, EventListToStandardOutputHasTheFileBytes) {
  const std::string logs = Quoted("A.LOG") + " " + Quoted("B.LOG");
  const auto toFile = RunCli("convert --events " + Quoted("EV.DAT") + " " + logs);
  ASSERT_EQ(toFile.status, 0);
  const std::string file = testkit::ReadFile(dir.File("EV.DAT"));
  for (const char* jobs : {"", "-j 2 "}) {
    SCOPED_TRACE(jobs);
    const auto toOutput = RunCli(std::string("convert --events - ") + jobs + logs);
    EXPECT_EQ(toOutput.status, 0);
    EXPECT_EQ(toOutput.out, file);
    EXPECT_EQ(toOutput.err, "   CS error  ID 34, bytes = 10  cs = 33  90\n");
  }
  EXPECT_FALSE(std::filesystem::exists(dir.File("-")));
}

TEST_F(CliConvert, OptionsThatShareStandardOutput) {
  const std::string log = Quoted("A.LOG");
  const auto plain = RunCli("convert " + log);
  struct Case {
    std::string arguments;
    int status;
  };
  const Case cases[] = {
      {"convert --json -v " + log, 2},
      {"convert --events - -v " + log, 2},
      {"convert --json --events - " + log, 2},
      {"bin1 --events - -v " + log, 2},
      {"convert -q " + log, 0},
      {"convert --quiet --json --events " + Quoted("E.DAT") + " " + log, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments);
    const auto result = RunCli(c.arguments);
    EXPECT_EQ(result.status, c.status) << result.err;
    if (c.status == 2) {
      EXPECT_NE(result.err.find("both write to standard output"), std::string::npos) << result.err;
    }
  }
  EXPECT_EQ(RunCli("convert -q " + log).out, plain.out);

  const auto version = RunCli("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "zeltlog-cli " ZELTLOG_VERSION_TEXT "\n");
  EXPECT_EQ(version.out.rfind("zeltlog-cli " ZELTLOG_VERSION, 0), 0u);
}

// --events holds the whole list under the export header, CR LF on disk,
// the very lines -v prints. (The summary and the document paths: the JSON
// reports above and the example log's tests.)
TEST_F(CliConvert, EventListHoldsWhatVerbosePrints) {
  const std::string log = dir.File("A.LOG");
  const auto verbose = RunCli("convert -v --events " + ShellQuote(dir.File("EV.DAT")) + " " + ShellQuote(log));
  EXPECT_EQ(verbose.status, 0);
  const std::string exported = testkit::ReadFile(dir.File("EV.DAT"));
  ASSERT_EQ(exported.rfind(std::string(kEventListHeader.substr(0, kEventListHeader.size() - 1)) + "\r\n", 0), 0u);
  // The swath line carries its own line end, which both keep.
  const auto eventLines = SplitLines(exported.substr(kEventListHeader.size() + 1), "\r\n");
  auto printed = SplitLines(verbose.out);
  printed.resize(printed.size() - 3);  // the document paths are the tool's own lines
  EXPECT_EQ(eventLines, printed);
  EXPECT_GT(eventLines.size(), 800u);
}

TEST_F(CliConvert, BadInputs) {
  std::filesystem::create_directory(dir.File("FOLDER.LOG"));
  testkit::WriteFile(dir.File("EMPTY.LOG"), "");
  testkit::WriteFile(dir.File("HEADER.LOG"), testkit::LogBuilder("ONLY A HEADER").str());
  testkit::WriteFile(dir.File("ZEROS.LOG"), std::string(100000, '\0'));
  testkit::WriteFile(dir.File("SYNC.LOG"), std::string(100000, '\xA5'));
  WriteFile(dir.File("NOISE.LOG"), testkit::Noise(200000, 99));
  testkit::WriteFile(dir.File("NONUL.LOG"), std::string(3000000, 'x'));
  const auto job = testkit::BuildSprayJob({200, 100, false, 1});
  testkit::WriteFile(dir.File("CUT.LOG"), std::string(job.begin(), job.end() - 3));
  struct Case {
    std::string file;
    std::string message;
  };
  const Case cases[] = {
      {"MISSING.LOG", "MISSING.LOG: No such file or directory"},
      {"FOLDER.LOG", "FOLDER.LOG: is a folder, not a file"},
      {"EMPTY.LOG", "EMPTY.LOG: the log is empty"},
      {"HEADER.LOG", "HEADER.LOG: no valid record found"},
      {"ZEROS.LOG", "ZEROS.LOG: no valid record found"},
      {"SYNC.LOG", "SYNC.LOG: no valid record found"},
      {"NOISE.LOG", "NOISE.LOG: the log holds no position fix"},
      {"NONUL.LOG", "NONUL.LOG: no valid record found"},
      {"CUT.LOG", "CUT.LOG: the log ends inside a frame (truncated)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const auto result = RunCli("convert " + ShellQuote(dir.File(c.file)));
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
  }
  // A log with nothing to draw writes nothing; a cut one is drawn as far as it goes.
  for (const char* name : {"EMPTY", "HEADER", "ZEROS", "SYNC", "NOISE", "NONUL", "CUT"}) {
    for (const char* suffix : {".KML", "_SIC.KML", "_M.KML"}) {
      const std::string path = dir.File(std::string(name) + suffix);
      if (std::string(name) == "CUT") {
        EXPECT_TRUE(testkit::IsWellFormedXml(testkit::ReadFile(path))) << path;
      } else {
        EXPECT_FALSE(std::filesystem::exists(path)) << path;
      }
    }
  }
}

TEST_F(CliConvert, UsageErrors) {
  EXPECT_EQ(RunCli("").status, 2);
  EXPECT_EQ(RunCli("convert").status, 2);
  EXPECT_EQ(RunCli("frobnicate").status, 2);
  const auto help = RunCli("convert --help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--no-boundaries"), std::string::npos);
}

}  // namespace
}  // namespace zeltlog
