// The pre-scan: the extent of the fixes, the ranges of the target and the
// actual rates and the tank's use, gathered in a first pass over the log
// so that the summary can head the event list.
#pragma once

#include "sinks/sink.h"

namespace zeltlog {

class PrescanSummarySink : public Sink {
 public:
  void OnFix(const Fix& fix) override;
  void OnTargetRate(const TargetRate& rate) override;
  void OnActualRate(const ActualRate& rate) override { latestActualRate_ = rate.rate; }
  void OnFlowStatus(const FlowStatus& status) override;
  void OnSections(const SwathSections& sections) override;

  const PrescanFigures& figures() const { return figures_; }
  // The swath edges of the log's last sections record (0 when it has
  // none): the full pass starts with them, as the consoles' own reading of
  // a log does.
  double lastLeftOffset() const { return lastLeftOffset_; }
  double lastRightOffset() const { return lastRightOffset_; }

 private:
  PrescanFigures figures_;
  // Each flow-status record folds the latest actual rate into the ranges.
  double latestActualRate_ = 0.0;
  bool tankPending_ = true;
  double tankFirst_ = 0.0;
  double lastLeftOffset_ = 0.0, lastRightOffset_ = 0.0;
};

}  // namespace zeltlog
