// Writes the seed corpora of the fuzz targets from the test builders:
//
//   make_fuzz_seeds fuzz/corpus
//
// gives fuzz/corpus/<target>/<seed> for every target. The seeds are small
// on purpose (a few kilobytes each): the fuzzer mutates them, and its
// longest input follows the longest seed.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "log_builder.h"

namespace {

using namespace zeltlog::testkit;

bool failed = false;

void Write(const std::filesystem::path& folder, const std::string& name, const std::string& bytes) {
  std::filesystem::create_directories(folder);
  const std::string path = (folder / name).string();
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (!out || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() || std::fclose(out) != 0) {
    std::perror(path.c_str());
    failed = true;
  }
}

std::string Str(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

Fix FixAt(double seconds, double latitude, double longitude, unsigned spray) {
  Fix fix;
  fix.time = Timestamp::FromTimeOfDay(seconds, 2019, 5, 14);
  fix.latitude = latitude;
  fix.longitude = longitude;
  fix.altitude = 52.5f;
  fix.speed = 4.0f;
  fix.heading = 10.0f;
  fix.spray = spray;
  return fix;
}

void GuidanceLogs(const std::filesystem::path& folder) {
  JobOptions small;
  small.fixes = 60;
  small.markEvery = 20;
  small.seed = 5;
  Write(folder, "small_job.LOG", Str(BuildSprayJob(small)));

  // One frame of every record kind, a bad frame and stray bytes.
  LogBuilder log("ZELT GUIDANCE V4.20 SN 10442");
  JobSummary job;
  job.maxLat = -34.2;
  job.minLat = -34.3;
  job.minLon = 142.1;
  job.maxLon = 142.2;
  FarmInfo farm{"Farm", "Field 7", "Op", "Rig", "Spray", "Wheat", "12", "NW", "18", "40"};
  log.Frame(101, SystemVersions("SYS 4.20", "CPU 2", "GPS 1.1", "DIF 0"))
      .Frame(201, JobSummaryRecord(job))
      .Frame(202, FarmRecord(farm))
      .Frame(204, JobNotes1("first notes"))
      .Frame(205, JobNotes2(2, "second notes"))
      .Frame(250, TextMessage("hello"))
      .Frame(35, Sections(3, 1200, -1200))
      .Frame(120, SwathWidth(24.0f))
      .Frame(32, DesiredFlow(12.5f, 1))
      .Frame(34, TargetRate(0, 1, 50.0f))
      .Frame(36, ActualRate(1, 1, 51.0f))
      .Frame(140, FlowStatus(1, 800.0f, 100, 400.0f, 51.0f, 12.0f))
      .Frame(141, PrescriptionMap("RX.SHP"))
      .Frame(42, HeightSensor(3.5f))
      .Frame(20, ShortValue(-7))
      .Frame(1, Position1(FixAt(27725.0, -34.245, 142.106, 0)))
      .Frame(1, Position1(FixAt(27725.2, -34.2451, 142.1061, 1)))
      .Frame(2, Position2(FixAt(27725.4, -34.2452, 142.1062, 1)))
      .Frame(2, Position2(FixAt(27745.4, -34.2453, 142.1063, 0)))
      .Frame(60, Mark(1, -34.2452, 142.1062, 50.0f, "A&B <x> \xE9"))
      .Frame(60, Mark(4, -34.2453, 142.1063, 50.0f, "edge"))
      .FrameWithResidual(34, TargetRate(0, 1, 40.0f).bytes(), 200, 17)
      .Raw("\x01\x02junk")
      .Frame(99, Payload().U8(1).U8(2));
  Write(folder, "every_record.LOG", log.str());

  Write(folder, "header_only.LOG", std::string("ZELT GUIDANCE V4.20", 20));
  const std::string job60 = Str(BuildSprayJob(small));
  Write(folder, "truncated.LOG", job60.substr(0, job60.size() / 3));
}

void GpsMessageLogs(const std::filesystem::path& folder) {
  std::string log = Str(GpsLogHeader('A', 1, 2, -5, "RECEIVER 1.0"));
  std::string psat = "$PSAT,GBS";
  for (int i = 0; i < 29; ++i) psat += "," + std::to_string(i) + ".5";
  log += psat + "\r\n";
  for (int i = 0; i < 4; ++i) {
    Bin1Fix fix;
    fix.time = 100.5 + i;
    fix.latitude = -33.5 + i * 0.0001;
    fix.longitude = 151.2;
    fix.age = static_cast<unsigned>(i);
    log += Str(Bin1Frame(fix, i != 2));
  }
  Bin1Fix early;
  early.time = 0.05;
  log += Str(Bin1Frame(early));
  log += "$GPGGA,stray text\r\n";
  Write(folder, "fixes.BIN", log);
  Write(folder, "crlf_only.BIN", "\r\n\r\n\r\n\r\n");
}

void ControllerLogs(const std::filesystem::path& folder) {
  Bytes data(100);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7);
  std::string log = "noise before\r\n";
  log += Str(ControllerBlock(1, 2, 1, 77, data, data.size()));
  log += Str(ControllerBlock(3, 4, 2, -1, data, data.size()));
  log += Str(ControllerBlock(5, 6, 1, 0, {}, 0));
  log += Str(ControllerBlock(7, 8, 1, 9, Bytes(data.begin(), data.begin() + 30), 60));
  Write(folder, "blocks.BIN", log);
}

void Kmls(const std::filesystem::path& folder) {
  // The first byte chooses include (even) or exclude (odd).
  const std::string polygon =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<kml>\r\n<Document>\r\n\t<Placemark>\r\n\t\t<Polygon>\r\n"
      "\t\t\t<outerBoundaryIs>\r\n\t\t\t\t<LinearRing>\r\n\t\t\t\t\t<coordinates>\r\n"
      "\t\t\t\t\t\t142.1,-34.2,0 142.2,-34.2,0 142.2,-34.3,0 142.1,-34.2,0 \r\n"
      "\t\t\t\t\t</coordinates>\r\n\t\t\t\t</LinearRing>\r\n\t\t\t</outerBoundaryIs>\r\n\t\t</Polygon>\r\n"
      "\t</Placemark>\r\n</Document>\r\n</kml>\r\n";
  Write(folder, "polygon.KML", std::string(1, '\0') + polygon);
  Write(folder, "two_polygons_lf.KML",
        "\x01<coordinates>\n1,2 3,4\n5.5,6.5\n</coordinates>\n<coordinates>7,8 -9,-10 </coordinates>\n");
  Write(folder, "one_line_block.KML", std::string("\x00<coordinates>1,2,0 3,4,0</coordinates>\n", 41));
  Write(folder, "line.KML", std::string("\x00<coordinates>\n1,2\n</coordinates>\n<LineString>\n", 46));
  Write(folder, "point.KML", std::string("\x00\t<Point>\n\t<coordinates>1,2</coordinates>\n", 42));
}

void FormatterInputs(const std::filesystem::path& folder) {
  const double values[] = {0.5, -0.0, 2.5, 0.125, 1e300, -1e-300, 123456.789, 0.0005};
  int index = 0;
  for (const double value : values) {
    std::string bytes(8, '\0');
    std::memcpy(bytes.data(), &value, 8);
    bytes += std::string("\x07\x00\x00\x80", 4);  // an integer
    bytes += static_cast<char>(0x30 + index);       // flags, width, precision, conversion
    bytes += "\x0a\x0e\x02";
    Write(folder, "value" + std::to_string(index++), bytes);
  }
}

void JobInfoFiles(const std::filesystem::path& folder) {
  Write(folder, "every_key.json",
        "{\"product\": \"Glyphosate 450\", \"registration\": \"APVMA 12345\",\n"
        " \"active_constituents\": [\"450 g/l glyphosate\"], \"client\": \"Ana\", \"address\": \"Lot 4\",\n"
        " \"aircraft\": \"VH-ZLT\", \"applicator\": \"Nguyen Aerial\", \"licence\": \"AA-1\",\n"
        " \"water_volume\": \"30 l/ha\", \"tank_mix\": [{\"product\": \"G\", \"rate\": \"2 l/ha\"}],\n"
        " \"field\": \"Paddock 7\", \"extra\": {\"job\": \"J-1\"}, \"other\": 1}\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_fuzz_seeds CORPUS_FOLDER\n");
    return 2;
  }
  const std::filesystem::path corpus = argv[1];
  GuidanceLogs(corpus / "fuzz_guidance_log");
  GpsMessageLogs(corpus / "fuzz_bin1");
  ControllerLogs(corpus / "fuzz_controller_log");
  Kmls(corpus / "fuzz_kml_to_job");
  FormatterInputs(corpus / "fuzz_text_format");
  JobInfoFiles(corpus / "fuzz_job_info");
  return failed ? 1 : 0;
}
