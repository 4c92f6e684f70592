#include "coverage/report_lines.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace zeltlog {
namespace {

std::string Optional(const std::optional<double>& value, int decimals, const char* unit) {
  return value ? FixedText(*value, decimals) + unit : "-";
}

// Litres per hectare in US gallons per acre.
std::optional<double> GallonsPerAcre(const std::optional<double>& litresPerHa) {
  return litresPerHa ? std::optional<double>(*litresPerHa * kHectaresPerAcre / kLitresPerGallon) : std::nullopt;
}

}  // namespace

std::string FixedText(double value, int decimals) {
  if (!std::isfinite(value)) return "-";
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  std::string text(buffer, result.ptr);
  if (text.find_first_not_of("-0.") == std::string::npos && text[0] == '-') text.erase(0, 1);  // no "-0.00"
  return text;
}

std::string ClockText(double seconds) {
  if (!std::isfinite(seconds) || seconds < 0) return FixedText(seconds, 2);
  const long whole = std::lround(seconds);
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%02ld:%02ld:%02ld", whole / 3600, whole / 60 % 60, whole % 60);
  return buffer;
}

std::string AreaText(double hectares, ReportUnits units) {
  return units == ReportUnits::Us ? FixedText(hectares / kHectaresPerAcre, 4) + " ac" : FixedText(hectares, 4) + " ha";
}

std::vector<ReportLine> ReportFigureLines(const CoverageReport& r, ReportUnits units) {
  const bool us = units == ReportUnits::Us;
  auto area = [&](const std::optional<double>& hectares) {
    return hectares ? AreaText(*hectares, units) : std::string("-");
  };
  auto rate = [&](const std::optional<double>& litresPerHa) {
    return us ? Optional(GallonsPerAcre(litresPerHa), 2, " gal/ac") : Optional(litresPerHa, 2, " l/ha");
  };
  return {
      {"Sprayed area", area(r.sprayedAreaHa)},
      {"Gross sprayed area", area(r.grossSprayedAreaHa)},
      {"Overlap area", area(r.overlapAreaHa)},
      {"Field area", area(r.fieldAreaHa)},
      {"Skipped area", area(r.skippedAreaHa)},
      {"Outside area", area(r.outsideAreaHa)},
      {"Coverage", Optional(r.coveragePercent, 2, " %")},
      {"Volume", us ? FixedText(r.volumeL / kLitresPerGallon, 1) + " gal" : FixedText(r.volumeL, 1) + " l"},
      {"Applied rate", rate(r.appliedRateLPerHa)},
      {"Target rate", rate(r.targetRateLPerHa)},
      {"Spraying time", FixedText(r.sprayingTimeS, 1) + " s"},
      {"Distance", FixedText(r.distanceM, 1) + " m"},
      {"Fixes", std::to_string(r.fixes)},
      {"Runs", std::to_string(r.runs.size())},
  };
}

RunRow RunTableHead(ReportUnits units) {
  return units == ReportUnits::Us ? RunRow{"Run", "Start", "End", "Gross ac", "Net ac"}
                                  : RunRow{"Run", "Start", "End", "Gross ha", "Net ha"};
}

std::vector<RunRow> RunTableRows(const CoverageReport& r, ReportUnits units) {
  const double perAcre = units == ReportUnits::Us ? kHectaresPerAcre : 1.0;
  std::vector<RunRow> rows;
  rows.reserve(r.runs.size());
  for (const RunFigures& run : r.runs) {
    rows.push_back({std::to_string(run.run), ClockText(run.startTime), ClockText(run.endTime),
                    FixedText(run.grossAreaHa / perAcre, 4), FixedText(run.netAreaHa / perAcre, 4)});
  }
  return rows;
}

}  // namespace zeltlog
