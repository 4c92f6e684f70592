#include <gtest/gtest.h>

#include "core/record_reader.h"
#include "log_builder.h"
#include "recording_platform.h"
#include "temp_dir.h"
#include "xml_check.h"

namespace zeltlog {
namespace {

using testkit::Bytes;
using testkit::LogBuilder;

// Runs the header pass and then one frame pass over `bytes`, as the
// conversion run does, and returns the session's event lines.
struct PassResult {
  std::vector<std::string> lines;
  int good = 0;
  int errors = 0;
  int frameCalls = 0;
  bool endedInsideFrame = false;
};

PassResult RunPass(const std::string& bytes, PassMode mode, ConversionSession* keep = nullptr) {
  testkit::TempDir dir;
  const std::string path = dir.File("T.LOG");
  testkit::WriteFile(path, bytes);
  testkit::RecordingPlatform platform;
  ConversionSession own(platform);
  ConversionSession& s = keep ? *keep : own;
  ResetSession(s);
  EXPECT_TRUE(s.logFile.Open(path));
  s.recordBuffer[0] = 1;
  EXPECT_FALSE(ReadRecord(s, PassMode::Header));
  s.recordBuffer[0] = 0;
  PassResult result;
  while (ReadRecord(s, mode)) {
    if (++result.frameCalls > 100000) {
      ADD_FAILURE() << "the pass does not end";
      break;
    }
  }
  s.logFile.Close();
  auto& recorder = static_cast<testkit::RecordingPlatform&>(s.platform);
  result.lines = recorder.Lines();
  result.good = s.goodRecordCount;
  result.errors = s.checksumErrorCount;
  result.endedInsideFrame = s.logEndedInsideFrame;
  return result;
}

TEST(RecordReader, HeaderPass) {
  // A log of only a header: the version line, then the frame pass ends at once.
  auto r = RunPass(LogBuilder("CONSOLE 7.1").str(), PassMode::Full);
  EXPECT_EQ(r.lines, std::vector<std::string>{"Version: CONSOLE 7.1"});
  EXPECT_EQ(r.frameCalls, 0);
  EXPECT_EQ(r.good, 0);
  // An empty file: no line at all.
  EXPECT_TRUE(RunPass("", PassMode::Full).lines.empty());
  // A header without its NUL: no line either.
  EXPECT_TRUE(RunPass("CONSOLE", PassMode::Full).lines.empty());
}

TEST(RecordReader, FramingTable) {
  struct Case {
    const char* legend;
    std::string bytes;
    int good;
    int errors;
    std::vector<std::string> errorLines;
  };
  const Bytes rate = testkit::TargetRate(1, 0, 50.0f).bytes();
  auto log = [] { return LogBuilder("H"); };
  const std::vector<Case> cases = {
      {"garbage between frames is skipped", log().Raw("\x01\x02\xFF junk").Frame(99, Bytes{1, 2}).Raw("zz").Frame(99, Bytes{}).str(),
       2, 0, {}},
      {"bad checksum: identifier, length, residual, fourth byte",
       log().FrameWithResidual(34, Bytes(16, 7), 200, 17).Frame(34, rate).str(), 1, 1,
       {"   CS error  ID 34, bytes = 20  cs = 17  200"}},
      {"a length of 4 is an empty frame, and the pass goes on", log().Frame(99, Bytes{}).Frame(99, Bytes{5}).str(), 2, 0, {}},
      {"a length below 4 is a checksum error; the search goes on", log().Raw(Bytes{0xA5, 2, 34, 9}).Frame(99, Bytes{1}).str(), 1,
       1, {"   CS error  ID 34, bytes = 2  cs = 140  9"}},
      {"cut inside the payload: reported with the XOR of what was read",
       log().Frame(99, Bytes{1}).Raw(Bytes{0xA5, 10, 34, 0x10, 0x01, 0x02}).str(), 1, 1,
       {"   CS error  ID 34, bytes = 10  cs = 158  16"}},
      {"cut inside the frame header: the pass ends silently", log().Frame(99, Bytes{1}).Raw(Bytes{0xA5, 10}).str(), 1, 0, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    auto r = RunPass(c.bytes, PassMode::Full);
    EXPECT_EQ(r.good, c.good);
    EXPECT_EQ(r.errors, c.errors);
    std::vector<std::string> errorLines;
    for (const auto& line : r.lines)
      if (line.rfind("   CS error", 0) == 0) errorLines.push_back(line);
    EXPECT_EQ(errorLines, c.errorLines);
    // The same bytes in the pre-scan: no counter, no line beyond the version.
    auto p = RunPass(c.bytes, PassMode::Prescan);
    EXPECT_EQ(p.good, 0);
    EXPECT_EQ(p.errors, 0);
    EXPECT_EQ(p.lines.size(), 1u);
  }
}

TEST(RecordReader, PayloadStartingWithSyncByteDoesNotSwallowTheNextFrame) {
  // A fix logged in May 2019 begins with 0xA5; the frame after it must
  // still be found by its own sync byte.
  testkit::Fix fix;
  fix.time = testkit::Timestamp::FromTimeOfDay(100.0, 2019, 5, 14);
  fix.latitude = -34.25;
  fix.longitude = 142.1;
  fix.heading = 90.0f;
  const Bytes position = testkit::Position1(fix).bytes();
  ASSERT_EQ(position[0], 0xA5);
  auto r = RunPass(LogBuilder().Frame(1, position).Frame(250, testkit::TextMessage("after")).Frame(1, position).str(),
                   PassMode::Full);
  EXPECT_EQ(r.good, 3);
  EXPECT_EQ(r.errors, 0);
  EXPECT_NE(std::find(r.lines.begin(), r.lines.end(), "after"), r.lines.end());
}

TEST(RecordReader, BytesPastThePayloadReadAsZero) {
  // A long text message, then a short one whose text runs to its frame's
  // end without a terminating zero: nothing of the first may show.
  auto r = RunPass(LogBuilder()
                       .Frame(250, testkit::TextMessage("ABCDEFGHIJKLMNOPQRSTUVWXYZ"))
                       .Frame(250, testkit::Payload().U8(0).Raw("xy"))
                       .Frame(141, testkit::Payload().U8(200).Raw("map"))
                       .str(),
                   PassMode::Full);
  ASSERT_EQ(r.lines.size(), 4u);
  EXPECT_EQ(r.lines[1], "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
  EXPECT_EQ(r.lines[2], "xy");
  EXPECT_EQ(r.lines[3], "Prescription Map:  map");
}

TEST(RecordReader, UnknownIdentifierIsCountedOnly) {
  auto r = RunPass(LogBuilder().Frame(99, Bytes{1, 2, 3}).str(), PassMode::Full);
  EXPECT_EQ(r.good, 1);
  EXPECT_EQ(r.lines.size(), 1u);
}

TEST(RecordReader, PrescanFoldsRangesRatesAndTank) {
  testkit::RecordingPlatform platform;
  ConversionSession s(platform);
  SetRangeSentinels(s);
  LogBuilder log;
  testkit::Fix a;
  a.latitude = 10.5;
  a.longitude = 359.5;
  a.altitude = 100.0f;
  testkit::Fix b = a;
  b.latitude = 10.25;
  b.longitude = 20.0;
  b.altitude = 90.0f;
  log.Frame(1, testkit::Position1(a)).Frame(2, testkit::Position2(b));
  log.Frame(34, testkit::TargetRate(1, 0, 0.05f)).Frame(34, testkit::TargetRate(1, 0, 40.0f));
  log.Frame(36, testkit::ActualRate(1, 0, 41.0f)).Frame(140, testkit::FlowStatus(1, 1000.0f, 0, 650, 41, 10));
  log.Frame(36, testkit::ActualRate(1, 0, 39.5f)).Frame(140, testkit::FlowStatus(1, 975.5f, 0, 650, 39.5f, 10));
  auto r = RunPass(log.str(), PassMode::Prescan, &s);
  EXPECT_EQ(r.lines.size(), 1u);  // the pre-scan lists nothing
  EXPECT_DOUBLE_EQ(s.latitudeMax, 10.5);
  EXPECT_DOUBLE_EQ(s.latitudeMin, 10.25);
  EXPECT_DOUBLE_EQ(s.longitudeMax, 359.5);
  EXPECT_DOUBLE_EQ(s.longitudeMin, 20.0);
  EXPECT_DOUBLE_EQ(s.altitudeMax, 100.0);
  EXPECT_DOUBLE_EQ(s.altitudeMin, 90.0);
  EXPECT_DOUBLE_EQ(s.targetRateMax, 40.0);
  EXPECT_DOUBLE_EQ(s.targetRateMin, 40.0);  // 0.05 never becomes the minimum
  EXPECT_DOUBLE_EQ(s.actualRateMax, 41.0);
  EXPECT_DOUBLE_EQ(s.actualRateMin, 39.5);
  EXPECT_DOUBLE_EQ(s.tankUsed, 24.5);
}

}  // namespace
}  // namespace zeltlog
