// The three documents laid out for viewers and GIS tools, valid against the
// OGC KML 2.2 schema: every placemark has one name, every style referenced
// is defined, ids are unique, a path piece of a single point is a Point
// rather than a one-point line, and no polygon stands outside a placemark.
// On request the quads are styled by the rate applied, with a legend, and
// the quads and the path carry the fixes' times for a viewer's time slider.
// The documents go to the same paths as the plain ones (KmlDocumentSink).
#pragma once

#include <string>

#include "core/output_set.h"
#include "sinks/kml_documents.h"
#include "sinks/sink.h"

namespace zeltlog {

struct ViewerDocumentOptions {
  bool timeStamps = false;   // TimeStamp on quads, TimeSpan on path segments
  bool rateColours = false;  // quads styled by actual rate against target
};

// The documents' names zipped: base + ".KMZ", "_SIC.KMZ", "_M.KMZ".
KmlDocumentPaths KmzDocumentPathsFor(const std::string& outputBase);

class KmlViewerDocumentSink : public Sink {
 public:
  KmlViewerDocumentSink(OutputSet& outputs, KmlDocumentPaths paths, bool boundaries, ViewerDocumentOptions options);

  void OnStart() override;
  void OnEnd(const RunEnd& end) override;
  void OnMarkPoint(const MarkPoint& point) override;
  void OnTimeGap(const TimeGap& gap) override;
  void OnPathPoint(const PathPoint& point) override;
  void OnQuad(const SwathQuad& quad) override;

 private:
  // "YYYY-MM-DDThh:mm:ss.ssZ" for a time of day on a fix's date; empty
  // when that is no calendar date and time.
  static std::string StampOf(double timeOfDay, const LogDate& date);
  void EndPathPiece();

  OutputSet& outputs_;
  KmlDocumentPaths paths_;
  bool boundaries_;
  ViewerDocumentOptions options_;
  OutputFile* path_ = nullptr;
  OutputFile* swath_ = nullptr;
  OutputFile* marks_ = nullptr;
  std::string text_;
  // The path piece under way: its points so far, and the last point's
  // coordinates and time (held back until the piece has a second point).
  int piecePoints_ = 0;
  std::string lastPoint_, lastStamp_;
  double lastTime_ = 0.0;
};

}  // namespace zeltlog
