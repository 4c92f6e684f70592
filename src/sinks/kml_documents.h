// The three KML documents of a conversion, beside the log: the flight path
// (base + ".KML"), the swath quads (base + "_SIC.KML") and the marks
// (base + "_M.KML"). This sink only formats: the coordinates come from the
// track and swath geometry and the mark records. Each document is an
// output of the run's OutputSet, created when the run begins and committed
// when it ends.
#pragma once

#include <string>

#include "core/output_set.h"
#include "sinks/sink.h"

namespace zeltlog {

struct KmlDocumentPaths {
  std::string path, swath, marks;  // empty: that document is off
};
KmlDocumentPaths KmlDocumentPathsFor(const std::string& outputBase);

class KmlDocumentSink : public Sink {
 public:
  // `boundaries`: boundary points go into the marks document too.
  KmlDocumentSink(OutputSet& outputs, KmlDocumentPaths paths, bool boundaries);

  void OnBegin(const PrescanFigures& figures) override;
  void OnEnd(const RunEnd& end) override;
  void OnMarkPoint(const MarkPoint& point) override;
  void OnTimeGap(const TimeGap& gap) override;
  void OnPathPoint(const PathPoint& point) override;
  void OnQuad(const SwathQuad& quad) override;

 private:
  // A corner's text, formatted again only when its point changes.
  struct Corner {
    GeoPoint point;
    bool lineEnd = true;
    bool set = false;
    std::string text;
  };
  static const std::string& Text(Corner& corner, const GeoPoint& point, bool lineEnd);

  OutputSet& outputs_;
  KmlDocumentPaths paths_;
  bool boundaries_;
  OutputFile* path_ = nullptr;
  OutputFile* swath_ = nullptr;
  OutputFile* marks_ = nullptr;
  std::string text_;
  Corner prevRight_, right_, left_, prevLeft_;
  int quads_ = 0;
  // The last quad's placemark, and where its ring lies in it.
  std::string placemark_;
  size_t lastRingStart_ = 0, lastRingLength_ = 0;
};

}  // namespace zeltlog
