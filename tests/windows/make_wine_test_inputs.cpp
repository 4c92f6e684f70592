// Writes the inputs that the Windows build must convert exactly as the
// Linux build does (tests/windows/run-wine-tests):
//
//   make_wine_test_inputs FOLDER
//
// gives FOLDER/guidance/*.LOG (realistic jobs, every record kind, broken
// logs and damaged coordinates up to 1e31), FOLDER/bin1/*.BIN (GPS message
// logs), FOLDER/rq7/*.BIN (controller logs) and FOLDER/kml/*.KML (fields),
// all from the builders the tests use.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "test_text.h"

namespace {

using namespace zeltlog::testkit;

bool failed = false;

void Write(const std::filesystem::path& folder, const std::string& name, const std::string& bytes) {
  failed = !WriteInput(folder, name, bytes) || failed;
}

Fix FixAt(double seconds, double latitude, double longitude, float heading, unsigned spray) {
  return {Timestamp::FromTimeOfDay(seconds, 2019, 5, 14), latitude, longitude, 52.5f, 4.5f, heading, spray};
}

// A short job whose fixes all lie at one damaged place (or head a damaged
// way), in both position formats, with marks there too.
std::string DamagedJob(double latitude, double longitude, float heading) {
  LogBuilder log("ZELT GUIDANCE V4.20 SN 10442");
  log.Frame(35, Sections(3, 1200, -1200)).Frame(34, TargetRate(0, 1, 50.0f)).Frame(36, ActualRate(1, 1, 51.0f));
  for (int i = 0; i < 12; ++i) {
    const double step = i * 0.0001;
    const Fix fix = FixAt(27725.0 + i * 0.2, latitude + step, longitude - step, heading + i, i > 2 && i < 10 ? 1 : 0);
    log.Frame(i % 2 ? 2 : 1, i % 2 ? Position2(fix) : Position1(fix));
  }
  log.Frame(60, Mark(1, latitude, longitude, 50.0f, "damaged")).Frame(60, Mark(4, latitude, longitude, 50.0f, "edge"));
  return log.str();
}

void GuidanceLogs(const std::filesystem::path& folder) {
  for (const uint32_t seed : {3u, 11u}) {
    const JobOptions job{.fixes = 900, .markEvery = 150, .withDefects = seed == 3, .seed = seed,
                         .sprayedShareOfRun = seed == 3 ? 1.0 : 0.6};
    Write(folder, "job_" + std::to_string(seed) + ".LOG", Str(BuildSprayJob(job)));
  }
  const std::string job60 = Str(BuildSprayJob({.fixes = 60, .markEvery = 20, .seed = 5}));
  // A name with accented letters (UTF-8).
  Write(folder, "R\xC3\xA9gl\xC3\xA9 champ.LOG", job60);
  Write(folder, "truncated.LOG", job60.substr(0, job60.size() / 3));
  Write(folder, "header_only.LOG", std::string("ZELT GUIDANCE V4.20", 20));
  Write(folder, "empty.LOG", "");
  std::string noise(4096, '\0');
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 131 + 17) % 251);
  Write(folder, "noise.LOG", noise);

  Write(folder, "every_record.LOG", Str(EveryRecordLog()));

  // Damaged coordinates and headings: far outside the earth, up to 1e31,
  // and not numbers at all.
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Damage {
    const char* name;
    double latitude, longitude;
    float heading;
  } damages[] = {
      {"lat_1e18", 1e18, 142.1, 10.0f},         {"lat_-3e22", -3e22, 142.1, 10.0f},
      {"lat_7e31", 7.25e31, 142.1, 10.0f},      {"lon_1e19", -34.2, 1.5e19, 10.0f},
      {"lon_-1e31", -34.2, -1e31, 10.0f},       {"both_1e25", 4.4e25, -8.1e27, 10.0f},
      {"heading_1e20", -34.2, 142.1, 1e20f},    {"heading_-3e31", -34.2, 142.1, -3e31f},
      {"all_huge", 2.5e30, 6.5e29, 7.5e28f},    {"lat_1e6", 1234567.0, 142.1, 10.0f},
      {"lat_inf", inf, 142.1, 10.0f},           {"lon_nan", -34.2, nan, 10.0f},
      {"heading_inf", -34.2, 142.1, static_cast<float>(-inf)},
  };
  for (const Damage& d : damages) Write(folder, std::string("damaged_") + d.name + ".LOG", DamagedJob(d.latitude, d.longitude, d.heading));
}

void GpsMessageLogs(const std::filesystem::path& folder) {
  std::string log = GpsLogStart();
  for (int i = 0; i < 400; ++i) {
    const Bin1Fix fix{.satellites = static_cast<unsigned>(5 + i % 7), .time = 100.5 + i * 0.2,
                      .latitude = -33.5 + i * 0.00001, .longitude = 151.2 + i * 0.000013,
                      .mode = static_cast<unsigned>(1 + i % 3), .age = static_cast<unsigned>(i % 9)};
    log += Str(Bin1Frame(fix, i % 50 != 7));
  }
  log += "$GPGGA,stray text\r\n";
  Write(folder, "fixes.BIN", log);
  Write(folder, "crlf_only.BIN", "\r\n\r\n\r\n\r\n");
  Write(folder, "empty.BIN", "");

  const double huge[][2] = {{1e18, 9.0}, {45.0, 3e21}, {-7e31, 1e31}, {45.0, -1e25}, {2e7, 9.0}};
  std::string damaged;
  for (int i = 0; i < 5; ++i) {
    damaged += Str(Bin1Frame({.time = 200.5 + i, .latitude = huge[i][0], .longitude = huge[i][1], .ySpeed = 1e30f}));
  }
  Write(folder, "damaged.BIN", damaged);
}

void ControllerLogs(const std::filesystem::path& folder) {
  Write(folder, "blocks.BIN", ControllerBlocks(3000));
  Write(folder, "no_blocks.BIN", "nothing here\r\n");
}

void Kmls(const std::filesystem::path& folder) {
  Write(folder, "polygon.KML", ViewerPolygonKml());
  // A field around the built jobs, with a pond left out.
  const std::string holed =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<kml>\r\n<Document>\r\n\t<Placemark>\r\n\t\t<Polygon>\r\n"
      "\t\t\t<outerBoundaryIs>\r\n\t\t\t\t<LinearRing>\r\n\t\t\t\t\t<coordinates>\r\n"
      "\t\t\t\t\t\t142.1,-34.256,0 142.11,-34.256,0 142.11,-34.246,0 142.1,-34.246,0 142.1,-34.256,0 \r\n"
      "\t\t\t\t\t</coordinates>\r\n\t\t\t\t</LinearRing>\r\n\t\t\t</outerBoundaryIs>\r\n"
      "\t\t\t<innerBoundaryIs>\r\n\t\t\t\t<LinearRing>\r\n\t\t\t\t\t<coordinates>\r\n"
      "\t\t\t\t\t\t142.103,-34.252,0 142.103,-34.25,0 142.105,-34.25,0 142.105,-34.252,0 142.103,-34.252,0 \r\n"
      "\t\t\t\t\t</coordinates>\r\n\t\t\t\t</LinearRing>\r\n\t\t\t</innerBoundaryIs>\r\n\t\t</Polygon>\r\n"
      "\t</Placemark>\r\n</Document>\r\n</kml>\r\n";
  Write(folder, "field_with_hole.KML", holed);
  std::string big = "<Placemark>\n<Polygon>\n<coordinates>\n";
  for (int i = 0; i < 300; ++i) {
    big += std::to_string(142.0 + i * 0.0001) + "," + std::to_string(-34.0 - i * 0.00013) + ",0 ";
  }
  big += "\n</coordinates>\n</Polygon>\n</Placemark>\n";
  Write(folder, "big_polygon.KML", big);
  Write(folder, "two_polygons_lf.KML",
        "<Polygon><coordinates>\n1,2 3,4\n5.5,6.5\n</coordinates>\n<coordinates>7,8 -9,-10 </coordinates>\n");
  Write(folder, "huge_values.KML", "<Polygon>\n<coordinates>\n1e300,-1e-300 1e31,7e18 nan,inf\n</coordinates>\n");
  Write(folder, "line.KML", "<coordinates>\n1,2\n</coordinates>\n<LineString>\n");
  Write(folder, "point.KML", "\t<Point>\n\t<coordinates>1,2</coordinates>\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_wine_test_inputs FOLDER\n");
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  GuidanceLogs(folder / "guidance");
  GpsMessageLogs(folder / "bin1");
  ControllerLogs(folder / "rq7");
  Kmls(folder / "kml");
  return failed ? 1 : 0;
}
