#include <gtest/gtest.h>

#include <filesystem>

#include "converters/kml_to_job.h"
#include "recording_platform.h"
#include "temp_dir.h"
#include "test_text.h"
#include "xml_check.h"

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

class KmlToJob : public ::testing::Test {
 protected:
  // Converts `kml` saved as F.KML with the session's job options; the job
  // file goes to the test folder, as after choosing the KML there.
  CommandResult Convert(const std::string& kml) {
    testkit::WriteFile(dir.File("F.KML"), kml);
    session.lastChosenFolder = dir.path();
    return ConvertKmlToJobOn(session, jobOptions, dir.File("F.KML"));
  }
  std::string Job() const { return testkit::ReadFile(dir.File(jobOptions.jobName)); }

  testkit::TempDir dir;
  testkit::RecordingPlatform platform;
  ConversionSession session{platform, platform, platform};
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
      // test_kml_to_job_gis.cpp).
      {"SPACEDLINE", spacedLine, kKmlIsLineMessage, false},
      {"ONELINE", ViewerKml("\t\t<coordinates>-1.5,52.25,0 -1.49,52.25,0 -1.5,52.25,0</coordinates>\n"),
       kKmlHasNoPolygonMessage, false},
      {"EMPTY", "", kKmlHasNoPolygonMessage, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    jobOptions.jobName = c.name;
    if (c.vertices) testkit::WriteFile(dir.File(c.name), "earlier job");
    platform.events.Clear();
    platform.messages.clear();
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
    platform.messages.clear();
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

}  // namespace
}  // namespace zeltlog
