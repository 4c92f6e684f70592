#include "coverage/map_page.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

#include "coverage/fill_orientation.h"
#include "coverage/line_thinning.h"
#include "coverage/map_page_assets.h"
#include "coverage/report_format.h"
#include "kml/xml_text.h"

namespace zeltlog {
namespace {

constexpr std::string_view kPageStyle = R"css(html, body { height: 100%; margin: 0; font: 13px/1.4 sans-serif; color: #222; }
body { display: flex; }
#figures { width: 27em; flex: none; overflow: auto; padding: 0.6em 1em; box-sizing: border-box; border-right: 1px solid #999; }
#figures h1 { font-size: 1.3em; margin: 0.2em 0; }
#figures h2 { font-size: 1.1em; margin: 1em 0 0.3em; }
#figures .log { word-break: break-all; margin: 0 0 0.8em; }
#figures .problem { color: #b00000; }
#map { flex: auto; background: #eceae4; }
table { border-collapse: collapse; }
th, td { padding: 1px 0.6em 1px 0; text-align: left; vertical-align: top; font-weight: normal; }
td.n, th.n { text-align: right; white-space: nowrap; }
thead th { font-weight: bold; border-bottom: 1px solid #999; }
.legend { background: #fff; padding: 6px 8px; border-radius: 4px; box-shadow: 0 1px 5px rgba(0,0,0,0.4); line-height: 1.6; }
.legend b { display: block; margin-top: 0.3em; }
.legend i { display: inline-block; width: 1.4em; height: 0.9em; margin-right: 0.5em; vertical-align: middle; border: 1px solid #555; }
)css";

// Draws the layers of `report` (inline above it) and records on the page's
// root what it drew, as "layer:count" words in data-drawn; a script error
// goes to data-error.
constexpr std::string_view kDrawingScript = R"js((function () {
  var map = L.map("map", { preferCanvas: true });
  var overlays = {}, shown = [], drawn = [], bounds = L.latLngBounds([]);
  // Layers are added once the map has its view.
  function show(name, layer, count) {
    drawn.push(name.replace(/\s+/g, "-") + ":" + count);
    if (count === 0) return;
    shown.push(layer);
    overlays[name] = layer;
    bounds.extend(layer.getBounds());
  }
  var legend = [];
  function swatch(fill, edge, text) {
    legend.push('<div><i style="background:' + fill + ';border-color:' + edge + '"></i>' + text + "</div>");
  }
  var rates = L.layerGroup(), rateCount = 0;
  legend.push("<b>Applied rate</b>");
  report.rates.forEach(function (bin) {
    L.polygon(bin.ground, { stroke: false, fillColor: bin.colour, fillOpacity: 0.7, fillRule: "nonzero" }).addTo(rates);
    rateCount += bin.ground.length;
    swatch(bin.colour, bin.colour, bin.label);
  });
  rates.getBounds = function () {
    var b = L.latLngBounds([]);
    rates.eachLayer(function (l) { b.extend(l.getBounds()); });
    return b;
  };
  show("Applied rate", rates, rateCount);
  legend.push("<b>Ground</b>");
  show("Overlap", L.polygon(report.overlap, { color: "#5b2c8f", weight: 1, fillColor: "#8e44ad", fillOpacity: 0.6 }), report.overlap.length);
  swatch("#8e44ad", "#5b2c8f", "sprayed more than once");
  show("Skipped", L.polygon(report.skipped, { color: "#8a7d00", weight: 1, fillColor: "#ffee00", fillOpacity: 0.7 }), report.skipped.length);
  swatch("#ffee00", "#8a7d00", "skipped in the field");
  show("Field", L.polygon(report.field, { color: "#006400", weight: 2, fill: false }), report.field.length);
  swatch("transparent", "#006400", "field");
  show("Path", L.polyline(report.path, { color: "#000000", weight: 1.2, opacity: 0.8 }), report.path.length);
  swatch("#000000", "#000000", "path");
  var marks = L.layerGroup();
  report.marks.forEach(function (mark) {
    L.circleMarker(mark.at, { radius: 5, color: "#000000", weight: 1.5, fillColor: "#ffffff", fillOpacity: 1 })
      .bindTooltip(mark.name + " (" + mark.code + ")").addTo(marks);
  });
  marks.getBounds = function () {
    return L.latLngBounds(report.marks.map(function (mark) { return mark.at; }));
  };
  show("Marks", marks, report.marks.length);
  swatch("#ffffff", "#000000", "marks");
  if (bounds.isValid()) map.fitBounds(bounds.pad(0.05)); else map.setView([0, 0], 2);
  shown.forEach(function (layer) { layer.addTo(map); });
  var blank = L.layerGroup().addTo(map);
  var online = L.tileLayer("https://tile.openstreetmap.org/{z}/{x}/{y}.png",
    { maxZoom: 19, attribution: "&copy; OpenStreetMap contributors" });
  L.control.layers({ "No base map": blank, "OpenStreetMap (online)": online }, overlays, { collapsed: false }).addTo(map);
  var key = L.control({ position: "bottomright" });
  key.onAdd = function () {
    var div = L.DomUtil.create("div", "legend");
    div.innerHTML = legend.join("");
    return div;
  };
  key.addTo(map);
  L.control.scale({ imperial: false }).addTo(map);
  document.documentElement.setAttribute("data-drawn", drawn.join(" "));
})();
)js";

void AppendNumber(std::string& out, double value, int decimals) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  out.append(buffer, result.ptr);
}

bool Drawable(const LonLat& p) {
  return std::isfinite(p.longitude) && std::isfinite(p.latitude) && std::fabs(p.latitude) <= 90.0 &&
         std::fabs(p.longitude) <= 360.0;
}

// Points as [latitude, longitude], to about a centimetre.
void AppendPoints(std::string& out, const std::vector<LonLat>& points) {
  out += '[';
  bool first = true;
  for (const LonLat& p : points) {
    if (!Drawable(p)) continue;
    if (!first) out += ',';
    first = false;
    out += '[';
    AppendNumber(out, p.latitude, 7);
    out += ',';
    AppendNumber(out, p.longitude, 7);
    out += ']';
  }
  out += ']';
}

void AppendPolygons(std::string& out, const LonLatMultiPolygon& polygons) {
  out += '[';
  for (size_t i = 0; i < polygons.size(); ++i) {
    if (i > 0) out += ",\n";
    out += '[';
    AppendPoints(out, polygons[i].outer);
    for (const LonLatRing& hole : polygons[i].holes) {
      out += ',';
      AppendPoints(out, hole);
    }
    out += ']';
  }
  out += ']';
}

// The field and the skipped ground are thinned as the map's own layers
// are: a point within about ten centimetres (in degrees) of the line
// between the points kept on either side of it is dropped, in stretches
// of a few hundred points, so that time stays in proportion to the points.
constexpr double kThinning = 1e-6;

LonLatRing ThinnedRing(const LonLatRing& ring) {
  if (ring.size() <= 4) return ring;
  const std::vector<char> keep =
      PointsToKeep(ring, kThinning, [](const LonLat& p) { return std::pair(p.longitude, p.latitude); });
  LonLatRing thinned;
  for (size_t i = 0; i < ring.size(); ++i) {
    if (keep[i]) thinned.push_back(ring[i]);
  }
  // A ring thinned to a line encloses nothing to draw; keep it whole.
  return thinned.size() >= 4 ? thinned : ring;
}

LonLatMultiPolygon Thinned(const LonLatMultiPolygon& polygons) {
  LonLatMultiPolygon thinned;
  thinned.reserve(polygons.size());
  for (const LonLatPolygon& polygon : polygons) {
    LonLatPolygon p;
    p.outer = ThinnedRing(polygon.outer);
    for (const LonLatRing& hole : polygon.holes) p.holes.push_back(ThinnedRing(hole));
    thinned.push_back(std::move(p));
  }
  return thinned;
}

void AppendData(std::string& out, const CoverageReport& r, const MapLayers& layers,
                const std::vector<CollectedMark>& marks) {
  out += "var report = {\n\"rates\": [";
  for (size_t i = 0; i < layers.rates.size(); ++i) {
    const RateBinLook& look = LookOf(layers.rates[i].bin);
    out += i > 0 ? ",\n{\"colour\": " : "\n{\"colour\": ";
    AppendScriptString(out, look.legendColour);
    out += ", \"label\": ";
    AppendScriptString(out, look.label);
    out += ", \"ground\": ";
    AppendPolygons(out, layers.rates[i].ground);
    out += '}';
  }
  out += "],\n\"overlap\": ";
  AppendPolygons(out, layers.overlap);
  LonLatMultiPolygon skipped = Thinned(r.skipped), field = Thinned(r.field);
  OrientForFill(skipped);
  out += ",\n\"skipped\": ";
  AppendPolygons(out, skipped);
  out += ",\n\"field\": ";
  AppendPolygons(out, field);
  out += ",\n\"path\": [";
  for (size_t i = 0; i < layers.path.size(); ++i) {
    if (i > 0) out += ",\n";
    AppendPoints(out, layers.path[i]);
  }
  out += "],\n\"marks\": [";
  bool first = true;
  for (const CollectedMark& mark : marks) {
    // Boundary points draw the field.
    if (mark.type >= 128 || !Drawable(mark.at)) continue;
    out += first ? "\n{\"at\": " : ",\n{\"at\": ";
    first = false;
    out += '[';
    AppendNumber(out, mark.at.latitude, 7);
    out += ',';
    AppendNumber(out, mark.at.longitude, 7);
    out += "], \"code\": " + std::to_string(mark.type) + ", \"name\": ";
    // Markup-safe text, for the tooltip shows it as markup.
    std::string name;
    kml::AppendXmlText(name, mark.name);
    AppendScriptString(out, name);
    out += '}';
  }
  out += "]\n};\n";
}

void Row(std::string& out, std::string_view label, const std::string& value) {
  out += "<tr><th>";
  out += label;
  out += "</th><td class=\"n\">";
  out += value;
  out += "</td></tr>\n";
}

std::string Optional(const std::optional<double>& value, int decimals, const char* unit) {
  return value ? FixedText(*value, decimals) + unit : "-";
}

std::string FileName(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A row whose value is a text of the log or of the user's file: escaped,
// whatever it holds.
void TextRow(std::string& out, std::string_view label, const std::string& text) {
  out += "<tr><th>";
  out += label;
  out += "</th><td>";
  if (text.empty()) {
    out += "-";
  } else {
    kml::AppendXmlFileName(out, text);
  }
  out += "</td></tr>\n";
}

std::string ObservedText(const ObservedValue& v, int decimals, const char* unit) {
  if (v.logged.empty()) return "";
  return v.logged + (v.value ? " (" + FixedText(*v.value, decimals) + unit + ")" : " (not understood)");
}

void AppendRecord(std::string& out, const LogRecord& log, const ReportUnitsShown& u) {
  const ApplicationRecord& r = log.job.record;
  const JobInfo& i = log.job.info;
  out += "<h2>Record</h2>\n<table id=\"record\">\n";
  TextRow(out, "Farm", r.farm);
  TextRow(out, "Field", r.field);
  TextRow(out, "Operator", r.operatorName);
  TextRow(out, "Machine", r.machine);
  TextRow(out, "Operation", r.operation);
  TextRow(out, "Crop", r.crop);
  TextRow(out, "Date", r.date);
  TextRow(out, "Start", r.start);
  TextRow(out, "Finish", r.finish);
  if (r.console) {
    Row(out, "Console machine area", u.Area(r.console->machineArea, 2));
    Row(out, "Console applied (est.)", u.Area(r.console->appliedEstimate, 2));
    Row(out, "Console applied (calc.)", u.Area(r.console->appliedCalculated, 2));
  }
  if (r.height) {
    Row(out, "Height min / median / max",
        FixedText(r.height->minimum, 2) + " / " + FixedText(r.height->median, 2) + " / " + FixedText(r.height->maximum, 2));
  }
  for (const JobNote& note : r.notes) TextRow(out, "Note", note.text);
  if (!r.prescriptionMap.empty()) TextRow(out, "Prescription map", r.prescriptionMap);
  const std::pair<const char*, const std::string*> given[] = {
      {"Product", &i.product},   {"Registration", &i.registration}, {"Client", &i.client},
      {"Address", &i.address},   {"Aircraft", &i.aircraft},         {"Applicator", &i.applicator},
      {"Licence", &i.licence},   {"Water volume", &i.waterVolume},
  };
  for (const auto& [label, value] : given) {
    if (!value->empty()) TextRow(out, label, *value);
  }
  for (const std::string& constituent : i.activeConstituents) TextRow(out, "Active constituent", constituent);
  for (const TankMixEntry& mix : i.tankMix) TextRow(out, "Tank mix", mix.product + ", " + mix.rate);
  for (const auto& [name, value] : i.extra) TextRow(out, "Extra", name + ": " + value);
  for (const RecordDifference& d : log.job.differences) {
    TextRow(out, "Differs from file", d.key + ": log " + d.logValue + ", file " + d.fileValue);
  }
  if (!log.logSha256.empty()) TextRow(out, "Log SHA-256", log.logSha256);
  out += "</table>\n";
  if (!r.weather.empty()) {
    out += "<h2>Weather</h2>\n<table id=\"weather\">\n<thead><tr><th>Time</th><th>Wind</th><th>Direction</th>"
           "<th>Temperature</th><th>Humidity</th></tr></thead>\n<tbody>\n";
    for (const WeatherObservation& w : r.weather) {
      out += "<tr>";
      for (const std::string& cell : {w.time, ObservedText(w.windSpeed, 2, " m/s"), ObservedText(w.windDirection, 1, " deg"),
                                      ObservedText(w.temperature, 2, " C"), ObservedText(w.humidity, 1, " %")}) {
        out += "<td>";
        kml::AppendXmlFileName(out, cell.empty() ? "-" : cell);
        out += "</td>";
      }
      out += "</tr>\n";
    }
    out += "</tbody>\n</table>\n";
  }
}

void AppendFigures(std::string& out, const CoverageReport& r, const MapLayers& layers, const LogRecord* record,
                   ReportUnits units) {
  const ReportUnitsShown u(units);
  out += "<div id=\"figures\">\n<h1>Map report</h1>\n<p class=\"log\">";
  kml::AppendXmlFileName(out, r.log);
  out += "</p>\n<table>\n";
  Row(out, "Sprayed area", u.Area(r.sprayedAreaHa, 2));
  Row(out, "Gross sprayed area", u.Area(r.grossSprayedAreaHa, 2));
  Row(out, "Overlap area", u.Area(r.overlapAreaHa, 2));
  Row(out, "Field area", u.Area(r.fieldAreaHa, 2));
  Row(out, "Skipped area", u.Area(r.skippedAreaHa, 2));
  Row(out, "Outside area", u.Area(r.outsideAreaHa, 2));
  Row(out, "Coverage", Optional(r.coveragePercent, 2, " %"));
  Row(out, "Volume", u.Volume(r.volumeL, 1));
  Row(out, "Applied rate", u.Rate(r.appliedRateLPerHa, 2));
  Row(out, "Target rate", u.Rate(r.targetRateLPerHa, 2));
  Row(out, "Spraying time", FixedText(r.sprayingTimeS, 1) + " s");
  Row(out, "Distance", FixedText(r.distanceM, 1) + " m");
  Row(out, "Fixes", std::to_string(r.fixes));
  Row(out, "Runs", std::to_string(r.runs.size()));
  out += "</table>\n";
  if (!r.runs.empty()) {
    out += std::string("<h2>Runs</h2>\n<table>\n<thead><tr><th class=\"n\">Run</th><th class=\"n\">Start</th>"
                       "<th class=\"n\">End</th><th class=\"n\">Gross ") +
           u.AreaUnit() + "</th><th class=\"n\">Net " + u.AreaUnit() + "</th></tr></thead>\n<tbody>\n";
    for (const RunFigures& run : r.runs) {
      out += "<tr><td class=\"n\">" + std::to_string(run.run) + "</td><td class=\"n\">" + ClockText(run.startTime) +
             "</td><td class=\"n\">" + ClockText(run.endTime) + "</td><td class=\"n\">" +
             FixedText(u.AreaValue(run.grossAreaHa), 2) + "</td><td class=\"n\">" + FixedText(u.AreaValue(run.netAreaHa), 2) +
             "</td></tr>\n";
    }
    out += "</tbody>\n</table>\n";
  }
  if (record) AppendRecord(out, *record, u);
  std::vector<std::string> problems = r.problems;
  if (!layers.problem.empty()) problems.push_back(layers.problem);
  for (const std::string& problem : problems) {
    out += "<p class=\"problem\">";
    kml::AppendXmlText(out, problem);
    out += "</p>\n";
  }
  out += "</div>\n";
}

}  // namespace

void AppendScriptString(std::string& out, std::string_view text) {
  out += '"';
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c == '<' || c == '>' || c == '&') {
      static const char kHex[] = "0123456789abcdef";
      out += "\\u00";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else if (c == 0xE2 && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0x80 &&
               (static_cast<unsigned char>(text[i + 2]) == 0xA8 || static_cast<unsigned char>(text[i + 2]) == 0xA9)) {
      out += static_cast<unsigned char>(text[i + 2]) == 0xA8 ? "\\u2028" : "\\u2029";
      i += 2;
    } else {
      out += static_cast<char>(c);
    }
  }
  out += '"';
}

std::string FormatMapPage(const CoverageReport& r, const MapLayers& layers, const std::vector<CollectedMark>& marks,
                          const LogRecord* record, ReportUnits units) {
  std::string out;
  out.reserve(kLeafletScriptSize + kLeafletStyleSize + 65536);
  out += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>Map report: ";
  kml::AppendXmlFileName(out, FileName(r.log));
  out += "</title>\n<script>window.onerror = function (message) { "
         "document.documentElement.setAttribute(\"data-error\", String(message)); };</script>\n<style>\n";
  out.append(kLeafletStyle, kLeafletStyleSize);
  out += "</style>\n<style>\n";
  out += kPageStyle;
  out += "</style>\n</head>\n<body>\n";
  AppendFigures(out, r, layers, record, units);
  out += "<div id=\"map\"></div>\n<script>\n/* Leaflet, BSD 2-clause licence: copyright 2010-2019 Vladimir Agafonkin, "
         "2010-2011 CloudMade. */\n";
  out.append(kLeafletScript, kLeafletScriptSize);
  out += "\n</script>\n<script>\n";
  AppendData(out, r, layers, marks);
  out += kDrawingScript;
  out += "</script>\n</body>\n</html>\n";
  return out;
}

}  // namespace zeltlog
