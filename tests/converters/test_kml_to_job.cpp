#include <gtest/gtest.h>

#include <filesystem>

#include "converters/kml_to_job.h"
#include "gdal_files.h"
#include "testkit.h"

namespace zeltlog {
namespace {

using Lines = std::vector<std::string>;

// A polygon as a map viewer saves it: tab-indented, the tuples on a line of
// their own between the tags, a space after the last tuple.
std::string ViewerKml(const std::string& rings, bool crlf = false) {
  const std::string kml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n"
                          "<Document>\n"
                          "\t<name>Field.kml</name>\n" +
                          rings + "</Document>\n</kml>\n";
  return crlf ? testkit::CrLf(kml) : kml;
}

std::string ViewerPolygon(const std::string& tuples) {
  return "\t<Placemark>\n\t\t<name>Field</name>\n\t\t<Polygon>\n\t\t\t<tessellate>1</tessellate>\n"
         "\t\t\t<outerBoundaryIs>\n\t\t\t\t<LinearRing>\n\t\t\t\t\t<coordinates>\n\t\t\t\t\t\t" +
         tuples +
         " \n\t\t\t\t\t</coordinates>\n\t\t\t\t</LinearRing>\n\t\t\t</outerBoundaryIs>\n\t\t</Polygon>\n"
         "\t</Placemark>\n";
}

constexpr const char* kSquare = "-1.5,52.25,0 -1.49,52.25,0 -1.49,52.26 -1.5,52.25,0";
const Lines kSquareVertices = {"\t52.25000000000000 -1.50000000000000\n", "\t52.25000000000000 -1.49000000000000\n",
                               "\t52.26000000000000 -1.49000000000000\n", "\t52.25000000000000 -1.50000000000000\n"};

// A job file as it lies on disk: its header, then the vertices.
std::string JobFile(int number, const char* kind, const Lines& vertices) {
  std::string bytes = testkit::CrLf(".JOB " + std::to_string(number) + " NONE\n.VERSION 1\n.POL 1\n\t" + kind + "\n");
  for (const auto& line : vertices) bytes += testkit::CrLf(line);
  return bytes;
}

class KmlToJob : public ::testing::Test, protected testkit::Workspace {
 protected:
  // Converts `kml` saved as F.KML with the session's job options; the job
  // file goes to the test folder, as after choosing the KML there.
  CommandResult Convert(const std::string& kml) {
    WriteFile(dir.File("F.KML"), kml);
    return ConvertFile(dir.File("F.KML"));
  }
  CommandResult ConvertFile(const std::string& path) {
    session.lastChosenFolder = dir.path();
    platform.events.Clear();
    platform.messages.clear();
    return ConvertKmlToJobOn(session, jobOptions, path);
  }
  std::string Job() const { return testkit::ReadFile(dir.File(jobOptions.jobName)); }

  KmlToJobOptions jobOptions;
};

TEST_F(KmlToJob, ViewerPolygonBecomesJobFile) {
  jobOptions.jobName = "12";
  jobOptions.boundaryKind = 1;
  const CommandResult r = Convert(ViewerKml(ViewerPolygon(kSquare), true));
  EXPECT_TRUE(r.Succeeded());
  // Named as typed, without an extension, beside the KML.
  EXPECT_EQ(Job(), JobFile(12, "EXC", kSquareVertices));
  EXPECT_EQ(r.outputs.written, Lines{dir.File("12")});
  Lines events = {".JOB 12 NONE\n", ".VERSION 1", ".POL 1", "EXC"};
  events.insert(events.end(), kSquareVertices.begin(), kSquareVertices.end());
  events.push_back("JOB FILE CLOSED");
  EXPECT_EQ(platform.Lines(), events);
  EXPECT_EQ(platform.messages, Lines{"12"});
  EXPECT_EQ(platform.clears, 1);

  // Include, LF line ends, a name that is no number: the job number fills
  // the ".JOB" line.
  jobOptions = {"NORTH FIELD", 0, 7};
  EXPECT_TRUE(Convert(ViewerKml(ViewerPolygon(kSquare))).Succeeded());
  EXPECT_EQ(Job(), JobFile(7, "INC", kSquareVertices));
}

TEST_F(KmlToJob, SeveralBlocksAndTuplesAroundTags) {
  // Two polygons follow one another under the one ".POL 1".
  jobOptions.jobName = "TWO";
  EXPECT_TRUE(Convert(ViewerKml(ViewerPolygon(kSquare) + ViewerPolygon("10.5,-33.25 10.75,-33.25,12"))).Succeeded());
  Lines vertices = kSquareVertices;
  vertices.insert(vertices.end(), {"\t-33.25000000000000 10.50000000000000\n", "\t-33.25000000000000 10.75000000000000\n"});
  EXPECT_EQ(Job(), JobFile(1, "INC", vertices));

  // Tuples spread over several lines, a closing tag after the last tuple on
  // its line, a block that opens with a tuple on the tag's own line (not
  // read) and a file that ends without a line end (its last tuple is read).
  jobOptions.jobName = "SPREAD";
  const std::string kml = "<coordinates>1,2,0\n3,4,0 5,6\n7,8 </coordinates>\n9,10\n<coordinates>\nx 11,12";
  EXPECT_TRUE(Convert(kml).Succeeded());
  EXPECT_EQ(Job(), JobFile(1, "INC", {"\t4.00000000000000 3.00000000000000\n", "\t6.00000000000000 5.00000000000000\n",
                                      "\t8.00000000000000 7.00000000000000\n", "\t12.00000000000000 11.00000000000000\n"}));
}

// A refused KML lists the lines it got to, and writes no job file: an
// earlier one of the same name stays as it was.
TEST_F(KmlToJob, RefusedKmlWritesNoJobFile) {
  const Lines headerEvents = {".JOB 1 NONE\n", ".VERSION 1", ".POL 1", "INC"};
  struct Case {
    const char* name;
    std::string kml;
    std::string_view message;
    bool vertices;
  };
  const std::string line = "\t<Placemark>\n\t\t<LineString>\n\t\t\t<coordinates>\n\t\t\t\t" + std::string(kSquare) +
                           " \n\t\t\t</coordinates>\n\t\t</LineString>\n\t</Placemark>\n";
  std::string spacedLine = ViewerKml(line);
  for (size_t i = 0; (i = spacedLine.find('\t', i)) != std::string::npos;) spacedLine.replace(i, 1, " ");
  const Case cases[] = {
      {"POLYPOINT", ViewerKml(ViewerPolygon(kSquare) + "\t<Placemark>\n\t\t<Point>\n\t\t\t<coordinates>1,2,0</coordinates>\n"
                                                        "\t\t</Point>\n\t</Placemark>\n"),
       kKmlIsPointsMessage, true},
      {"LINE", ViewerKml(line), kKmlIsLineMessage, false},
      // No tag is seen in a file indented with spaces; GDAL then reads it
      // as the KML it is, and finds the line (the polygon is taken: see
      // EveryShapeGivesTheViewersJobFile).
      {"SPACEDLINE", spacedLine, kKmlIsLineMessage, false},
      {"ONELINE", ViewerKml("\t\t<coordinates>-1.5,52.25,0 -1.49,52.25,0 -1.5,52.25,0</coordinates>\n"),
       kKmlHasNoPolygonMessage, false},
      {"EMPTY", "", kKmlHasNoPolygonMessage, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    jobOptions.jobName = c.name;
    if (c.vertices) testkit::WriteFile(dir.File(c.name), "earlier job");
    const CommandResult r = Convert(c.kml);
    EXPECT_FALSE(r.Succeeded());
    EXPECT_EQ(r.LastProblem(), c.message);
    EXPECT_TRUE(r.outputs.written.empty());
    Lines events = headerEvents;
    if (c.vertices) {
      events.insert(events.end(), kSquareVertices.begin(), kSquareVertices.end());
      EXPECT_EQ(Job(), "earlier job");
    } else {
      EXPECT_FALSE(std::filesystem::exists(dir.File(c.name)));
    }
    // "JOB FILE CLOSED" is not claimed for a refused file.
    EXPECT_EQ(platform.Lines(), events);
    EXPECT_EQ(platform.messages, (Lines{c.name, std::string(c.message)}));
  }
}

TEST_F(KmlToJob, JobFileThatCannotBeCreated) {
  const std::string kml = ViewerKml(ViewerPolygon(kSquare));
  std::filesystem::create_directory(dir.File("BARN"));
  testkit::WriteFile(dir.File("OLD"), "keep");
  struct Case {
    std::string name, reason;
  };
  for (const Case& c : {Case{"", "the job name is empty"}, Case{"A/B", "the job name holds a path separator"},
                        Case{"A\\B", "the job name holds a path separator"},
                        Case{"BARN", "a folder has that name"}}) {
    SCOPED_TRACE(c.name);
    jobOptions.jobName = c.name;
    const CommandResult r = Convert(kml);
    EXPECT_FALSE(r.Succeeded());
    EXPECT_EQ(platform.Lines(), Lines{"JOB FILE CLOSED"});
    ASSERT_EQ(platform.messages.size(), 2u);
    EXPECT_EQ(platform.messages[1], "The job file \"" + c.name + "\" cannot be created: " + c.reason);
  }
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("BARN")));
  // Nothing else appeared in the folder, and the KML that cannot be read
  // writes nothing and says nothing.
  jobOptions.jobName = "OLD";
  platform.messages.clear();
  const CommandResult missing = ConvertKmlToJobOn(session, jobOptions, dir.File("MISSING.KML"));
  EXPECT_FALSE(missing.inputRead);
  EXPECT_TRUE(platform.Lines().empty());
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(testkit::ReadFile(dir.File("OLD")), "keep");
  EXPECT_EQ(testkit::EntriesIn(dir.path()), 3u);  // F.KML, BARN, OLD
}

TEST_F(KmlToJob, JobNameRules) {
  // A name of 1 to 999 is the number; anything else leaves the job number.
  for (const auto& [name, number] : std::vector<std::pair<std::string, int>>{
           {"12", 12}, {"999", 999}, {"007", 7}, {"0", 5}, {"1000", 5}, {"12A", 5}, {" 12", 5}, {"", 5}}) {
    EXPECT_EQ(JobLineNumber({name, 0, 5}), number) << name;
  }
  EXPECT_EQ(JobOptionsProblem({"12345678901234567890", 0, 1}), "");
  EXPECT_EQ(JobOptionsProblem({"123456789012345678901", 0, 1}), "the job name has more than 20 characters");
  EXPECT_EQ(JobOptionsProblem({"A", 0, 0}), "the job number is not between 1 and 999");
  EXPECT_EQ(JobOptionsProblem({"A", 0, 1000}), "the job number is not between 1 and 999");
}

TEST_F(KmlToJob, ChooserAndLongLines) {
  // Cancel touches nothing; a chosen KML sets the folder the job goes to.
  EXPECT_FALSE(ConvertKmlToJob(session, jobOptions).chosen);
  EXPECT_EQ(platform.clears, 0);
  ASSERT_EQ(platform.filters.size(), 1u);
  EXPECT_EQ(platform.filters[0], "Google Earth KML FORMAT *.KML to FLYDEX JOB format|*.KML|All Files - All Types|*.*;*||");
  EXPECT_EQ(platform.extensions[0], "KML");

  // A line of megabytes: tuples on it are all read; a run of megabytes
  // without a space is one token that holds no pair.
  std::string tuples;
  for (int i = 0; i < 200000; ++i) tuples += "1.25,2.5,0 ";
  const std::string kml = "<coordinates>\n" + tuples + "\n" + std::string(3 << 20, '7') + "\n</coordinates>\n";
  testkit::WriteFile(dir.File("LONG.KML"), kml);
  jobOptions.jobName = "LONG";
  platform.choices.push_back(dir.File("LONG.KML"));
  EXPECT_TRUE(ConvertKmlToJob(session, jobOptions).Succeeded());
  EXPECT_EQ(session.lastChosenFolder, dir.path());
  const std::string job = Job();
  const std::string vertex = "\t2.50000000000000 1.25000000000000\r\n";
  EXPECT_EQ(job.size(), JobFile(1, "INC", {}).size() + 200000 * vertex.size());
  EXPECT_EQ(job.substr(job.size() - vertex.size()), vertex);
}

// Field boundaries in the files GIS programs write: every shape gives the
// job file that the map viewer's KML of the same polygon gives.
// Clockwise, as a Shapefile keeps an outer ring; a hole after it.
constexpr const char* kField =
    "POLYGON ((-1.5 52.25,-1.5 52.26,-1.49 52.26,-1.49 52.25,-1.5 52.25),"
    "(-1.498 52.252,-1.492 52.252,-1.492 52.258,-1.498 52.252))";
constexpr const char* kOuterTuples = "-1.5,52.25,0 -1.5,52.26,0 -1.49,52.26,0 -1.49,52.25,0 -1.5,52.25,0";
constexpr const char* kInnerTuples = "-1.498,52.252,0 -1.492,52.252,0 -1.492,52.258,0 -1.498,52.252,0";

// The field in the map viewer's layout: tab-indented, the tuples on a line of their own.
std::string ViewerFieldKml() {
  return ViewerKml(std::string("\t<Placemark>\n\t\t<Polygon>\n\t\t\t<outerBoundaryIs>\n\t\t\t\t<LinearRing>\n\t\t\t\t\t<coordinates>\n") +
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
  return ViewerKml("  <Placemark>\n    <Polygon>\n      <outerBoundaryIs>\n        <LinearRing>\n" + block(kOuterTuples) +
             "        </LinearRing>\n      </outerBoundaryIs>\n      <innerBoundaryIs>\n        <LinearRing>\n" +
             block(kInnerTuples) + "        </LinearRing>\n      </innerBoundaryIs>\n    </Polygon>\n  </Placemark>\n");
}

// The whole polygon on one line, tab-indented.
std::string OneLineKml() {
  return ViewerKml(std::string("\t<Placemark>\n\t\t<Polygon><outerBoundaryIs><LinearRing><coordinates>") + kOuterTuples +
             "</coordinates></LinearRing></outerBoundaryIs><innerBoundaryIs><LinearRing><coordinates>" + kInnerTuples +
             "</coordinates></LinearRing></innerBoundaryIs></Polygon>\n\t</Placemark>\n");
}

TEST_F(KmlToJob, EveryShapeGivesTheViewersJobFile) {
  jobOptions.jobName = "VIEWER";
  testkit::WriteFile(dir.File("viewer.kml"), ViewerFieldKml());
  ASSERT_TRUE(ConvertFile(dir.File("viewer.kml")).Succeeded());
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
    const CommandResult r = ConvertFile(dir.File(c.file));
    EXPECT_TRUE(r.Succeeded()) << r.LastProblem();
    EXPECT_EQ(Job(), expected);
    EXPECT_EQ(platform.Lines(), viewerEvents);
  }
}

TEST_F(KmlToJob, LinesPointsAndNoise) {
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
    const CommandResult r = ConvertFile(dir.File(c.file));
    EXPECT_FALSE(r.Succeeded());
    EXPECT_EQ(r.LastProblem(), c.refusal);
    // A refused file writes no job file.
    EXPECT_FALSE(std::filesystem::exists(dir.File(jobOptions.jobName)));
    EXPECT_TRUE(r.outputs.written.empty());
  }
}

}  // namespace
}  // namespace zeltlog
