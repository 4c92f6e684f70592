// The sink that gathers a job's application record during a pass over its
// log: it hands the records the record needs to an ApplicationRecordBuilder.
#pragma once

#include "job_record/application_record.h"
#include "sinks/sink.h"

namespace zeltlog {

class ApplicationRecordSink : public Sink {
 public:
  void OnHeaderText(std::string_view text) override { builder_.TakeHeader(text); }
  void OnFix(const Fix& fix) override { builder_.TakeFix(fix); }
  void OnHeightReading(const HeightReading& reading) override { builder_.TakeHeightReading(reading); }
  void OnPrescriptionMap(const PrescriptionMap& map) override { builder_.TakePrescriptionMap(map); }
  void OnJobSummary(const JobSummary& summary) override { builder_.TakeJobSummary(summary); }
  void OnFarmInfo(const FarmInfo& info) override { builder_.TakeFarmInfo(info); }
  void OnJobNotes1(const JobNotes& notes) override { builder_.TakeJobNotes(204, notes); }
  void OnJobNotes2(const JobNotes& notes) override { builder_.TakeJobNotes(205, notes); }

  ApplicationRecord Record() const { return builder_.Finish(); }

 private:
  ApplicationRecordBuilder builder_;
};

}  // namespace zeltlog
