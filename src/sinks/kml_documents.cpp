#include "sinks/kml_documents.h"

#include "core/fixed_point.h"
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

}  // namespace

KmlDocumentPaths KmlDocumentPathsFor(const std::string& base) { return {base + ".KML", base + "_SIC.KML", base + "_M.KML"}; }

KmlDocumentSink::KmlDocumentSink(OutputSet& outputs, KmlDocumentPaths paths, bool boundaries)
    : outputs_(outputs), paths_(std::move(paths)), boundaries_(boundaries) {}

void KmlDocumentSink::OnStart() {
  std::string afterDescription(kml::kPathLineOpen);
  afterDescription.append(kml::kClampedCoordinatesOpen);
  path_ = OpenDocument(outputs_, paths_.path, kml::kPathDocumentHead, "LI ", "Path", afterDescription);
  swath_ = OpenDocument(outputs_, paths_.swath, kml::kRateDocumentHead, "SW ", "Swaths", kml::kRateStyleCatalogue);
  marks_ = OpenDocument(outputs_, paths_.marks, kml::kMarkDocumentHead, "MA ", "Marks", "<open>1</open>\n");
  if (swath_) {
    quadWorker_ = std::make_unique<BatchWorker<SwathQuad>>([this](const SwathQuad& quad) { swathText_.WriteQuad(*swath_, quad); });
  }
}

void KmlDocumentSink::OnEnd(const RunEnd&) {
  if (path_) {
    path_->Write(kml::kPathDocumentTail);
    outputs_.Commit(path_);
  }
  if (swath_) {
    quadWorker_->Finish();
    swathText_.WriteLastQuadPolygon(*swath_, text_);
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
  // "%8.8lf,%8.8lf,%3.3lf\n"
  char* at = path_->Room(3 * kFixedTextLimit + 4);
  at = WriteFixed<8>(at, p.at.longitude, 8);
  *at++ = ',';
  at = WriteFixed<8>(at, p.at.latitude, 8);
  *at++ = ',';
  at = WriteFixed<3>(at, p.at.altitude, 3);
  *at++ = '\r';
  *at++ = '\n';
  path_->Advance(at);
}

void KmlDocumentSink::OnQuad(const SwathQuad& q) {
  if (quadWorker_) quadWorker_->Add(q);
}

}  // namespace zeltlog
