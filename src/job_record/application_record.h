// The application record of a job: who sprayed what, where, when and in
// what weather, as the log tells it. Operators must keep such a record
// (and often hand a copy to the landholder); the log holds most of it in
// records that otherwise only reach the event list: farm, field, operator,
// machine, operation, crop and weather (202), the job summary (201), the
// job notes (204, 205), the prescription map's name (141), height readings
// (42), and a date and time on every fix.
//
// The builder takes the decoded records in log order and keeps only what
// the record needs (no fix is held); Finish() gives the record. Texts are
// the log's 8-bit characters as UTF-8, so that they compare with what a
// user types and go into JSON as they are.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "job_record/weather.h"
#include "records/records.h"

namespace zeltlog {

// One 202 record's weather, at the time of the fix logged last before it
// (or of the log's first fix when it comes before every fix).
struct WeatherObservation {
  std::string time;  // ISO 8601 as the record's times; empty in a log without a fix
  ObservedValue windSpeed;      // m/s
  ObservedValue windDirection;  // degrees clockwise from north
  ObservedValue temperature;    // degrees Celsius
  ObservedValue humidity;       // per cent
};

// A job note: identifier 204 (sequence 0) or 205 with its sequence number.
struct JobNote {
  int identifier = 204;
  int sequence = 0;
  std::string text;
};

// The console's own figures from its job summary (201), as logged:
// hectares, and metres for the perimeter.
struct ConsoleFigures {
  double machineArea = 0.0, overlapArea = 0.0, skipArea = 0.0;
  double appliedEstimate = 0.0, perimeter = 0.0, appliedCalculated = 0.0;
};

// The height readings (42) over the spraying fixes: each spraying fix
// counts the latest reading logged before it; fixes before the first
// reading count none. Values as logged (metres for a laser height).
struct HeightSummary {
  size_t fixes = 0;
  double minimum = 0.0, median = 0.0, maximum = 0.0;
};

struct ApplicationRecord {
  // From the latest 202 record; empty without one.
  std::string farm, field, operatorName, machine, operation, crop;
  std::vector<JobNote> notes;   // in log order
  std::string prescriptionMap;  // the latest 141 record's map name
  std::string consoleVersion;   // the log's header text
  std::string applicationVersion;  // the job summary's (201)

  // The log's time zone in hours east of UTC, from the latest 201 record;
  // nothing when the log has none (or its zone is not one of the earth's,
  // -12 to +14): the zone is unknown and the times carry no offset.
  std::optional<int> timeZone;
  // The first fix's date, YYYY-MM-DD; empty when that fix has no calendar
  // date.
  std::string date;
  // Local times of the first and the last fix, and the job summary's
  // created and updated times: ISO 8601 ("2019-05-14T07:42:05+10:00"),
  // hundredths where the console logged any, without the date where the
  // console logged none, empty where there is no such time.
  std::string start, finish, created, updated;
  std::optional<ConsoleFigures> console;  // nothing without a 201 record

  std::vector<WeatherObservation> weather;  // one per 202 record, in log order
  std::optional<HeightSummary> height;      // nothing when no spraying fix had a reading
};

class ApplicationRecordBuilder {
 public:
  void TakeHeader(std::string_view text);
  void TakeFix(const Fix& fix);
  void TakeHeightReading(const HeightReading& reading);
  void TakePrescriptionMap(const PrescriptionMap& map);
  void TakeJobSummary(const JobSummary& summary);
  void TakeFarmInfo(const FarmInfo& info);
  // Identifier 204 or 205.
  void TakeJobNotes(int identifier, const JobNotes& notes);

  ApplicationRecord Finish() const;

 private:
  // A 202 record's weather with the fix time it stands at.
  struct PendingWeather {
    std::optional<Timestamp> at;
    WeatherObservation observation;
  };
  // A height reading and the number of spraying fixes that took it.
  struct HeightRun {
    double reading = 0.0;
    size_t fixes = 0;
  };

  static void SortAndMerge(std::vector<HeightRun>& runs);
  static constexpr size_t kFirstCompaction = 1 << 16;

  ApplicationRecord record_;
  std::optional<JobSummary> summary_;  // the latest 201, its texts dropped
  std::optional<Timestamp> firstFix_, lastFix_;
  std::vector<PendingWeather> weather_;
  std::optional<double> reading_;  // the latest finite height reading
  bool readingTaken_ = false;      // a spraying fix took it
  std::vector<HeightRun> heights_;
  size_t compactAt_ = kFirstCompaction;
};

// A packed date and time as ISO 8601: "YYYY-MM-DD" and "T" when it has a
// calendar date, "hh:mm:ss", ".hh" when hundredths are logged, and the
// offset ("+10:00") when the zone is known. Empty when the time is no time
// of day.
std::string IsoDateTime(const Timestamp& time, std::optional<int> zoneHours);

}  // namespace zeltlog
