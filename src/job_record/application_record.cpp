#include "job_record/application_record.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "core/iso_time.h"
#include "kml/xml_text.h"

namespace zeltlog {
namespace {

std::string Utf8(std::string_view text) {
  std::string out;
  kml::AppendUtf8Text(out, text);
  return out;
}

// The zones in use on the earth run from UTC-12 to UTC+14.
std::optional<int> ZoneOf(const JobSummary& summary) {
  if (summary.timeZone < -12 || summary.timeZone > 14) return std::nullopt;
  return summary.timeZone;
}

}  // namespace

std::string IsoDateTime(const Timestamp& t, std::optional<int> zoneHours) {
  return IsoDateTimeText(t.year, t.month, t.day, t.hour, t.minute, t.second, t.hundredths, zoneHours);
}

void ApplicationRecordBuilder::TakeHeader(std::string_view text) { record_.consoleVersion = Utf8(text); }

void ApplicationRecordBuilder::TakeFix(const Fix& fix) {
  if (!firstFix_) {
    firstFix_ = fix.time;
    for (PendingWeather& w : weather_) w.at = fix.time;
  }
  lastFix_ = fix.time;
  if (fix.sprayState == 0 || !reading_) return;
  if (!readingTaken_) {
    if (heights_.size() >= compactAt_) {
      SortAndMerge(heights_);
      compactAt_ = std::max<size_t>(2 * heights_.size(), kFirstCompaction);
    }
    heights_.push_back({*reading_, 0});
    readingTaken_ = true;
  }
  ++heights_.back().fixes;
}

// Many readings of the same value make one run, so that the runs kept stay
// within twice the number of different readings, however long the log.
void ApplicationRecordBuilder::SortAndMerge(std::vector<HeightRun>& runs) {
  std::sort(runs.begin(), runs.end(), [](const HeightRun& a, const HeightRun& b) { return a.reading < b.reading; });
  size_t kept = 0;
  for (const HeightRun& run : runs) {
    if (kept > 0 && runs[kept - 1].reading == run.reading) {
      runs[kept - 1].fixes += run.fixes;
    } else {
      runs[kept++] = run;
    }
  }
  runs.resize(kept);
}

void ApplicationRecordBuilder::TakeHeightReading(const HeightReading& reading) {
  // A reading that is no number cannot be ranked; the fixes after it count
  // none until the next.
  reading_.reset();
  if (std::isfinite(reading.reading)) reading_ = reading.reading;
  readingTaken_ = false;
}

void ApplicationRecordBuilder::TakePrescriptionMap(const PrescriptionMap& map) {
  record_.prescriptionMap = Utf8(map.name);
}

void ApplicationRecordBuilder::TakeJobSummary(const JobSummary& summary) {
  summary_ = summary;
  summary_->appVersion = {};  // a view into the frame
  record_.applicationVersion = Utf8(summary.appVersion);
}

void ApplicationRecordBuilder::TakeFarmInfo(const FarmInfo& info) {
  record_.farm = Utf8(info.farm);
  record_.field = Utf8(info.field);
  record_.operatorName = Utf8(info.operatorName);
  record_.machine = Utf8(info.machine);
  record_.operation = Utf8(info.operation);
  record_.crop = Utf8(info.crop);
  PendingWeather w;
  w.at = lastFix_;
  w.observation.windSpeed = ParseWindSpeed(Utf8(info.windSpeed));
  w.observation.windDirection = ParseWindDirection(Utf8(info.windDirection));
  w.observation.temperature = ParseTemperature(Utf8(info.temperature));
  w.observation.humidity = ParseHumidity(Utf8(info.humidity));
  weather_.push_back(std::move(w));
}

void ApplicationRecordBuilder::TakeJobNotes(int identifier, const JobNotes& notes) {
  record_.notes.push_back({identifier, notes.sequence, Utf8(notes.text)});
}

ApplicationRecord ApplicationRecordBuilder::Finish() const {
  ApplicationRecord record = record_;
  if (summary_) {
    const JobSummary& s = *summary_;
    record.timeZone = ZoneOf(s);
    record.created = IsoDateTime(s.created, record.timeZone);
    record.updated = IsoDateTime(s.updated, record.timeZone);
    record.console = ConsoleFigures{s.machineArea, s.overlapArea, s.skipArea, s.appliedEst, s.perimeter, s.appliedCalc};
  }
  if (firstFix_) {
    record.start = IsoDateTime(*firstFix_, record.timeZone);
    record.finish = IsoDateTime(*lastFix_, record.timeZone);
    const Timestamp& t = *firstFix_;
    if (t.HasCalendarDate()) {
      char date[16];
      std::snprintf(date, sizeof date, "%04d-%02d-%02d", t.year, t.month, t.day);
      record.date = date;
    }
  }
  for (const PendingWeather& w : weather_) {
    record.weather.push_back(w.observation);
    if (w.at) record.weather.back().time = IsoDateTime(*w.at, record.timeZone);
  }

  if (!heights_.empty()) {
    std::vector<HeightRun> sorted = heights_;
    SortAndMerge(sorted);
    HeightSummary h;
    for (const HeightRun& run : sorted) h.fixes += run.fixes;
    h.minimum = sorted.front().reading;
    h.maximum = sorted.back().reading;
    // The median of an even count is the mean of the two middle fixes.
    const size_t lower = (h.fixes - 1) / 2, upper = h.fixes / 2;
    std::optional<double> lowerValue;
    size_t counted = 0;
    for (const HeightRun& run : sorted) {
      counted += run.fixes;
      if (!lowerValue && counted > lower) lowerValue = run.reading;
      if (counted > upper) {
        h.median = 0.5 * (*lowerValue + run.reading);
        break;
      }
    }
    record.height = h;
  }
  return record;
}

}  // namespace zeltlog
