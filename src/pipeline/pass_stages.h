// The stages of the full pass, in the one order the records flow through
// them:
//
//   frames ──► record fan-out ──► TrackGeometry ──► geometry fan-out
//               (sinks that        (path points,     (sinks that
//                take records)      gaps, quads)      take geometry)
//
// Each record goes to the record fan-out's sinks first, then to the track
// geometry, whose path points, time gaps and quads go to the geometry
// fan-out's sinks. The stages are made whole from the run's subscriptions
// and own both fan-outs: nobody adds to them afterwards. Every subscribed
// sink gets OnStart and OnFigures in the order of the subscriptions, and
// OnEnd in the reverse order, so that the documents are committed (and a
// failure listed) before the event list's end line.
#pragma once

#include <vector>

#include "geometry/track_geometry.h"
#include "sinks/sink.h"
#include "sinks/sink_fanout.h"

namespace zeltlog {

class PassStages final : public RecordHandler {
 public:
  // `sprayProjection` and `initialEdges`: see TrackGeometry.
  PassStages(const std::vector<Subscription>& subscriptions, double sprayProjection,
             TrackGeometry::InitialEdges initialEdges);
  PassStages(const PassStages&) = delete;
  PassStages& operator=(const PassStages&) = delete;

  // Every record callback: the record fan-out, then the track geometry.
#define ZELTLOG_STAGE(Callback, Parameter) \
  void Callback(Parameter v) override {    \
    records_.Callback(v);                  \
    geometry_.Callback(v);                 \
  }
#define ZELTLOG_STAGE_KIND(Id, identifier, name, minimum, Type, Callback, Decoder) ZELTLOG_STAGE(Callback, const Type&)
  ZELTLOG_FRAMING_CALLBACKS(ZELTLOG_STAGE)
  ZELTLOG_RECORD_KINDS(ZELTLOG_STAGE_KIND, ZELTLOG_NO_ROW, ZELTLOG_NO_ROW)
#undef ZELTLOG_STAGE_KIND
#undef ZELTLOG_STAGE

  void OnStart();
  void OnFigures(const PrescanFigures& figures);
  void OnEnd(const RunEnd& end);

  const TrackGeometry& geometry() const { return geometry_; }
  // Where the track geometry's output goes: for a run whose geometry is
  // scripted rather than computed (tests/support/fake_run.h).
  GeometryHandler& geometrySinks() { return geometrySinks_; }

 private:
  std::vector<Sink*> sinks_;
  RecordFanout records_;
  GeometryFanout geometrySinks_;
  TrackGeometry geometry_;
};

}  // namespace zeltlog
