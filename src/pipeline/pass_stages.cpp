#include "pipeline/pass_stages.h"

#include <utility>

namespace zeltlog {
namespace {

std::vector<Sink*> SinksOf(const std::vector<Subscription>& subscriptions) {
  std::vector<Sink*> sinks;
  for (const Subscription& s : subscriptions) sinks.push_back(s.sink);
  return sinks;
}

std::vector<RecordHandler*> RecordSinksOf(const std::vector<Subscription>& subscriptions) {
  std::vector<RecordHandler*> handlers;
  for (const Subscription& s : subscriptions) {
    if (s.records()) handlers.push_back(s.sink);
  }
  return handlers;
}

std::vector<GeometryHandler*> GeometrySinksOf(const std::vector<Subscription>& subscriptions) {
  std::vector<GeometryHandler*> handlers;
  for (const Subscription& s : subscriptions) {
    if (s.geometry()) handlers.push_back(s.sink);
  }
  return handlers;
}

}  // namespace

PassStages::PassStages(const std::vector<Subscription>& subscriptions, double sprayProjection,
                       TrackGeometry::InitialEdges initialEdges)
    : sinks_(SinksOf(subscriptions)),
      records_(RecordSinksOf(subscriptions)),
      geometrySinks_(GeometrySinksOf(subscriptions)),
      geometry_(geometrySinks_, sprayProjection, std::move(initialEdges)) {}

void PassStages::OnStart() {
  for (Sink* sink : sinks_) sink->OnStart();
}

void PassStages::OnFigures(const PrescanFigures& figures) {
  for (Sink* sink : sinks_) sink->OnFigures(figures);
}

void PassStages::OnEnd(const RunEnd& end) {
  for (auto it = sinks_.rbegin(); it != sinks_.rend(); ++it) (*it)->OnEnd(end);
}

}  // namespace zeltlog
