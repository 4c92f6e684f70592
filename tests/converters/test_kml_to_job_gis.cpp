// Field boundaries in the files GIS programs write, into job files: every
// shape gives the job file that the map viewer's KML of the same polygon
// gives.
#include <gtest/gtest.h>

#include <filesystem>

#include "converters/kml_to_job.h"
#include "gdal_files.h"
#include "recording_platform.h"
#include "temp_dir.h"
#include "test_text.h"
#include "xml_check.h"

namespace zeltlog {
namespace {

using Lines = std::vector<std::string>;

// Clockwise, as a Shapefile keeps an outer ring; a hole after it.
constexpr const char* kField =
    "POLYGON ((-1.5 52.25,-1.5 52.26,-1.49 52.26,-1.49 52.25,-1.5 52.25),"
    "(-1.498 52.252,-1.492 52.252,-1.492 52.258,-1.498 52.252))";
constexpr const char* kOuterTuples = "-1.5,52.25,0 -1.5,52.26,0 -1.49,52.26,0 -1.49,52.25,0 -1.5,52.25,0";
constexpr const char* kInnerTuples = "-1.498,52.252,0 -1.492,52.252,0 -1.492,52.258,0 -1.498,52.252,0";

std::string Kml(const std::string& placemark) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n<Document>\n" +
         placemark + "</Document>\n</kml>\n";
}

// The map viewer's layout: tab-indented, the tuples on a line of their own.
std::string ViewerKml() {
  return Kml(std::string("\t<Placemark>\n\t\t<Polygon>\n\t\t\t<outerBoundaryIs>\n\t\t\t\t<LinearRing>\n\t\t\t\t\t<coordinates>\n") +
             "\t\t\t\t\t\t" + kOuterTuples + " \n\t\t\t\t\t</coordinates>\n\t\t\t\t</LinearRing>\n\t\t\t</outerBoundaryIs>\n" +
             "\t\t\t<innerBoundaryIs>\n\t\t\t\t<LinearRing>\n\t\t\t\t\t<coordinates>\n\t\t\t\t\t\t" + kInnerTuples +
             " \n\t\t\t\t\t</coordinates>\n\t\t\t\t</LinearRing>\n\t\t\t</innerBoundaryIs>\n\t\t</Polygon>\n\t</Placemark>\n");
}

// Indented with spaces, one coordinate per line.
std::string OneCoordinatePerLineKml() {
  auto block = [](std::string tuples) {
    for (size_t at = 0; (at = tuples.find(' ', at)) != std::string::npos; at += 13) tuples.replace(at, 1, "\n            ");
    return "          <coordinates>\n            " + tuples + "\n          </coordinates>\n";
  };
  return Kml("  <Placemark>\n    <Polygon>\n      <outerBoundaryIs>\n        <LinearRing>\n" + block(kOuterTuples) +
             "        </LinearRing>\n      </outerBoundaryIs>\n      <innerBoundaryIs>\n        <LinearRing>\n" +
             block(kInnerTuples) + "        </LinearRing>\n      </innerBoundaryIs>\n    </Polygon>\n  </Placemark>\n");
}

// The whole polygon on one line, tab-indented.
std::string OneLineKml() {
  return Kml(std::string("\t<Placemark>\n\t\t<Polygon><outerBoundaryIs><LinearRing><coordinates>") + kOuterTuples +
             "</coordinates></LinearRing></outerBoundaryIs><innerBoundaryIs><LinearRing><coordinates>" + kInnerTuples +
             "</coordinates></LinearRing></innerBoundaryIs></Polygon>\n\t</Placemark>\n");
}

class KmlToJobGis : public ::testing::Test {
 protected:
  CommandResult Convert(const std::string& path) {
    session.lastChosenFolder = dir.path();
    platform.events.Clear();
    platform.messages.clear();
    return ConvertKmlToJobOn(session, jobOptions, path);
  }
  std::string Job() const { return testkit::ReadFile(dir.File(jobOptions.jobName)); }

  testkit::TempDir dir;
  testkit::RecordingPlatform platform;
  ConversionSession session{platform, platform, platform};
  KmlToJobOptions jobOptions;
};

TEST_F(KmlToJobGis, EveryShapeGivesTheViewersJobFile) {
  jobOptions.jobName = "VIEWER";
  testkit::WriteFile(dir.File("viewer.kml"), ViewerKml());
  ASSERT_TRUE(Convert(dir.File("viewer.kml")).Succeeded());
  const std::string expected = Job();
  ASSERT_EQ(expected, testkit::CrLf(".JOB 1 NONE\n.VERSION 1\n.POL 1\n\tINC\n"
                             "\t52.25000000000000 -1.50000000000000\n\t52.26000000000000 -1.50000000000000\n"
                             "\t52.26000000000000 -1.49000000000000\n\t52.25000000000000 -1.49000000000000\n"
                             "\t52.25000000000000 -1.50000000000000\n\t52.25200000000000 -1.49800000000000\n"
                             "\t52.25200000000000 -1.49200000000000\n\t52.25800000000000 -1.49200000000000\n"
                             "\t52.25200000000000 -1.49800000000000\n"));
  const Lines viewerEvents = platform.Lines();

  struct Case {
    const char* name;
    const char* file;
    const char* driver;  // written by GDAL with this driver, else `text`
    std::string text;
  };
  const Case cases[] = {
      {"GDAL KML", "gdal.kml", "KML", ""},
      {"QGIS KML", "qgis.kml", "LIBKML", ""},
      {"one coordinate per line", "lines.kml", nullptr, OneCoordinatePerLineKml()},
      {"polygon on one line", "oneline.kml", nullptr, OneLineKml()},
      {"KMZ", "field.kmz", "LIBKML", ""},
      {"Shapefile", "field.shp", "ESRI Shapefile", ""},
      {"GeoJSON", "field.geojson", "GeoJSON", ""},
      {"GeoPackage", "field.gpkg", "GPKG", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.driver) {
      ASSERT_TRUE(testkit::WriteGdalFile(c.driver, dir.File(c.file), {{"field", {kField}}}));
    } else {
      testkit::WriteFile(dir.File(c.file), c.text);
    }
    jobOptions.jobName = c.file + std::string(".job");
    const CommandResult r = Convert(dir.File(c.file));
    EXPECT_TRUE(r.Succeeded()) << r.LastProblem();
    EXPECT_EQ(Job(), expected);
    EXPECT_EQ(platform.Lines(), viewerEvents);
  }
}

TEST_F(KmlToJobGis, LinesPointsAndNoise) {
  struct Case {
    const char* file;
    std::vector<std::string> wkt;  // none: noise
    std::string_view refusal;
  };
  const Case cases[] = {
      {"line.geojson", {"LINESTRING (-1.5 52.25,-1.49 52.26)"}, kKmlIsLineMessage},
      {"points.geojson", {"POINT (-1.5 52.25)", "POINT (-1.49 52.26)"}, kKmlIsPointsMessage},
      {"noise.kmz", {}, kKmlHasNoPolygonMessage},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    if (c.wkt.empty()) {
      testkit::WriteFile(dir.File(c.file), std::string("PK\x03\x04 not really a zip", 22));
    } else {
      ASSERT_TRUE(testkit::WriteGdalFile("GeoJSON", dir.File(c.file), {{"things", c.wkt}}));
    }
    jobOptions.jobName = c.file + std::string(".job");
    const CommandResult r = Convert(dir.File(c.file));
    EXPECT_FALSE(r.Succeeded());
    EXPECT_EQ(r.LastProblem(), c.refusal);
    // A refused file writes no job file.
    EXPECT_FALSE(std::filesystem::exists(dir.File(jobOptions.jobName)));
    EXPECT_TRUE(r.outputs.written.empty());
  }
}

}  // namespace
}  // namespace zeltlog
