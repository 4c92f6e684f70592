// What a coverage report and a GIS export need of one log, as collected
// from a conversion's callbacks: the quads as the swath document draws
// them, the drawn path in its gap-separated pieces, the marks and boundary
// points, and the tank's use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "coverage/lonlat_geometry.h"
#include "sinks/rate_bins.h"

namespace zeltlog {

// A fix's date as one number, YYYYMMDD; 0 when it is no calendar date.
using PackedDate = uint32_t;
PackedDate PackDate(int year, int month, int day);
inline int YearOf(PackedDate d) { return static_cast<int>(d / 10000); }
inline int MonthOf(PackedDate d) { return static_cast<int>(d / 100 % 100); }
inline int DayOf(PackedDate d) { return static_cast<int>(d % 100); }

// One swath quad. The ring runs prevRight, right, left, prevLeft.
struct CollectedQuad {
  LonLat prevRight, right, left, prevLeft;
  double time = 0.0;  // seconds since midnight
  int run = 0;
  bool firstOfRun = false;
  bool afterGap = false;  // the path broke at a gap in time since the previous quad
  RateBin rateBin = RateBin::Off;  // of the rates as logged, before they were narrowed
  // Attributes for the export only; single precision keeps a million
  // quads small (112 bytes each).
  float targetRate = 0.0f, actualRate = 0.0f, speed = 0.0f, leftOffset = 0.0f, rightOffset = 0.0f;
  float heading = 0.0f;    // degrees clockwise from north, of the fix as logged
  float elevation = 0.0f;  // metres, the fix's altitude
  PackedDate date = 0;     // of the fix
};
static_assert(sizeof(void*) != 8 || sizeof(CollectedQuad) == 112, "a million quads are held at once");

struct PathVertex {
  LonLat at;
  double time = 0.0;
};

// The dates of a path piece's first and last points.
struct PieceDates {
  PackedDate first = 0, last = 0;
};

struct CollectedMark {
  int type = 0;  // below 128 a mark; 128 boundary, 130 inclusion, 131 exclusion
  LonLat at;
  double altitude = 0.0;
  std::string name;  // 8-bit characters as logged
};

struct CoverageData {
  std::vector<CollectedQuad> quads;
  std::vector<PathVertex> path;
  std::vector<size_t> pathPieceStarts;  // index into `path` of each piece's first point
  std::vector<PieceDates> pathPieceDates;  // of each piece, for the export
  std::vector<CollectedMark> marks;
  double tankUsed = 0.0;  // litres
  int fixes = 0;
  bool anyFix = false;
  // Every place above lies within half a turn of this longitude, the log's
  // first place (-180 to 180), so that a log in longitudes of 0 to 360
  // meets fields in -180 to 180, and a job across the 180° meridian stays
  // whole. Places of a damaged log off the globe are left as logged.
  double centreLongitude = 0.0;
  bool centred = false;
};

}  // namespace zeltlog
