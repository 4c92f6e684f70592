// What the track and swath geometry hands on, once per accepted fix of the
// full pass: the drawn path point, breaks of the path at time gaps, and the
// quads of the sprayed strip. Everything is in coordinates; formatting is
// left to the sinks.
#pragma once

namespace zeltlog {

// A point on the ground: decimal degrees east and north, metres.
struct GeoPoint {
  double longitude = 0.0, latitude = 0.0, altitude = 0.0;
};

// The calendar date a fix was logged on, as the log has it (not checked:
// a console without a date logs zeros).
struct LogDate {
  int year = 0, month = 0, day = 0;
};

// The first fix of a log fixes the grid: metres per degree of latitude and
// longitude at that point.
struct GridReference {
  double latitude = 0.0, longitude = 0.0;
  double metresPerDegreeLatitude = 0.0, metresPerDegreeLongitude = 0.0;
  double time = 0.0;  // seconds since midnight
};

// A fix as the path draws it, moved forward by the spray projection.
struct PathPoint {
  GeoPoint at;
  double time = 0.0;       // seconds since midnight
  double speed = 0.0;      // metres per second as the swath used it
  int previousSprayState = 0;  // spray state of the fix before this one
  LogDate date = {};           // of the fix
};

// Time went backwards, or jumped forward by more than ten seconds. A jump
// forward breaks the path: the next point starts a new line.
struct TimeGap {
  double time = 0.0, previousTime = 0.0;
  bool backwards = false;
};

// One piece of a sprayed strip. The ring runs prevRight, right, left,
// prevLeft and closes on prevRight. The first quad of a run encloses no
// area (its previous corners are both the right edge).
struct SwathQuad {
  GeoPoint prevRight, right, left, prevLeft;
  double time = 0.0;          // seconds since midnight of the fix that closed it
  int run = 0;                // spray run, counted from 1 in the log
  bool firstOfRun = false;
  double targetRate = 0.0;    // l/ha, the latest target-rate record
  double actualRate = 0.0;    // l/ha, the latest actual-rate record
  double speed = 0.0;         // metres per second
  double leftOffset = 0.0, rightOffset = 0.0;  // metres, left positive
  double heading = 0.0;       // degrees clockwise from north, of the fix that closed it as logged
  LogDate date = {};          // of the fix that closed it
};

class GeometryHandler {
 public:
  virtual ~GeometryHandler() = default;
  virtual void OnGridReference(const GridReference&) {}
  virtual void OnTimeGap(const TimeGap&) {}
  virtual void OnPathPoint(const PathPoint&) {}
  virtual void OnQuad(const SwathQuad&) {}
};

}  // namespace zeltlog
