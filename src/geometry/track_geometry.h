// The track and swath geometry of the full pass, computed once for every
// sink: each accepted fix is moved forward by the spray projection, the
// path breaks at time gaps, the direction across which the swath lies is
// kept, and while the spray is on the sprayed strip is cut into quads
// between consecutive fixes. Everything leaves as coordinates through a
// GeometryHandler; nothing here formats text.
#pragma once

#include <functional>

#include "geodesy/utm_projector.h"
#include "geometry/geometry_handler.h"
#include "records/record_handler.h"

namespace zeltlog {

// Radians per degree as the track and swath geometry uses it (3.1416 / 180).
inline constexpr double kTrackRadiansPerDegree = 0.017453333333333335;

// The rules of the track and swath geometry, in the log's units.
namespace track {
// The first fixes of a log set the direction across which the swath lies,
// whatever their speed; after them only a fix that moves does.
inline constexpr int kFixesThatSetTheDirection = 3;
// Metres per second above which a fix turns the swath.
inline constexpr double kTurningSpeed = 0.5;
// Seconds forward between two fixes past which the path breaks.
inline constexpr double kLongestStep = 10.0;
// A previous fix at or before this second of the day is taken as no
// previous fix: gaps are looked for only after it.
inline constexpr double kFirstTimeChecked = 1.0;
// Metres an edge must move to close a quad at its old place first.
inline constexpr double kEdgeMove = 0.1;
}  // namespace track

class TrackGeometry final : public RecordHandler {
 public:
  // The swath edges, metres from the fix (left positive).
  struct Edges {
    double left = 0.0, right = 0.0;
  };
  // Where the edges in force before the log's first swath record come
  // from. Asked at most once, and only when a quad needs them: finding
  // them may mean waiting for the pre-scan.
  using InitialEdges = std::function<Edges()>;

  // `sprayProjection`: seconds of travel each fix is moved forward by.
  TrackGeometry(GeometryHandler& out, double sprayProjection, InitialEdges initialEdges);
  TrackGeometry(GeometryHandler& out, double sprayProjection, Edges initialEdges)
      : TrackGeometry(out, sprayProjection, [initialEdges] { return initialEdges; }) {}

  void OnFix(const Fix& fix) override;
  void OnSections(const SwathSections& sections) override;
  void OnSwathWidth(const SwathWidth& width) override;
  void OnJobSummary(const JobSummary& job) override;
  void OnTargetRate(const TargetRate& rate) override { targetRate_ = rate.rate; }
  void OnActualRate(const ActualRate& rate) override { actualRate_ = rate.rate; }

  // Fixes drawn so far, and the times of the first and the last.
  int fixes() const { return fixes_; }
  double firstTime() const { return firstTime_; }
  double lastTime() const { return lastTime_; }

 private:
  // A point `offset` metres from a position along a direction (degrees).
  struct Across {
    explicit Across(double degrees);
    double cosine, sine;
  };
  GeoPoint EdgeAt(double latitude, double longitude, double altitude, const Across& direction, double offset) const;
  void EmitQuad(double time, double speed);
  // The quads of a fix while the spray is on, or the run's closing quad.
  void DrawQuads(const Fix& fix, double latitude, double longitude, double time, double speed, bool sprayOn,
                 bool wasOn);
  void SetEdges(double left, double right);

  GeometryHandler& out_;
  double sprayProjection_;
  InitialEdges initialEdges_;
  bool edgesKnown_ = false;  // a swath record has come, or the initial edges were asked for
  double leftOffset_ = 0.0, rightOffset_ = 0.0;
  double targetRate_ = 0.0, actualRate_ = 0.0;

  double metresPerDegreeLatitude_ = 0.0, metresPerDegreeLongitude_ = 0.0;
  double previousLatitude_ = 0.0, previousLongitude_ = 0.0;
  double previousFixTime_ = 0.0;
  double swathDirection_ = 0.0, previousSwathDirection_ = 0.0;
  double lastLeftOffset_ = 0.0, lastRightOffset_ = 0.0;
  int previousSprayState_ = 0;
  int run_ = 0;
  bool firstOfRun_ = false;
  SwathQuad quad_;
  LogDate date_;  // of the fix under way
  double heading_ = 0.0;  // of the fix under way, as logged

  int fixes_ = 0;
  double firstTime_ = 0.0, lastTime_ = 0.0;
};

}  // namespace zeltlog
