#include "kml/templates.h"

#include "core/text_format.h"

namespace zeltlog::kml {

#define ZELTLOG_KML_PROLOGUE                                                                                  \
  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"                                                              \
  "<kml xmlns=\"http://www.opengis.net/kml/2.2\" xmlns:gx=\"http://www.google.com/kml/ext/2.2\" "             \
  "xmlns:kml=\"http://www.opengis.net/kml/2.2\" xmlns:atom=\"http://www.w3.org/2005/Atom\">\n"

#define ZELTLOG_ICON_HOST "http://maps.google.com"

const std::string_view kPathDocumentHead =
    ZELTLOG_KML_PROLOGUE
    "<Placemark>\n"
    "<name>ZELT 1</name>\n";

const std::string_view kPathLineOpen =
    "<Style>\n"
    "<LineStyle>\n"
    "<color>ff0000ff</color>\n"
    "<width>1</width>\n"
    "</LineStyle>\n"
    "</Style>\n"
    "<MultiGeometry>\n"
    "<LineString>\n"
    "<extrude>1</extrude>\n"
    "<tessellate>1</tessellate>\n";

const std::string_view kClampedCoordinatesOpen =
    "<altitudeMode>clampToGround</altitudeMode>\n"
    "<coordinates>\n";

const std::string_view kRelativeCoordinatesOpen =
    "<altitudeMode>relativeToGround</altitudeMode>\n"
    "<coordinates>\n";

const std::string_view kPathDocumentTail =
    "</coordinates>\n"
    "</LineString>\n"
    "</MultiGeometry>\n"
    "</Placemark>\n"
    "</kml>\n";

const std::string_view kMarkDocumentHead =
    ZELTLOG_KML_PROLOGUE
    "<Document>\n"
    "<Style id=\"sh_placemark_circle_highlight\">\n"
    "<IconStyle>\n"
    "<color>ff00ff50</color>\n"
    "<scale>0.2</scale>\n"
    "<Icon>\n"
    "<href>" ZELTLOG_ICON_HOST "/mapfiles/kml/shapes/placemark_circle_highlight.png</href>\n"
    "</Icon>\n"
    "</IconStyle>\n"
    "<ListStyle>\n"
    "</ListStyle>\n"
    "</Style>\n"
    "<Style id=\"sn_placemark_circle\">\n"
    "<IconStyle>\n"
    "<color>ff00ffff</color>\n"
    "<scale>0.5</scale>\n"
    "<Icon>\n"
    "<href>" ZELTLOG_ICON_HOST "/mapfiles/kml/shapes/shaded_dot.png</href>\n"
    "</Icon>\n"
    "</IconStyle>\n"
    "<ListStyle>\n"
    "</ListStyle>\n"
    "</Style>\n"
    "<StyleMap id=\"msn_placemark_circle\">\n"
    "<Pair>\n"
    "<key>normal</key>\n"
    "<styleUrl>#sn_placemark_circle</styleUrl>\n"
    "</Pair>\n"
    "<Pair>\n"
    "<key>highlight</key>\n"
    "<styleUrl>#sh_placemark_circle_highlight</styleUrl>\n"
    "</Pair>\n"
    "</StyleMap>\n"
    "<StyleMap id=\"msn_ylw-pushpin\">\n"
    "<Pair>\n"
    "<key>normal</key>\n"
    "<styleUrl>#sn_ylw-pushpin</styleUrl>\n"
    "</Pair>\n"
    "</StyleMap>\n"
    "<Style id=\"sn_ylw-pushpin\">\n"
    "<IconStyle>\n"
    "<Icon>\n"
    "<href>" ZELTLOG_ICON_HOST "/mapfiles/kml/pushpin/ylw-pushpin.png</href>\n"
    "</Icon>\n"
    "<hotSpot x=\"20\" y=\"2\" xunits=\"pixels\" yunits=\"pixels\"/>\n"
    "</IconStyle>\n"
    "<LabelStyle>\n"
    "<color>ff0000ff</color>\n"
    "</LabelStyle>\n"
    "</Style>\n"
    "<Folder>\n";

const std::string_view kMarkDocumentTail =
    "</Folder>\n"
    "</Document>\n"
    "</kml>\n";

const std::string_view kRateDocumentHead =
    ZELTLOG_KML_PROLOGUE
    "<Document>\n";

#define ZELTLOG_POLY_STYLE(id, width, colour) \
  "<Style id=\"" id "\">\n"                   \
  "<LineStyle>\n"                             \
  "<width>" width "</width>\n"                \
  "</LineStyle>\n"                            \
  "<PolyStyle>\n"                             \
  "<color>" colour "</color>\n"               \
  "</PolyStyle>\n"                            \
  "</Style>\n"

const std::string_view kRateStyleCatalogue =
    ZELTLOG_POLY_STYLE("transRedPoly", "1.5", "7d0000ff")
    ZELTLOG_POLY_STYLE("transBluePoly", "1.5", "7dff0000")
    ZELTLOG_POLY_STYLE("transGreenPoly", "1.5", "7d00ff00")
    ZELTLOG_POLY_STYLE("transYellowPoly", "1.5", "7d0000ff")
    ZELTLOG_POLY_STYLE("G1", "1.0", "ff168316")
    ZELTLOG_POLY_STYLE("G2", "1.0", "ff33ffcc")
    ZELTLOG_POLY_STYLE("G3", "1.0", "ff36d240")
    ZELTLOG_POLY_STYLE("G4", "1.0", "ff007f00")
    ZELTLOG_POLY_STYLE("G5", "1.0", "ff009f00")
    ZELTLOG_POLY_STYLE("G6", "1.0", "7d00df00")
    "<Folder>\n";

const std::string_view kRateDocumentTail =
    "</Folder>\n"
    "</Document>\n"
    "</kml>\n";

const std::string_view kQuadPolygonClose =
    "</coordinates>\n"
    "</LinearRing>\n"
    "</outerBoundaryIs>\n"
    "</Polygon>\n";

void BuildQuadPolygonOpen(std::string& out, int ringId) {
  out.assign("<Polygon>\n<outerBoundaryIs>\n");
  AppendFormat(out, "<LinearRing id=\"%d\">\n", {ringId});
  out.append("<coordinates>\n");
}

}  // namespace zeltlog::kml
