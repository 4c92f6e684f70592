#include "pipeline/log_conversion.h"

#include "core/output_names.h"
#include "core/output_set.h"
#include "pipeline/log_passes.h"
#include "sinks/event_lines.h"
#include "sinks/kml_documents.h"
#include "sinks/kml_viewer_documents.h"
#ifdef ZELTLOG_WITH_ANALYSIS
#include "sinks/kmz_archive.h"
#endif

namespace zeltlog {
namespace {

void NoteLastPosition(ConversionSession& s, const FramePassCounts& counts) {
  if (counts.lastPositionIdentifier == static_cast<uint8_t>(RecordId::FullPosition)) s.positionFormatLabel = "POS1";
  if (counts.lastPositionIdentifier == static_cast<uint8_t>(RecordId::CompactPosition)) s.positionFormatLabel = "POS2";
}

// The viewer opens the documents this run wrote, swath first.
void OpenWrittenDocuments(Platform& platform, const KmlDocumentPaths& paths, const OutputReport& report) {
  bool first = true;
  for (const std::string* path : {&paths.swath, &paths.path, &paths.marks}) {
    bool written = false;
    for (const auto& done : report.written) written = written || done == *path;
    if (!written) continue;
    if (!first) platform.Pause(1000);
    first = false;
    platform.OpenInViewer(*path);
  }
}

}  // namespace

CommandResult RunLogConversion(ConversionSession& s) {
  const auto chosen = ChooseFileAndRememberFolder(s, kLogFileFilter, "");
  if (!chosen) return {};
  return RunLogConversionOn(s, *chosen);
}

namespace {

// The start of a run over a log: the pre-scan, headed by the log's version
// line. False, with the reason in `result`, when the log has nothing to
// draw; earlier outputs of the log then stay as they are.
// Every run starts the same way: the log is the chosen one, the event
// list is cleared and the count of good frames starts again.
void StartRun(ConversionSession& s, const std::string& path, CommandResult& result) {
  result.chosen = true;
  s.chosenLogPath = path;
  s.platform.ClearEvents();
  s.goodRecordCount = 0;
}

bool Prescan(ConversionSession& s, const std::string& path, PrescanSummarySink& prescan, CommandResult& result) {
  StartRun(s, path, result);
  OpenedLog log;
  if (!OpenLog(path, log, result)) return false;
  if (log.reader.Size() == 0) {
    result.Unreadable("the log is empty");
    return false;
  }
  if (log.header) s.AddEvent(EventKind::Summary, "Version: " + *log.header);
  const FramePassCounts counts = RunFramePass(log.reader, prescan, s.platform);
  NoteLastPosition(s, counts);
  if (log.reader.Failed()) {
    result.Unreadable("read error");
  } else if (counts.goodFrames == 0) {
    result.Unreadable("no valid record found");
  } else if (prescan.figures().fixes == 0) {
    result.Unreadable("the log holds no position fix");
  }
  return result.problems.empty();
}

}  // namespace

CommandResult RunLogConversionOn(ConversionSession& s, const std::string& path, const std::vector<Sink*>& extraSinks) {
  CommandResult result;
  const RunOptions& o = s.options;
  if (o.swathOutput != 1) {
    // With the swath switch off the command does nothing beyond its start.
    StartRun(s, path, result);
    return result;
  }
  PrescanSummarySink prescan;
  if (!Prescan(s, path, prescan, result)) return result;

  OutputSet outputs(s.platform);
  KmlDocumentPaths paths = o.kmz ? KmzDocumentPathsFor(OutputBase(path)) : KmlDocumentPathsFor(OutputBase(path));
#ifdef ZELTLOG_WITH_ANALYSIS
  if (o.kmz) outputs.PackEachOutput(WriteKmz);
#endif
  if (o.lineOutput != 1) paths.path.clear();
  if (o.marksOutput != 1) paths.marks.clear();
  EventLineSink events(s.platform, {o.marksOutput == 1, o.boundaryOutput == 1});
  KmlDocumentSink documents(outputs, paths, o.boundaryOutput == 1);
  KmlViewerDocumentSink viewerDocuments(outputs, paths, o.boundaryOutput == 1, {o.timeStamps, o.rateColours});
  SinkFanout sinks;
  sinks.Add(events);
  if (o.ogcKml || o.timeStamps || o.rateColours) {
    sinks.Add(viewerDocuments);
  } else {
    sinks.Add(documents);
  }
  for (Sink* sink : extraSinks) sinks.Add(*sink);

  const auto facts = RunFullPass(path, prescan, o.sprayProjection, sinks, s.platform, result);
  result.outputs = outputs.report();
  if (!facts) return result;
  s.goodRecordCount = facts->counts.goodFrames;
  NoteLastPosition(s, facts->counts);
  s.platform.RefreshFields(s);
  OpenWrittenDocuments(s.platform, paths, result.outputs);
  return result;
}

CommandResult RunLogAnalysis(ConversionSession& s, const std::string& path, const std::vector<Sink*>& analyses) {
  CommandResult result;
  PrescanSummarySink prescan;
  if (!Prescan(s, path, prescan, result)) return result;
  const RunOptions& o = s.options;
  EventLineSink events(s.platform, {o.marksOutput == 1, o.boundaryOutput == 1});
  SinkFanout sinks;
  sinks.Add(events);
  for (Sink* sink : analyses) sinks.Add(*sink);
  const auto facts = RunFullPass(path, prescan, o.sprayProjection, sinks, s.platform, result);
  if (facts) s.goodRecordCount = facts->counts.goodFrames;
  return result;
}

}  // namespace zeltlog
