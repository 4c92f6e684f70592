#include "coverage/taskdata_time_log.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>

#include "core/little_endian.h"
#include "coverage/lonlat_geometry.h"

namespace zeltlog {
namespace {

// A value scaled to a 32-bit field, the nearest one; 0 for no number.
int32_t Scaled(double value, double factor) {
  const double scaled = std::round(value * factor);
  if (!std::isfinite(scaled)) return 0;
  if (scaled >= static_cast<double>(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
  if (scaled <= static_cast<double>(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(scaled);
}

constexpr uint8_t kPositionStatusGnss = 1;
constexpr uint32_t kMillisecondsPerDay = 86400000;

}  // namespace

uint16_t DaysSince1980(int year, int month, int day) {
  // Days from the civil calendar (H. Hinnant's algorithm), from 1970.
  const int y = year - (month <= 2 ? 1 : 0);
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yearOfEra = y - era * 400;
  const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  const long days = static_cast<long>(era) * 146097 + dayOfEra - 719468 - 3652;  // 1980-01-01 is day 3652
  if (days < 0) return 0;
  return days > 65535 ? 65535 : static_cast<uint16_t>(days);
}

TimeLogSink::TimeLogSink(std::string path, std::string name) : path_(std::move(path)) { summary_.name = std::move(name); }

TimeLogSink::~TimeLogSink() {
  if (file_) std::fclose(file_);
}

void TimeLogSink::Fail(const char* what) {
  if (error_.empty()) error_ = std::string(what) + ": " + std::strerror(errno);
}

void TimeLogSink::OnStart() {
  file_ = std::fopen(path_.c_str(), "wb");
  if (!file_) Fail("cannot create the time log");
}

void TimeLogSink::OnFix(const Fix& fix) {
  TimeLogTime time;
  if (fix.time.HasCalendarDate()) time.days = DaysSince1980(fix.time.year, fix.time.month, fix.time.day);
  const double milliseconds = std::round(fix.timeOfDay * 1000.0);
  time.milliseconds = milliseconds > 0.0 ? static_cast<uint32_t>(std::fmin(milliseconds, kMillisecondsPerDay - 1)) : 0;
  if (summary_.records == 0) summary_.first = time;
  summary_.last = time;
  ++summary_.records;
  if (!file_) return;

  uint8_t record[kTimeLogMostRecordBytes];
  uint8_t* p = record;
  p = little_endian::PutU32(p, time.milliseconds);
  p = little_endian::PutU16(p, time.days);
  p = little_endian::PutI32(p, Scaled(fix.latitude, 1e7));
  p = little_endian::PutI32(p, Scaled(LongitudeNear(fix.longitude, 0.0), 1e7));
  p = little_endian::PutI32(p, Scaled(fix.altitude, 1000.0));
  *p++ = kPositionStatusGnss;
  uint8_t* const count = p++;
  // In the order of kTimeLogValues: l/ha as mm³/m², metres as mm.
  uint32_t sections = 0;
  for (int i = 15; i >= 0; --i) sections = sections << 2 | (i >= sections_ ? 3u : fix.sprayState != 0 ? 1u : 0u);
  const int32_t values[kTimeLogValueCount] = {Scaled(target_, 100.0), Scaled(actual_, 100.0), Scaled(width_, 1000.0),
                                              fix.sprayState != 0 ? 1 : 0, static_cast<int32_t>(sections)};
  for (int i = 0; i < kTimeLogValueCount; ++i) {
    *p++ = static_cast<uint8_t>(i);
    p = little_endian::PutI32(p, values[i]);
  }
  int written = kTimeLogValueCount;
  if (swathChanged_ && sections_ > 0) p = PutSectionGeometry(p, written);
  *count = static_cast<uint8_t>(written);
  const size_t bytes = static_cast<size_t>(p - record);
  if (std::fwrite(record, 1, bytes, file_) != bytes) {
    Fail("cannot write the time log");
    std::fclose(file_);
    file_ = nullptr;
    return;
  }
  summary_.bytes += bytes;
}

uint8_t* TimeLogSink::PutSectionGeometry(uint8_t* p, int& count) {
  swathChanged_ = false;
  // Section k's share of the swath, its centre counted from the left edge;
  // y grows to the right of travel, the log's offsets to the left.
  int32_t geometry[kMostSections][kSectionValueCount];
  const double share = width_ / sections_;
  bool changed = sections_ > loggedSections_;
  for (int k = 0; k < sections_; ++k) {
    const int32_t values[kSectionValueCount] = {Scaled(share, 1000.0), 0, Scaled((k + 0.5) * share - left_, 1000.0)};
    for (int v = 0; v < kSectionValueCount; ++v) {
      geometry[k][v] = values[v];
      changed = changed || values[v] != logged_[k][v];
    }
  }
  if (!changed) return p;
  for (int k = 0; k < sections_; ++k) {
    for (int v = 0; v < kSectionValueCount; ++v) {
      logged_[k][v] = geometry[k][v];
      *p++ = static_cast<uint8_t>(count++);
      p = little_endian::PutI32(p, geometry[k][v]);
    }
  }
  loggedSections_ = std::max(loggedSections_, sections_);
  summary_.sections = loggedSections_;
  return p;
}

void TimeLogSink::OnEnd(const RunEnd&) {
  if (!file_) return;
  if (std::fclose(file_) != 0) Fail("cannot write the time log");
  file_ = nullptr;
}

}  // namespace zeltlog
