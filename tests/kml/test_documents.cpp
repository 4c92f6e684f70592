// Whole documents of a small conversion, byte for byte as they lie on disk.
#include <gtest/gtest.h>

#include "pipeline/log_conversion.h"
#include "kml/templates.h"
#include "testkit.h"

namespace zeltlog {
namespace {

const std::string kPrologue =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<kml xmlns=\"http://www.opengis.net/kml/2.2\" xmlns:gx=\"http://www.google.com/kml/ext/2.2\" "
    "xmlns:kml=\"http://www.opengis.net/kml/2.2\" xmlns:atom=\"http://www.w3.org/2005/Atom\">\n";

// Three fixes 1.1 m apart heading north at 45 N 9 E with 10 m either side,
// the spray on for the first two; rates, a flow status pair and a mark.
testkit::LogBuilder SmallJob() {
  testkit::LogBuilder log("TEST");
  auto fix = [](double time, double latitude, float altitude, unsigned spray) {
    return testkit::Position1({.time = testkit::Timestamp::FromTimeOfDay(time), .latitude = latitude, .longitude = 9.0,
                               .altitude = altitude, .speed = 5.0f, .heading = 0.0f, .spray = spray});
  };
  log.Frame(35, testkit::Sections(4, 1000, -1000));
  log.Frame(34, testkit::TargetRate(1, 0, 50.0f));
  log.Frame(36, testkit::ActualRate(1, 0, 48.5f));
  log.Frame(140, testkit::FlowStatus(1, 1000.0f, 0, 650.0f, 48.5f, 40.0f));
  log.Frame(1, fix(100.0, 45.0, 50.0f, 1));
  log.Frame(1, fix(100.2, 45.00001, 50.5f, 1));
  log.Frame(36, testkit::ActualRate(1, 0, 49.5f));
  log.Frame(140, testkit::FlowStatus(1, 990.0f, 0, 650.0f, 49.5f, 40.0f));
  log.Frame(60, testkit::Mark(3, 45.00001, 9.0, 50.5f, "Post"));
  log.Frame(1, fix(100.4, 45.00002, 51.0f, 0));
  return log;
}

class SmallJobConversion : public ::testing::Test, protected testkit::Workspace {
 protected:
  void SetUp() override {
    testkit::WriteFile(dir.File("T.LOG"), SmallJob().str());
    session.options.sprayProjection = 0.0;
    outcome = RunLogConversionOn(session, dir.File("T.LOG"));
  }
  CommandResult outcome;
};

// The event list's lines, one record kind each, are the decoders' tests';
// their order, the summary and the fix lines are pinned by the example
// log's fingerprints.
TEST_F(SmallJobConversion, CountsAndViewerDocuments) {
  EXPECT_EQ(session.goodRecordCount, 10);
  EXPECT_EQ(session.positionFormatLabel, "POS1");
  EXPECT_TRUE(outcome.Succeeded());
  // The viewer opens the swath, the path and the marks, in that order.
  EXPECT_EQ(DocumentsForViewer(session, dir.File("T.LOG"), outcome.outputs),
            (std::vector<std::string>{dir.File("T_SIC.KML"), dir.File("T.KML"), dir.File("T_M.KML")}));
}

TEST_F(SmallJobConversion, PathDocument) {
  const std::string expected = kPrologue +
                               "<Placemark>\n<name>ZELT 1</name>\n<name>LI T.KML</name>\n<description>Path</description>\n"
                               "<Style>\n<LineStyle>\n<color>ff0000ff</color>\n<width>1</width>\n</LineStyle>\n</Style>\n"
                               "<MultiGeometry>\n<LineString>\n<extrude>1</extrude>\n<tessellate>1</tessellate>\n"
                               "<altitudeMode>clampToGround</altitudeMode>\n<coordinates>\n"
                               "9.00000000,45.00000000,50.000\n9.00000000,45.00001000,50.500\n"
                               "9.00000000,45.00002000,51.000\n"
                               "</coordinates>\n</LineString>\n</MultiGeometry>\n</Placemark>\n</kml>\n";
  EXPECT_EQ(ReadFile(dir.File("T.KML")), CrLf(expected));
}

TEST_F(SmallJobConversion, SwathDocument) {
  // Its head (styles, the document's name): the example log's fingerprints.
  const std::string swath = ReadFile(dir.File("T_SIC.KML"));
  EXPECT_TRUE(testkit::IsWellFormedXml(swath));
  std::string expected = "<Folder>\n";
  // The corners of the right edge lie east of the track (the right edge
  // offset is negative), every ring runs counterclockwise, the first quad of
  // the run encloses no area, and the last polygon comes again at the end.
  expected +=
      "<Placemark>\n<name>time 100.00 s </name><styleUrl>#G1</styleUrl>\n<Polygon>\n<outerBoundaryIs>\n"
      "<LinearRing id=\"0\">\n<coordinates>\n 9.0001269,45.0000000,50.000\n 9.0001269,45.0000000,50.000\n"
      " 8.9998731,45.0000000,50.000\n 9.0001269,45.0000000,50.000 9.0001269,45.0000000,50.000\n</coordinates>\n"
      "</LinearRing>\n</outerBoundaryIs>\n</Polygon>\n</Placemark>\n"
      "<Placemark>\n<name>time 100.20 s </name><styleUrl>#G1</styleUrl>\n<Polygon>\n<outerBoundaryIs>\n"
      "<LinearRing id=\"0\">\n<coordinates>\n 9.0001269,45.0000000,50.000\n 9.0001269,45.0000100,50.500\n"
      " 8.9998731,45.0000100,50.500\n 8.9998731,45.0000000,50.000\n 9.0001269,45.0000000,50.000\n</coordinates>\n"
      "</LinearRing>\n</outerBoundaryIs>\n</Polygon>\n</Placemark>\n"
      "<Placemark>\n<name>time 100.40 s </name><styleUrl>#G1</styleUrl>\n<Polygon>\n<outerBoundaryIs>\n"
      "<LinearRing id=\"0\">\n<coordinates>\n 9.0001269,45.0000100,50.500\n 9.0001269,45.0000200,51.000\n"
      " 8.9998731,45.0000200,51.000\n 8.9998731,45.0000100,50.500\n 9.0001269,45.0000100,50.500\n</coordinates>\n"
      "</LinearRing>\n</outerBoundaryIs>\n</Polygon>\n</Placemark>\n"
      "<Polygon>\n<outerBoundaryIs>\n<LinearRing id=\"2\">\n<coordinates>\n 9.0001269,45.0000100,50.500\n"
      " 9.0001269,45.0000200,51.000\n 8.9998731,45.0000200,51.000\n 8.9998731,45.0000100,50.500\n"
      " 9.0001269,45.0000100,50.500\n</coordinates>\n</LinearRing>\n</outerBoundaryIs>\n</Polygon>\n"
      "</Folder>\n</Document>\n</kml>\n";
  EXPECT_EQ(swath.substr(swath.find("<Folder>")), CrLf(expected));
}

TEST(Documents, SecondRunStartsAfresh) {
  testkit::TempDir dir;
  testkit::WriteFile(dir.File("A.LOG"), SmallJob().str());
  const testkit::Fix parked{.time = testkit::Timestamp::FromTimeOfDay(50.0), .latitude = 45.5, .longitude = 9.5};
  testkit::WriteFile(dir.File("B.LOG"), testkit::LogBuilder("PARKED").Frame(1, testkit::Position1(parked)).str());
  testkit::RecordingPlatform platform;
  ConversionSession session(platform, platform, platform);
  RunLogConversionOn(session, dir.File("A.LOG"));
  const std::string firstSwath = testkit::ReadFile(dir.File("A_SIC.KML"));
  RunLogConversionOn(session, dir.File("A.LOG"));
  EXPECT_EQ(testkit::ReadFile(dir.File("A_SIC.KML")), firstSwath);  // ring ids restart at 0
  // A log whose one fix never sprays: its own figures only, no quads and no
  // marks: empty folders, and no polygon before the tail.
  RunLogConversionOn(session, dir.File("B.LOG"));
  const auto lines = platform.LinesOf(EventKind::Summary);
  EXPECT_EQ(lines.front(), "Version: PARKED");
  EXPECT_EQ(lines[1], "Latitude range:  45.50000000, 45.50000000, 0.00000000");
  EXPECT_EQ(lines.back(), "Start:50.000, End:50.000, 1, records, 0 checksum errors");
  const std::string swath = testkit::ReadFile(dir.File("B_SIC.KML"));
  EXPECT_NE(swath.find("<Folder>\r\n</Folder>\r\n</Document>\r\n</kml>\r\n"), std::string::npos);
  const std::string marks = testkit::ReadFile(dir.File("B_M.KML"));
  EXPECT_NE(marks.find("<open>1</open>\r\n</Folder>\r\n</Document>\r\n</kml>\r\n"), std::string::npos);
  for (const char* name : {"B.KML", "B_SIC.KML", "B_M.KML"}) {
    EXPECT_TRUE(testkit::IsWellFormedXml(testkit::ReadFile(dir.File(name)))) << name;
  }
}

}  // namespace
}  // namespace zeltlog
