// The fixed text fragments that the KML documents are assembled from, and
// the catalogue of style ids they define. Each fragment is written whole;
// every line ends in "\n", which the output file turns into CR LF.
#pragma once

#include <string>
#include <string_view>

namespace zeltlog::kml {

// Head of the flight-path document (and of the GPS message walls): the
// prologue, the placemark and its first name.
extern const std::string_view kPathDocumentHead;
// Red line style of width 1, the multi-geometry and its first line string.
extern const std::string_view kPathLineOpen;
extern const std::string_view kClampedCoordinatesOpen;
extern const std::string_view kRelativeCoordinatesOpen;
extern const std::string_view kPathDocumentTail;

// Head of the marks document with its style catalogue, ending in <Folder>.
extern const std::string_view kMarkDocumentHead;
extern const std::string_view kMarkDocumentTail;

// Head of the swath document, and the style catalogue written after its
// name and description, ending in <Folder>.
extern const std::string_view kRateDocumentHead;
extern const std::string_view kRateStyleCatalogue;
extern const std::string_view kRateDocumentTail;

extern const std::string_view kQuadPolygonClose;

// "<Polygon>" ... "<coordinates>" with the given ring id.
void BuildQuadPolygonOpen(std::string& out, int ringId);

}  // namespace zeltlog::kml
