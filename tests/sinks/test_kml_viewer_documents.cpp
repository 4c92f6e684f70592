#include <gtest/gtest.h>

#include "fake_run.h"
#include "testkit.h"
#include "sinks/kml_viewer_documents.h"

namespace zeltlog {
namespace {

// Two sprayed fixes 1.1 m apart heading north at 5 m/s and one after a
// gap, drawn without spray projection, with times and rate colours: the
// path and swath documents whole. Each time carries the date of its own
// fix; where that is no calendar date, nothing has a time.
TEST(KmlViewerDocuments, PathAndSwathWithTimeAndRates) {
  testkit::TempDir dir;
  testkit::RecordingPlatform platform;
  OutputSet outputs(platform);
  KmlViewerDocumentSink sink(outputs, {dir.File("JOB.KML"), dir.File("JOB_SIC.KML"), ""}, true, {true, true});
  auto convert = [&](LogDate date) {
    testkit::FakeRun run({{&sink}});
    run.records.OnSections({20.0, 0.0, 10.0, -10.0});
    run.records.OnTargetRate({.rate = 50.0});
    run.records.OnActualRate({.rate = 45.0});
    for (const auto& [time, latitude, spray] : {std::tuple{3600.0, 45.0, 1}, {3600.2, 45.00001, 1}, {3620.4, 45.00002, 0}}) {
      Fix fix = testkit::FixAt(time, latitude, 9.0, 1.0, 5.0, static_cast<uint8_t>(spray), date);
      fix.altitude = 50.5;
      run.records.OnFix(fix);
    }
    run.End();
    return std::pair{testkit::ReadFile(dir.File("JOB.KML")), testkit::ReadFile(dir.File("JOB_SIC.KML"))};
  };
  const auto [path, swath] = convert({2019, 5, 14});
  EXPECT_TRUE(testkit::IsWellFormedXml(path) && testkit::IsWellFormedXml(swath));
  const std::string head =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<kml xmlns=\"http://www.opengis.net/kml/2.2\" xmlns:gx=\"http://www.google.com/kml/ext/2.2\" "
      "xmlns:kml=\"http://www.opengis.net/kml/2.2\" xmlns:atom=\"http://www.w3.org/2005/Atom\">\n<Document>\n";
  EXPECT_EQ(path, testkit::CrLf(head +
                      "<name>LI JOB.KML</name>\n<open>1</open>\n<description>Path</description>\n"
                      "<Style id=\"pathLine\">\n<LineStyle>\n<color>ff0000ff</color>\n<width>1</width>\n</LineStyle>\n"
                      "</Style>\n<Folder>\n<name>ZELT 1</name>\n"
                      "<Placemark>\n<name>time 3600.20 s</name>\n<TimeSpan>\n<begin>2019-05-14T01:00:00.00Z</begin>\n"
                      "<end>2019-05-14T01:00:00.20Z</end>\n</TimeSpan>\n<styleUrl>#pathLine</styleUrl>\n"
                      "<LineString>\n<extrude>1</extrude>\n<tessellate>1</tessellate>\n"
                      "<altitudeMode>clampToGround</altitudeMode>\n<coordinates>\n"
                      "9.00000000,45.00000000,50.500\n9.00000000,45.00001000,50.500\n"
                      "</coordinates>\n</LineString>\n</Placemark>\n"
                      "<Placemark>\n<name>time 3620.40 s</name>\n<TimeStamp>\n<when>2019-05-14T01:00:20.40Z</when>\n"
                      "</TimeStamp>\n<styleUrl>#pathLine</styleUrl>\n"
                      "<Point>\n<altitudeMode>clampToGround</altitudeMode>\n"
                      "<coordinates>9.00000000,45.00002000,50.500\n</coordinates>\n</Point>\n</Placemark>\n"
                      "</Folder>\n</Document>\n</kml>\n"));
  const size_t folder = swath.find("<Folder>\r\n");
  ASSERT_NE(folder, std::string::npos) << swath;
  auto quad = [](const std::string& time, const std::string& when, const std::string& corners) {
    return "<Placemark>\n<name>time " + time + " s</name>\n<description>applied 45.0 l/ha, target 50.0 l/ha</description>\n"
           "<TimeStamp>\n<when>2019-05-14T" + when + "Z</when>\n</TimeStamp>\n<styleUrl>#rateUnder</styleUrl>\n"
           "<Polygon>\n<outerBoundaryIs>\n<LinearRing>\n<coordinates>\n" + corners +
           "</coordinates>\n</LinearRing>\n</outerBoundaryIs>\n</Polygon>\n</Placemark>\n";
  };
  // The first quad of the run encloses nothing; the one after the gap is
  // closed by the unsprayed fix, as in the plain document.
  EXPECT_EQ(swath.substr(folder),
            testkit::CrLf("<Folder>\n<name>Swaths</name>\n" +
                quad("3600.00", "01:00:00.00",
                     " 9.0001269,44.9999984,50.500\n 9.0001269,44.9999984,50.500\n 8.9998731,45.0000016,50.500\n"
                     " 9.0001269,44.9999984,50.500\n 9.0001269,44.9999984,50.500\n") +
                quad("3600.20", "01:00:00.20",
                     " 9.0001269,44.9999984,50.500\n 9.0001269,45.0000084,50.500\n 8.9998731,45.0000116,50.500\n"
                     " 8.9998731,45.0000016,50.500\n 9.0001269,44.9999984,50.500\n") +
                quad("3620.40", "01:00:20.40",
                     " 9.0001269,45.0000084,50.500\n 9.0001269,45.0000184,50.500\n 8.9998731,45.0000216,50.500\n"
                     " 8.9998731,45.0000116,50.500\n 9.0001269,45.0000084,50.500\n") +
                "</Folder>\n</Document>\n</kml>\n"));
  EXPECT_NE(swath.find(testkit::CrLf("<description><![CDATA[<table border=\"1\" cellpadding=\"3\">\n"
                                     "<tr><th colspan=\"2\">Applied rate</th></tr>\n"
                                     "<tr><td bgcolor=\"#808080\">&nbsp;&nbsp;&nbsp;&nbsp;</td><td>nothing applied</td></tr>\n")),
            std::string::npos);

  for (const LogDate noDate : {LogDate{2019, 13, 14}, LogDate{2019, 2, 29}, LogDate{}}) {
    const auto [undatedPath, undatedSwath] = convert(noDate);
    for (const std::string* document : {&undatedPath, &undatedSwath}) {
      EXPECT_TRUE(testkit::IsWellFormedXml(*document));
      EXPECT_EQ(document->find("<Time"), std::string::npos) << *document;
      EXPECT_NE(document->find("<name>time 3620.40 s</name>"), std::string::npos) << *document;
    }
  }
}

}  // namespace
}  // namespace zeltlog
