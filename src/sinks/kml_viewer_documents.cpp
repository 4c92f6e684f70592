#include "sinks/kml_viewer_documents.h"

#include <cmath>

#include "core/iso_time.h"
#include "core/output_names.h"
#include "core/text_format.h"
#include "kml/templates.h"
#include "kml/xml_text.h"
#include "sinks/rate_bins.h"

namespace zeltlog {
namespace {

constexpr std::string_view kPrologue =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<kml xmlns=\"http://www.opengis.net/kml/2.2\" xmlns:gx=\"http://www.google.com/kml/ext/2.2\" "
    "xmlns:kml=\"http://www.opengis.net/kml/2.2\" xmlns:atom=\"http://www.w3.org/2005/Atom\">\n"
    "<Document>\n";
constexpr std::string_view kTail = "</Folder>\n</Document>\n</kml>\n";
constexpr std::string_view kFolderSuffix = "<Folder>\n";

// The path's red line, defined once and referenced by every piece.
constexpr std::string_view kPathStyle =
    "<Style id=\"pathLine\">\n<LineStyle>\n<color>ff0000ff</color>\n<width>1</width>\n</LineStyle>\n</Style>\n";
constexpr std::string_view kLineOpen =
    "<LineString>\n<extrude>1</extrude>\n<tessellate>1</tessellate>\n<altitudeMode>clampToGround</altitudeMode>\n"
    "<coordinates>\n";
constexpr std::string_view kLineClose = "</coordinates>\n</LineString>\n";

std::string RateStylesAndLegend(std::string& legend) {
  std::string styles;
  legend.assign("<![CDATA[<table border=\"1\" cellpadding=\"3\">\n<tr><th colspan=\"2\">Applied rate</th></tr>\n");
  for (const RateBinLook& look : kRateBins) {
    AppendFormat(styles,
                 "<Style id=\"%s\">\n<LineStyle>\n<width>1.0</width>\n</LineStyle>\n<PolyStyle>\n<color>%s</color>\n"
                 "</PolyStyle>\n</Style>\n",
                 {look.id, look.colour});
    AppendFormat(legend, "<tr><td bgcolor=\"%s\">&nbsp;&nbsp;&nbsp;&nbsp;</td><td>%s</td></tr>\n",
                 {look.legendColour, look.label});
  }
  legend.append("</table>]]>");
  return styles;
}

// Creates a document and writes everything before its placemarks: its
// name and description, the catalogue `styles`, then the folder that holds
// the placemarks.
OutputFile* OpenDocument(OutputSet& outputs, const std::string& path, std::string_view styles, std::string_view prefix,
                         std::string_view description, std::string_view folderName) {
  if (path.empty()) return nullptr;
  OutputFile* file = outputs.Create(path);
  if (!file) return nullptr;
  std::string text(kPrologue);
  text.append("<name>");
  text.append(prefix);
  kml::AppendXmlFileName(text, FileNameOf(path));
  text.append("</name>\n<open>1</open>\n<description>");
  text.append(description);
  text.append("</description>\n");
  text.append(styles);
  text.append(kFolderSuffix);
  text.append("<name>");
  text.append(folderName);
  text.append("</name>\n");
  file->Write(text);
  return file;
}

std::string_view WithoutFolder(std::string_view head) {
  if (head.size() >= kFolderSuffix.size() && head.substr(head.size() - kFolderSuffix.size()) == kFolderSuffix) {
    head.remove_suffix(kFolderSuffix.size());
  }
  return head;
}

void AppendTimeStamp(std::string& out, const std::string& when) {
  if (when.empty()) return;
  out.append("<TimeStamp>\n<when>").append(when).append("</when>\n</TimeStamp>\n");
}

void AppendTimeSpan(std::string& out, const std::string& begin, const std::string& end) {
  if (begin.empty() && end.empty()) return;
  out.append("<TimeSpan>\n");
  if (!begin.empty()) out.append("<begin>").append(begin).append("</begin>\n");
  if (!end.empty()) out.append("<end>").append(end).append("</end>\n");
  out.append("</TimeSpan>\n");
}

}  // namespace

KmlDocumentPaths KmzDocumentPathsFor(const std::string& base) { return {base + ".KMZ", base + "_SIC.KMZ", base + "_M.KMZ"}; }

KmlViewerDocumentSink::KmlViewerDocumentSink(OutputSet& outputs, KmlDocumentPaths paths, bool boundaries,
                                             ViewerDocumentOptions options)
    : outputs_(outputs), paths_(std::move(paths)), boundaries_(boundaries), options_(options) {}

void KmlViewerDocumentSink::OnStart() {
  path_ = OpenDocument(outputs_, paths_.path, kPathStyle, "LI ", "Path", "ZELT 1");
  if (path_ && !options_.timeStamps) {
    // One placemark holds the whole path, a line per piece.
    path_->Write("<Placemark>\n<name>ZELT 1</name>\n<styleUrl>#pathLine</styleUrl>\n<MultiGeometry>\n");
  }
  if (options_.rateColours) {
    std::string legend;
    const std::string styles = RateStylesAndLegend(legend);
    swath_ = OpenDocument(outputs_, paths_.swath, styles, "SW ", legend, "Swaths");
  } else {
    const std::string_view head = WithoutFolder(kml::kRateStyleCatalogue);
    swath_ = OpenDocument(outputs_, paths_.swath, head, "SW ", "Swaths", "Swaths");
  }
  // The marks' catalogue, and a plain style for the marks themselves.
  const std::string_view markHead = kml::kMarkDocumentHead;
  const size_t catalogue = markHead.find("<Document>\n");
  std::string markStyles(WithoutFolder(markHead.substr(catalogue == std::string_view::npos ? 0 : catalogue + 11)));
  markStyles.append("<Style id=\"sn_S\">\n</Style>\n");
  marks_ = OpenDocument(outputs_, paths_.marks, markStyles, "MA ", "Marks", "Marks");
}

void KmlViewerDocumentSink::OnEnd(const RunEnd&) {
  if (path_) {
    EndPathPiece();
    if (!options_.timeStamps) path_->Write("</MultiGeometry>\n</Placemark>\n");
    path_->Write(kTail);
    outputs_.Commit(path_);
  }
  for (OutputFile* file : {swath_, marks_}) {
    if (!file) continue;
    file->Write(kTail);
    outputs_.Commit(file);
  }
}

std::string KmlViewerDocumentSink::StampOf(double timeOfDay, const LogDate& date) {
  std::string stamp;
  if (!IsCalendarDate(date.year, date.month, date.day) || !(timeOfDay >= 0.0) || timeOfDay >= 86400.0) return stamp;
  const long long hundredths = std::llround(timeOfDay * 100.0);
  if (hundredths >= 8640000) return stamp;
  const long long seconds = hundredths / 100;
  AppendFormat(stamp, "%04d-%02d-%02dT%02d:%02d:%02d.%02dZ",
               {date.year, date.month, date.day, seconds / 3600, seconds / 60 % 60, seconds % 60, hundredths % 100});
  return stamp;
}

void KmlViewerDocumentSink::OnMarkPoint(const MarkPoint& p) {
  if (!marks_) return;
  std::string& body = text_;
  body.clear();
  if (p.type < 128) {
    body.append("<Placemark>\n<name>");
    kml::AppendXmlText(body, p.name);
    body.append("</name>\n<styleUrl>#sn_S</styleUrl>\n<Point>\n<coordinates>");
    AppendFormat(body, "%8.7f,%8.7f,%1.3f", {p.longitude, p.latitude, p.altitude});
  } else if (!boundaries_) {
    return;
  } else if (p.type == 130 || p.type == 131) {
    body.append(p.type == 130 ? "<Placemark>\n<name>INCLUSION</name>\n" : "<Placemark>\n<name>EXCLUSION</name>\n");
    body.append("<styleUrl>#msn_ylw-pushpin</styleUrl>\n<Point>\n<coordinates>");
    AppendFormat(body, "%3.9lf,%3.9lf,%2.3lf", {p.longitude, p.latitude, p.altitude});
  } else if (p.type == 128) {
    body.append("<Placemark>\n<name>BOUNDARY</name>\n<styleUrl>#msn_placemark_circle</styleUrl>\n<Point>\n<coordinates>");
    AppendFormat(body, "%3.9lf,%3.9lf,%2.3lf", {p.longitude, p.latitude, p.altitude});
  } else {
    return;
  }
  body.append("</coordinates>\n</Point>\n</Placemark>\n");
  marks_->Write(body);
}

void KmlViewerDocumentSink::OnTimeGap(const TimeGap& gap) {
  if (path_ && !gap.backwards) EndPathPiece();
}

// A piece that got a single point is drawn as that point.
void KmlViewerDocumentSink::EndPathPiece() {
  if (piecePoints_ == 1) {
    text_.clear();
    if (options_.timeStamps) {
      AppendFormat(text_, "<Placemark>\n<name>time %2.2f s</name>\n", {lastTime_});
      AppendTimeStamp(text_, lastStamp_);
      text_.append("<styleUrl>#pathLine</styleUrl>\n");
    }
    text_.append("<Point>\n<altitudeMode>clampToGround</altitudeMode>\n<coordinates>");
    text_.append(lastPoint_);
    text_.append("</coordinates>\n</Point>\n");
    if (options_.timeStamps) text_.append("</Placemark>\n");
    path_->Write(text_);
  } else if (piecePoints_ > 1 && !options_.timeStamps) {
    path_->Write(kLineClose);
  }
  piecePoints_ = 0;
}

void KmlViewerDocumentSink::OnPathPoint(const PathPoint& p) {
  if (!path_) return;
  std::string point;
  AppendFormatted<"%8.8lf,%8.8lf,%3.3lf\n">(point, {p.at.longitude, p.at.latitude, p.at.altitude});
  std::string stamp = options_.timeStamps ? StampOf(p.time, p.date) : std::string();
  text_.clear();
  if (options_.timeStamps) {
    // A placemark per segment, spanning the times of its two ends.
    if (piecePoints_ > 0) {
      AppendFormat(text_, "<Placemark>\n<name>time %2.2f s</name>\n", {p.time});
      AppendTimeSpan(text_, lastStamp_, stamp);
      text_.append("<styleUrl>#pathLine</styleUrl>\n");
      text_.append(kLineOpen).append(lastPoint_).append(point).append(kLineClose).append("</Placemark>\n");
    }
  } else if (piecePoints_ == 1) {
    text_.append(kLineOpen).append(lastPoint_).append(point);
  } else if (piecePoints_ > 1) {
    text_.append(point);
  }
  path_->Write(text_);
  lastPoint_ = std::move(point);
  lastStamp_ = std::move(stamp);
  lastTime_ = p.time;
  ++piecePoints_;
}

void KmlViewerDocumentSink::OnQuad(const SwathQuad& q) {
  if (!swath_) return;
  std::string& placemark = text_;
  placemark.clear();
  AppendFormat(placemark, "<Placemark>\n<name>time %2.2f s</name>\n", {q.time});
  const char* style = "G1";
  if (options_.rateColours) {
    AppendFormat(placemark, "<description>applied %1.1f l/ha, target %1.1f l/ha</description>\n",
                 {q.actualRate, q.targetRate});
    style = LookOf(RateBinOf(q.targetRate, q.actualRate)).id;
  }
  if (options_.timeStamps) AppendTimeStamp(placemark, StampOf(q.time, q.date));
  AppendFormat(placemark, "<styleUrl>#%s</styleUrl>\n", {style});
  placemark.append("<Polygon>\n<outerBoundaryIs>\n<LinearRing>\n<coordinates>\n");
  for (const GeoPoint* corner : {&q.prevRight, &q.right, &q.left, &q.prevLeft, &q.prevRight}) {
    AppendFormatted<" %8.7f,%8.7f,%1.3f\n">(placemark, {corner->longitude, corner->latitude, corner->altitude});
  }
  placemark.append(kml::kQuadPolygonClose);
  placemark.append("</Placemark>\n");
  swath_->Write(placemark);
}

}  // namespace zeltlog
