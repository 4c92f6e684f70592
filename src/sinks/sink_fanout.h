// Hands every callback to each of a run's sinks in turn, in the order they
// were added, so that one pass over the log feeds them all. They end in the
// reverse order: the sinks that write documents commit them (and report a
// failure) before the event list's end line.
#pragma once

#include <vector>

#include "sinks/sink.h"

namespace zeltlog {

class SinkFanout : public Sink {
 public:
  void Add(Sink& sink) { sinks_.push_back(&sink); }

  void OnHeaderText(std::string_view v) override {
    for (Sink* sink : sinks_) sink->OnHeaderText(v);
  }
  void OnChecksumError(const ChecksumError& v) override {
    for (Sink* sink : sinks_) sink->OnChecksumError(v);
  }
  void OnFix(const Fix& v) override {
    for (Sink* sink : sinks_) sink->OnFix(v);
  }
  void OnSections(const SwathSections& v) override {
    for (Sink* sink : sinks_) sink->OnSections(v);
  }
  void OnSwathWidth(const SwathWidth& v) override {
    for (Sink* sink : sinks_) sink->OnSwathWidth(v);
  }
  void OnDesiredFlow(const DesiredFlow& v) override {
    for (Sink* sink : sinks_) sink->OnDesiredFlow(v);
  }
  void OnTargetRate(const TargetRate& v) override {
    for (Sink* sink : sinks_) sink->OnTargetRate(v);
  }
  void OnActualRate(const ActualRate& v) override {
    for (Sink* sink : sinks_) sink->OnActualRate(v);
  }
  void OnFlowStatus(const FlowStatus& v) override {
    for (Sink* sink : sinks_) sink->OnFlowStatus(v);
  }
  void OnPrescriptionMap(const PrescriptionMap& v) override {
    for (Sink* sink : sinks_) sink->OnPrescriptionMap(v);
  }
  void OnMarkPoint(const MarkPoint& v) override {
    for (Sink* sink : sinks_) sink->OnMarkPoint(v);
  }
  void OnHeightReading(const HeightReading& v) override {
    for (Sink* sink : sinks_) sink->OnHeightReading(v);
  }
  void OnSystemVersions(const SystemVersions& v) override {
    for (Sink* sink : sinks_) sink->OnSystemVersions(v);
  }
  void OnJobSummary(const JobSummary& v) override {
    for (Sink* sink : sinks_) sink->OnJobSummary(v);
  }
  void OnFarmInfo(const FarmInfo& v) override {
    for (Sink* sink : sinks_) sink->OnFarmInfo(v);
  }
  void OnJobNotes1(const JobNotes& v) override {
    for (Sink* sink : sinks_) sink->OnJobNotes1(v);
  }
  void OnJobNotes2(const JobNotes& v) override {
    for (Sink* sink : sinks_) sink->OnJobNotes2(v);
  }
  void OnTextMessage(const TextMessage& v) override {
    for (Sink* sink : sinks_) sink->OnTextMessage(v);
  }
  void OnGridReference(const GridReference& v) override {
    for (Sink* sink : sinks_) sink->OnGridReference(v);
  }
  void OnTimeGap(const TimeGap& v) override {
    for (Sink* sink : sinks_) sink->OnTimeGap(v);
  }
  void OnPathPoint(const PathPoint& v) override {
    for (Sink* sink : sinks_) sink->OnPathPoint(v);
  }
  void OnQuad(const SwathQuad& v) override {
    for (Sink* sink : sinks_) sink->OnQuad(v);
  }
  void OnBegin(const PrescanFigures& v) override {
    for (Sink* sink : sinks_) sink->OnBegin(v);
  }
  void OnEnd(const RunEnd& v) override {
    for (auto it = sinks_.rbegin(); it != sinks_.rend(); ++it) (*it)->OnEnd(v);
  }

 private:
  std::vector<Sink*> sinks_;
};

}  // namespace zeltlog
