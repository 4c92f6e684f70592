#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli_runner.h"
#include "../robustness/robustness_inputs.h"
#include "converters/event_export.h"
#include "log_builder.h"
#include "test_text.h"

namespace zeltlog {
namespace {

using testkit::RunCli;
using testkit::ShellQuote;
using testkit::SplitLines;

class CliConvert : public ::testing::Test {
 protected:
  std::string Log(const std::string& name, size_t fixes = 800) {
    testkit::WriteFile(dir.File(name), testkit::Str(testkit::BuildSprayJob({fixes, 200, true, 3})));
    return dir.File(name);
  }
  testkit::TempDir dir;
};

TEST_F(CliConvert, SummaryPathsAndEventList) {
  const std::string log = Log("JOB.LOG");
  const auto quiet = RunCli("convert " + ShellQuote(log));
  EXPECT_EQ(quiet.status, 0) << quiet.err;
  const auto lines = SplitLines(quiet.out);
  ASSERT_EQ(lines.size(), 11u) << quiet.out;
  // The summary lines whole: see the output modes' and the example log's tests.
  EXPECT_EQ(lines[0], "Version: ZELT GUIDANCE V4.20 SN 10442");
  EXPECT_NE(lines[7].find(", 800, records, 1 checksum errors"), std::string::npos);
  EXPECT_EQ(lines[8], dir.File("JOB.KML"));
  EXPECT_EQ(lines[9], dir.File("JOB_SIC.KML"));
  EXPECT_EQ(lines[10], dir.File("JOB_M.KML"));
  EXPECT_EQ(quiet.err, "   CS error  ID 34, bytes = 10  cs = 33  90\n");

  // --events holds the whole list under the export header, CR LF on disk,
  // the very lines -v prints.
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
  std::string noise(200000, '\0');
  uint32_t state = 99;
  for (auto& c : noise) {
    state = state * 1664525u + 1013904223u;
    c = static_cast<char>(state >> 24);
  }
  testkit::WriteFile(dir.File("NOISE.LOG"), noise);
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
