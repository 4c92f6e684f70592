#include "geometry/track_geometry.h"

#include <cmath>
#include <utility>

#include "geodesy/plain_trig.h"

namespace zeltlog {

TrackGeometry::Across::Across(double degrees) {
  const SineCosine both = PlainSineCosine(degrees * kTrackRadiansPerDegree);
  cosine = both.cosine;
  sine = both.sine;
}

TrackGeometry::TrackGeometry(GeometryHandler& out, double sprayProjection, InitialEdges initialEdges)
    : out_(out), sprayProjection_(sprayProjection), initialEdges_(std::move(initialEdges)) {}

void TrackGeometry::SetEdges(double left, double right) {
  leftOffset_ = left;
  rightOffset_ = right;
  edgesKnown_ = true;
}

void TrackGeometry::OnSections(const SwathSections& sections) { SetEdges(sections.leftOffset, sections.rightOffset); }

void TrackGeometry::OnSwathWidth(const SwathWidth& width) { SetEdges(0.5 * width.width, -0.5 * width.width); }

void TrackGeometry::OnJobSummary(const JobSummary& job) {
  const double width = job.machineWidth - job.overlapWidth;
  SetEdges(0.5 * width, -0.5 * width);
}

// Positive offsets lie to the left of travel, the direction pointing left.
GeoPoint TrackGeometry::EdgeAt(double latitude, double longitude, double altitude, const Across& direction,
                               double offset) const {
  return {longitude + direction.sine * offset / metresPerDegreeLongitude_,
          latitude + direction.cosine * offset / metresPerDegreeLatitude_, altitude};
}

void TrackGeometry::EmitQuad(double time, double speed) {
  quad_.time = time;
  quad_.run = run_;
  quad_.firstOfRun = firstOfRun_;
  quad_.targetRate = targetRate_;
  quad_.actualRate = actualRate_;
  quad_.speed = speed;
  quad_.leftOffset = leftOffset_;
  quad_.rightOffset = rightOffset_;
  quad_.heading = heading_;
  quad_.date = date_;
  out_.OnQuad(quad_);
  firstOfRun_ = false;
  // The corners just drawn are where the next quad starts.
  quad_.prevRight = quad_.right;
  quad_.prevLeft = quad_.left;
}

void TrackGeometry::OnFix(const Fix& fix) {
  double latitude = fix.latitude, longitude = fix.longitude;
  double speed = fix.speed;
  const double time = fix.timeOfDay;

  // The first fix of the log fixes the grid scales.
  if (fixes_ == 0) {
    const GridScales scales = UtmProjector(longitude).GridScalesAt(latitude, longitude);
    metresPerDegreeLatitude_ = scales.metresPerDegreeLatitude;
    metresPerDegreeLongitude_ = scales.metresPerDegreeLongitude;
    firstTime_ = time;
    out_.OnGridReference({latitude, longitude, metresPerDegreeLatitude_, metresPerDegreeLongitude_, time});
  }

  // Spray projection: move the fix forward along the heading.
  const SineCosine heading = PlainSineCosine(fix.heading * kTrackRadiansPerDegree);
  const double projection = sprayProjection_ * speed;
  latitude += heading.cosine * projection / metresPerDegreeLatitude_;
  longitude += heading.sine * projection / metresPerDegreeLongitude_;

  // Time gaps: a jump forward breaks the path and stops the swath turning.
  if (previousFixTime_ > track::kFirstTimeChecked) {
    const double step = time - previousFixTime_;
    if (step < 0.0) {
      out_.OnTimeGap({time, previousFixTime_, true});
    } else if (step > track::kLongestStep) {
      out_.OnTimeGap({time, previousFixTime_, false});
      speed = 0.0;
      previousFixTime_ = time;
    }
  }

  // Compact fixes carry no speed: it comes from the displacement.
  if (fix.format == RecordId::CompactPosition) {
    const double dy = (previousLatitude_ - latitude) * metresPerDegreeLatitude_;
    const double dx = (previousLongitude_ - longitude) * metresPerDegreeLongitude_;
    speed = std::sqrt(dy * dy + dx * dx) / (time - previousFixTime_);
  }

  // The swath lies across the direction of travel: from the first fixes,
  // then from any that moves.
  if (fixes_ < track::kFixesThatSetTheDirection || speed > track::kTurningSpeed) {
    swathDirection_ = fix.heading - 90.0;
  }
  if (swathDirection_ < 0.0) swathDirection_ += 360.0;

  date_ = {fix.time.year, fix.time.month, fix.time.day};
  heading_ = fix.heading;
  out_.OnPathPoint({{longitude, latitude, fix.altitude}, time, speed, previousSprayState_, date_});
  ++fixes_;
  lastTime_ = time;

  const bool sprayOn = fix.sprayState != 0;
  const bool wasOn = previousSprayState_ != 0;
  // The edges matter only where a quad is drawn.
  if (sprayOn || wasOn) DrawQuads(fix, latitude, longitude, time, speed, sprayOn, wasOn);

  previousLatitude_ = latitude;
  previousLongitude_ = longitude;
  previousFixTime_ = time;
  previousSwathDirection_ = swathDirection_;
}

void TrackGeometry::DrawQuads(const Fix& fix, double latitude, double longitude, double time, double speed,
                              bool sprayOn, bool wasOn) {
  if (!edgesKnown_) {
    const Edges initial = initialEdges_();
    SetEdges(initial.left, initial.right);
  }
  const double altitude = fix.altitude;
  const Across across(swathDirection_);
  const GeoPoint right = EdgeAt(latitude, longitude, altitude, across, rightOffset_);
  const GeoPoint left = EdgeAt(latitude, longitude, altitude, across, leftOffset_);

  if (sprayOn && !wasOn) {
    // A run starts: its first quad encloses no area.
    ++run_;
    firstOfRun_ = true;
    quad_.prevRight = right;
    quad_.prevLeft = right;
    lastLeftOffset_ = leftOffset_;
    lastRightOffset_ = rightOffset_;
    previousLatitude_ = latitude;
    previousLongitude_ = longitude;
  }
  if (sprayOn) {
    // An edge that moved closes a quad at the old edge first.
    if (std::fabs(rightOffset_ - lastRightOffset_) > track::kEdgeMove) {
      quad_.right = right;
      quad_.left = left;
      quad_.prevRight =
          EdgeAt(previousLatitude_, previousLongitude_, altitude, Across(previousSwathDirection_), rightOffset_);
      EmitQuad(time, speed);
      lastRightOffset_ = rightOffset_;
    }
    if (std::fabs(leftOffset_ - lastLeftOffset_) > track::kEdgeMove) {
      quad_.right = right;
      quad_.left = left;
      quad_.prevLeft =
          EdgeAt(previousLatitude_, previousLongitude_, altitude, Across(previousSwathDirection_), leftOffset_);
      EmitQuad(time, speed);
      lastLeftOffset_ = leftOffset_;
    }
    quad_.right = right;
    quad_.left = left;
    EmitQuad(time, speed);
    previousSprayState_ = fix.sprayState;
  } else if (wasOn) {
    // The run ends with its closing quad.
    previousSprayState_ = 0;
    quad_.right = right;
    quad_.left = left;
    EmitQuad(time, speed);
  }
}

}  // namespace zeltlog
