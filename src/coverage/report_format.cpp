#include "coverage/report_format.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string_view>
#include <nlohmann/json.hpp>

#include "core/name_text.h"

namespace zeltlog {
namespace {

// Fixed-point text that no locale changes.
std::string Fixed(double value, int decimals) {
  if (!std::isfinite(value)) return "-";
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  std::string text(buffer, result.ptr);
  if (text.find_first_not_of("-0.") == std::string::npos && text[0] == '-') text.erase(0, 1);  // no "-0.00"
  return text;
}

std::string Optional(const std::optional<double>& value, int decimals, const char* unit) {
  return value ? Fixed(*value, decimals) + unit : "-";
}

// Seconds since midnight as hh:mm:ss.
std::string Clock(double seconds) {
  if (!std::isfinite(seconds) || seconds < 0) return Fixed(seconds, 2);
  const long whole = std::lround(seconds);
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%02ld:%02ld:%02ld", whole / 3600, whole / 60 % 60, whole % 60);
  return buffer;
}

// A label padded to the column of the values.
void Line(std::string& out, std::string_view label, const std::string& value) {
  constexpr size_t kValueColumn = 20;
  out += label;
  out.append(kValueColumn - label.size(), ' ');
  out += value;
  out += '\n';
}

std::string Padded(const std::string& text, size_t width) {
  return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

// Rounded so that the JSON shows the figure, not the noise of its sums:
// areas to the square metre, everything else to two decimals.
nlohmann::json Rounded(double value, int decimals) {
  if (!std::isfinite(value)) return nullptr;
  const double scale = std::pow(10.0, decimals);
  const double rounded = std::round(value * scale) / scale;
  return rounded == 0.0 ? 0.0 : rounded;
}

nlohmann::json Rounded(const std::optional<double>& value, int decimals) {
  return value ? Rounded(*value, decimals) : nlohmann::json(nullptr);
}

}  // namespace

std::string FixedText(double value, int decimals) { return Fixed(value, decimals); }
std::string ClockText(double seconds) { return Clock(seconds); }

std::string FormatReportTable(const CoverageReport& r) {
  std::string out;
  Line(out, "Log:", r.log);
  Line(out, "Sprayed area:", Fixed(r.sprayedAreaHa, 4) + " ha");
  Line(out, "Gross sprayed area:", Fixed(r.grossSprayedAreaHa, 4) + " ha");
  Line(out, "Overlap area:", Fixed(r.overlapAreaHa, 4) + " ha");
  Line(out, "Field area:", Optional(r.fieldAreaHa, 4, " ha"));
  Line(out, "Skipped area:", Optional(r.skippedAreaHa, 4, " ha"));
  Line(out, "Outside area:", Optional(r.outsideAreaHa, 4, " ha"));
  Line(out, "Coverage:", Optional(r.coveragePercent, 2, " %"));
  Line(out, "Volume:", Fixed(r.volumeL, 1) + " l");
  Line(out, "Applied rate:", Optional(r.appliedRateLPerHa, 2, " l/ha"));
  Line(out, "Target rate:", Optional(r.targetRateLPerHa, 2, " l/ha"));
  Line(out, "Spraying time:", Fixed(r.sprayingTimeS, 1) + " s");
  Line(out, "Distance:", Fixed(r.distanceM, 1) + " m");
  Line(out, "Fixes:", std::to_string(r.fixes));
  Line(out, "Runs:", std::to_string(r.runs.size()));
  if (!r.runs.empty()) {
    out += "   Run     Start       End   Gross ha     Net ha\n";
    for (const RunFigures& run : r.runs) {
      out += Padded(std::to_string(run.run), 6) + Padded(Clock(run.startTime), 10) + Padded(Clock(run.endTime), 10) +
             Padded(Fixed(run.grossAreaHa, 4), 11) + Padded(Fixed(run.netAreaHa, 4), 11) + "\n";
    }
  }
  return out;
}

std::string FormatReportJson(const std::vector<CoverageReport>& reports) {
  nlohmann::ordered_json array = nlohmann::ordered_json::array();
  for (const CoverageReport& r : reports) {
    nlohmann::ordered_json o;
    o["log"] = Utf8OfName(r.log);
    if (!r.error.empty()) {
      o["error"] = Utf8OfName(r.error);
      array.push_back(std::move(o));
      continue;
    }
    o["sprayed_area_ha"] = Rounded(r.sprayedAreaHa, 4);
    o["gross_sprayed_area_ha"] = Rounded(r.grossSprayedAreaHa, 4);
    o["overlap_area_ha"] = Rounded(r.overlapAreaHa, 4);
    o["field_area_ha"] = Rounded(r.fieldAreaHa, 4);
    o["skipped_area_ha"] = Rounded(r.skippedAreaHa, 4);
    o["outside_area_ha"] = Rounded(r.outsideAreaHa, 4);
    o["coverage_percent"] = Rounded(r.coveragePercent, 2);
    o["volume_l"] = Rounded(r.volumeL, 2);
    o["applied_rate_l_per_ha"] = Rounded(r.appliedRateLPerHa, 2);
    o["target_rate_l_per_ha"] = Rounded(r.targetRateLPerHa, 2);
    o["spraying_time_s"] = Rounded(r.sprayingTimeS, 2);
    o["distance_m"] = Rounded(r.distanceM, 2);
    o["fixes"] = r.fixes;
    nlohmann::ordered_json runs = nlohmann::ordered_json::array();
    for (const RunFigures& run : r.runs) {
      runs.push_back({{"run", run.run},
                      {"start_time_s", Rounded(run.startTime, 2)},
                      {"end_time_s", Rounded(run.endTime, 2)},
                      {"gross_area_ha", Rounded(run.grossAreaHa, 4)},
                      {"net_area_ha", Rounded(run.netAreaHa, 4)}});
    }
    o["runs"] = std::move(runs);
    array.push_back(std::move(o));
  }
  return array.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

}  // namespace zeltlog
