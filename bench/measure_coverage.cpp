// Measures the coverage report on a job of the benchmark log's shape,
// fed straight to the coverage sink: fixes at 5 per second and 6 m/s on
// 600 m runs 24 m apart with half-circle turns, the sprayer on for the
// first 75 % of each run, a little noise in the heading.
//
//   measure_coverage FIXES [EXPORT.gpkg]
#include <sys/resource.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "coverage/coverage.h"
#include "coverage/coverage_sink.h"
#include "gis/gis_export.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: measure_coverage FIXES [EXPORT.gpkg]\n");
    return 2;
  }
  const long fixes = std::strtol(argv[1], nullptr, 10);
  const auto start = std::chrono::steady_clock::now();

  zeltlog::CoverageSink sink;
  zeltlog::PrescanFigures prescan;
  prescan.tankUsed = 5000.0;
  sink.OnFigures(prescan);
  const double metresPerDegreeLatitude = 110950.0, metresPerDegreeLongitude = 92290.0;
  auto at = [&](double east, double north) {
    return zeltlog::GeoPoint{142.1 + east / metresPerDegreeLongitude, -34.25 + north / metresPerDegreeLatitude, 50.0};
  };
  std::mt19937 random(7);
  std::uniform_real_distribution<double> noise(-0.5, 0.5);
  const double step = 1.2, runLength = 600.0, swath = 24.0, radius = swath / 2;
  double east = 0.0, north = 0.0, along = 0.0, turned = -1.0;
  int direction = 1, run = 0;
  bool spraying = false;
  zeltlog::GeoPoint previousRight{}, previousLeft{};
  for (long i = 0; i < fixes; ++i) {
    const double time = 30000.0 + i * 0.2;
    double heading = direction > 0 ? 0.0 : 180.0;
    if (turned >= 0.0) {
      // Half a circle to the right, then the next run.
      turned += step / (kPi * radius) * 180.0;
      const double a = turned * kPi / 180.0;
      const double centreEast = east + radius;
      heading = (direction > 0 ? 0.0 : 180.0) + turned;
      const double px = centreEast - radius * std::cos(a) * direction;
      const double py = north + radius * std::sin(a) * direction;
      if (turned >= 180.0) {
        east += swath;
        direction = -direction;
        turned = -1.0;
        along = 0.0;
      }
      sink.OnPathPoint({at(px, py), time, 6.0, spraying ? 1 : 0});
      if (spraying) {
        spraying = false;
      }
      continue;
    }
    along += step;
    north += step * direction;
    if (along >= runLength) turned = 0.0;
    const bool on = along < runLength * 0.75;
    const double h = (heading + noise(random)) * kPi / 180.0;
    // Right of travel is heading + 90 degrees.
    const double rx = std::sin(h + kPi / 2) * 12.0, ry = std::cos(h + kPi / 2) * 12.0;
    const zeltlog::GeoPoint right = at(east + rx, north + ry), left = at(east - rx, north - ry);
    sink.OnPathPoint({at(east, north), time, 6.0, spraying ? 1 : 0});
    if (on || spraying) {
      zeltlog::SwathQuad q;
      const bool first = on && !spraying;
      if (first) ++run;
      q.prevRight = first ? right : previousRight;
      q.prevLeft = first ? right : previousLeft;
      q.right = right;
      q.left = left;
      q.time = time;
      q.run = run;
      q.firstOfRun = first;
      q.targetRate = 50.0;
      q.actualRate = 51.0;
      q.speed = 6.0;
      q.leftOffset = 12.0;
      q.rightOffset = -12.0;
      sink.OnQuad(q);
      previousRight = right;
      previousLeft = left;
      spraying = on;
    }
  }
  zeltlog::RunEnd end;
  end.fixes = static_cast<int>(fixes);
  sink.OnEnd(end);
  const double fed = Seconds(start);
  const zeltlog::CoverageReport report = zeltlog::ComputeCoverage(sink.data());
  const double computed = Seconds(start);
  double exported = computed;
  if (argc > 2) {
    const zeltlog::GisExportResult result = zeltlog::ExportCoverageLayers(argv[2], sink.data(), report, {});
    if (!result.ok()) std::fprintf(stderr, "%s: %s\n", result.failedPath.c_str(), result.error.c_str());
    exported = Seconds(start);
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("fixes %ld, quads %zu, runs %zu: sprayed %.4f ha, gross %.4f ha, overlap %.4f ha\n", fixes,
              sink.data().quads.size(), report.runs.size(), report.sprayedAreaHa, report.grossSprayedAreaHa,
              report.overlapAreaHa);
  std::printf("fed %.2f s, coverage %.2f s, export %.2f s, peak memory %.1f MB\n", fed, computed - fed,
              exported - computed, usage.ru_maxrss / 1024.0);
  return report.problems.empty() ? 0 : 1;
}
