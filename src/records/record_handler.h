// The callbacks through which decoded records reach whoever consumes them,
// one per record kind, each empty by default: a consumer overrides only
// the kinds it needs.
#pragma once

#include <cstdint>
#include <string_view>

#include "records/records.h"

namespace zeltlog {

// A frame whose bytes do not XOR to zero, or whose length cannot hold its
// own header, or that the file cuts off inside its payload.
struct ChecksumError {
  int identifier = 0;
  unsigned length = 0;
  uint8_t residual = 0;  // XOR over the bytes read
  uint8_t fourthHeaderByte = 0;
};

class RecordHandler {
 public:
  virtual ~RecordHandler() = default;
  // The log's header text, up to its NUL.
  virtual void OnHeaderText(std::string_view) {}
  virtual void OnChecksumError(const ChecksumError&) {}
  virtual void OnFix(const Fix&) {}
  virtual void OnSections(const SwathSections&) {}
  virtual void OnSwathWidth(const SwathWidth&) {}
  virtual void OnDesiredFlow(const DesiredFlow&) {}
  virtual void OnTargetRate(const TargetRate&) {}
  virtual void OnActualRate(const ActualRate&) {}
  virtual void OnFlowStatus(const FlowStatus&) {}
  virtual void OnPrescriptionMap(const PrescriptionMap&) {}
  virtual void OnMarkPoint(const MarkPoint&) {}
  virtual void OnHeightReading(const HeightReading&) {}
  virtual void OnSystemVersions(const SystemVersions&) {}
  virtual void OnJobSummary(const JobSummary&) {}
  virtual void OnFarmInfo(const FarmInfo&) {}
  virtual void OnJobNotes1(const JobNotes&) {}
  virtual void OnJobNotes2(const JobNotes&) {}
  virtual void OnTextMessage(const TextMessage&) {}
};

}  // namespace zeltlog
