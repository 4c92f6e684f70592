// The three KML documents of a conversion, beside the log: the flight path
// (base + ".KML"), the swath quads (base + "_SIC.KML") and the marks
// (base + "_M.KML"). This sink only formats: the coordinates come from the
// track and swath geometry and the mark records. Each document is an
// output of the run's OutputSet, created when the run begins and committed
// when it ends. The swath quads are written on a thread of their own
// (core/batch_worker.h), in order, while the log is still being read.
#pragma once

#include <memory>
#include <string>

#include "core/batch_worker.h"
#include "core/output_set.h"
#include "sinks/kml_swath_text.h"
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
  KmlDocumentSink(const KmlDocumentSink&) = delete;
  KmlDocumentSink& operator=(const KmlDocumentSink&) = delete;

  void OnStart() override;
  void OnEnd(const RunEnd& end) override;
  void OnMarkPoint(const MarkPoint& point) override;
  void OnTimeGap(const TimeGap& gap) override;
  void OnPathPoint(const PathPoint& point) override;
  void OnQuad(const SwathQuad& quad) override;

 private:
  OutputSet& outputs_;
  KmlDocumentPaths paths_;
  bool boundaries_;
  OutputFile* path_ = nullptr;
  OutputFile* swath_ = nullptr;
  OutputFile* marks_ = nullptr;
  std::string text_;
  // The quads go to swathText_ on the worker's thread until the run ends.
  KmlSwathText swathText_;
  std::unique_ptr<BatchWorker<SwathQuad>> quadWorker_;
};

}  // namespace zeltlog
