#include "cli/archive_map_page.h"

#include <charconv>
#include <cmath>
#include <string_view>

#include "core/name_text.h"
#include "coverage/line_thinning.h"
#include "coverage/lonlat_geometry.h"
#include "coverage/map_page.h"
#include "coverage/map_page_assets.h"
#include "coverage/report_lines.h"

namespace zeltlog::cli {
namespace {

constexpr std::string_view kPageStyle = R"css(html, body { height: 100%; margin: 0; font: 13px/1.4 sans-serif; color: #222; }
body { display: flex; }
#jobs { width: 34em; flex: none; overflow: auto; padding: 0.6em 1em; box-sizing: border-box; border-right: 1px solid #999; }
#jobs h1 { font-size: 1.3em; margin: 0.2em 0; }
#jobs h2 { font-size: 1.1em; margin: 1em 0 0.3em; }
#map { flex: auto; background: #eceae4; }
table { border-collapse: collapse; }
th, td { padding: 1px 0.6em 1px 0; text-align: left; vertical-align: top; font-weight: normal; }
td.n, th.n { text-align: right; white-space: nowrap; }
thead th { font-weight: bold; border-bottom: 1px solid #999; }
#job-list tbody tr { cursor: pointer; }
#job-list td:nth-child(2) { white-space: nowrap; }
#job-list tbody tr:hover { background: #eef; }
#job-list tbody tr.selected { background: #dde; }
#job-list i { display: inline-block; width: 1.2em; height: 0.9em; vertical-align: middle; border: 1px solid #555; }
#job-figures td { word-break: break-all; }
)css";

// Draws every job's ground (`season`, inline above it) and records on the
// page's root what it drew as "Jobs:N Ground:M" in data-drawn, and the
// job shown in data-selected; a script error goes to data-error.
constexpr std::string_view kDrawingScript = R"js((function () {
  var map = L.map("map", { preferCanvas: true });
  var bounds = L.latLngBounds([]), layers = [], drawn = 0;
  var rows = document.querySelectorAll("#job-list tbody tr");
  season.forEach(function (job, i) {
    var layer = L.polygon(job.ground, { color: job.colour, weight: 1, fillColor: job.colour, fillOpacity: 0.55 });
    layers.push(layer);
    if (job.ground.length === 0) return;
    drawn += job.ground.length;
    bounds.extend(layer.getBounds());
    layer.on("click", function () { select(i); });
  });
  function select(i) {
    var job = season[i];
    rows.forEach(function (row, k) { row.className = k === i ? "selected" : ""; });
    if (job.ground.length) map.fitBounds(layers[i].getBounds().pad(0.15));
    var panel = document.getElementById("job");
    panel.textContent = "";
    var title = document.createElement("h2");
    title.textContent = "Job " + job.id;
    panel.appendChild(title);
    var table = document.createElement("table");
    table.id = "job-figures";
    job.figures.forEach(function (figure) {
      var row = table.insertRow();
      var label = document.createElement("th");
      label.textContent = figure[0];
      row.appendChild(label);
      var value = row.insertCell();
      value.textContent = figure[1];
      if (figure[2]) value.className = "n";
    });
    panel.appendChild(table);
    document.documentElement.setAttribute("data-selected", String(job.id));
  }
  if (bounds.isValid()) map.fitBounds(bounds.pad(0.05)); else map.setView([0, 0], 2);
  layers.forEach(function (layer, i) { if (season[i].ground.length) layer.addTo(map); });
  rows.forEach(function (row, i) { row.addEventListener("click", function () { select(i); }); });
  var blank = L.layerGroup().addTo(map);
  var online = L.tileLayer("https://tile.openstreetmap.org/{z}/{x}/{y}.png",
    { maxZoom: 19, attribution: "&copy; OpenStreetMap contributors" });
  L.control.layers({ "No base map": blank, "OpenStreetMap (online)": online }, {}, { collapsed: false }).addTo(map);
  L.control.scale({ imperial: false }).addTo(map);
  var wanted = /^#job=(\d+)$/.exec(location.hash);
  if (wanted) season.forEach(function (job, i) { if (String(job.id) === wanted[1]) select(i); });
  document.documentElement.setAttribute("data-drawn", "Jobs:" + season.length + " Ground:" + drawn);
})();
)js";

// What the figures panel calls each column of the archive's list.
constexpr std::pair<std::string_view, std::string_view> kLabels[] = {
    {"id", "Job"},
    {"hash", "Log SHA-256"},
    {"log", "Log"},
    {"date", "Date"},
    {"start", "Start"},
    {"finish", "Finish"},
    {"farm", "Farm"},
    {"field", "Field"},
    {"operator", "Operator"},
    {"machine", "Machine"},
    {"crop", "Crop"},
    {"client", "Client"},
    {"product", "Product"},
    {"sprayed_ha", "Sprayed area (ha)"},
    {"gross_ha", "Gross sprayed area (ha)"},
    {"overlap_ha", "Overlap area (ha)"},
    {"skipped_ha", "Skipped area (ha)"},
    {"volume_l", "Volume (l)"},
    {"applied_rate_l_per_ha", "Applied rate (l/ha)"},
    {"spraying_time_s", "Spraying time"},
    {"distance_m", "Distance (m)"},
    {"fixes", "Fixes"},
};

std::string_view LabelOf(const std::string& column) {
  for (const auto& [name, label] : kLabels) {
    if (name == column) return label;
  }
  return column;
}

// A text of the archive as UTF-8 without control characters: the names
// of logs and the record's texts come from anywhere.
std::string Clean(const std::string& text) {
  std::string out;
  for (char c : Utf8OfName(text)) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u != 0x7F) out += c;
  }
  return out;
}

void AppendHtml(std::string& out, const std::string& text) {
  for (char c : Clean(text)) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
}

// A colour for each job, the hues a golden angle apart so that jobs next
// to each other in the list differ.
std::string ColourOf(size_t job) {
  const double hue = std::fmod(static_cast<double>(job) * 137.508, 360.0) / 60.0;
  const double chroma = 0.8 * 0.7, x = chroma * (1.0 - std::fabs(std::fmod(hue, 2.0) - 1.0)), m = 0.42 - chroma / 2;
  double rgb[3] = {0, 0, 0};
  const int sector = static_cast<int>(hue) % 6;
  const int big[6] = {0, 1, 1, 2, 2, 0}, small[6] = {1, 0, 2, 1, 0, 2};
  rgb[big[sector]] = chroma;
  rgb[small[sector]] = x;
  static const char kHex[] = "0123456789abcdef";
  std::string out = "#";
  for (double channel : rgb) {
    const int value = static_cast<int>(std::lround((channel + m) * 255.0));
    out += kHex[value >> 4];
    out += kHex[value & 15];
  }
  return out;
}

void AppendNumber(std::string& out, double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 7);
  out.append(buffer, result.ptr);
}

// Outlines are thinned as the map page's are: a point within about ten
// centimetres (in degrees) of the line between its kept neighbours goes.
constexpr double kThinning = 1e-6;

// A ring as [latitude, longitude] points, thinned, its longitudes brought
// within half a turn of `centre` (a job the 180° meridian cuts is stored
// in two pieces, at both ends of the world).
void AppendRing(std::string& out, const LonLatRing& ring, double centre) {
  std::vector<char> keep(ring.size(), 1);
  if (ring.size() > 4) {
    keep = PointsToKeep(ring, kThinning, [](const LonLat& p) { return std::pair(p.longitude, p.latitude); });
  }
  out += '[';
  bool first = true;
  for (size_t i = 0; i < ring.size(); ++i) {
    const LonLat& p = ring[i];
    if (!keep[i] || !std::isfinite(p.longitude) || !std::isfinite(p.latitude) || std::fabs(p.latitude) > 90.0) continue;
    out += first ? "[" : ",[";
    first = false;
    AppendNumber(out, p.latitude);
    out += ',';
    AppendNumber(out, LongitudeNear(p.longitude, centre));
    out += ']';
  }
  out += ']';
}

void AppendGround(std::string& out, const LonLatMultiPolygon& ground) {
  double centre = 0.0;
  for (const LonLatPolygon& polygon : ground) {
    if (!polygon.outer.empty() && std::isfinite(polygon.outer.front().longitude)) {
      centre = polygon.outer.front().longitude;
      break;
    }
  }
  out += '[';
  bool first = true;
  for (const LonLatPolygon& polygon : ground) {
    if (polygon.outer.size() < 3) continue;
    out += first ? "[" : ",\n[";
    first = false;
    AppendRing(out, polygon.outer, centre);
    for (const LonLatRing& hole : polygon.holes) {
      out += ',';
      AppendRing(out, hole, centre);
    }
    out += ']';
  }
  out += ']';
}

size_t ColumnOf(const ArchiveMapJobs& jobs, std::string_view name) {
  for (size_t i = 0; i < jobs.columns.size(); ++i) {
    if (jobs.columns[i] == name) return i;
  }
  return jobs.columns.size();
}

}  // namespace

std::string FormatSeasonMapPage(const ArchiveMapJobs& jobs,
                                std::string (*text)(const ArchiveValue& value, const std::string& column)) {
  auto cell = [&](const ArchiveMapJob& job, std::string_view column) -> std::string {
    const size_t at = ColumnOf(jobs, column);
    return at < job.row.size() ? text(job.row[at], jobs.columns[at]) : "-";
  };
  double sprayed = 0.0;
  const size_t sprayedAt = ColumnOf(jobs, "sprayed_ha");
  for (const ArchiveMapJob& job : jobs.jobs) {
    if (sprayedAt < job.row.size()) {
      if (const double* ha = std::get_if<double>(&job.row[sprayedAt])) sprayed += *ha;
    }
  }
  std::string out;
  out.reserve(kLeafletScriptSize + kLeafletStyleSize + 65536);
  out += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>Season map</title>\n"
         "<script>window.onerror = function (message) { "
         "document.documentElement.setAttribute(\"data-error\", String(message)); };</script>\n<style>\n";
  out.append(kLeafletStyle, kLeafletStyleSize);
  out += "</style>\n<style>\n";
  out += kPageStyle;
  out += "</style>\n</head>\n<body>\n<div id=\"jobs\">\n<h1>Season map</h1>\n<p id=\"total\">" +
         std::to_string(jobs.jobs.size()) + (jobs.jobs.size() == 1 ? " job, " : " jobs, ") + FixedText(sprayed, 2) +
         " ha sprayed</p>\n<table id=\"job-list\">\n<thead><tr><th></th><th>Date</th><th>Farm</th><th>Field</th>"
         "<th>Operator</th><th class=\"n\">Sprayed ha</th></tr></thead>\n<tbody>\n";
  for (size_t i = 0; i < jobs.jobs.size(); ++i) {
    const ArchiveMapJob& job = jobs.jobs[i];
    out += "<tr data-job=\"";
    AppendHtml(out, cell(job, "id"));
    out += "\"><td><i style=\"background:" + ColourOf(i) + "\"></i></td>";
    for (const char* column : {"date", "farm", "field", "operator"}) {
      out += "<td>";
      AppendHtml(out, cell(job, column));
      out += "</td>";
    }
    out += "<td class=\"n\">";
    AppendHtml(out, cell(job, "sprayed_ha"));
    out += "</td></tr>\n";
  }
  out += "</tbody>\n</table>\n<div id=\"job\"></div>\n</div>\n<div id=\"map\"></div>\n<script>\n"
         "/* Leaflet, BSD 2-clause licence: copyright 2010-2019 Vladimir Agafonkin, 2010-2011 CloudMade. */\n";
  out.append(kLeafletScript, kLeafletScriptSize);
  out += "\n</script>\n<script>\nvar season = [";
  for (size_t i = 0; i < jobs.jobs.size(); ++i) {
    const ArchiveMapJob& job = jobs.jobs[i];
    out += i ? ",\n{\"id\": " : "\n{\"id\": ";
    AppendScriptString(out, Clean(cell(job, "id")));
    out += ", \"colour\": ";
    AppendScriptString(out, ColourOf(i));
    out += ", \"figures\": [";
    for (size_t k = 0; k < jobs.columns.size() && k < job.row.size(); ++k) {
      const std::string& column = jobs.columns[k];
      const ArchiveValue& value = job.row[k];
      // The whole hash, where the table shows its start.
      const std::string* whole = column == "hash" ? std::get_if<std::string>(&value) : nullptr;
      out += k ? ", [" : "[";
      AppendScriptString(out, LabelOf(column));
      out += ", ";
      AppendScriptString(out, Clean(whole ? *whole : text(value, column)));
      out += std::holds_alternative<double>(value) || std::holds_alternative<long long>(value) ? ", 1]" : "]";
    }
    out += "],\n\"ground\": ";
    AppendGround(out, job.coverage);
    out += '}';
  }
  out += "];\n";
  out += kDrawingScript;
  out += "</script>\n</body>\n</html>\n";
  return out;
}

}  // namespace zeltlog::cli
