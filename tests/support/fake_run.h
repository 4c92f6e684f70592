// A run without a log: scripted records and geometry fed to sinks through
// the full pass's own stages (pipeline/pass_stages.h), so that a sink is
// tested directly, without building and converting a binary log.
//
//   testkit::FakeRun run({{&sink}});        // OnStart
//   run.records.OnSections(...);           // the record sinks, then the
//   run.records.OnFix(...);                //   track geometry
//   run.geometry().OnQuad(...);            // straight to the geometry sinks
//   run.End();                             // OnFigures, OnEnd
#pragma once

#include <vector>

#include "pipeline/pass_stages.h"

namespace zeltlog::testkit {

struct FakeRun {
  // `edges`: the swath edges before the first swath record.
  explicit FakeRun(const std::vector<Subscription>& sinks, double sprayProjection = 0.0,
                   TrackGeometry::Edges edges = {})
      : records(sinks, sprayProjection, [edges] { return edges; }) {
    records.OnStart();
  }

  // Geometry that does not come from the track geometry.
  GeometryHandler& geometry() { return records.geometrySinks(); }

  // The figures, then the end of the run as the track geometry counted it.
  void End(const PrescanFigures& figures = {}) {
    records.OnFigures(figures);
    const TrackGeometry& g = records.geometry();
    records.OnEnd({g.fixes() > 0, g.firstTime(), g.lastTime(), g.fixes(), g.fixes(), 0});
  }

  PassStages records;
};

// A fix as the decoders give it: full position, on `date`.
inline Fix FixAt(double timeOfDay, double latitude, double longitude, double heading, double speed, uint8_t spray,
                 LogDate date = {2019, 5, 14}) {
  Fix fix;
  fix.latitude = latitude;
  fix.longitude = longitude;
  fix.heading = heading;
  fix.speed = speed;
  fix.sprayState = spray;
  fix.time.year = date.year;
  fix.time.month = date.month;
  fix.time.day = date.day;
  fix.timeOfDay = timeOfDay;
  return fix;
}

}  // namespace zeltlog::testkit
