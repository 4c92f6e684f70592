// What the log lacks, from a small JSON file the user keeps beside the
// logs (--job-info FILE): the product and its registration, the client, the
// aircraft, the applicator's licence, the water volume and the tank mix. For
// example:
//
//   {"product": "Glyphosate 450", "registration": "APVMA 12345",
//    "active_constituents": ["450 g/l glyphosate"],
//    "client": "Riverside Station", "address": "Lot 4, Hay Rd",
//    "aircraft": "VH-ZLT", "applicator": "Nguyen Aerial",
//    "licence": "AA-1234", "water_volume": "30 l/ha",
//    "tank_mix": [{"product": "Glyphosate 450", "rate": "2.0 l/ha"}],
//    "extra": {"job number": "J-0519"}}
//
// The file may also give the fields the log itself holds (farm, field,
// operator, machine, operation, crop): they fill a record whose log lacks
// them, and where both hold a value the log's stays and the difference is
// listed.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "job_record/application_record.h"

namespace zeltlog {

// A job-info file holds a few lines; anything larger is not one.
inline constexpr size_t kJobInfoMaxBytes = 1 << 20;

struct TankMixEntry {
  std::string product, rate;
};

struct JobInfo {
  std::string product, registration;
  std::vector<std::string> activeConstituents;
  std::string client, address, aircraft, applicator, licence, waterVolume;
  std::vector<TankMixEntry> tankMix;
  // The log's own fields, as the user keeps them.
  std::string farm, field, operatorName, machine, operation, crop;
  // Further text fields by name, in the order of their names.
  std::vector<std::pair<std::string, std::string>> extra;
};

// A job-info file read: the fields, or why the file was refused (a message
// that names the file and, where one is to blame, the key); warnings about
// what was left out.
struct JobInfoReading {
  std::optional<JobInfo> info;
  std::string error;
  std::vector<std::string> warnings;
};

// `fileName` names the file in the messages.
JobInfoReading ReadJobInfoText(std::string_view text, const std::string& fileName);
JobInfoReading ReadJobInfoFile(const std::string& path);

// A field that the log and the job-info file both hold with different
// values: the record keeps the log's.
struct RecordDifference {
  std::string key;  // as the job-info file names it: "field", "operator", ...
  std::string logValue, fileValue;
};

// The record of a job with what the user's file adds.
struct JobRecord {
  ApplicationRecord record;  // the log's values; the file's where the log has none
  JobInfo info;
  std::vector<std::string> filledFromFile;  // keys of the record's fields that came from the file
  std::vector<RecordDifference> differences;
};
JobRecord MergeJobInfo(ApplicationRecord record, JobInfo info);

}  // namespace zeltlog
