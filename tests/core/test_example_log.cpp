#include <gtest/gtest.h>

#include "testkit.h"
#include "pipeline/log_conversion.h"

namespace zeltlog {
namespace {

// The shipped example is exactly what its generator makes, and converts
// cleanly. (Its summary, the one the README shows, is in the event list
// whose fingerprint the next test pins.)
TEST(ExampleLog, IsTheGeneratorsOutputAndConvertsCleanly) {
  const std::string shipped = testkit::ReadFile(std::string(ZELTLOG_SOURCE_DIR) + "/examples/SPRAYJOB.LOG");
  ASSERT_EQ(shipped, testkit::Str(testkit::BuildSprayJob({.fixes = 5000, .markEvery = 700})));

  testkit::TempDir dir;
  testkit::WriteFile(dir.File("SPRAYJOB.LOG"), shipped);
  testkit::RecordingPlatform platform;
  ConversionSession session(platform, platform, platform);
  session.options.sprayProjection = 0.2;
  const auto outcome = RunLogConversionOn(session, dir.File("SPRAYJOB.LOG"));
  EXPECT_TRUE(outcome.Succeeded());
  EXPECT_EQ(platform.LinesOf(EventKind::Summary).size(), 8u);
  EXPECT_EQ(platform.LinesOf(EventKind::Error), std::vector<std::string>{"   CS error  ID 34, bytes = 10  cs = 33  90"});
  EXPECT_EQ(session.positionFormatLabel, "POS2");
  ASSERT_EQ(outcome.outputs.written.size(), 3u);
  for (const auto& path : outcome.outputs.written) EXPECT_TRUE(testkit::IsWellFormedXml(testkit::ReadFile(path))) << path;
  // Every record kind of the console, the escaped mark names and the path's
  // break at the 25-second gap are pinned by the fingerprints below.
}

// 64-bit FNV-1a: a fingerprint of a document's bytes.
uint64_t Fingerprint(const std::string& bytes) {
  uint64_t hash = 0xcbf29ce484222325u;
  for (const unsigned char c : bytes) hash = (hash ^ c) * 0x100000001b3u;
  return hash;
}

// The documents and the event list of the example, byte for byte as the
// conversion has always written them: any change to a number, a line end
// or the order of the lines shows here.
TEST(ExampleLog, DocumentsAndEventListKeepTheirBytes) {
  testkit::TempDir dir;
  testkit::WriteFile(dir.File("SPRAYJOB.LOG"), testkit::ReadFile(std::string(ZELTLOG_SOURCE_DIR) + "/examples/SPRAYJOB.LOG"));
  const auto run = testkit::RunCli("convert --events " + testkit::ShellQuote(dir.File("ev.dat")) + " " +
                                   testkit::ShellQuote(dir.File("SPRAYJOB.LOG")));
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<std::tuple<const char*, size_t, uint64_t>> expected = {
      {"SPRAYJOB.KML", 170672, 0xad6df16538b3c23au},
      {"SPRAYJOB_SIC.KML", 1777769, 0xc85470c23a9da14cu},
      {"SPRAYJOB_M.KML", 3611, 0x4d28a7e64f8f1916u},
      {"ev.dat", 413453, 0x2271f46f790bd4cbu},
  };
  for (const auto& [name, size, fingerprint] : expected) {
    const std::string bytes = testkit::ReadFile(dir.File(name));
    EXPECT_EQ(bytes.size(), size) << name;
    EXPECT_EQ(Fingerprint(bytes), fingerprint) << name;
  }
}

}  // namespace
}  // namespace zeltlog
