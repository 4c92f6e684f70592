// The swath quads of the swath document (base + "_SIC.KML"), written as
// placemarks straight into the document's buffer with their line ends as
// on disk. A quad reuses the text of the corners it shares with the quad
// before it; only its new corners and its time are formatted.
#pragma once

#include "core/fixed_point.h"
#include "core/output_file.h"
#include "geometry/geometry_handler.h"

namespace zeltlog {

class KmlSwathText {
 public:
  KmlSwathText() = default;
  KmlSwathText(const KmlSwathText&) = delete;
  KmlSwathText& operator=(const KmlSwathText&) = delete;

  // Writes the quad's placemark.
  void WriteQuad(OutputFile& file, const SwathQuad& quad);
  // The document repeats the last quad as a bare polygon, its ring
  // numbered by the quads before it; nothing when there was no quad.
  void WriteLastQuadPolygon(OutputFile& file, std::string& scratch) const;

 private:
  // A corner's text (" lon,lat,alt", no line end), formatted again only
  // when its point changes.
  struct Corner {
    GeoPoint point;
    bool set = false;
    size_t size = 0;
    char text[3 * kFixedTextLimit + 8];
  };
  static const Corner& Text(Corner& corner, const GeoPoint& point);
  static char* Put(char* at, const Corner& corner);
  static char* PutLine(char* at, const Corner& corner);

  // The corners of the quad under way; a quad's right and left become the
  // next one's previous right and left by swapping these pointers.
  Corner corners_[4];
  Corner* prevRight_ = &corners_[0];
  Corner* right_ = &corners_[1];
  Corner* left_ = &corners_[2];
  Corner* prevLeft_ = &corners_[3];
  int quads_ = 0;
  bool lastQuadFirstOfRun_ = false;
};

}  // namespace zeltlog
