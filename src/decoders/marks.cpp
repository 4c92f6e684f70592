#include "decoders/marks.h"

#include "core/text_format.h"
#include "decoders/payload.h"
#include "kml/xml_text.h"

namespace zeltlog {
namespace {

void AddMarkLine(ConversionSession& s, int type, std::string_view name, double lon, double lat, double alt) {
  s.scratch.clear();
  AppendFormat(s.scratch, "MARK , %d, *%s*,%8.7f,%8.7f,%1.3f", {type, name, lon, lat, alt});
  s.AddEvent(EventKind::Record, s.scratch);
}

}  // namespace

void DecodeMarkOrBoundary(ConversionSession& s) {
  const int type = payload::U8(s, 0);
  const double latitude = payload::F64(s, 1);
  const double longitude = payload::F64(s, 9);
  const double altitude = payload::F32(s, 17);
  const std::string_view name = payload::Text(s, 22);
  std::string& body = s.markPlacemarkText;

  if (type < 128) {
    if (s.marksOutput != 1) return;
    AddMarkLine(s, type, name, longitude, latitude, altitude);
    body.append("<Placemark>\n<name>");
    kml::AppendXmlText(body, name);
    body.append("</name>\n<styleUrl>#sn_S</styleUrl>\n<Point>\n<coordinates>");
    AppendFormat(body, "%8.7f,%8.7f,%1.3f\n ", {longitude, latitude, altitude});
    body.append("</coordinates>\n</Point>\n</Placemark>\n");
    return;
  }

  if (s.boundaryOutput != 1) return;
  if (type == 130 || type == 131) {
    body.append("<Placemark>\n<name>");
    body.append(type == 130 ? "INCLUSION</name>\n" : "EXCLUSION</name>\n");
    body.append("<description></description>\n<styleUrl>#msn_ylw-pushpin</styleUrl>\n<Point>\n<coordinates>");
    AppendFormat(body, " %3.9lf,%3.9lf,%2.3lf", {longitude, latitude, altitude});
    body.append("</coordinates>\n</Point>\n</Placemark>\n");
  } else if (type == 128) {
    body.append("<Placemark>\n<styleUrl>#msn_placemark_circle</styleUrl>\n<Point>\n<coordinates>");
    AppendFormat(body, " %3.9lf,%3.9lf,%2.3lf", {longitude, latitude, altitude});
    body.append("</coordinates>\n</Point>\n</Placemark>\n");
  }
  AddMarkLine(s, type, name, longitude, latitude, altitude);
}

}  // namespace zeltlog
