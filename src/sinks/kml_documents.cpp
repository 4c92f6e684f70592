#include "sinks/kml_documents.h"

#include <cstring>

#include "core/output_names.h"
#include "core/text_format.h"
#include "kml/templates.h"
#include "kml/xml_text.h"

namespace zeltlog {
namespace {

// Creates a document and writes its head, name and description.
OutputFile* OpenDocument(OutputSet& outputs, const std::string& path, std::string_view head, std::string_view prefix,
                         std::string_view description, std::string_view afterDescription) {
  if (path.empty()) return nullptr;
  OutputFile* file = outputs.Create(path);
  if (!file) return nullptr;
  file->Write(head);
  std::string text("<name>");
  text.append(prefix);
  kml::AppendXmlFileName(text, FileNameOf(path));
  text.append("</name>\n<description>");
  text.append(description);
  text.append("</description>\n");
  file->Write(text);
  file->Write(afterDescription);
  return file;
}

bool SameBits(const GeoPoint& a, const GeoPoint& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

KmlDocumentPaths KmlDocumentPathsFor(const std::string& base) { return {base + ".KML", base + "_SIC.KML", base + "_M.KML"}; }

KmlDocumentSink::KmlDocumentSink(OutputSet& outputs, KmlDocumentPaths paths, bool boundaries)
    : outputs_(outputs), paths_(std::move(paths)), boundaries_(boundaries) {}

void KmlDocumentSink::OnBegin(const PrescanFigures&) {
  std::string afterDescription(kml::kPathLineOpen);
  afterDescription.append(kml::kClampedCoordinatesOpen);
  path_ = OpenDocument(outputs_, paths_.path, kml::kPathDocumentHead, "LI ", "Path", afterDescription);
  swath_ = OpenDocument(outputs_, paths_.swath, kml::kRateDocumentHead, "SW ", "Swaths", kml::kRateStyleCatalogue);
  marks_ = OpenDocument(outputs_, paths_.marks, kml::kMarkDocumentHead, "MA ", "Marks", "<open>1</open>\n");
}

void KmlDocumentSink::OnEnd(const RunEnd&) {
  if (path_) {
    path_->Write(kml::kPathDocumentTail);
    outputs_.Commit(path_);
  }
  if (swath_) {
    // The document repeats the last quad as a bare polygon, its ring
    // numbered by the quads before it.
    if (quads_ > 0) {
      kml::BuildQuadPolygonOpen(text_, quads_ - 1);
      text_.append(placemark_, lastRingStart_, lastRingLength_);
      text_.append(kml::kQuadPolygonClose);
      swath_->Write(text_);
    }
    swath_->Write(kml::kRateDocumentTail);
    outputs_.Commit(swath_);
  }
  if (marks_) {
    marks_->Write(kml::kMarkDocumentTail);
    outputs_.Commit(marks_);
  }
}

void KmlDocumentSink::OnMarkPoint(const MarkPoint& p) {
  if (!marks_) return;
  std::string& body = text_;
  body.clear();
  if (p.type < 128) {
    body.append("<Placemark>\n<name>");
    kml::AppendXmlText(body, p.name);
    body.append("</name>\n<styleUrl>#sn_S</styleUrl>\n<Point>\n<coordinates>");
    AppendFormat(body, "%8.7f,%8.7f,%1.3f\n ", {p.longitude, p.latitude, p.altitude});
    body.append("</coordinates>\n</Point>\n</Placemark>\n");
  } else if (!boundaries_) {
    return;
  } else if (p.type == 130 || p.type == 131) {
    body.append("<Placemark>\n<name>");
    body.append(p.type == 130 ? "INCLUSION</name>\n" : "EXCLUSION</name>\n");
    body.append("<description></description>\n<styleUrl>#msn_ylw-pushpin</styleUrl>\n<Point>\n<coordinates>");
    AppendFormat(body, " %3.9lf,%3.9lf,%2.3lf", {p.longitude, p.latitude, p.altitude});
    body.append("</coordinates>\n</Point>\n</Placemark>\n");
  } else if (p.type == 128) {
    body.append("<Placemark>\n<styleUrl>#msn_placemark_circle</styleUrl>\n<Point>\n<coordinates>");
    AppendFormat(body, " %3.9lf,%3.9lf,%2.3lf", {p.longitude, p.latitude, p.altitude});
    body.append("</coordinates>\n</Point>\n</Placemark>\n");
  }
  marks_->Write(body);
}

void KmlDocumentSink::OnTimeGap(const TimeGap& gap) {
  if (path_ && !gap.backwards) path_->Write("</coordinates>\n</LineString>\n<LineString>\n<coordinates>\n");
}

void KmlDocumentSink::OnPathPoint(const PathPoint& p) {
  if (!path_) return;
  text_.clear();
  AppendFormatted<"%8.8lf,%8.8lf,%3.3lf\n">(text_, {p.at.longitude, p.at.latitude, p.at.altitude});
  path_->Write(text_);
}

const std::string& KmlDocumentSink::Text(Corner& corner, const GeoPoint& point, bool lineEnd) {
  if (corner.set && corner.lineEnd == lineEnd && SameBits(corner.point, point)) return corner.text;
  corner.point = point;
  corner.lineEnd = lineEnd;
  corner.set = true;
  corner.text.clear();
  if (lineEnd) {
    AppendFormatted<" %8.7f,%8.7f,%1.3f\n">(corner.text, {point.longitude, point.latitude, point.altitude});
  } else {
    AppendFormatted<" %8.7f,%8.7f,%1.3f">(corner.text, {point.longitude, point.latitude, point.altitude});
  }
  return corner.text;
}

void KmlDocumentSink::OnQuad(const SwathQuad& q) {
  if (!swath_) return;
  std::string& placemark = placemark_;
  placemark.assign("<Placemark>\n");
  AppendFormatted<"<name>time %2.2f s </name>">(placemark, {q.time});
  placemark.append("<styleUrl>#G1</styleUrl>\n");
  placemark.append("<Polygon>\n<outerBoundaryIs>\n<LinearRing id=\"0\">\n<coordinates>\n");
  // The ring is closed by repeating its first corner. The first quad of a
  // run keeps its fourth corner on the line of the fifth.
  const size_t ringStart = placemark.size();
  const std::string& prevRight = Text(prevRight_, q.prevRight, true);
  placemark.append(prevRight);
  placemark.append(Text(right_, q.right, true));
  placemark.append(Text(left_, q.left, true));
  placemark.append(Text(prevLeft_, q.prevLeft, !q.firstOfRun));
  placemark.append(prevRight);
  lastRingStart_ = ringStart;
  lastRingLength_ = placemark.size() - ringStart;
  placemark.append(kml::kQuadPolygonClose);
  placemark.append("</Placemark>\n");
  swath_->Write(placemark);
  // This quad's corners are where the next one starts.
  std::swap(prevRight_, right_);
  std::swap(prevLeft_, left_);
  ++quads_;
}

}  // namespace zeltlog
