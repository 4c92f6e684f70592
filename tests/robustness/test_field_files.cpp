// Field files that are no field on the globe, or far bigger unpacked than
// packed: `report --field` and `kml-to-job` refuse each with a message that
// says what is wrong and exit status 1, and no job file is written.
#include <gtest/gtest.h>

#include <cpl_vsi.h>

#include <filesystem>
#include <string>

#include "testkit.h"
#include "gdal_files.h"

namespace zeltlog {
namespace {


std::string GeoJsonPolygon(const std::string& ring) {
  return R"({"type":"FeatureCollection","features":[{"type":"Feature","properties":{},)"
         R"("geometry":{"type":"Polygon","coordinates":[[)" + ring + "]]}}]}";
}

// A KML as a map viewer saves it (the job's own line reader) and as GIS
// programs write it (read through GDAL), with one vertex given.
std::string ViewerKml(const std::string& vertex) {
  return "<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n<Document>\n<Placemark>\n<Polygon>\n<outerBoundaryIs>\n"
         "<LinearRing>\n<coordinates>\n142.1,-34.2,0\n" + vertex + "\n142.2,-34.3,0\n142.1,-34.2,0\n</coordinates>\n"
         "</LinearRing>\n</outerBoundaryIs>\n</Polygon>\n</Placemark>\n</Document>\n</kml>\n";
}
std::string GisKml(const std::string& vertex) {
  return "<kml xmlns=\"http://www.opengis.net/kml/2.2\"><Placemark><Polygon><outerBoundaryIs><LinearRing><coordinates>"
         "142.1,-34.2,0 " + vertex + " 142.2,-34.3,0 142.1,-34.2,0</coordinates></LinearRing></outerBoundaryIs>"
         "</Polygon></Placemark></kml>";
}

TEST(FieldFiles, NoPlaceOnTheGlobeOrTooBigUnpacked) {
  testkit::TempDir dir;
  testkit::LogBuilder log("PASS");
  log.Frame(120, testkit::SwathWidth(24.0f));
  for (int i = 0; i < 20; ++i) log.Frame(1, testkit::PassFix(i, 142.15));
  WriteFile(dir.File("PASS.LOG"), log.str());
  WriteFile(dir.File("pole.geojson"), GeoJsonPolygon("[10,80],[11,95],[12,80],[10,80]"));
  WriteFile(dir.File("world.geojson"), GeoJsonPolygon("[-180,-90],[180,-90],[180,90],[-180,90],[-180,-90]"));
  WriteFile(dir.File("viewer-nan.kml"), ViewerKml("nan,nan,0"));
  WriteFile(dir.File("viewer-metres.kml"), ViewerKml("500000.0,6200000.0,0"));
  WriteFile(dir.File("gis-inf.kml"), GisKml("inf,-34.3,0"));
  // Metres of a UTM zone in a Shapefile whose .prj was lost.
  ASSERT_TRUE(testkit::WriteGdalFile(
      "ESRI Shapefile", dir.File("utm.shp"),
      {{"field", {"POLYGON ((142.1 -34.2,142.2 -34.2,142.2 -34.3,142.1 -34.2))"}, 32754, true}}));
  std::filesystem::remove(dir.File("utm.prj"));
  // A KMZ that declares 300 MB of KML inside a few bytes.
  VSILFILE* packed = VSIFOpenL(("/vsizip/" + dir.File("bomb.kmz") + "/doc.kml").c_str(), "wb");
  ASSERT_NE(packed, nullptr);
  const std::string zeros(1 << 20, ' ');
  for (int i = 0; i < 300; ++i) VSIFWriteL(zeros.data(), 1, zeros.size(), packed);
  VSIFCloseL(packed);
  ASSERT_LT(std::filesystem::file_size(dir.File("bomb.kmz")), 2u << 20);
  // The same bytes under headers that declare 1000 bytes unpacked.
  std::string lying = testkit::ReadFile(dir.File("bomb.kmz"));
  for (const auto& [signature, at] : {std::pair{std::string("PK\3\4", 4), 22}, {std::string("PK\1\2", 4), 24}}) {
    const size_t header = lying.find(signature);
    ASSERT_NE(header, std::string::npos);
    lying.replace(header + at, 4, std::string("\xe8\x03\0\0", 4));
  }
  WriteFile(dir.File("lying.kmz"), lying);
  // A VRT that would read the bomb in its stead.
  WriteFile(dir.File("field.vrt"), "<OGRVRTDataSource><OGRVRTLayer name=\"doc\"><SrcDataSource>/vsizip/" +
                                       dir.File("bomb.kmz") + "/doc.kml</SrcDataSource></OGRVRTLayer></OGRVRTDataSource>");

  struct Case {
    const char* file;
    const char* message;  // the report reads the viewer's layout through GDAL, kml-to-job line by line
  };
  const Case cases[] = {
      {"pole.geojson", "a vertex lies beyond the poles or beyond a turn of longitude (longitude 11, latitude 95)"},
      {"world.geojson", "an edge runs half a turn or more round the globe"},
      {"viewer-nan.kml", "a vertex is not a place on the globe (longitude nan, latitude nan)"},
      {"viewer-metres.kml", "(longitude 500000, latitude 6200000)"},
      {"gis-inf.kml", "a vertex is not a place on the globe (longitude inf, latitude -34.3)"},
      {"utm.shp", "coordinates are not degrees: is the .prj missing?"},
      {"bomb.kmz", "it unpacks to 300 MB, more than the 256 MB a field file may hold"},
      {"lying.kmz", "it unpacks to more than the 256 MB a field file may hold, though it declares 0 KB"},
      {"field.vrt", "it is a VRT, which reads other files in its stead: give the field file it names"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string field = dir.File(c.file);
    const auto report = RunCli("report --field " + ShellQuote(field) + " " + ShellQuote(dir.File("PASS.LOG")));
    EXPECT_EQ(report.status, 1);
    EXPECT_NE(report.err.find(field + ": "), std::string::npos) << report.err;
    EXPECT_NE(report.err.find(c.message), std::string::npos) << report.err;
    EXPECT_EQ(report.out, "");
    const auto job = RunCli("kml-to-job --name 7 " + ShellQuote(field));
    EXPECT_EQ(job.status, 1);
    EXPECT_NE(job.err.find("This file's polygon is no field on the globe: "), std::string::npos) << job.err;
    EXPECT_NE(job.err.find(c.message), std::string::npos) << job.err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("7")));
  }
}

}  // namespace
}  // namespace zeltlog
