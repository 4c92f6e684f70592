#include "pipeline/log_conversion.h"

#include "core/output_names.h"
#include "core/output_set.h"
#include "pipeline/background_prescan.h"
#include "pipeline/event_hold.h"
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

// The documents a run over `path` writes with the options `o`; those
// switched off are empty.
KmlDocumentPaths DocumentPathsOf(const RunOptions& o, const std::string& path) {
  KmlDocumentPaths paths = o.kmz ? KmzDocumentPathsFor(OutputBase(path)) : KmlDocumentPathsFor(OutputBase(path));
  if (!o.lineOutput) paths.path.clear();
  if (!o.marksOutput) paths.marks.clear();
  return paths;
}

}  // namespace

CommandResult RunLogConversion(ConversionSession& s) {
  const auto chosen = ChooseFileAndRememberFolder(s, kLogFileFilter, "");
  if (!chosen) return {};
  return RunLogConversionOn(s, *chosen);
}

namespace {

// Every run starts the same way: the log is the chosen one, the event
// list is cleared and the count of good frames starts again.
void StartRun(ConversionSession& s, const std::string& path, CommandResult& result) {
  result.chosen = true;
  s.chosenLogPath = path;
  s.events.ClearEvents();
  s.goodRecordCount = 0;
}

// The start of a run over a log: the log opened for the pre-scan, and the
// event list headed by its version line. False, with the reason in
// `result`, when it cannot be read or is empty; earlier outputs of the log
// then stay as they are.
bool OpenForPrescan(ConversionSession& s, const std::string& path, OpenedLog& log, CommandResult& result) {
  StartRun(s, path, result);
  if (!OpenLog(path, log, result)) return false;
  if (log.reader.Size() == 0) {
    result.Unreadable("the log is empty");
    return false;
  }
  if (log.header) s.AddEvent(EventKind::Summary, "Version: " + *log.header);
  return true;
}

}  // namespace

CommandResult RunLogConversionOn(ConversionSession& s, const std::string& path, const std::vector<Sink*>& extraSinks) {
  CommandResult result;
  const RunOptions& o = s.options;
  if (!o.swathOutput) {
    // With the swath switch off the command does nothing beyond its start.
    StartRun(s, path, result);
    return result;
  }
  OpenedLog prescanLog;
  if (!OpenForPrescan(s, path, prescanLog, result)) return result;
  BackgroundPrescan prescan(prescanLog);
  // Everything the full pass lists goes through the hold, document
  // failures included, so that it follows the summary.
  EventHold hold(s.events);

  OutputSet outputs(hold);
  const KmlDocumentPaths paths = DocumentPathsOf(o, path);
#ifdef ZELTLOG_WITH_ANALYSIS
  if (o.kmz) outputs.PackEachOutput(WriteKmz);
#endif
  EventLineSink events(hold, {o.marksOutput, o.boundaryOutput});
  KmlDocumentSink documents(outputs, paths, o.boundaryOutput);
  KmlViewerDocumentSink viewerDocuments(outputs, paths, o.boundaryOutput, {o.timeStamps, o.rateColours});
  std::vector<Subscription> sinks{{&events}};
  if (o.ogcKml || o.timeStamps || o.rateColours) {
    sinks.push_back({&viewerDocuments});
  } else {
    sinks.push_back({&documents});
  }
  for (Sink* sink : extraSinks) sinks.push_back({sink});

  const auto facts = RunFullPass(path, prescan, hold, o.sprayProjection, sinks, s.progress, result);
  if (!facts) {
    NoteLastPosition(s, prescan.Wait().counts);
    return result;
  }
  result.outputs = outputs.report();
  s.goodRecordCount = facts->counts.goodFrames;
  NoteLastPosition(s, facts->counts);
  return result;
}

std::vector<std::string> DocumentsForViewer(const ConversionSession& s, const std::string& path,
                                            const OutputReport& report) {
  const KmlDocumentPaths paths = DocumentPathsOf(s.options, path);
  std::vector<std::string> documents;
  for (const std::string* document : {&paths.swath, &paths.path, &paths.marks}) {
    for (const std::string& written : report.written) {
      if (!document->empty() && written == *document) {
        documents.push_back(written);
        break;
      }
    }
  }
  return documents;
}

CommandResult RunLogAnalysis(ConversionSession& s, const std::string& path, const std::vector<Sink*>& analyses) {
  CommandResult result;
  OpenedLog prescanLog;
  if (!OpenForPrescan(s, path, prescanLog, result)) return result;
  BackgroundPrescan prescan(prescanLog);
  EventHold hold(s.events);
  const RunOptions& o = s.options;
  EventLineSink events(hold, {o.marksOutput, o.boundaryOutput});
  std::vector<Subscription> sinks{{&events}};
  for (Sink* sink : analyses) sinks.push_back({sink});
  const auto facts = RunFullPass(path, prescan, hold, o.sprayProjection, sinks, s.progress, result);
  NoteLastPosition(s, facts ? facts->counts : prescan.Wait().counts);
  if (facts) s.goodRecordCount = facts->counts.goodFrames;
  return result;
}

}  // namespace zeltlog
