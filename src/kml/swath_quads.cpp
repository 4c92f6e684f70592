#include "kml/swath_quads.h"

#include "core/text_format.h"
#include "kml/templates.h"

namespace zeltlog {

void WriteSwathQuad(ConversionSession& s) {
  TrackWriterState& t = s.track;

  std::string& placemark = s.quadPlacemarkText;
  placemark.assign("<Placemark>\n");
  AppendFormatted<"<name>time %2.2f s </name>">(placemark, {s.currentTime});
  AppendFormatted<"<styleUrl>#G%d</styleUrl>\n">(placemark, {1});
  placemark.append("<Polygon>\n<outerBoundaryIs>\n<LinearRing id=\"0\">\n<coordinates>\n");
  // The ring is closed by repeating its first corner.
  t.lastRingStart = placemark.size();
  placemark.append(t.prevRightCorner);
  placemark.append(t.rightCorner);
  placemark.append(t.leftCorner);
  placemark.append(t.prevLeftCorner);
  placemark.append(t.prevRightCorner);
  t.lastRingLength = placemark.size() - t.lastRingStart;
  placemark.append(kml::kQuadPolygonClose);
  placemark.append("</Placemark>\n");
  s.swathKml.Write(placemark);

  // Every caller sets both current corners before the next quad, so the
  // old previous corners need not survive: swapping saves two copies.
  t.prevRightCorner.swap(t.rightCorner);
  t.prevLeftCorner.swap(t.leftCorner);
  ++t.quadRingCounter;
}

void CompleteQuadPolygon(ConversionSession& s) {
  const TrackWriterState& t = s.track;
  if (t.quadRingCounter == 0) {
    s.quadPolygonText.clear();
    return;
  }
  // The polygon of the last quad, its ring numbered by the quads before it.
  kml::BuildQuadPolygonOpen(s.quadPolygonOpen, t.quadRingCounter - 1);
  s.quadPolygonText.assign(s.quadPolygonOpen);
  s.quadPolygonText.append(s.quadPlacemarkText, t.lastRingStart, t.lastRingLength);
  s.quadPolygonText.append(kml::kQuadPolygonClose);
  kml::BuildQuadPolygonOpen(s.quadPolygonOpen, t.quadRingCounter);
}

}  // namespace zeltlog
