#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "core/record_reader.h"
#include "decoders/job_info.h"
#include "decoders/marks.h"
#include "decoders/position.h"
#include "decoders/sensors.h"
#include "decoders/swath_sections.h"
#include "decoders/variable_rate.h"
#include "log_builder.h"
#include "recording_platform.h"
#include "xml_check.h"

namespace zeltlog {
namespace {

using testkit::Payload;

class Decoders : public ::testing::Test {
 protected:
  Decoders() : s(platform) { ResetSession(s); }

  // Puts a payload into the record buffer as the reader leaves it.
  void Load(const Payload& payload) {
    s.recordBuffer.fill(0);
    std::memcpy(s.recordBuffer.data(), payload.bytes().data(), payload.size());
    s.payloadLength = payload.size();
  }
  std::vector<std::string> Lines() const { return platform.Lines(); }

  testkit::RecordingPlatform platform;
  ConversionSession s;
};

TEST_F(Decoders, PackedTimestamp) {
  const uint8_t bytes[5] = {0x3B, 0x80, 0x25, 0x61, 0x2C};
  s.projector.UnpackTimestamp(bytes);
  EXPECT_EQ(s.projector.year, 2012);
  EXPECT_EQ(s.projector.month, 11);
  EXPECT_EQ(s.projector.day, 12);
  EXPECT_EQ(s.projector.hour, 12);
  EXPECT_EQ(s.projector.minute, 9);
  EXPECT_EQ(s.projector.second, 11);
  EXPECT_EQ(s.projector.hundredths, 0);
  EXPECT_DOUBLE_EQ(s.projector.TimeOfDay(), 43751.0);
  // The builder packs the same bytes.
  testkit::Bytes packed;
  testkit::AppendTimestamp(packed, {2012, 11, 12, 12, 9, 11, 0});
  EXPECT_EQ(packed, (testkit::Bytes{0x3B, 0x80, 0x25, 0x61, 0x2C}));
}

TEST_F(Decoders, CompactFixFieldsAndPlausibility) {
  auto compact = [](uint32_t lat, uint32_t lon, unsigned alt, unsigned heading) {
    return Payload().Time({}).U32(lat).U32(lon).U16(alt).U16(heading).U8(1);
  };
  Load(compact(0, 0, 0, 0));
  EXPECT_EQ(DecodePosition2(s, kPositionPrescan), 0);  // -210, -210
  EXPECT_DOUBLE_EQ(s.currentLatitude, -210.0);
  EXPECT_EQ(s.positionFormatLabel, "POS2");
  Load(compact(2100000000u, 2100001000u, 0, 46080));
  EXPECT_EQ(DecodePosition2(s, kPositionPrescan), 0);  // latitude exactly 0
  Load(compact(2100001000u, 2100001000u, 20000, 46080));
  EXPECT_EQ(DecodePosition2(s, kPositionPrescan), 1);
  EXPECT_NEAR(s.currentLatitude, 0.0001, 1e-12);
  EXPECT_DOUBLE_EQ(s.currentAltitude, 0.0);
  EXPECT_DOUBLE_EQ(s.currentHeading, 360.0);
  EXPECT_EQ(s.sprayState, 1);
  Load(compact(2100001000u, 2100001000u, 0, 0));
  DecodePosition2(s, kPositionPrescan);
  EXPECT_DOUBLE_EQ(s.currentAltitude, -2500.0);
  Load(compact(2100001000u, 2100001000u, 65535, 0));
  DecodePosition2(s, kPositionPrescan);
  EXPECT_DOUBLE_EQ(s.currentAltitude, 5691.875);

  EXPECT_TRUE(IsPlausibleFix(10.0, 359.5));
  EXPECT_FALSE(IsPlausibleFix(10.0, 360.5));
  EXPECT_FALSE(IsPlausibleFix(90.5, 10.0));
  EXPECT_FALSE(IsPlausibleFix(10.0, -180.5));
  EXPECT_FALSE(IsPlausibleFix(10.0, 0.0));
  EXPECT_FALSE(IsPlausibleFix(std::nan(""), 10.0));
}

TEST_F(Decoders, RejectedFullFixKeepsTimeSpeedAndSpray) {
  testkit::Fix good;
  good.time = testkit::Timestamp::FromTimeOfDay(100.0);
  good.latitude = 45.0;
  good.longitude = 9.0;
  good.speed = 3.0f;
  good.spray = 1;
  Load(testkit::Position1(good));
  EXPECT_EQ(DecodePosition1(s, kPositionPrescan), 1);
  testkit::Fix bad = good;
  bad.latitude = 0.0;
  bad.time = testkit::Timestamp::FromTimeOfDay(200.0);
  bad.speed = 9.0f;
  bad.spray = 0;
  Load(testkit::Position1(bad));
  EXPECT_EQ(DecodePosition1(s, kPositionPrescan), 0);
  EXPECT_DOUBLE_EQ(s.currentLatitude, 0.0);
  EXPECT_DOUBLE_EQ(s.currentTime, 100.0);
  EXPECT_DOUBLE_EQ(s.currentSpeed, 3.0);
  EXPECT_EQ(s.sprayState, 1);
}

TEST_F(Decoders, SwathGeometryRecords) {
  Load(testkit::Sections(6, 1000, -1000));
  DecodeSections(s, 1);
  EXPECT_EQ(Lines().back(), "SW 20.000,  0.000,LRoffsets 10.000,  -10.000, 20.000\n");
  Load(testkit::Sections(6, 300, 100));
  DecodeSections(s, 3);
  EXPECT_DOUBLE_EQ(s.swathWidth, 2.0);
  EXPECT_DOUBLE_EQ(s.swathCentreOffset, 2.0);
  EXPECT_DOUBLE_EQ(s.leftEdgeOffset, 3.0);
  EXPECT_DOUBLE_EQ(s.rightEdgeOffset, 1.0);
  EXPECT_EQ(Lines().size(), 1u);  // the pre-scan adds no line
  Load(testkit::Sections(6, 32767, -32768));
  DecodeSections(s, 3);
  EXPECT_DOUBLE_EQ(s.swathWidth, 655.35);
  EXPECT_DOUBLE_EQ(s.swathCentreOffset, -0.005);

  Load(testkit::SwathWidth(18.288f));
  DecodeSwathWidth(s);
  EXPECT_EQ(Lines().back(), "Swath Width 18.29");
  EXPECT_NEAR(s.leftEdgeOffset, 9.144, 1e-6);
  EXPECT_NEAR(s.rightEdgeOffset, -9.144, 1e-6);

  testkit::JobSummary job;
  job.machineWidth = 24.0f;
  job.overlapWidth = 0.5f;
  Load(testkit::JobSummaryRecord(job));
  DecodeJobSummary(s);
  EXPECT_DOUBLE_EQ(s.swathWidth, 23.5);
  EXPECT_DOUBLE_EQ(s.leftEdgeOffset, 11.75);
  EXPECT_DOUBLE_EQ(s.rightEdgeOffset, -11.75);
}

TEST_F(Decoders, JobInformationLines) {
  Load(testkit::SystemVersions("SYS 4.2", "CPU 1.0", "GPS 3.4", "DIF 1.0"));
  DecodeSystemVersions(s);
  testkit::JobSummary job;
  job.created = {2012, 11, 12, 9, 5, 7, 0};
  job.updated = {2012, 11, 12, 12, 9, 11, 0};
  job.appVersion = "APP 3.10";
  job.machineArea = 12.5f;
  job.perimeter = 1500.0f;
  job.timeZone = -5;
  job.machineWidth = 24.0f;
  job.overlapWidth = 0.5f;
  job.offset = 1.25f;
  job.maxLat = -34.1;
  job.minLat = -34.2;
  job.minLon = 142.0;
  job.maxLon = 142.3;
  Load(testkit::JobSummaryRecord(job));
  DecodeJobSummary(s);
  Load(testkit::FarmRecord({"", "Paddock 7", "Jo", "Rig 2", "Herbicide", "Wheat", "12", "SW", "18.5", "54"}));
  DecodeFarmInfo(s);
  Load(testkit::JobNotes1("first notes"));
  DecodeJobNotes1(s);
  Load(testkit::JobNotes2(3, "ABC"));
  DecodeJobNotes2(s);
  Load(testkit::TextMessage("Job loaded"));
  DecodeTextMessage(s);
  const std::vector<std::string> expected = {
      "System: SYS 4.2",
      "CPU: CPU 1.0",
      "GPS: GPS 3.4",
      "Dif: DIF 1.0",
      "201 - machine width 24.000, overlap 0.500, offset 1.250,        APP VER: APP 3.10",
      "APP 3.10",
      "Created :  9: 5: 7  11/12/2012  , Updated: 12: 9:11   11/12/2012 TZ -5",
      "Machine Area:12.500 ha, Overlap:0.000, Skip: 0.000, Applied EST: 0.000, Perimeter: 1500.000, Applied CALC: 0.000",
      "Max LAT: -34.10000000, Min LAT: -34.20000000, Max LON: 142.30000000, Min LON: 142.00000000",
      "Farm: , Field: Paddock 7,",
      "Operator: Jo, Machine: Rig 2",
      "Operation: Herbicide, Crop: Wheat",
      "WindSpeed: 12, Dir: SW, Temp: 18.5, Humidity: 54",
      "JOB NOTES 1: first notes",
      "Sequence 3,JOB NOTES 2: ABC",
      "Job loaded",
  };
  EXPECT_EQ(Lines(), expected);
  EXPECT_EQ(s.versionText, "APP 3.10");
}

TEST_F(Decoders, TextsEndWithTheirFrame) {
  // A farm record cut after the field name: the later slots read as empty,
  // never as bytes of an earlier, longer record.
  Load(Payload().Zeros(35).Text("FarmX", 25).Raw("Field"));
  DecodeFarmInfo(s);
  EXPECT_EQ(Lines()[0], "Farm: FarmX, Field: Field,");
  EXPECT_EQ(Lines()[3], "WindSpeed: , Dir: , Temp: , Humidity: ");
  // A 241-character note without any zero ends at the frame's end.
  Load(Payload().U8(1).Raw(std::string(241, 'n')));
  DecodeJobNotes2(s);
  EXPECT_EQ(Lines().back(), "Sequence 1,JOB NOTES 2: " + std::string(241, 'n'));
}

TEST_F(Decoders, VariableRateLines) {
  Load(testkit::DesiredFlow(12.5f, 3));
  DecodeDesiredFlow(s, 0);
  EXPECT_TRUE(Lines().empty());
  EXPECT_DOUBLE_EQ(s.desiredFlowRate, 12.5);
  DecodeDesiredFlow(s, 1);
  Load(testkit::TargetRate(1, 2, 55.5f));
  EXPECT_EQ(DecodeTargetRate(s, 1), 1);
  Load(testkit::ActualRate(2, 0, 54.25f));
  DecodeActualRate(s);
  Load(testkit::FlowStatus(4, 1234.5f, 7, 650.0f, 54.2f, 40.0f));
  EXPECT_EQ(DecodeFlowStatus(s, 1), 1);
  Load(testkit::PrescriptionMap(""));
  DecodePrescriptionMap(s);
  Load(testkit::Payload().U8(10).Raw(std::string_view("AB\0CD", 5)));
  DecodePrescriptionMap(s);
  const std::vector<std::string> expected = {
      "VRC 32 - Desired Flow rate 12.500 l/min, Status 3",
      "VRC 34 Target:  Chan 1, Units: 2  Target 1:55.500",
      "VRC 36 Actual: Chans:2, Units:0,Rate:54.250",
      "VRC 140 Flow Status:4, Rate:54.200 l/ha, Tank:1234.50 l, Meter Cal:650.0 counts/l",
      "Prescription Map:  ",
      "Prescription Map:  AB",
  };
  EXPECT_EQ(Lines(), expected);
  EXPECT_DOUBLE_EQ(s.currentTargetRate, 55.5);
  EXPECT_DOUBLE_EQ(s.currentActualRate, 54.25);
  EXPECT_EQ(s.flowStatus, 4);
}

TEST_F(Decoders, SensorRecords) {
  Load(testkit::HeightSensor(1.25f));
  DecodeHeightSensor(s);
  EXPECT_EQ(Lines().back(), "Laser Height or SnowDepth 1.250000");
  Load(testkit::ShortValue(-2));
  DecodeShortValue(s);
  EXPECT_EQ(s.shortValue, -2);
  Load(testkit::SwathWidth(-10.0f));
  DecodeSwathWidth(s);
  EXPECT_DOUBLE_EQ(s.leftEdgeOffset, -5.0);
  EXPECT_DOUBLE_EQ(s.rightEdgeOffset, 5.0);
}

TEST_F(Decoders, MarksAndBoundaryPoints) {
  Load(testkit::Mark(5, 51.5, -0.125, 12.0f, "Gate"));
  DecodeMarkOrBoundary(s);
  EXPECT_EQ(s.markPlacemarkText,
            "<Placemark>\n<name>Gate</name>\n<styleUrl>#sn_S</styleUrl>\n<Point>\n"
            "<coordinates>-0.1250000,51.5000000,12.000\n </coordinates>\n</Point>\n</Placemark>\n");
  EXPECT_EQ(Lines().back(), "MARK , 5, *Gate*,-0.1250000,51.5000000,12.000");

  s.markPlacemarkText.clear();
  Load(testkit::Mark(130, -34.5, 142.25, 48.5f, "ignored"));
  DecodeMarkOrBoundary(s);
  Load(testkit::Mark(131, -34.5, 142.25, 48.5f, ""));
  DecodeMarkOrBoundary(s);
  Load(testkit::Mark(128, -34.5, 142.25, 48.5f, ""));
  DecodeMarkOrBoundary(s);
  Load(testkit::Mark(129, -34.5, 142.25, 48.5f, "x"));
  DecodeMarkOrBoundary(s);
  EXPECT_EQ(s.markPlacemarkText,
            "<Placemark>\n<name>INCLUSION</name>\n<description></description>\n<styleUrl>#msn_ylw-pushpin</styleUrl>\n"
            "<Point>\n<coordinates> 142.250000000,-34.500000000,48.500</coordinates>\n</Point>\n</Placemark>\n"
            "<Placemark>\n<name>EXCLUSION</name>\n<description></description>\n<styleUrl>#msn_ylw-pushpin</styleUrl>\n"
            "<Point>\n<coordinates> 142.250000000,-34.500000000,48.500</coordinates>\n</Point>\n</Placemark>\n"
            "<Placemark>\n<styleUrl>#msn_placemark_circle</styleUrl>\n"
            "<Point>\n<coordinates> 142.250000000,-34.500000000,48.500</coordinates>\n</Point>\n</Placemark>\n");
  EXPECT_EQ(Lines().back(), "MARK , 129, *x*,142.2500000,-34.5000000,48.500");
  EXPECT_EQ(Lines().size(), 5u);

  // Names with markup and 8-bit characters: escaped and in UTF-8 in the
  // document, as they are in the event list.
  s.markPlacemarkText.clear();
  Load(testkit::Mark(1, 51.5, 7.25, 0.0f, "A&B <C> \xE4\x80\x01"));
  DecodeMarkOrBoundary(s);
  EXPECT_NE(s.markPlacemarkText.find("<name>A&amp;B &lt;C&gt; \xC3\xA4\xE2\x82\xAC</name>"), std::string::npos);
  EXPECT_EQ(Lines().back(), "MARK , 1, *A&B <C> \xE4\x80\x01*,7.2500000,51.5000000,0.000");
  EXPECT_TRUE(testkit::IsWellFormedXml("<d>" + s.markPlacemarkText + "</d>"));
}

TEST_F(Decoders, MarkSwitches) {
  s.marksOutput = 0;
  Load(testkit::Mark(5, 51.5, 7.25, 0.0f, "m"));
  DecodeMarkOrBoundary(s);
  s.boundaryOutput = 0;
  Load(testkit::Mark(130, 51.5, 7.25, 0.0f, ""));
  DecodeMarkOrBoundary(s);
  EXPECT_TRUE(Lines().empty());
  EXPECT_TRUE(s.markPlacemarkText.empty());
}

}  // namespace
}  // namespace zeltlog
