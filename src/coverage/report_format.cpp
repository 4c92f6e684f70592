#include "coverage/report_format.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <string_view>
#include <nlohmann/json.hpp>

#include "core/name_text.h"

namespace zeltlog {
namespace {

std::string Fixed(double value, int decimals) { return FixedText(value, decimals); }

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



// A logged weather value with what it parsed to, or why not.
std::string Observed(const ObservedValue& v, int decimals, const char* unit) {
  if (v.logged.empty()) return "-";
  std::string text = PrintableText(v.logged);
  return text + (v.value ? " (" + Fixed(*v.value, decimals) + unit + ")" : " (not understood)");
}

std::string OrDash(const std::string& text) { return text.empty() ? "-" : PrintableText(text); }

std::string ZoneText(const std::optional<int>& zone) {
  if (!zone) return "unknown";
  char text[16];
  std::snprintf(text, sizeof text, "%c%02d:00", *zone < 0 ? '-' : '+', std::abs(*zone));
  return text;
}

void AppendRecordLines(std::string& out, const LogRecord& log, const ReportUnitsShown& u) {
  const ApplicationRecord& r = log.job.record;
  const JobInfo& i = log.job.info;
  Line(out, "Farm:", OrDash(r.farm));
  Line(out, "Field:", OrDash(r.field));
  Line(out, "Operator:", OrDash(r.operatorName));
  Line(out, "Machine:", OrDash(r.machine));
  Line(out, "Operation:", OrDash(r.operation));
  Line(out, "Crop:", OrDash(r.crop));
  Line(out, "Date:", OrDash(r.date));
  Line(out, "Start:", OrDash(r.start));
  Line(out, "Finish:", OrDash(r.finish));
  Line(out, "Time zone:", ZoneText(r.timeZone));
  if (!r.created.empty()) Line(out, "Job created:", r.created);
  if (!r.updated.empty()) Line(out, "Job updated:", r.updated);
  for (const WeatherObservation& w : r.weather) {
    Line(out, "Weather at:", OrDash(w.time));
    Line(out, "  Wind speed:", Observed(w.windSpeed, 2, " m/s"));
    Line(out, "  Wind direction:", Observed(w.windDirection, 1, " deg"));
    Line(out, "  Temperature:", Observed(w.temperature, 2, " C"));
    Line(out, "  Humidity:", Observed(w.humidity, 1, " %"));
  }
  if (r.console) {
    const ConsoleFigures& c = *r.console;
    Line(out, "Console area:", u.Area(c.machineArea, 3) + " machine, " + u.Area(c.overlapArea, 3) + " overlap, " +
                                   u.Area(c.skipArea, 3) + " skipped");
    Line(out, "Console applied:", u.Area(c.appliedEstimate, 3) + " estimated, " + u.Area(c.appliedCalculated, 3) +
                                      " calculated");
    Line(out, "Console perimeter:", Fixed(c.perimeter, 1) + " m");
  }
  if (r.height) {
    Line(out, "Height:", Fixed(r.height->minimum, 2) + " min, " + Fixed(r.height->median, 2) + " median, " +
                             Fixed(r.height->maximum, 2) + " max over " + std::to_string(r.height->fixes) +
                             " spraying fixes");
  }
  for (const JobNote& note : r.notes) Line(out, "Note:", PrintableText(note.text));
  if (!r.prescriptionMap.empty()) Line(out, "Prescription map:", PrintableText(r.prescriptionMap));
  if (!r.consoleVersion.empty()) Line(out, "Console:", PrintableText(r.consoleVersion));
  if (!log.logSha256.empty()) Line(out, "Log SHA-256:", log.logSha256);
  const std::pair<const char*, const std::string*> given[] = {
      {"Product:", &i.product},   {"Registration:", &i.registration}, {"Client:", &i.client},
      {"Address:", &i.address},   {"Aircraft:", &i.aircraft},         {"Applicator:", &i.applicator},
      {"Licence:", &i.licence},   {"Water volume:", &i.waterVolume},
  };
  for (const auto& [label, value] : given) {
    if (!value->empty()) Line(out, label, PrintableText(*value));
  }
  for (const std::string& constituent : i.activeConstituents) Line(out, "Active constituent:", PrintableText(constituent));
  for (const TankMixEntry& mix : i.tankMix) {
    Line(out, "Tank mix:", OrDash(mix.product) + ", " + OrDash(mix.rate));
  }
  for (const auto& [name, value] : i.extra) Line(out, "Extra:", PrintableText(name) + ": " + PrintableText(value));
  for (const RecordDifference& d : log.job.differences) {
    Line(out, "Differs from file:", d.key + ": log " + PrintableText(d.logValue) + ", file " + PrintableText(d.fileValue));
  }
  if (log.profile) {
    std::string missing;
    for (const std::string& field : log.missing) missing.append(missing.empty() ? "" : ", ").append(field);
    Line(out, "Record check:", std::string(log.profile->name) + " (" + log.profile->rule + "): " +
                                   (missing.empty() ? "complete" : "missing " + missing));
  }
}

nlohmann::ordered_json TextOrNull(const std::string& text) {
  return text.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(text);
}

nlohmann::ordered_json ObservedJson(const ObservedValue& v, int decimals) {
  return {{"logged", v.logged}, {"value", Rounded(v.value, decimals)}, {"flagged", v.Flagged()}};
}

nlohmann::ordered_json JobJson(const LogRecord& log) {
  const ApplicationRecord& r = log.job.record;
  const JobInfo& i = log.job.info;
  nlohmann::ordered_json o;
  o["farm"] = r.farm;
  o["field"] = r.field;
  o["operator"] = r.operatorName;
  o["machine"] = r.machine;
  o["operation"] = r.operation;
  o["crop"] = r.crop;
  o["date"] = TextOrNull(r.date);
  o["start"] = TextOrNull(r.start);
  o["finish"] = TextOrNull(r.finish);
  o["time_zone_hours"] = r.timeZone ? nlohmann::ordered_json(*r.timeZone) : nlohmann::ordered_json(nullptr);
  o["created"] = TextOrNull(r.created);
  o["updated"] = TextOrNull(r.updated);
  nlohmann::ordered_json weather = nlohmann::ordered_json::array();
  for (const WeatherObservation& w : r.weather) {
    weather.push_back({{"time", TextOrNull(w.time)},
                       {"wind_speed_m_s", ObservedJson(w.windSpeed, 2)},
                       {"wind_direction_deg", ObservedJson(w.windDirection, 1)},
                       {"temperature_c", ObservedJson(w.temperature, 2)},
                       {"humidity_percent", ObservedJson(w.humidity, 1)}});
  }
  o["weather"] = std::move(weather);
  if (r.console) {
    const ConsoleFigures& c = *r.console;
    o["console"] = {{"machine_area_ha", Rounded(c.machineArea, 4)},
                    {"overlap_area_ha", Rounded(c.overlapArea, 4)},
                    {"skip_area_ha", Rounded(c.skipArea, 4)},
                    {"applied_estimate_ha", Rounded(c.appliedEstimate, 4)},
                    {"applied_calculated_ha", Rounded(c.appliedCalculated, 4)},
                    {"perimeter_m", Rounded(c.perimeter, 2)}};
  } else {
    o["console"] = nullptr;
  }
  if (r.height) {
    o["height"] = {{"fixes", r.height->fixes},
                   {"minimum", Rounded(r.height->minimum, 6)},
                   {"median", Rounded(r.height->median, 6)},
                   {"maximum", Rounded(r.height->maximum, 6)}};
  } else {
    o["height"] = nullptr;
  }
  nlohmann::ordered_json notes = nlohmann::ordered_json::array();
  for (const JobNote& n : r.notes) notes.push_back({{"identifier", n.identifier}, {"sequence", n.sequence}, {"text", n.text}});
  o["notes"] = std::move(notes);
  o["prescription_map"] = r.prescriptionMap;
  o["console_version"] = r.consoleVersion;
  o["application_version"] = r.applicationVersion;
  o["log_sha256"] = TextOrNull(log.logSha256);
  o["product"] = i.product;
  o["registration"] = i.registration;
  o["active_constituents"] = i.activeConstituents;
  o["client"] = i.client;
  o["address"] = i.address;
  o["aircraft"] = i.aircraft;
  o["applicator"] = i.applicator;
  o["licence"] = i.licence;
  o["water_volume"] = i.waterVolume;
  nlohmann::ordered_json mix = nlohmann::ordered_json::array();
  for (const TankMixEntry& m : i.tankMix) mix.push_back({{"product", m.product}, {"rate", m.rate}});
  o["tank_mix"] = std::move(mix);
  nlohmann::ordered_json extra = nlohmann::ordered_json::object();
  for (const auto& [name, value] : i.extra) extra[name] = value;
  o["extra"] = std::move(extra);
  o["filled_from_file"] = log.job.filledFromFile;
  nlohmann::ordered_json differences = nlohmann::ordered_json::array();
  for (const RecordDifference& d : log.job.differences) {
    differences.push_back({{"key", d.key}, {"log", d.logValue}, {"file", d.fileValue}});
  }
  o["differences"] = std::move(differences);
  if (log.profile) o["check_record"] = {{"profile", log.profile->name}, {"rule", log.profile->rule}, {"missing", log.missing}};
  return o;
}

}  // namespace

std::string PrintableText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t k = 0; k < text.size(); ++k) {
    const unsigned char c = static_cast<unsigned char>(text[k]);
    if (c < 0x20 || c == 0x7F) {
      out += '?';
    } else if (c == 0xC2 && k + 1 < text.size() && static_cast<unsigned char>(text[k + 1]) >= 0x80 &&
               static_cast<unsigned char>(text[k + 1]) <= 0x9F) {
      out += '?';  // a C1 control, U+0080 to U+009F
      ++k;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

double ReportUnitsShown::AreaValue(double ha) const { return us_ ? ha / kHectaresPerAcre : ha; }


std::string ReportUnitsShown::Area(double ha, int decimals) const {
  return Fixed(AreaValue(ha), decimals) + " " + AreaUnit();
}

std::string ReportUnitsShown::Area(const std::optional<double>& ha, int decimals) const {
  return ha ? Area(*ha, decimals) : "-";
}

std::string ReportUnitsShown::Volume(double litres, int decimals) const {
  return us_ ? Fixed(litres / kLitresPerGallon, decimals) + " gal" : Fixed(litres, decimals) + " l";
}

std::string ReportUnitsShown::Rate(const std::optional<double>& litresPerHa, int decimals) const {
  if (!litresPerHa) return "-";
  return us_ ? Fixed(*litresPerHa * kHectaresPerAcre / kLitresPerGallon, decimals) + " gal/ac"
             : Fixed(*litresPerHa, decimals) + " l/ha";
}

ComputedFigures ComputedFiguresOf(const CoverageReport& r) {
  return {r.sprayedAreaHa > 0.0, r.appliedRateLPerHa.has_value(), r.volumeL > 0.0};
}

std::string FormatReportTable(const CoverageReport& r, const LogRecord* record, ReportUnits units) {
  const ReportUnitsShown u(units);
  std::string out;
  Line(out, "Log:", r.log);
  for (const ReportLine& line : ReportFigureLines(r, units)) Line(out, line.label + ":", line.value);
  if (!r.runs.empty()) {
    constexpr size_t kWidths[] = {6, 10, 10, 11, 11};
    auto row = [&](const RunRow& cells) {
      for (size_t i = 0; i < cells.size(); ++i) out += Padded(cells[i], kWidths[i]);
      out += '\n';
    };
    row(RunTableHead(units));
    for (const RunRow& cells : RunTableRows(r, units)) row(cells);
  }
  if (record) AppendRecordLines(out, *record, u);
  return out;
}

std::string FormatReportJson(const std::vector<CoverageReport>& reports) {
  std::vector<ReportedLog> logs;
  for (const CoverageReport& r : reports) logs.push_back({r, std::nullopt});
  return FormatReportJson(logs);
}

std::string FormatReportJson(const std::vector<ReportedLog>& logs) {
  nlohmann::ordered_json array = nlohmann::ordered_json::array();
  for (const ReportedLog& log : logs) {
    const CoverageReport& r = log.report;
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
    if (log.record) o["job"] = JobJson(*log.record);
    array.push_back(std::move(o));
  }
  return array.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

std::string FormatJobJson(const LogRecord& record) {
  return JobJson(record).dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

}  // namespace zeltlog
