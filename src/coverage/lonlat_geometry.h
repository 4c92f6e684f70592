// Plain polygons in WGS-84 degrees, the form in which coverage geometry
// leaves the coverage computation and fields come in from GIS files. No
// geometry library appears here, so readers and writers of such polygons
// need not link one.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace zeltlog {

struct LonLat {
  double longitude = 0.0, latitude = 0.0;
};

// A ring closes on itself: its last point repeats its first.
using LonLatRing = std::vector<LonLat>;

struct LonLatPolygon {
  LonLatRing outer;
  std::vector<LonLatRing> holes;
};

using LonLatMultiPolygon = std::vector<LonLatPolygon>;

// A log may give longitudes from 0 to 360 as well as from -180 to 180.
// The figures and the map work in one frame that does not cut the job at
// the 180° meridian: longitudes within half a turn of a centre, the first
// place of the log. `longitude` plus or minus whole turns, in [centre -
// 180, centre + 180); unchanged when it already lies there.
double LongitudeNear(double longitude, double centre);
// Each ring of `polygons` made continuous (no step of more than half a
// turn from one vertex to the next), its polygon moved by whole turns to
// lie near `centre`, and its holes near their outer ring.
void MoveNear(LonLatMultiPolygon& polygons, double centre);

// Why the polygons of a field file are no field on the globe: a vertex
// that is not a number, coordinates beyond the poles or beyond a turn of
// longitude (the message asks after a missing .prj when the file named no
// reference system: projected metres read as degrees), a ring that runs
// round the globe or encircles a pole, or one that spans half the globe.
// Empty when they are.
std::string FieldDegreesProblem(const LonLatPolygon* polygons, size_t count, bool referenced);
inline std::string FieldDegreesProblem(const LonLatMultiPolygon& polygons, bool referenced) {
  return FieldDegreesProblem(polygons.data(), polygons.size(), referenced);
}

}  // namespace zeltlog
