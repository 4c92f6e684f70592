// The two forms in which `report` prints its figures: a readable table and
// a JSON array with one object per log.
#pragma once

#include <string>
#include <vector>

#include "coverage/coverage_report.h"

namespace zeltlog {

// The table of one log, lines ended by "\n".
std::string FormatReportTable(const CoverageReport& report);
// The JSON array of the logs' reports, indented, ended by "\n". Figures
// that do not apply (the field's without a field) are null.
std::string FormatReportJson(const std::vector<CoverageReport>& reports);

// A figure with `decimals` decimals in any locale, "-" when it is not a
// number; never "-0.00".
std::string FixedText(double value, int decimals);
// Seconds since midnight as hh:mm:ss.
std::string ClockText(double seconds);

}  // namespace zeltlog
