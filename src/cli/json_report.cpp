#include "cli/json_report.h"

#include <nlohmann/json.hpp>

#include "core/name_text.h"

namespace zeltlog::cli {
namespace {

using nlohmann::ordered_json;

std::string Utf8Of(const std::string& text) { return Utf8OfName(text); }

ordered_json Texts(const std::vector<std::string>& texts) {
  ordered_json list = ordered_json::array();
  for (const auto& text : texts) list.push_back(Utf8Of(text));
  return list;
}

ordered_json Range(double max, double min) { return {{"max", max}, {"min", min}}; }

}  // namespace

std::string JsonReportLine(const LogReport& r) {
  ordered_json report;
  report["log"] = Utf8Of(r.log);
  report["version"] = r.version.empty() ? ordered_json(nullptr) : ordered_json(Utf8Of(r.version));
  if (r.summaryRead) {
    ordered_json summary;
    summary["latitude"] = Range(r.latitudeMax, r.latitudeMin);
    summary["longitude"] = Range(r.longitudeMax, r.longitudeMin);
    summary["distance"] = r.distance;
    summary["zoom_level"] = r.zoomLevel;
    summary["altitude"] = Range(r.altitudeMax, r.altitudeMin);
    summary["target_rate"] = r.targetRatesSet ? Range(r.targetRateMax, r.targetRateMin) : ordered_json(nullptr);
    summary["actual_rate"] = r.actualRatesSet ? Range(r.actualRateMax, r.actualRateMin) : ordered_json(nullptr);
    summary["volume"] = r.actualRatesSet ? ordered_json(r.volume) : ordered_json(nullptr);
    summary["start"] = r.timesSet ? ordered_json(r.startTime) : ordered_json(nullptr);
    summary["end"] = r.timesSet ? ordered_json(r.endTime) : ordered_json(nullptr);
    report["summary"] = summary;
  } else {
    report["summary"] = nullptr;
  }
  report["fixes"] = r.fixes;
  report["records"] = r.goodRecords;
  report["checksum_errors"] = r.checksumErrors;
  report["outputs"] = Texts(r.outputs);
  report["errors"] = Texts(r.errors);
  // Infinities and NaN (a log's own broken values) come out as null.
  return report.dump();
}

}  // namespace zeltlog::cli
