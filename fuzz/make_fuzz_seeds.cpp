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

#include "test_text.h"

namespace {

using namespace zeltlog::testkit;

bool failed = false;

void Write(const std::filesystem::path& folder, const std::string& name, const std::string& bytes) {
  failed = !WriteInput(folder, name, bytes) || failed;
}

void GuidanceLogs(const std::filesystem::path& folder) {
  const std::string job60 = Str(BuildSprayJob({.fixes = 60, .markEvery = 20, .seed = 5}));
  Write(folder, "small_job.LOG", job60);
  Write(folder, "every_record.LOG", Str(EveryRecordLog()));
  Write(folder, "header_only.LOG", std::string("ZELT GUIDANCE V4.20", 20));
  Write(folder, "truncated.LOG", job60.substr(0, job60.size() / 3));
}

void GpsMessageLogs(const std::filesystem::path& folder) {
  std::string log = GpsLogStart();
  for (int i = 0; i < 4; ++i) {
    log += Str(Bin1Frame({.time = 100.5 + i, .latitude = -33.5 + i * 0.0001, .longitude = 151.2,
                          .age = static_cast<unsigned>(i)}, i != 2));
  }
  log += Str(Bin1Frame({.time = 0.05}));
  log += "$GPGGA,stray text\r\n";
  Write(folder, "fixes.BIN", log);
  Write(folder, "crlf_only.BIN", "\r\n\r\n\r\n\r\n");
}

void Kmls(const std::filesystem::path& folder) {
  // The first byte chooses include (even) or exclude (odd).
  Write(folder, "polygon.KML", std::string(1, '\0') + ViewerPolygonKml());
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
  Write(corpus / "fuzz_controller_log", "blocks.BIN", ControllerBlocks(100));
  Kmls(corpus / "fuzz_kml_to_job");
  FormatterInputs(corpus / "fuzz_text_format");
  JobInfoFiles(corpus / "fuzz_job_info");
  return failed ? 1 : 0;
}
