#include "sinks/prescan_summary.h"

namespace zeltlog {

void PrescanSummarySink::OnFix(const Fix& fix) {
  PrescanFigures& f = figures_;
  if (fix.latitude > f.latitudeMax) f.latitudeMax = fix.latitude;
  if (fix.latitude < f.latitudeMin) f.latitudeMin = fix.latitude;
  if (fix.longitude > f.longitudeMax) f.longitudeMax = fix.longitude;
  if (fix.longitude < f.longitudeMin) f.longitudeMin = fix.longitude;
  if (fix.altitude > f.altitudeMax) f.altitudeMax = fix.altitude;
  if (fix.altitude < f.altitudeMin) f.altitudeMin = fix.altitude;
  ++f.fixes;
}

void PrescanSummarySink::OnTargetRate(const TargetRate& rate) {
  // A target of zero is a boom switched off, not a rate.
  if (rate.rate > figures_.targetRateMax) figures_.targetRateMax = rate.rate;
  if (rate.rate < figures_.targetRateMin && rate.rate > 0.1) figures_.targetRateMin = rate.rate;
}

void PrescanSummarySink::OnFlowStatus(const FlowStatus& status) {
  if (latestActualRate_ > figures_.actualRateMax) figures_.actualRateMax = latestActualRate_;
  if (latestActualRate_ < figures_.actualRateMin) figures_.actualRateMin = latestActualRate_;
  if (tankPending_) {
    tankFirst_ = status.tank;
    tankPending_ = false;
  }
  figures_.tankUsed = tankFirst_ - status.tank;
}

void PrescanSummarySink::OnSections(const SwathSections& sections) {
  lastLeftOffset_ = sections.leftOffset;
  lastRightOffset_ = sections.rightOffset;
}

}  // namespace zeltlog
