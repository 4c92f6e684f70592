// The time log of a TASKDATA task (coverage/taskdata.h), streamed during
// the pass: one binary record per accepted fix, written as the fix comes,
// so that a log of millions of fixes holds no more than a buffer. Each
// record is the fix's local time (milliseconds since midnight, days since
// 1980-01-01), its position (1e-7 degrees north and east, longitudes in
// -180..180, millimetres up, status), then every value of
// kTimeLogValues: the target and applied rates as logged (mm³/m²), the
// swath width (mm), whether the boom sprays, and the state of each of its
// sections as the latest sections record counts them (all not there
// before one); then, in the first record and in the one after a change,
// every section's geometry (kSectionValues).
#pragma once

#include <cstdio>
#include <string>

#include "coverage/taskdata.h"
#include "sinks/sink.h"

namespace zeltlog {

// The bytes of one record: time 6, position 13, the count of values 1 and
// each value's index and value 5; the most, with every section's geometry.
inline constexpr size_t kTimeLogRecordBytes = 6 + 13 + 1 + 5 * kTimeLogValueCount;
inline constexpr size_t kTimeLogMostRecordBytes =
    kTimeLogRecordBytes + 5 * kSectionValueCount * static_cast<size_t>(kMostSections);

// The days since 1980-01-01 of a date of the Gregorian calendar (0 for a
// date before it).
uint16_t DaysSince1980(int year, int month, int day);

class TimeLogSink : public Sink {
 public:
  // Writes the .BIN at `path`; `name` is its TLGnnnnn name.
  TimeLogSink(std::string path, std::string name);
  TimeLogSink(const TimeLogSink&) = delete;
  TimeLogSink& operator=(const TimeLogSink&) = delete;
  ~TimeLogSink() override;

  void OnStart() override;
  void OnFix(const Fix& fix) override;
  void OnTargetRate(const TargetRate& rate) override { target_ = rate.rate; }
  void OnActualRate(const ActualRate& rate) override { actual_ = rate.rate; }
  void OnSections(const SwathSections& sections) override {
    SetSwath(sections.leftOffset, sections.leftOffset - sections.rightOffset);
    sections_ = sections.sections < kMostSections ? sections.sections : kMostSections;
  }
  void OnSwathWidth(const SwathWidth& width) override { SetSwath(0.5 * width.width, width.width); }
  void OnJobSummary(const JobSummary& job) override {
    const double width = job.machineWidth - job.overlapWidth;
    SetSwath(0.5 * width, width);
  }
  void OnEnd(const RunEnd& end) override;

  // Why the file could not be written; empty when it was.
  const std::string& error() const { return error_; }
  const TimeLogSummary& summary() const { return summary_; }
  const std::string& path() const { return path_; }

 private:
  void Fail(const char* what);
  // The swath's left edge (metres left of the fix) and width.
  void SetSwath(double left, double width) {
    left_ = left;
    width_ = width;
    swathChanged_ = true;
  }
  // Appends each section's geometry to `p` when it differs from the one
  // logged last; returns the end and counts the values in `count`.
  uint8_t* PutSectionGeometry(uint8_t* p, int& count);

  std::string path_;
  std::FILE* file_ = nullptr;
  std::string error_;
  TimeLogSummary summary_;
  double target_ = 0.0, actual_ = 0.0, width_ = 0.0, left_ = 0.0;
  int sections_ = 0;  // of the latest sections record; 0: none known
  bool swathChanged_ = false;
  // The geometry logged last, kSectionValues for each section.
  int loggedSections_ = 0;
  int32_t logged_[kMostSections][kSectionValueCount] = {};
};

}  // namespace zeltlog
