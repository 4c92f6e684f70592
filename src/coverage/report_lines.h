// The report's figures as lines of text, as its table prints them and the
// proof of application repeats them: a label and a value with its unit.
// No geometry library and no JSON here, so that the table in the program
// and the PDF in the analysis module print the same figures the same way.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "coverage/coverage_report.h"

namespace zeltlog {

// The units of the table, the map page and the PDF: hectares and litres,
// or acres and US gallons. The JSON keeps its SI keys whatever the table
// shows.
enum class ReportUnits { Metric, Us };

inline constexpr double kHectaresPerAcre = 0.40468564224;
inline constexpr double kLitresPerGallon = 3.785411784;  // the US liquid gallon

struct ReportLine {
  std::string label;  // "Sprayed area"
  std::string value;  // "13.4002 ha"
};

// The figures below the log's name, from the sprayed area to the number of
// runs.
std::vector<ReportLine> ReportFigureLines(const CoverageReport& report, ReportUnits units = ReportUnits::Metric);

// The runs table: its column heads and one row per run (number, start,
// end, gross and net area).
using RunRow = std::array<std::string, 5>;
RunRow RunTableHead(ReportUnits units = ReportUnits::Metric);
std::vector<RunRow> RunTableRows(const CoverageReport& report, ReportUnits units = ReportUnits::Metric);

// An area in hectares in `units`, with its unit ("13.4002 ha", "33.1126 ac").
std::string AreaText(double hectares, ReportUnits units);

// A figure with `decimals` decimals in any locale, "-" when it is not a
// number; never "-0.00".
std::string FixedText(double value, int decimals);
// Seconds since midnight as hh:mm:ss.
std::string ClockText(double seconds);

}  // namespace zeltlog
