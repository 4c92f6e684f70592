#include "kml/swath_quads.h"

#include "core/text_format.h"
#include "kml/templates.h"

namespace zeltlog {
namespace {

void AppendRing(std::string& out, const TrackWriterState& t) {
  out.append(t.prevRightCorner);
  out.append(t.rightCorner);
  out.append(t.leftCorner);
  out.append(t.prevLeftCorner);
  out.append(t.prevRightCorner);
}

}  // namespace

void WriteSwathQuad(ConversionSession& s) {
  TrackWriterState& t = s.track;

  s.quadPolygonText.assign(s.quadPolygonOpen);
  AppendRing(s.quadPolygonText, t);
  s.quadPolygonText.append(kml::kQuadPolygonClose);

  std::string& placemark = s.quadPlacemarkText;
  placemark.assign("<Placemark>\n");
  AppendFormat(placemark, "<name>time %2.2f s </name>", {s.currentTime});
  AppendFormat(placemark, "<styleUrl>#G%d</styleUrl>\n", {1});
  placemark.append("<Polygon>\n<outerBoundaryIs>\n<LinearRing id=\"0\">\n<coordinates>\n");
  AppendRing(placemark, t);
  placemark.append(kml::kQuadPolygonClose);
  placemark.append("</Placemark>\n");
  s.swathKml.Write(placemark);

  t.prevRightCorner.assign(t.rightCorner);
  t.prevLeftCorner.assign(t.leftCorner);

  ++t.quadRingCounter;
  kml::BuildQuadPolygonOpen(s.quadPolygonOpen, t.quadRingCounter);
}

}  // namespace zeltlog
