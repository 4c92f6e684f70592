// Hands every callback to each of a run's sinks in turn, in the order they
// were added, so that one pass over the log decodes each record once and
// feeds them all. They end in the reverse order: the sinks that write
// documents commit them (and report a failure) before the event list's end
// line.
#pragma once

#include <vector>

#include "sinks/sink.h"

namespace zeltlog {

class SinkFanout : public Sink {
 public:
  void Add(Sink& sink) {
    sinks_.push_back(&sink);
    recordHandlers_.insert(recordHandlers_.end() - static_cast<long>(trailing_), &sink);
  }
  // A record handler that takes each record after every sink has (the
  // track geometry, whose coordinates then reach the sinks).
  void AddAfterSinks(RecordHandler& handler) {
    recordHandlers_.push_back(&handler);
    ++trailing_;
  }

  void OnHeaderText(std::string_view v) override {
    for (RecordHandler* handler : recordHandlers_) handler->OnHeaderText(v);
  }
  void OnChecksumError(const ChecksumError& v) override {
    for (RecordHandler* handler : recordHandlers_) handler->OnChecksumError(v);
  }
  void OnFix(const Fix& v) override {
    for (RecordHandler* handler : recordHandlers_) handler->OnFix(v);
  }
  void OnSections(const SwathSections& v) override {
    for (RecordHandler* handler : recordHandlers_) handler->OnSections(v);
  }
  void OnSwathWidth(const SwathWidth& v) override {
    for (RecordHandler* handler : recordHandlers_) handler->OnSwathWidth(v);
  }
  void OnDesiredFlow(const DesiredFlow& v) override {
    for (RecordHandler* handler : recordHandlers_) handler->OnDesiredFlow(v);
  }
  void OnTargetRate(const TargetRate& v) override {
    for (RecordHandler* handler : recordHandlers_) handler->OnTargetRate(v);
  }
  void OnActualRate(const ActualRate& v) override {
    for (RecordHandler* handler : recordHandlers_) handler->OnActualRate(v);
  }
  void OnFlowStatus(const FlowStatus& v) override {
    for (RecordHandler* handler : recordHandlers_) handler->OnFlowStatus(v);
  }
  void OnPrescriptionMap(const PrescriptionMap& v) override {
    for (RecordHandler* handler : recordHandlers_) handler->OnPrescriptionMap(v);
  }
  void OnMarkPoint(const MarkPoint& v) override {
    for (RecordHandler* handler : recordHandlers_) handler->OnMarkPoint(v);
  }
  void OnHeightReading(const HeightReading& v) override {
    for (RecordHandler* handler : recordHandlers_) handler->OnHeightReading(v);
  }
  void OnSystemVersions(const SystemVersions& v) override {
    for (RecordHandler* handler : recordHandlers_) handler->OnSystemVersions(v);
  }
  void OnJobSummary(const JobSummary& v) override {
    for (RecordHandler* handler : recordHandlers_) handler->OnJobSummary(v);
  }
  void OnFarmInfo(const FarmInfo& v) override {
    for (RecordHandler* handler : recordHandlers_) handler->OnFarmInfo(v);
  }
  void OnJobNotes1(const JobNotes& v) override {
    for (RecordHandler* handler : recordHandlers_) handler->OnJobNotes1(v);
  }
  void OnJobNotes2(const JobNotes& v) override {
    for (RecordHandler* handler : recordHandlers_) handler->OnJobNotes2(v);
  }
  void OnTextMessage(const TextMessage& v) override {
    for (RecordHandler* handler : recordHandlers_) handler->OnTextMessage(v);
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
  void OnStart() override {
    for (Sink* sink : sinks_) sink->OnStart();
  }
  void OnFigures(const PrescanFigures& v) override {
    for (Sink* sink : sinks_) sink->OnFigures(v);
  }
  void OnEnd(const RunEnd& v) override {
    for (auto it = sinks_.rbegin(); it != sinks_.rend(); ++it) (*it)->OnEnd(v);
  }

 private:
  std::vector<Sink*> sinks_;
  std::vector<RecordHandler*> recordHandlers_;
  size_t trailing_ = 0;
};

}  // namespace zeltlog
