// Outputs that cannot be written, for every command: a folder where the
// file goes, or a file size limit that stops it half-way. Each is named on
// standard error with the reason and gives exit status 1; the folder or the
// earlier file of that name stays as it was, no temporary file is left, and
// the other outputs are still written. A full file system: test_write_errors.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "../robustness/robustness_inputs.h"
#include "testkit.h"

namespace zeltlog {
namespace {


TEST(OutputsThatCannotBeWritten, AreNamedAndLeaveWhatWasThere) {
  struct Case {
    const char* command;  // the input follows
    const char* input;
    const char* taken;  // a folder has its name, or (under the limit) an earlier file
    bool limit;         // under a file size limit of 32 KiB
    const char* reason;
    const char* written;  // still written, or nullptr
    const char* absent;   // not written, or nullptr
    const char* line;     // the event line on standard error, or nullptr
  };
  const Case cases[] = {
      {"convert -q ", "W.LOG", "W_SIC.KML", false, "a folder has that name", "W_M.KML", nullptr,
       "Cannot create W_SIC.KML"},
      {"convert -q --kmz ", "W.LOG", "W.KMZ", false, "a folder has that name", "W_M.KMZ", nullptr,
       "Cannot create W.KMZ"},
      {"convert -q --events EV.DAT ", "W.LOG", "EV.DAT", false, "a folder has that name", nullptr, nullptr, nullptr},
      {"bin1 ", "T.BIN", "T.CSV", false, "a folder has that name", nullptr, "T_AGE.KML", "Cannot create T.CSV"},
      {"bin1 MISSING.BIN ", "T.BIN", "T_AGE.KML", false, "a folder has that name", "T_MODE.KML", nullptr,
       "Cannot create T_AGE.KML"},
      {"rq7 ", "R.BIN", "RP.BIN", false, "a folder has that name", nullptr, nullptr, "Cannot create RP.BIN"},
      {"kml-to-job --name 9 ", "A.KML", "9", false, "a folder has that name", nullptr, nullptr, nullptr},
      // The report's map page, PDF and GIS exports: their own tests.
      {"convert -q ", "W.LOG", "W_SIC.KML", true, "File too large", "W_M.KML", nullptr, "Cannot write W_SIC.KML"},
      {"convert -q --kmz --time ", "W.LOG", "W_SIC.KMZ", true, "File too large", "W_M.KMZ", nullptr, nullptr},
      {"bin1 ", "T.BIN", "T.CSV", true, "File too large", nullptr, nullptr, nullptr},
      {"rq7 ", "R.BIN", "RP.BIN", true, "File too large", nullptr, nullptr, nullptr},
      {"kml-to-job --name 9 ", "A.KML", "9", true, "File too large", nullptr, nullptr, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.command) + c.taken);
    testkit::TempDir dir;
    WriteFile(dir.File("W.LOG"), testkit::Str(testkit::BuildSprayJob({2000, 500, false, 5})));
    WriteFile(dir.File("T.BIN"), testkit::BigGpsLog());
    WriteFile(dir.File("R.BIN"), testkit::BigControllerLog());
    WriteFile(dir.File("A.KML"), testkit::BigPolygonKml());
    if (c.limit) {
      WriteFile(dir.File(c.taken), "earlier");
    } else {
      std::filesystem::create_directory(dir.File(c.taken));
    }
    const auto result = testkit::RunShell(std::string("cd ") + testkit::ShellQuote(dir.path()) + " && " +
                                          (c.limit ? "ulimit -f 64; " : "") + testkit::ShellQuote(ZELTLOG_CLI_PATH) +
                                          " " + c.command + c.input);
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find(std::string("zeltlog-cli: ") + c.taken + ": cannot be written: " + c.reason),
              std::string::npos)
        << result.err;
    if (c.limit) {
      EXPECT_EQ(ReadFile(dir.File(c.taken)), "earlier");
    } else {
      EXPECT_TRUE(std::filesystem::is_empty(dir.File(c.taken)));
    }
    if (c.written) {
      EXPECT_GT(std::filesystem::file_size(dir.File(c.written)), 0u);
    }
    if (c.line) {
      EXPECT_NE(result.err.find(c.line), std::string::npos) << result.err;
    }
    if (c.absent) {
      EXPECT_FALSE(std::filesystem::exists(dir.File(c.absent)));
    }
    EXPECT_EQ(testkit::TemporaryFilesIn(dir.path()), 0u);
  }
}

}  // namespace
}  // namespace zeltlog
