// Is a job's record complete? Each rule that asks operators to keep an
// application record asks for much the same fields; a profile names one
// rule's fields, and the check lists those the record lacks. Where the
// report's own figures answer a field (the area treated, the rate, the
// quantity), the caller says whether it has them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "job_record/job_info.h"

namespace zeltlog {

// The report's figures that a rule may ask for.
struct ComputedFigures {
  bool area = false;      // a sprayed area
  bool rate = false;      // an applied rate
  bool quantity = false;  // a volume applied
};

struct RecordProfile {
  const char* name;  // as --check-record names it: "nsw", "us-faa-137", ...
  const char* rule;  // the rule and clause, as the table shows it
  std::vector<const char*> fields;
};

// Every profile, in the order --help lists them.
const std::vector<RecordProfile>& RecordProfiles();
// The profile of that name; null when there is none.
const RecordProfile* FindRecordProfile(std::string_view name);

// The fields of `profile` that the record lacks, in the profile's order,
// named as the JSON's job object names them.
std::vector<std::string> MissingRecordFields(const RecordProfile& profile, const JobRecord& job,
                                             const ComputedFigures& figures);

}  // namespace zeltlog
