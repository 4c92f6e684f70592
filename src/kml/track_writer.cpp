#include "kml/track_writer.h"

#include <cmath>

#include "core/text_format.h"
#include "kml/swath_quads.h"

namespace zeltlog {
namespace {

constexpr const char* kGapIndent = "                          ";  // 26 spaces

struct EdgePoint {
  double latitude;
  double longitude;
};

// A direction's cosine and sine, taken once for both edges.
struct Bearing {
  explicit Bearing(double degrees)
      : cosine(std::cos(degrees * kWriterRadiansPerDegree)), sine(std::sin(degrees * kWriterRadiansPerDegree)) {}
  double cosine;
  double sine;
};

// The point `offset` metres from a position along the swath direction
// (positive offsets lie to the left of travel, the direction pointing left).
EdgePoint EdgeAt(const TrackWriterState& t, double latitude, double longitude, const Bearing& direction,
                 double offset) {
  return {latitude + direction.cosine * offset / t.metresPerDegreeLatitude,
          longitude + direction.sine * offset / t.metresPerDegreeLongitude};
}

void SetCorner(std::string& corner, const EdgePoint& p, double altitude, bool lineEnd) {
  corner.clear();
  if (lineEnd) {
    AppendFormatted<" %8.7f,%8.7f,%1.3f\n">(corner, {p.longitude, p.latitude, altitude});
  } else {
    AppendFormatted<" %8.7f,%8.7f,%1.3f">(corner, {p.longitude, p.latitude, altitude});
  }
}

}  // namespace

void WriteTrackPoint(ConversionSession& s, int source) {
  TrackWriterState& t = s.track;

  // 1. The first fix of a run fixes the grid scales.
  if (s.firstFixCounter == 1) {
    s.projector.SelectEllipsoids(UtmProjector::kWgs84Index);
    s.projector.SetZoneFromLongitude(s.currentLongitude);
    s.projector.ComputeGridScales(s.currentLatitude, s.currentLongitude, UtmProjector::kWgs84Index,
                                  t.metresPerDegreeLatitude, t.metresPerDegreeLongitude);
    s.firstFixCounter = 4;
    t.referenceLatitude = s.currentLatitude;
    t.referenceLongitude = s.currentLongitude;
    t.referenceAltitude = s.currentAltitude;
    t.swathDirection = s.currentHeading;
    if (s.Wants(EventKind::Record)) {
      s.scratch.clear();
      AppendFormat(s.scratch, "lat %8.8lf, lon %8.8lf, yscale %8.6lf, xscale %8.6lf",
                   {s.currentLatitude, s.currentLongitude, t.metresPerDegreeLatitude, t.metresPerDegreeLongitude});
      s.AddEvent(EventKind::Record, s.scratch);
    }
    s.runStartText.clear();
    AppendFormat(s.runStartText, "Start:%3.3lf", {s.currentTime});
  }

  // 2. Spray projection: move the fix forward along the heading.
  const double headingAngle = s.currentHeading * kWriterRadiansPerDegree;
  const double projection = s.sprayProjection * s.currentSpeed;
  s.currentLatitude += std::cos(headingAngle) * projection / t.metresPerDegreeLatitude;
  s.currentLongitude += std::sin(headingAngle) * projection / t.metresPerDegreeLongitude;

  // 3. Time gaps.
  if (t.previousFixTime > 1.0) {
    const double step = s.currentTime - t.previousFixTime;
    if (step < 0.0) {
      if (s.Wants(EventKind::Record)) {
        s.scratch.assign(kGapIndent);
        s.scratch.append("1Time bust 2");
        s.AddEvent(EventKind::Record, s.scratch);
      }
    } else if (step > 10.0) {
      if (s.Wants(EventKind::Record)) {
        s.scratch.assign(kGapIndent);
        AppendFormat(s.scratch, "1Time bust 1, %3.3f,  %3.3f,  %3.3f", {s.currentTime, t.previousFixTime, step});
        s.AddEvent(EventKind::Record, s.scratch);
      }
      s.currentSpeed = 0.0;
      if (s.lineOutput == 1) s.pathKml.Write("</coordinates>\n</LineString>\n<LineString>\n<coordinates>\n");
      t.previousFixTime = s.currentTime;
    }
  }

  // 4. Compact fixes carry no speed: derive it from the displacement.
  if (source == 2) {
    const double dy = (t.previousLatitude - s.currentLatitude) * t.metresPerDegreeLatitude;
    const double dx = (t.previousLongitude - s.currentLongitude) * t.metresPerDegreeLongitude;
    s.currentSpeed = std::sqrt(dy * dy + dx * dx) / (s.currentTime - t.previousFixTime);
  }

  // 5. The first three fixes always set the direction.
  if (s.firstFixCounter > 1) {
    --s.firstFixCounter;
    t.swathDirection = s.currentHeading - 90.0;
    if (s.firstFixCounter == 1) s.firstFixCounter = 0;
  }

  // 6. The swath lies across the direction of travel while moving.
  if (s.currentSpeed > 0.5) t.swathDirection = s.currentHeading - 90.0;
  if (t.swathDirection < 0.0) t.swathDirection += 360.0;

  // 7. Path point.
  if (s.lineOutput == 1) {
    s.scratch.clear();
    AppendFormatted<"%8.8lf,%8.8lf,%3.3lf\n">(s.scratch, {s.currentLongitude, s.currentLatitude, s.currentAltitude});
    s.pathKml.Write(s.scratch);
  }
  ++s.runPositionCount;

  // 8. Progress line.
  if (s.Wants(EventKind::Progress)) {
    s.scratch.clear();
    AppendFormatted<"%8.8lf,%8.8lf,%8.3lf,%d, %d">(s.scratch,
                 {s.currentLongitude, s.currentLatitude, s.currentTime, s.previousSprayState, s.previousSprayState});
    s.AddEvent(EventKind::Progress, s.scratch);
  }

  // 9. Swath.
  if (s.swathOutput == 1) {
    const double altitude = s.currentAltitude;
    const Bearing across(t.swathDirection);
    const EdgePoint right = EdgeAt(t, s.currentLatitude, s.currentLongitude, across, s.rightEdgeOffset);
    const EdgePoint left = EdgeAt(t, s.currentLatitude, s.currentLongitude, across, s.leftEdgeOffset);
    const bool sprayOn = s.sprayState != 0;
    const bool wasOn = s.previousSprayState != 0;

    if (sprayOn && !wasOn) {
      // A run starts: its first quad encloses no area.
      SetCorner(t.prevRightCorner, right, altitude, true);
      SetCorner(t.prevLeftCorner, right, altitude, false);
      t.lastLeftOffset = s.leftEdgeOffset;
      t.lastRightOffset = s.rightEdgeOffset;
      t.previousLatitude = s.currentLatitude;
      t.previousLongitude = s.currentLongitude;
      t.rightCorner.assign(t.prevRightCorner);
      t.leftCorner.assign(t.prevLeftCorner);
    }
    if (sprayOn) {
      if (std::fabs(s.rightEdgeOffset - t.lastRightOffset) > 0.1) {
        SetCorner(t.rightCorner, right, altitude, true);
        SetCorner(t.leftCorner, left, altitude, true);
        SetCorner(t.prevRightCorner,
                  EdgeAt(t, t.previousLatitude, t.previousLongitude, Bearing(t.previousSwathDirection), s.rightEdgeOffset),
                  altitude, true);
        WriteSwathQuad(s);
        t.lastRightOffset = s.rightEdgeOffset;
      }
      if (std::fabs(s.leftEdgeOffset - t.lastLeftOffset) > 0.1) {
        SetCorner(t.rightCorner, right, altitude, true);
        SetCorner(t.leftCorner, left, altitude, true);
        SetCorner(t.prevLeftCorner,
                  EdgeAt(t, t.previousLatitude, t.previousLongitude, Bearing(t.previousSwathDirection), s.leftEdgeOffset),
                  altitude, true);
        WriteSwathQuad(s);
        t.lastLeftOffset = s.leftEdgeOffset;
      }
      SetCorner(t.rightCorner, right, altitude, true);
      SetCorner(t.leftCorner, left, altitude, true);
      WriteSwathQuad(s);
      s.previousSprayState = s.sprayState;
    } else if (wasOn) {
      // The run ends with its closing quad.
      s.previousSprayState = 0;
      SetCorner(t.rightCorner, right, altitude, true);
      SetCorner(t.leftCorner, left, altitude, true);
      WriteSwathQuad(s);
    }
    if (++t.watchdogCounter > 1000) {
      t.watchdogCounter = 0;
      s.sprayState = 0;
    }
  }

  // 10. Remember this fix.
  t.previousLatitude = s.currentLatitude;
  t.previousLongitude = s.currentLongitude;
  t.previousFixTime = s.currentTime;
  t.previousSwathDirection = t.swathDirection;
}

}  // namespace zeltlog
