#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>

#include "converters/bin1_converter.h"
#include "geodesy/utm_projector.h"
#include "kml/templates.h"
#include "testkit.h"

namespace zeltlog {
namespace {

using testkit::Bin1Fix;
using testkit::Bin1Frame;
using Lines = std::vector<std::string>;

Bytes Text(std::string_view text) { return Bytes(text.begin(), text.end()); }

// A "$PSAT," sentence of `fields` fields whose 26th field is `value`.
Bytes Sentence(size_t fields, const std::string& value) {
  std::string sentence = "$PSAT";
  for (size_t i = 1; i < fields; ++i) sentence += "," + (i == 25 ? value : std::to_string(i));
  return Text(sentence + "\r\n");
}

// A wall document as it must stand on disk: head, description, line
// style, coordinates start, the coordinate lines, tail; CR LF line ends.
std::string Wall(const std::string& description, const std::string& coordinates) {
  std::string text(kml::kPathDocumentHead);
  text += "<description>" + description + "</description>\n";
  text += kml::kPathLineOpen;
  text += kml::kRelativeCoordinatesOpen;
  text += coordinates;
  text += kml::kPathDocumentTail;
  return testkit::CrLf(text);
}

class Bin1Converter : public ::testing::Test, protected testkit::Workspace {
 protected:
  CommandResult Convert(const Bytes& log, const std::string& name = "track.BIN") {
    testkit::WriteFile(dir.File(name), Str(log));
    const CommandResult r = ConvertBin1On(session, dir.File(name));
    for (const char* suffix : {"_AGE.KML", "_MODE.KML", "_SATS.KML"}) {
      const std::string path = dir.File("track") + suffix;
      if (!std::filesystem::is_regular_file(path)) continue;
      std::string error;
      EXPECT_TRUE(testkit::IsWellFormedXml(testkit::ReadFile(path), &error)) << path << ": " << error;
    }
    return r;
  }
  std::string Output(const char* suffix) const { return testkit::ReadFile(dir.File("track") + suffix); }
  Lines CsvRows() const { return testkit::SplitLines(Output(".CSV"), "\r\n"); }

};

constexpr const char* kHeader = "time,lon,lat,x,y,alt,xspeed, yspeed, speed,age,mode,sats,stdev,rstdev";

TEST_F(Bin1Converter, OneFixGivesRowAndWalls) {
  // Age 7, mode 2, 9 satellites: heights 140, 40 and 180.
  const CommandResult r = Convert(Bin1Frame(Bin1Fix{}));
  EXPECT_TRUE(r.Succeeded()) << r.LastProblem();
  EXPECT_EQ(CsvRows(), (Lines{kHeader, "100.500,9.000000000,45.000000000,500000.0000,4982950.4005,120.000, 4.00000, "
                                       "3.00000,5.00000,  7,2,9,0.250,0.000"}));
  EXPECT_EQ(Output("_AGE.KML"), Wall("GPS Age", "9.00000000,45.00000000,140\n"));
  EXPECT_EQ(Output("_MODE.KML"), Wall("GPS Mode", "9.00000000,45.00000000,40\n"));
  EXPECT_EQ(Output("_SATS.KML"), Wall("GPS Sats", "9.00000000,45.00000000,180\n"));
  EXPECT_EQ(platform.Lines(), (Lines{"BIN1", "64", "100.500"}));
  EXPECT_EQ(r.outputs.written, (Lines{dir.File("track.CSV"), dir.File("track_AGE.KML"), dir.File("track_MODE.KML"),
                              dir.File("track_SATS.KML")}));
  // The head, line style and tail are the path document's, whose bytes the
  // documents' tests pin; the walls' own coordinates start, literally.
  EXPECT_NE(Output("_AGE.KML").find("<altitudeMode>relativeToGround</altitudeMode>\r\n<coordinates>\r\n9.00000000,"
                                    "45.00000000,140\r\n</coordinates>\r\n"),
            std::string::npos);
}

// The table and the walls are written with their own number writer and on
// a thread of their own: every field of damaged or extreme fixes, and more
// rows than one batch, must come out as printf writes them.
TEST_F(Bin1Converter, RowsOfExtremeFixesAsPrintfWritesThem) {
  const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
  std::vector<Bin1Fix> fixes;
  for (const float value : {0.0f, -0.0f, -0.000004f, 0.0000049f, 3.4e38f, -3.4e38f, inf, -inf, nan, 1e9f, -123.4565f}) {
    fixes.push_back({.satellites = 255, .latitude = -0.0000000004, .longitude = -179.9999999995, .altitude = value,
                     .ySpeed = -value, .xSpeed = value, .stdev = value, .mode = 0, .age = 65535});
  }
  for (int i = 0; i < 5000; ++i) {
    fixes.push_back({.time = 0.2 * i + 1.0, .latitude = -34.2 - i * 2.11e-7, .longitude = 142.1 + i * 1.37e-7,
                     .age = static_cast<unsigned>(i % 300)});
  }
  Bytes log = Sentence(30, "123456789.123456");
  for (const Bin1Fix& fix : fixes) {
    const Bytes frame = Bin1Frame(fix);
    log.insert(log.end(), frame.begin(), frame.end());
  }
  ASSERT_TRUE(Convert(log).Succeeded());
  const Lines rows = CsvRows();
  const std::string age = Output("_AGE.KML");
  ASSERT_EQ(rows.size(), fixes.size() + 1);
  const UtmProjector projector(fixes[0].longitude);
  size_t wallAt = 0;
  for (size_t i = 0; i < fixes.size(); ++i) {
    const Bin1Fix& f = fixes[i];
    const GridPoint grid = projector.Project(f.latitude, f.longitude);
    const double speed = std::sqrt(double(f.ySpeed) * f.ySpeed + double(f.xSpeed) * f.xSpeed);
    ASSERT_EQ(rows[i + 1],
              testkit::Printf("%3.3lf,%10.9lf,%10.9lf,%8.4lf,%8.4lf,%3.3lf, %5.5lf, %5.5lf,%5.5lf,  %d,%d,%d,%2.3lf,%2.3lf",
                              f.time, f.longitude, f.latitude, grid.easting, grid.northing,
                              double(f.altitude), double(f.xSpeed), double(f.ySpeed), speed, int(f.age), int(f.mode),
                              int(f.satellites), double(f.stdev), 123456789.123456))
        << i;
    const std::string row = testkit::Printf("%8.8lf,%8.8lf,%d\r\n", f.longitude, f.latitude, int(f.age) * 20);
    wallAt = age.find(row, wallAt);
    ASSERT_NE(wallAt, std::string::npos) << i << ": " << row;
  }
}

TEST_F(Bin1Converter, FixesThatAreNotWritten) {
  const Bin1Fix early{.time = 0.05}, changed{.time = 200.0};
  // Impossible coordinates under a good checksum: listed and skipped.
  const Bin1Fix north{.latitude = 90.5}, west{.longitude = -360.25}, lost{.latitude = std::nan("")};
  // Listed with their counts, written nowhere; with no fix at all nothing
  // is written, and earlier outputs of the same names stay.
  testkit::WriteFile(dir.File("track.CSV"), "earlier fixes");
  const CommandResult r = Convert(
      Join({Bin1Frame(early), Bin1Frame(changed, false), Bin1Frame(north), Bin1Frame(west), Bin1Frame(lost)}));
  EXPECT_EQ(platform.Lines(),
            (Lines{"BIN1", "64", "BIN1", "128", "BIN1", "192",
                   "Impossible BIN1 fix skipped: time 100.500, latitude 90.50000000, longitude 9.00000000", "BIN1",
                   "256", "Impossible BIN1 fix skipped: time 100.500, latitude 45.00000000, longitude -360.25000000",
                   "BIN1", "320", "Impossible BIN1 fix skipped: time 100.500, latitude nan, longitude 9.00000000"}));
  EXPECT_EQ(Output(".CSV"), "earlier fixes");
  for (const char* wall : {"_AGE.KML", "_MODE.KML", "_SATS.KML"}) EXPECT_FALSE(std::filesystem::exists(dir.File("track") + wall));
  EXPECT_TRUE(r.outputs.written.empty());
  EXPECT_EQ(r.LastProblem(), "no BIN1 fix found");
  EXPECT_FALSE(r.Succeeded());

  // The edges of the globe are positions.
  platform.events.Clear();
  const Bin1Fix pole{.latitude = -90.0}, far{.longitude = 360.0};
  EXPECT_TRUE(Convert(Join({Bin1Frame(pole), Bin1Frame(far)})).Succeeded());
  EXPECT_EQ(CsvRows().size(), 3u);

  // A log that stops inside a frame: what came before is written.
  platform.events.Clear();
  Bytes cut = Bin1Frame(Bin1Fix{});
  const Bytes second = Bin1Frame(Bin1Fix{});
  cut.insert(cut.end(), second.begin(), second.begin() + 40);
  const CommandResult truncated = Convert(cut);
  EXPECT_EQ(CsvRows().size(), 2u);
  EXPECT_EQ(truncated.LastProblem(), "the log ends inside a frame (truncated)");
}

TEST_F(Bin1Converter, ZonesAndHemispheres) {
  // The zone of the first fix holds for the whole run: 6 degrees east
  // belongs to the zone of 9 anyway, 5.5 would start another one.
  const Bin1Fix first, boundary{.longitude = 6.0}, beyond{.longitude = 5.5};
  Convert(Join({Bin1Frame(first), Bin1Frame(boundary), Bin1Frame(beyond)}));
  const Lines rows = CsvRows();
  ASSERT_EQ(rows.size(), 4u);
  // With the first fix's central meridian of 9 (PROJ gives 263553.97,
  // 4987329.50 and 224146.27, 4988911.84; the grid's series is a few
  // centimetres off so far from the meridian).
  EXPECT_EQ(rows[2].substr(0, 58), "100.500,6.000000000,45.000000000,263553.9289,4987329.5049,");
  EXPECT_EQ(rows[3].substr(0, 58), "100.500,5.500000000,45.000000000,224146.1737,4988911.8386,");
  // (South of the equator: the projector's own tests and the rows of
  // extreme fixes above.)
}

TEST_F(Bin1Converter, SentencesAndHeaders) {
  const Bytes s30 = Sentence(30, "0.456"), s26 = Sentence(26, "1.2345"), s25 = Sentence(25, "9");
  const Bytes log = Join({testkit::GpsLogHeader('1', 513, 2, -5, "RECEIVER 12"), Bin1Frame(Bin1Fix{}), s30,
                          Bin1Frame(Bin1Fix{}), s26, Bin1Frame(Bin1Fix{}), s25, Bin1Frame(Bin1Fix{})});
  // The 60 bytes after the header are not counted.
  const size_t c1 = 22 + 64, c2 = c1 + s30.size() + 64, c3 = c2 + s26.size() + 64, c4 = c3 + s25.size() + 64;
  Convert(log);
  // The header's text ends at its first NUL byte.
  const std::string frameText = "$LOG$1\x01\x02\x02";
  const Lines expected = {"22", frameText, "                      12580, 513, 2, -5", "Data RECEIVER 12",
                          "BIN1", std::to_string(c1), "100.500", "0.456", "BIN1", std::to_string(c2), "100.500",
                          "1.234", "BIN1", std::to_string(c3), "100.500", "", "BIN1", std::to_string(c4), "100.500"};
  EXPECT_EQ(platform.Lines(), expected);
  const Lines rows = CsvRows();
  ASSERT_EQ(rows.size(), 5u);
  // Each run starts without a sentence; a short sentence keeps the last value.
  const char* ends[] = {",0.250,0.000", ",0.250,0.456", ",0.250,1.234", ",0.250,1.234"};
  for (size_t i = 1; i < 5; ++i) EXPECT_EQ(rows[i].substr(rows[i].size() - 12), ends[i - 1]) << i;
}

TEST_F(Bin1Converter, FixHoldingCrLfStaysWhole) {
  // Mode 0x0A0D puts CR LF inside the binary fields.
  const Bin1Fix held{.time = 300.25, .mode = 0x0A0D}, last{.time = 400.0};
  // A fix cut short is collected with the start of the next one and
  // dropped as a broken frame; the one after is read again.
  const Bytes broken = Bin1Frame(Bin1Fix{});
  const Bytes log = Join({Bin1Frame(held), Bytes(broken.begin(), broken.begin() + 30), Bin1Frame(Bin1Fix{}),
                          Bin1Frame(last)});
  Convert(log);
  const Lines rows = CsvRows();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[1].substr(0, 8), "300.250,");
  EXPECT_NE(rows[1].find(",  7,2573,9,"), std::string::npos);
  EXPECT_EQ(rows[2].substr(0, 8), "400.000,");
  EXPECT_EQ(platform.Lines(), (Lines{"BIN1", "64", "300.250", "BIN1", "222", "400.000"}));
  EXPECT_NE(Output("_MODE.KML").find("9.00000000,45.00000000,51460\r\n"), std::string::npos);
}

// Missing, empty and folder inputs: see the CLI's bad input matrix.
TEST_F(Bin1Converter, InputsAndChooser) {
  // A name without an extension keeps its whole name.
  testkit::WriteFile(dir.File("track"), Str(Bin1Frame(Bin1Fix{})));
  platform.choices.push_back(dir.File("track"));
  EXPECT_TRUE(ConvertBin1(session).Succeeded());
  EXPECT_EQ(CsvRows().size(), 2u);
  EXPECT_EQ(session.lastChosenFolder, dir.path());
  ASSERT_EQ(platform.filters.size(), 1u);
  EXPECT_EQ(platform.filters[0], "Orbanta GPS BIN FORMAT .BIN|*.BIN|All Files - All Types|*.*;*||");
  // Binary garbage: the CLI's bad input matrix.

  // With the path output switched off the command does nothing.
  session.options.lineOutput = false;
  std::filesystem::remove(dir.File("track.CSV"));
  Convert(Bin1Frame(Bin1Fix{}));
  EXPECT_FALSE(std::filesystem::exists(dir.File("track.CSV")));
}

}  // namespace
}  // namespace zeltlog
