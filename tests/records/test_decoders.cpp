#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "testkit.h"
#include "payload_buffer.h"
#include "records/decoders.h"
#include "records/record_table.h"
#include "sinks/event_lines.h"

namespace zeltlog {
namespace {

using testkit::Payload;
using testkit::PayloadBuffer;

// Decodes built records through the table and returns their event lines.
std::vector<std::string> LinesOf(const std::vector<std::pair<RecordId, Payload>>& records, MarkListing listing = {}) {
  testkit::RecordingPlatform platform;
  EventLineSink lines(platform, listing);
  for (const auto& [id, payload] : records) {
    const PayloadBuffer buffer(payload);
    DeliverRecord(static_cast<uint8_t>(id), buffer.view(), lines);
  }
  return platform.Lines();
}

std::optional<Fix> DecodeCompact(const Payload& payload) { return DecodeCompactPosition(PayloadBuffer(payload).view()); }

TEST(Decoders, PackedTimestamp) {
  const uint8_t bytes[5] = {0x3B, 0x80, 0x25, 0x61, 0x2C};
  const Timestamp t = UnpackTimestamp(bytes);
  EXPECT_EQ(std::vector<int>({t.year, t.month, t.day, t.hour, t.minute, t.second, t.hundredths}),
            std::vector<int>({2012, 11, 12, 12, 9, 11, 0}));
  EXPECT_DOUBLE_EQ(t.TimeOfDay(), 43751.0);
}

TEST(Decoders, PositionFixesAndPlausibility) {
  auto compact = [](uint32_t lat, uint32_t lon, unsigned alt, unsigned heading) {
    return Payload().Time(testkit::Timestamp::FromTimeOfDay(3723.45)).U32(lat).U32(lon).U16(alt).U16(heading).U8(7);
  };
  EXPECT_FALSE(DecodeCompact(compact(0, 0, 0, 0)));                                // -210, -210
  EXPECT_FALSE(DecodeCompact(compact(2100000000u, 2100001000u, 0, 46080)));       // latitude exactly 0
  const auto fix = DecodeCompact(compact(2100001000u, 2100003000u, 20000, 46080));
  ASSERT_TRUE(fix);
  EXPECT_EQ(fix->format, RecordId::CompactPosition);
  EXPECT_NEAR(fix->latitude, 0.0001, 1e-12);
  EXPECT_NEAR(fix->longitude, 0.0003, 1e-12);
  EXPECT_DOUBLE_EQ(fix->altitude, 0.0);
  EXPECT_DOUBLE_EQ(fix->heading, 360.0);
  EXPECT_DOUBLE_EQ(fix->speed, 0.0);  // a compact fix carries none
  EXPECT_EQ(fix->sprayState, 3);      // two bits of the state byte
  EXPECT_DOUBLE_EQ(fix->timeOfDay, 3723.45);
  EXPECT_DOUBLE_EQ(DecodeCompact(compact(2100001000u, 2100001000u, 65535, 0))->altitude, 5691.875);

  const testkit::Fix built{.time = testkit::Timestamp::FromTimeOfDay(100.5), .latitude = -34.25, .longitude = 142.125,
                           .altitude = 48.5f, .speed = 12.25f, .heading = 271.5f, .spray = 2};
  const auto full = DecodeFullPosition(PayloadBuffer(testkit::Position1(built)).view());
  ASSERT_TRUE(full);
  EXPECT_EQ(std::vector<double>({full->latitude, full->longitude, full->altitude, full->speed, full->heading,
                                 double(full->sprayState), full->timeOfDay}),
            std::vector<double>({-34.25, 142.125, 48.5, 12.25, 271.5, 2.0, 100.5}));

  for (const auto& [lat, lon, plausible] : std::vector<std::tuple<double, double, bool>>{
           {10.0, 359.5, true}, {10.0, 360.5, false}, {90.5, 10.0, false}, {10.0, -180.5, false},
           {10.0, 0.0, false}, {std::nan(""), 10.0, false}, {10.0, std::nan(""), false}}) {
    EXPECT_EQ(IsPlausibleFix(lat, lon), plausible) << lat << "," << lon;
  }
}

TEST(Decoders, RecordLines) {
  const testkit::JobSummary job{.created = {2012, 11, 12, 9, 5, 7, 0}, .updated = {2012, 11, 12, 12, 9, 11, 0},
                                .appVersion = "APP 3.10", .machineArea = 12.5f, .overlapArea = 1.5f, .skipArea = 0.25f,
                                .appliedEst = 3.0f, .perimeter = 1500.0f, .appliedCalc = 2.75f, .timeZone = -5,
                                .machineWidth = 24.0f, .overlapWidth = 0.5f, .offset = 1.25f, .maxLat = -34.1,
                                .minLat = -34.2, .minLon = 142.0, .maxLon = 142.3};
  const std::vector<std::pair<RecordId, Payload>> records = {
      {RecordId::SystemVersions, testkit::SystemVersions("SYS 4.2", "CPU 1.0", "GPS 3.4", "DIF 1.0")},
      {RecordId::JobSummary, testkit::JobSummaryRecord(job)},
      {RecordId::FarmInfo, testkit::FarmRecord({"", "Paddock 7", "Jo", "Rig 2", "Herbicide", "Wheat", "12", "SW", "18.5", "54"})},
      {RecordId::JobNotes1, testkit::JobNotes1("first notes")},
      {RecordId::JobNotes2, testkit::JobNotes2(3, "ABC")},
      {RecordId::TextMessage, testkit::TextMessage("Job loaded")},
      {RecordId::Sections, testkit::Sections(6, 1000, -1000)},
      {RecordId::Sections, testkit::Sections(6, 32767, -32768)},
      {RecordId::SwathWidth, testkit::SwathWidth(18.288f)},
      {RecordId::DesiredFlow, testkit::DesiredFlow(12.5f, 3)},
      {RecordId::TargetRate, testkit::TargetRate(1, 2, 55.5f)},
      {RecordId::ActualRate, testkit::ActualRate(2, 4, 54.25f)},
      {RecordId::FlowStatus, testkit::FlowStatus(4, 1234.5f, 7, 650.0f, 54.2f, 40.0f)},
      {RecordId::PrescriptionMap, testkit::PrescriptionMap("")},
      {RecordId::PrescriptionMap, Payload().U8(10).Raw(std::string_view("AB\0CD", 5))},
      {RecordId::HeightSensor, testkit::HeightSensor(1.25f)},
      {RecordId::ShortValue, testkit::ShortValue(-2)},
  };
  const std::vector<std::string> expected = {
      "System: SYS 4.2",
      "CPU: CPU 1.0",
      "GPS: GPS 3.4",
      "Dif: DIF 1.0",
      "201 - machine width 24.000, overlap 0.500, offset 1.250,        APP VER: APP 3.10",
      "APP 3.10",
      "Created :  9: 5: 7  11/12/2012  , Updated: 12: 9:11   11/12/2012 TZ -5",
      "Machine Area:12.500 ha, Overlap:1.500, Skip: 0.250, Applied EST: 3.000, Perimeter: 1500.000, Applied CALC: "
      "2.750",
      "Max LAT: -34.10000000, Min LAT: -34.20000000, Max LON: 142.30000000, Min LON: 142.00000000",
      "Farm: , Field: Paddock 7,",
      "Operator: Jo, Machine: Rig 2",
      "Operation: Herbicide, Crop: Wheat",
      "WindSpeed: 12, Dir: SW, Temp: 18.5, Humidity: 54",
      "JOB NOTES 1: first notes",
      "Sequence 3,JOB NOTES 2: ABC",
      "Job loaded",
      "SW 20.000,  0.000,LRoffsets 10.000,  -10.000, 20.000\n",
      "SW 655.350,  -0.005,LRoffsets 327.670,  -327.680, 655.350\n",
      "Swath Width 18.29",
      "VRC 32 - Desired Flow rate 12.500 l/min, Status 3",
      "VRC 34 Target:  Chan 1, Units: 2  Target 1:55.500",
      "VRC 36 Actual: Chans:2, Units:4,Rate:54.250",
      "VRC 140 Flow Status:4, Rate:54.200 l/ha, Tank:1234.50 l, Meter Cal:650.0 counts/l",
      "Prescription Map:  ",
      "Prescription Map:  AB",
      "Laser Height or SnowDepth 1.250000",
  };
  EXPECT_EQ(LinesOf(records), expected);
}

TEST(Decoders, TextsEndWithTheirFrame) {
  // A farm record cut after the field name: the later slots read as empty.
  auto lines = LinesOf({{RecordId::FarmInfo, Payload().Zeros(35).Text("FarmX", 25).Raw("Field")},
                        {RecordId::JobNotes2, Payload().U8(1).Raw(std::string(241, 'n'))}});
  EXPECT_EQ(lines[0], "Farm: FarmX, Field: Field,");
  EXPECT_EQ(lines[3], "WindSpeed: , Dir: , Temp: , Humidity: ");
  // A 241-character note without any zero ends at the frame's end.
  EXPECT_EQ(lines[4], "Sequence 1,JOB NOTES 2: " + std::string(241, 'n'));
}

TEST(Decoders, NoDecoderReadsPastItsMinimumLength) {
  // Every kind decodes the same record whether the bytes after its minimum
  // length are zero or noise (a zero right after it ends any text).
  std::mt19937 random(11);
  for (int identifier = 0; identifier < 256; ++identifier) {
    const RecordKind* kind = FindRecordKind(static_cast<uint8_t>(identifier));
    if (!kind) continue;
    SCOPED_TRACE(kind->name);
    for (int round = 0; round < 20; ++round) {
      Payload exact, noisy;
      for (size_t i = 0; i < kind->minimumLength; ++i) {
        const auto byte = static_cast<unsigned>(random() % 255 + 1);
        exact.U8(byte);
        noisy.U8(byte);
      }
      noisy.U8(0);
      while (noisy.size() < 251) noisy.U8(static_cast<unsigned>(random() % 256));
      struct Capture : EventLineSink {
        using EventLineSink::EventLineSink;
        void OnFix(const Fix& f) override { fixes.push_back({f.latitude, f.longitude, f.altitude, f.heading, f.speed, double(f.sprayState), f.timeOfDay}); }
        std::vector<std::vector<double>> fixes;
      };
      testkit::RecordingPlatform a, b;
      Capture exactLines(a, {}), noisyLines(b, {});
      kind->deliver(PayloadBuffer(exact).view(), exactLines);
      kind->deliver(PayloadBuffer(noisy).view(), noisyLines);
      EXPECT_EQ(a.Lines(), b.Lines());
      // NaN never equals itself: compare the bits' text instead.
      EXPECT_EQ(::testing::PrintToString(exactLines.fixes), ::testing::PrintToString(noisyLines.fixes));
    }
  }
}

TEST(Decoders, MarkLinesFollowTheSwitches) {
  const std::vector<std::pair<RecordId, Payload>> marks = {
      {RecordId::MarkOrBoundary, testkit::Mark(5, 51.5, -0.125, 12.0f, "A&B <C> \xE4\x80\x01")},
      {RecordId::MarkOrBoundary, testkit::Mark(129, -34.5, 142.25, 48.5f, "x")},
  };
  const std::string mark = "MARK , 5, *A&B <C> \xE4\x80\x01*,-0.1250000,51.5000000,12.000";
  const std::string boundary = "MARK , 129, *x*,142.2500000,-34.5000000,48.500";
  EXPECT_EQ(LinesOf(marks), (std::vector<std::string>{mark, boundary}));
  EXPECT_EQ(LinesOf(marks, {false, true}), std::vector<std::string>{boundary});
  EXPECT_EQ(LinesOf(marks, {true, false}), std::vector<std::string>{mark});
  EXPECT_TRUE(LinesOf(marks, {false, false}).empty());
}

}  // namespace
}  // namespace zeltlog
