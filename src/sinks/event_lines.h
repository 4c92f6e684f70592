// The event-list lines of a conversion: one line per decoded record as the
// console's own listing shows it, the checksum errors, the grid reference
// of the first fix, time busts, one progress line per fix, the summary of
// the pre-scan and the end line. Lines nobody will see are not formatted.
#pragma once

#include <string>

#include "core/event_log.h"
#include "sinks/sink.h"

namespace zeltlog {

// Which marks are listed: a mark only while the marks document is on, a
// boundary point only while boundaries are.
struct MarkListing {
  bool marks = true;
  bool boundaries = true;
};

class EventLineSink : public Sink {
 public:
  EventLineSink(EventLog& events, MarkListing listing) : events_(events), listing_(listing) {}

  void OnStart() override;
  // The summary lines of the pre-scan.
  void OnFigures(const PrescanFigures& figures) override;
  // "Start:..., End:..., N, records, M checksum errors".
  void OnEnd(const RunEnd& end) override;

  void OnHeaderText(std::string_view text) override;
  void OnChecksumError(const ChecksumError& error) override;
  void OnSections(const SwathSections& sections) override;
  void OnSwathWidth(const SwathWidth& width) override;
  void OnDesiredFlow(const DesiredFlow& flow) override;
  void OnTargetRate(const TargetRate& rate) override;
  void OnActualRate(const ActualRate& rate) override;
  void OnFlowStatus(const FlowStatus& status) override;
  void OnPrescriptionMap(const PrescriptionMap& map) override;
  void OnMarkPoint(const MarkPoint& point) override;
  void OnHeightReading(const HeightReading& reading) override;
  void OnSystemVersions(const SystemVersions& versions) override;
  void OnJobSummary(const JobSummary& job) override;
  void OnFarmInfo(const FarmInfo& info) override;
  void OnJobNotes1(const JobNotes& notes) override;
  void OnJobNotes2(const JobNotes& notes) override;
  void OnTextMessage(const TextMessage& message) override;

  void OnGridReference(const GridReference& grid) override;
  void OnTimeGap(const TimeGap& gap) override;
  void OnPathPoint(const PathPoint& point) override;

 private:
  bool Wants(EventKind kind) const { return events_.WantsEvents(kind); }
  void Add(EventKind kind) { events_.AddEvent(kind, line_); }

  EventLog& events_;
  MarkListing listing_;
  bool wantsRecords_ = true;
  bool wantsProgress_ = true;
  std::string line_;
};

// Extent distance in degrees and the map zoom level (1 to 19) it calls for.
double ExtentDistance(double latitudeMax, double latitudeMin, double longitudeMax, double longitudeMin);
int ZoomLevelFor(double distance);

}  // namespace zeltlog
