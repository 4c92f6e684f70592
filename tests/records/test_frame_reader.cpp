#include <gtest/gtest.h>

#include "testkit.h"
#include "pipeline/log_passes.h"
#include "sinks/prescan_summary.h"
#include "records/frame_reader.h"
#include "sinks/event_lines.h"

namespace zeltlog {
namespace {

using testkit::LogBuilder;

// Reads the header and one pass of frames of `bytes` into the event lines.
struct PassResult {
  std::optional<std::string> header;
  std::vector<std::string> lines;
  FramePassCounts counts;
};

PassResult RunPass(const std::string& bytes, RecordHandler* other = nullptr) {
  testkit::TempDir dir;
  const std::string path = dir.File("T.LOG");
  testkit::WriteFile(path, bytes);
  testkit::RecordingPlatform platform;
  EventLineSink lines(platform, {});
  ByteReader log;
  EXPECT_TRUE(log.Open(path));
  PassResult result;
  result.header = ReadHeaderText(log);
  result.counts = RunFramePass(log, other ? *other : static_cast<RecordHandler&>(lines), &platform);
  result.lines = platform.Lines();
  return result;
}

TEST(FrameReader, HeaderText) {
  EXPECT_EQ(RunPass(LogBuilder("CONSOLE 7.1").str()).header, "CONSOLE 7.1");
  EXPECT_EQ(RunPass("").header, std::nullopt);
  EXPECT_EQ(RunPass("CONSOLE").header, std::nullopt);  // no NUL: no header
  // Megabytes before the NUL: only the first 4096 bytes are kept.
  EXPECT_EQ(RunPass(std::string(100000, 'v') + '\0').header, std::string(kHeaderTextLimit, 'v'));
}

TEST(FrameReader, FramingTable) {
  struct Case {
    const char* legend;
    std::string bytes;
    int good;
    int errors;
    bool endedInsideFrame;
    std::vector<std::string> errorLines;
  };
  const Bytes rate = testkit::TargetRate(1, 0, 50.0f).bytes();
  auto log = [] { return LogBuilder("H"); };
  const std::vector<Case> cases = {
      {"garbage between frames is skipped",
       log().Raw("\x01\x02\xFF junk").Frame(99, Bytes{1, 2}).Raw("zz").Frame(99, Bytes{}).str(), 2, 0, false, {}},
      {"bad checksum: identifier, length, residual, fourth byte",
       log().FrameWithResidual(34, Bytes(16, 7), 200, 17).Frame(34, rate).str(), 1, 1, false,
       {"   CS error  ID 34, bytes = 20  cs = 17  200"}},
      {"a length of 4 is an empty frame, and the pass goes on", log().Frame(99, Bytes{}).Frame(99, Bytes{5}).str(), 2, 0,
       false, {}},
      {"a length below 4 is a checksum error; the search goes on",
       log().Raw(Bytes{0xA5, 2, 34, 9}).Frame(99, Bytes{1}).str(), 1, 1, false,
       {"   CS error  ID 34, bytes = 2  cs = 140  9"}},
      {"cut inside the payload: reported with the XOR of what was read",
       log().Frame(99, Bytes{1}).Raw(Bytes{0xA5, 10, 34, 0x10, 0x01, 0x02}).str(), 1, 1, true,
       {"   CS error  ID 34, bytes = 10  cs = 158  16"}},
      {"cut inside the frame header: the pass ends silently", log().Frame(99, Bytes{1}).Raw(Bytes{0xA5, 10}).str(), 1, 0,
       true, {}},
      {"an unknown identifier is counted only", log().Frame(99, Bytes{1, 2, 3}).str(), 1, 0, false, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    auto r = RunPass(c.bytes);
    EXPECT_EQ(r.counts.goodFrames, c.good);
    EXPECT_EQ(r.counts.checksumErrors, c.errors);
    EXPECT_EQ(r.counts.endedInsideFrame, c.endedInsideFrame);
    std::vector<std::string> errorLines;
    for (const auto& line : r.lines)
      if (line.rfind("   CS error", 0) == 0) errorLines.push_back(line);
    EXPECT_EQ(errorLines, c.errorLines);
  }
}

TEST(FrameReader, PayloadStartingWithSyncByteDoesNotSwallowTheNextFrame) {
  // A fix logged in May 2019 begins with 0xA5; the frame after it must
  // still be found by its own sync byte.
  const testkit::Fix fix{.time = testkit::Timestamp::FromTimeOfDay(100.0, 2019, 5, 14), .latitude = -34.25,
                         .longitude = 142.1, .heading = 90.0f};
  const Bytes position = testkit::Position1(fix).bytes();
  ASSERT_EQ(position[0], 0xA5);
  auto r = RunPass(LogBuilder().Frame(1, position).Frame(250, testkit::TextMessage("after")).Frame(2, position).str());
  EXPECT_EQ(r.counts.goodFrames, 3);
  EXPECT_EQ(r.counts.checksumErrors, 0);
  EXPECT_EQ(r.counts.lastPositionIdentifier, 2);
  EXPECT_EQ(r.lines, std::vector<std::string>{"after"});
}

TEST(FrameReader, BytesPastThePayloadReadAsZero) {
  // A long text message, then a short one whose text runs to its frame's
  // end without a terminating zero: nothing of the first may show.
  auto r = RunPass(LogBuilder()
                       .Frame(250, testkit::TextMessage("ABCDEFGHIJKLMNOPQRSTUVWXYZ"))
                       .Frame(250, testkit::Payload().U8(0).Raw("xy"))
                       .Frame(141, testkit::Payload().U8(200).Raw("map"))
                       .str());
  EXPECT_EQ(r.lines, (std::vector<std::string>{"ABCDEFGHIJKLMNOPQRSTUVWXYZ", "xy", "Prescription Map:  map"}));
  // The same when the first payload is only a little longer, with the short
  // frame last in the file, and with many bytes after it (a frame is then
  // taken from the read-ahead in whole pieces that run past its end).
  for (const char* first : {"ABCDEFGH", "ABCDEFGHIJKLMNOPQRST"}) {
    for (const bool last : {false, true}) {
      LogBuilder log;
      log.Frame(250, testkit::TextMessage(first)).Frame(250, testkit::Payload().U8(0).Raw("xy"));
      if (!last) log.Frame(250, testkit::TextMessage("a message long enough to follow"));
      const auto lines = RunPass(log.str()).lines;
      ASSERT_GE(lines.size(), 2u) << first << last;
      EXPECT_EQ(lines[1], "xy") << first << last;
    }
  }
}

TEST(FrameReader, ChecksumOfEveryPayloadLengthCoversItsOwnBytesOnly) {
  // Frames are checked sixteen bytes at a time; the last piece runs into
  // the next frame, whose bytes must not count, and the frame's own last
  // byte must.
  const Bytes after(20, 0xEE);
  for (size_t size = 1; size <= 251; ++size) {
    Bytes payload(size);
    for (size_t i = 0; i < size; ++i) payload[i] = static_cast<uint8_t>(i * 37 + size);
    const auto r = RunPass(LogBuilder().Frame(99, payload).FrameWithResidual(99, payload, 7, 0x5A).Frame(99, after).str());
    ASSERT_EQ(r.counts.goodFrames, 2) << size;
    ASSERT_EQ(r.lines, std::vector<std::string>{"   CS error  ID 99, bytes = " + std::to_string(size + 4) + "  cs = 90  7"})
        << size;
  }
}

TEST(FrameReader, PrescanFoldsRangesRatesAndTank) {
  LogBuilder log;
  const testkit::Fix a{.time = {}, .latitude = 10.5, .longitude = 359.5, .altitude = 100.0f};
  const testkit::Fix b{.time = {}, .latitude = 10.25, .longitude = 20.0, .altitude = 90.0f};
  const testkit::Fix rejected{.time = {}, .latitude = 95.0, .longitude = 359.5, .altitude = 100.0f};
  log.Frame(1, testkit::Position1(a)).Frame(2, testkit::Position2(b)).Frame(1, testkit::Position1(rejected));
  log.Frame(34, testkit::TargetRate(1, 0, 0.05f)).Frame(34, testkit::TargetRate(1, 0, 40.0f));
  log.Frame(36, testkit::ActualRate(1, 0, 41.0f)).Frame(140, testkit::FlowStatus(1, 1000.0f, 0, 650, 41, 10));
  log.Frame(36, testkit::ActualRate(1, 0, 39.5f)).Frame(140, testkit::FlowStatus(1, 975.5f, 0, 650, 39.5f, 10));
  log.Frame(35, testkit::Sections(4, 300, -450)).Frame(35, testkit::Sections(4, 700, -650));
  PrescanSummarySink prescan;
  auto r = RunPass(log.str(), &prescan);
  EXPECT_TRUE(r.lines.empty());  // the pre-scan lists nothing
  const PrescanFigures& f = prescan.figures();
  EXPECT_EQ(f.fixes, 2);
  // 0.05 never becomes the smallest target rate.
  EXPECT_EQ((std::vector<double>{f.latitudeMax, f.latitudeMin, f.longitudeMax, f.longitudeMin, f.altitudeMax,
                                 f.altitudeMin, f.targetRateMax, f.targetRateMin, f.actualRateMax, f.actualRateMin,
                                 f.tankUsed, prescan.lastLeftOffset(), prescan.lastRightOffset()}),
            (std::vector<double>{10.5, 10.25, 359.5, 20.0, 100.0, 90.0, 40.0, 40.0, 41.0, 39.5, 24.5, 7.0, -6.5}));
}

}  // namespace
}  // namespace zeltlog
