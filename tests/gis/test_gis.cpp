// Field polygons read from the files GIS programs write, and the coverage
// layers written and read back through GDAL.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <limits>
#include <map>
#include <set>

#include "coverage/coverage.h"
#include "coverage/coverage_sink.h"
#include "coverage/ellipsoid_area.h"
#include "gdal_files.h"
#include "gis/archive.h"
#include "gis/gis_export.h"
#include "gis/polygon_file.h"
#include "local_grid.h"
#include "testkit.h"

namespace zeltlog {
namespace {

// Two fields, the first with a hole.
constexpr const char* kFields =
    "MULTIPOLYGON (((142.10 -34.20,142.11 -34.20,142.11 -34.21,142.10 -34.21,142.10 -34.20),"
    "(142.102 -34.202,142.102 -34.204,142.104 -34.204,142.104 -34.202,142.102 -34.202)),"
    "((142.12 -34.20,142.13 -34.20,142.13 -34.21,142.12 -34.20)))";

double FieldsArea() {
  auto ring = [](std::vector<std::pair<double, double>> points) {
    LonLatRing r;
    for (auto [x, y] : points) r.push_back({x, y});
    return r;
  };
  const LonLatMultiPolygon fields = {
      {ring({{142.10, -34.20}, {142.11, -34.20}, {142.11, -34.21}, {142.10, -34.21}}),
       {ring({{142.102, -34.202}, {142.102, -34.204}, {142.104, -34.204}, {142.104, -34.202}})}},
      {ring({{142.12, -34.20}, {142.13, -34.20}, {142.13, -34.21}}), {}}};
  return MultiPolygonArea(fields);
}

TEST(PolygonFile, EveryPolygonWithItsHolesFromEachFormat) {
  struct Case {
    const char* driver;
    const char* file;
    int epsg;
  };
  const Case cases[] = {
      {"GeoJSON", "fields.geojson", 4326}, {"ESRI Shapefile", "fields.shp", 4326}, {"GPKG", "fields.gpkg", 4326},
      {"KML", "fields.kml", 4326},         {"LIBKML", "fields.kmz", 4326},         {"GPKG", "utm.gpkg", 32754},
  };
  testkit::TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    // In the UTM zone the reader turns the fields back.
    ASSERT_TRUE(testkit::WriteGdalFile(c.driver, dir.File(c.file), {{"fields", {kFields}, c.epsg, c.epsg != 4326}}));
    PolygonFile file;
    EXPECT_EQ(ReadPolygonFile(dir.File(c.file), file), "");
    ASSERT_EQ(file.polygons.size(), 2u);
    EXPECT_EQ(file.polygons[0].holes.size(), 1u);
    EXPECT_EQ(file.polygons[1].holes.size(), 0u);
    EXPECT_NEAR(MultiPolygonArea(file.polygons), FieldsArea(), FieldsArea() * 1e-6);
  }
}

// Lines and points are counted for kml-to-job, whose tests refuse them.
TEST(PolygonFile, FilesThatAreNone) {
  testkit::TempDir dir;
  testkit::WriteFile(dir.File("noise.kml"), "not a vector file at all\n");
  PolygonFile none;
  EXPECT_NE(ReadPolygonFile(dir.File("noise.kml"), none), "");
  EXPECT_NE(ReadPolygonFile(dir.File("missing.gpkg"), none), "");
}

// A small job: two overlapping passes, a field, a path with a gap, marks.
struct SmallJob {
  explicit SmallJob(double longitude = 142.0) {
    testkit::LocalGrid grid(-34.0, longitude);
    auto at = [&](double e, double n) {
      const LonLat p = grid.At(e, n);
      return GeoPoint{p.longitude, p.latitude, 40.0};
    };
    int run = 0;
    double time = 36000.0;
    for (double right : {20.0, 35.0}) {
      ++run;
      for (int i = 0; i <= 10; ++i) {
        SwathQuad q;
        q.prevRight = at(right, i == 0 ? 0 : (i - 1) * 10.0);
        q.right = at(right, i * 10.0);
        q.left = at(right - 20, i * 10.0);
        q.prevLeft = i == 0 ? q.prevRight : at(right - 20, (i - 1) * 10.0);
        q.time = time += 1.0, q.run = run, q.firstOfRun = i == 0;
        q.targetRate = 50.0, q.actualRate = 48.5, q.speed = 10.0, q.leftOffset = 10.0, q.rightOffset = -10.0;
        q.heading = -88.5, q.date = {2019, 5, 14};
        sink.OnQuad(q);
      }
    }
    for (int i = 0; i < 6; ++i) {
      if (i == 3) sink.OnTimeGap({time + 30.0, time, false});
      sink.OnPathPoint({at(10, i * 20.0), time += 1.0, 10.0, 1, {2019, 5, i < 5 ? 14 : 15}});
    }
    for (auto [type, name, e, n] : {std::tuple{128, "", -5.0, -5.0}, {128, "", 60.0, -5.0}, {128, "", 60.0, 105.0},
                                   {128, "", -5.0, 105.0}, {3, "Caf\xE9 & <tank>", 10.0, 50.0}}) {
      const GeoPoint p = at(e, n);
      sink.OnMarkPoint({type, p.latitude, p.longitude, 41.5, name});
    }
    report = ComputeCoverage(sink.data());
  }
  CoverageSink sink;
  CoverageReport report;
  GisJobAttributes attributes{10, "Glyphosate 450", {{"farm", "Riverside"}, {"date", "2019-05-14"}, {"crop", ""}}};
};

// The layers as GDAL reads them back: name, feature count.
std::vector<std::pair<std::string, long long>> LayersOf(const std::string& path) {
  GDALDatasetUniquePtr dataset(GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR));
  std::vector<std::pair<std::string, long long>> layers;
  if (!dataset) return layers;
  for (OGRLayer* layer : dataset->GetLayers()) layers.push_back({layer->GetName(), layer->GetFeatureCount()});
  return layers;
}

TEST(GisExport, GeoPackageReadBack) {
  SmallJob job;
  ASSERT_TRUE(job.report.fieldAreaHa.has_value());
  testkit::TempDir dir;
  const std::string path = dir.File("JOB12.gpkg");
  const GisExportResult result = ExportCoverageLayers(path, job.sink.data(), job.report, job.attributes);
  ASSERT_TRUE(result.ok()) << result.error;
  EXPECT_EQ(result.written, std::vector<std::string>{path});
  using Layers = std::vector<std::pair<std::string, long long>>;
  // The skipped ground comes in pieces of the tiles it was worked out in.
  const Layers layers = LayersOf(path);
  EXPECT_EQ(layers, (Layers{{"path", 2}, {"swaths", 22}, {"coverage", 1}, {"skipped", layers[3].second},
                            {"field", 1}, {"marks", 5}}));
  EXPECT_EQ(layers[3].second, static_cast<long long>(job.report.skipped.size()));

  GDALDatasetUniquePtr dataset(GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR));
  ASSERT_TRUE(dataset);
  OGRLayer* swaths = dataset->GetLayerByName("swaths");
  std::unique_ptr<OGRFeature> second(swaths->GetFeature(2));
  ASSERT_TRUE(second);
  std::vector<double> fields;
  for (const char* field :
       {"time", "run", "target", "actual", "speed", "left_off", "right_off", "width", "heading", "elevation"}) {
    fields.push_back(second->GetFieldAsDouble(field));
  }
  EXPECT_EQ(fields, (std::vector<double>{36002.0, 1, 50.0, 48.5, 10.0, 10.0, -10.0, 20.0, 271.5, 40.0}));
  EXPECT_STREQ(second->GetFieldAsString("time_iso"), "2019-05-14T10:00:02+10:00");
  EXPECT_STREQ(second->GetFieldAsString("product"), "Glyphosate 450");
  EXPECT_EQ(second->GetGeometryRef()->toPolygon()->getExteriorRing()->getNumPoints(), 5);

  std::unique_ptr<OGRFeature> piece(dataset->GetLayerByName("path")->GetFeature(2));
  EXPECT_EQ(piece->GetFieldAsDouble("start_time"), 36026.0);
  EXPECT_EQ(piece->GetFieldAsDouble("end_time"), 36028.0);
  EXPECT_STREQ(piece->GetFieldAsString("start_iso"), "2019-05-14T10:00:26+10:00");
  EXPECT_STREQ(piece->GetFieldAsString("end_iso"), "2019-05-15T10:00:28+10:00");
  std::unique_ptr<OGRFeature> covered(dataset->GetLayerByName("coverage")->GetFeature(1));
  EXPECT_STREQ(covered->GetFieldAsString("farm"), "Riverside");
  EXPECT_STREQ(covered->GetFieldAsString("date"), "2019-05-14");
  EXPECT_TRUE(covered->IsFieldNull(covered->GetFieldIndex("crop")));
  std::unique_ptr<OGRFeature> mark(dataset->GetLayerByName("marks")->GetFeature(5));
  EXPECT_EQ(mark->GetFieldAsInteger("code"), 3);
  EXPECT_STREQ(mark->GetFieldAsString("name"), "Caf\xC3\xA9 & <tank>");
  EXPECT_EQ(mark->GetFieldAsDouble("altitude"), 41.5);

  // The coverage, skipped and field polygons come back with the report's
  // areas, feature by feature and in all.
  dataset.reset();
  const std::pair<const char*, double> areas[] = {
      {"coverage", job.report.sprayedAreaHa}, {"skipped", *job.report.skippedAreaHa}, {"field", *job.report.fieldAreaHa}};
  for (const auto& [name, area] : areas) {
    SCOPED_TRACE(name);
    testkit::TempDir one;
    const std::string copy = one.File(std::string(name) + ".gpkg");
    GDALDatasetUniquePtr source(GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR));
    double sum = 0.0;
    std::vector<std::string> wkt;
    for (const auto& feature : *source->GetLayerByName(name)) {
      sum += feature->GetFieldAsDouble("area_ha");
      wkt.push_back(feature->GetGeometryRef()->exportToWkt());
    }
    ASSERT_TRUE(testkit::WriteGdalFile("GPKG", copy, {{name, wkt}}));
    PolygonFile back;
    ASSERT_EQ(ReadPolygonFile(copy, back), "");
    EXPECT_NEAR(sum, area, 1e-9);
    EXPECT_NEAR(MultiPolygonArea(back.polygons) / 10000.0, area, 1e-9);
  }
  EXPECT_NEAR(job.report.sprayedAreaHa, 35 * 100 / 10000.0, 1e-6);
  EXPECT_NEAR(*job.report.skippedAreaHa, (65 * 110 - 35 * 100) / 10000.0, 1e-6);
}

// Each format: its files (one per layer but a GeoPackage), written again
// over themselves; every column typed, named in at most 10 characters,
// distinct from the others without regard to case (a DBF and a GeoPackage
// ignore it), and the times read back as ISO 8601 that agrees with the
// seconds beside them.
TEST(GisExport, EveryFormatsFilesAndColumns) {
  SmallJob job;
  job.report.fieldAreaHa.reset();  // without a field: no skipped and field layers
  const std::map<std::string, std::string> types = {
      {"path.start_time", "Real"}, {"path.end_time", "Real"},   {"path.start_iso", "String"},
      {"path.end_iso", "String"},  {"swaths.time", "Real"},     {"swaths.run", "Integer"},
      {"swaths.target", "Real"},   {"swaths.actual", "Real"},   {"swaths.speed", "Real"},
      {"swaths.left_off", "Real"}, {"swaths.right_off", "Real"}, {"swaths.time_iso", "String"},
      {"swaths.width", "Real"},    {"swaths.heading", "Real"},  {"swaths.elevation", "Real"},
      {"swaths.product", "String"}, {"coverage.area_ha", "Real"}, {"coverage.farm", "String"},
      {"coverage.date", "String"}, {"coverage.crop", "String"}, {"marks.code", "Integer"},
      {"marks.name", "String"},    {"marks.altitude", "Real"}};
  for (const std::string extension : {"gpkg", "geojson", "shp", "fgb"}) {
    SCOPED_TRACE(extension);
    testkit::TempDir dir;
    const GisExportResult result =
        ExportCoverageLayers(dir.File("JOB12." + extension), job.sink.data(), job.report, job.attributes);
    ASSERT_TRUE(result.ok()) << result.error;
    std::vector<std::string> expected{dir.File("JOB12.gpkg")};
    if (extension != "gpkg") {
      expected.clear();
      for (const char* layer : {"path", "swaths", "coverage", "marks"}) {
        expected.push_back(dir.File("JOB12_") + layer + "." + extension);
      }
    }
    EXPECT_EQ(result.written, expected);
    const long long counts[] = {2, 22, 1, 5};
    std::map<std::string, std::string> found;
    size_t layers = 0;
    for (const std::string& file : expected) {
      // GeoJSON would read the ISO text as dates.
      const char* const asText[] = {"DATE_AS_STRING=YES", nullptr};
      GDALDatasetUniquePtr dataset(GDALDataset::Open(file.c_str(), GDAL_OF_VECTOR, nullptr,
                                                     extension == "geojson" ? asText : nullptr));
      ASSERT_TRUE(dataset);
      for (OGRLayer* layer : dataset->GetLayers()) {
        EXPECT_EQ(layer->GetFeatureCount(), counts[layers++]);
        std::string name = layer->GetName();
        name = name.substr(name.find('_') + 1);
        std::set<std::string> folded;
        OGRFeatureDefn* columns = layer->GetLayerDefn();
        for (int i = 0; i < columns->GetFieldCount(); ++i) {
          std::string column = columns->GetFieldDefn(i)->GetNameRef();
          found[name + "." + column] = OGRFieldDefn::GetFieldTypeName(columns->GetFieldDefn(i)->GetType());
          EXPECT_LE(column.size(), 10u) << column;
          std::transform(column.begin(), column.end(), column.begin(), ::tolower);
          EXPECT_TRUE(folded.insert(column).second) << column;
        }
        for (const auto& feature : *layer) {
          for (auto [iso, seconds] : {std::pair{"time_iso", "time"}, {"start_iso", "start_time"}, {"end_iso", "end_time"}}) {
            if (columns->GetFieldIndex(iso) < 0) continue;
            OGRField parsed;
            ASSERT_TRUE(OGRParseDate(feature->GetFieldAsString(iso), &parsed, 0)) << feature->GetFieldAsString(iso);
            EXPECT_EQ(parsed.Date.Year, 2019);
            EXPECT_EQ(parsed.Date.TZFlag, 100 + 40);  // +10:00
            EXPECT_EQ(parsed.Date.Hour * 3600 + parsed.Date.Minute * 60 + parsed.Date.Second,
                      feature->GetFieldAsDouble(seconds));
          }
        }
      }
    }
    EXPECT_EQ(found, types);
    // Written again over the same files.
    EXPECT_TRUE(ExportCoverageLayers(dir.File("JOB12." + extension), job.sink.data(), job.report, job.attributes).ok());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}),
              extension == "shp" ? 20 : static_cast<long>(expected.size()));
  }
}

// GIS files hold longitudes from -180 to 180: a job across the 180 degree
// meridian comes out cut along it, its areas whole.
TEST(GisExport, LayersAcrossThe180DegreeMeridian) {
  SmallJob job(179.9997);
  testkit::TempDir dir;
  const GisExportResult result = ExportCoverageLayers(dir.File("DATELINE.geojson"), job.sink.data(), job.report, job.attributes);
  ASSERT_TRUE(result.ok()) << result.error;
  double west = 0.0, east = 0.0, coverage = 0.0;
  long long swaths = 0;
  for (const std::string& file : result.written) {
    GDALDatasetUniquePtr dataset(GDALDataset::Open(file.c_str(), GDAL_OF_VECTOR));
    ASSERT_TRUE(dataset);
    OGRLayer* layer = dataset->GetLayer(0);
    for (const auto& feature : *layer) {
      OGREnvelope box;
      feature->GetGeometryRef()->getEnvelope(&box);
      west = std::min(west, box.MinX), east = std::max(east, box.MaxX);
      if (std::string(layer->GetName()) == "coverage") coverage += feature->GetFieldAsDouble("area_ha");
    }
    if (std::string(layer->GetName()) == "swaths") swaths = layer->GetFeatureCount();
  }
  EXPECT_EQ(west, -180.0);
  EXPECT_EQ(east, 180.0);
  EXPECT_NEAR(coverage, job.report.sprayedAreaHa, job.report.sprayedAreaHa * 1e-9);
  EXPECT_NEAR(job.report.sprayedAreaHa, 0.35, 0.0001);  // 35 m by 100 m
  EXPECT_GT(swaths, 22);  // the quads across the meridian in two

  // The archive's ground is cut there too. It is the report's joined
  // coverage as it is, or a coverage kept in pieces (here the same ground
  // twice) unioned, across the meridian and away from it.
  SmallJob away;
  for (SmallJob* from : {&job, &away}) {
    CoverageReport twice = from->report;
    twice.coverage.insert(twice.coverage.end(), from->report.coverage.begin(), from->report.coverage.end());
    twice.coverageJoined = false;
    std::vector<double> areas;
    for (const CoverageReport* report : std::vector<const CoverageReport*>{&from->report, &twice}) {
      const std::string wkb = ArchiveGroundWkb(*report);
      OGRGeometry* made = nullptr;
      ASSERT_EQ(OGRGeometryFactory::createFromWkb(wkb.data(), nullptr, &made, wkb.size()), OGRERR_NONE);
      const std::unique_ptr<OGRGeometry> ground(made);
      EXPECT_TRUE(ground->IsValid());
      OGREnvelope box;
      ground->getEnvelope(&box);
      EXPECT_EQ(box.MinX == -180.0 && box.MaxX == 180.0, from == &job);
      areas.push_back(ground->toMultiPolygon()->get_Area());
    }
    EXPECT_NEAR(areas[1], areas[0], areas[0] * 1e-9);
  }
}

TEST(GisExport, DamagedPointsUnknownFormatAndUnwritablePlace) {
  SmallJob job;
  testkit::TempDir dir;
  // Points nowhere on the globe are left out of every layer.
  CoverageData damaged = job.sink.data();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  damaged.quads[3].left = {nan, -34.0};
  damaged.quads[4].right = {1e300, -1e300};
  damaged.path[1].at = {142.0, nan};
  damaged.marks[0].at = {nan, nan};
  for (const char* extension : {"gpkg", "geojson", "shp", "fgb"}) {
    SCOPED_TRACE(extension);
    const GisExportResult result = ExportCoverageLayers(dir.File("DAMAGED.") + extension, damaged, job.report, job.attributes);
    ASSERT_TRUE(result.ok()) << result.error;
    const std::string swaths = std::string(extension) == "gpkg" ? result.written[0] : result.written[1];
    GDALDatasetUniquePtr dataset(GDALDataset::Open(swaths.c_str(), GDAL_OF_VECTOR));
    ASSERT_TRUE(dataset);
    OGRLayer* layer = std::string(extension) == "gpkg" ? dataset->GetLayerByName("swaths") : dataset->GetLayer(0);
    EXPECT_EQ(layer->GetFeatureCount(), 20);
  }

  GisExportResult r = ExportCoverageLayers(dir.File("JOB12.kml"), job.sink.data(), job.report, job.attributes);
  EXPECT_EQ(r.error, "unknown GIS format: the file name must end in .gpkg, .geojson, .shp or .fgb");
  EXPECT_TRUE(r.written.empty());
  r = ExportCoverageLayers(dir.File("missing/JOB12.gpkg"), job.sink.data(), job.report, job.attributes);
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(r.failedPath, dir.File("missing/JOB12.gpkg"));
}

}  // namespace
}  // namespace zeltlog
