#include "core/log_conversion.h"

#include <cmath>

#include "core/output_names.h"
#include "core/record_reader.h"
#include "core/text_format.h"
#include "kml/swath_quads.h"
#include "kml/templates.h"
#include "kml/xml_text.h"

namespace zeltlog {
namespace {

constexpr unsigned kProgressEveryFrames = 1u << 16;

// Runs one pass over the open log, reporting progress now and then.
void RunPass(ConversionSession& s, PassMode mode) {
  unsigned frames = 0;
  const unsigned long long total = s.logFile.Size();
  while (ReadRecord(s, mode)) {
    if (++frames == kProgressEveryFrames) {
      frames = 0;
      s.platform.ReportProgress(s.logFile.Position(), total);
    }
  }
  s.platform.ReportProgress(s.logFile.Position(), total);
}

void AddSummary(ConversionSession& s, std::string_view format, std::initializer_list<FormatArg> args) {
  s.scratch.clear();
  AppendFormat(s.scratch, format, args);
  s.AddEvent(EventKind::Summary, s.scratch);
}

void AddSummaryLines(ConversionSession& s) {
  AddSummary(s, "Latitude range:  %3.8lf, %3.8lf, %3.8lf", {s.latitudeMax, s.latitudeMin, s.latitudeMax - s.latitudeMin});
  AddSummary(s, "Longitude range: %3.8lf, %3.8lf, %3.8lf",
             {s.longitudeMax, s.longitudeMin, s.longitudeMax - s.longitudeMin});
  const double distance = ExtentDistance(s.latitudeMax, s.latitudeMin, s.longitudeMax, s.longitudeMin);
  s.zoomLevel = ZoomLevelFor(distance);
  AddSummary(s, "Dist:  %3.5lf, Google zoom level: %d", {distance, s.zoomLevel});
  AddSummary(s, "Altitudes variation: %3.3lf, %3.3lf, %3.3lf",
             {s.altitudeMax, s.altitudeMin, s.altitudeMax - s.altitudeMin});
  if (s.targetRateMax < -900.0) {
    s.AddEvent(EventKind::Summary, "Target rates: NOT SET");
  } else {
    AddSummary(s, "Target rates: %3.3lf, %3.3lf, %3.3lf",
               {s.targetRateMax, s.targetRateMin, s.targetRateMax - s.targetRateMin});
  }
  if (s.actualRateMax < -900.0) {
    s.AddEvent(EventKind::Summary, "Actual rates: NOT SET");
  } else {
    AddSummary(s, "Actual rates: %3.3lf, %3.3lf, %3.3lf, Volume: %3.1lf",
               {s.actualRateMax, s.actualRateMin, s.actualRateMax - s.actualRateMin, s.tankUsed});
  }
}

// Creates one output document and writes its head, or reports that it
// cannot be created; such a document then receives no writes at all.
void OpenDocument(ConversionSession& s, ConversionOutcome& outcome, OutputFile& file, const std::string& path,
                  std::string_view head, std::string_view prefix, std::string_view description,
                  std::string_view afterDescription) {
  std::string reason;
  if (!file.Create(path, OutputFile::Mode::Text, &reason)) {
    s.AddEvent(EventKind::Error, "Cannot create " + path);
    outcome.documentsFailed.push_back({path, reason});
    return;
  }
  file.Write(head);
  s.scratch.assign("<name>");
  s.scratch.append(prefix);
  kml::AppendXmlFileName(s.scratch, FileNameOf(path));
  s.scratch.append("</name>\n<description>");
  s.scratch.append(description);
  s.scratch.append("</description>\n");
  file.Write(s.scratch);
  file.Write(afterDescription);
}

void CloseDocument(ConversionSession& s, ConversionOutcome& outcome, OutputFile& file) {
  if (!file.IsOpen()) return;
  const std::string path = file.path();
  std::string reason;
  if (file.Close(&reason)) {
    outcome.documentsWritten.push_back(path);
  } else {
    s.AddEvent(EventKind::Error, "Cannot write " + path);
    outcome.documentsFailed.push_back({path, reason});
  }
}

}  // namespace

double ExtentDistance(double latitudeMax, double latitudeMin, double longitudeMax, double longitudeMin) {
  const double k = 1.0 / 57.2958;
  const double dLat = latitudeMax - latitudeMin;
  const double dLon = longitudeMax - longitudeMin;
  const double x = dLon * std::cos(latitudeMin * k);
  return std::sqrt(x * x + dLat * dLat);
}

int ZoomLevelFor(double distance) {
  static constexpr double kThresholds[] = {360,   90,    45,    22.5,  11.25, 5.625, 2.813, 1.406, 0.703,
                                           0.352, 0.176, 0.088, 0.044, 0.022, 0.011, 0.005, 0.003, 0.001};
  int level = 0;
  for (int i = 0; i < 18; ++i) {
    if (distance < kThresholds[i]) level = i + 1;
  }
  return level + 1;
}

bool ConvertLog(ConversionSession& s, ConversionOutcome& outcome) {
  s.firstFixCounter = 1;
  std::string reason;
  if (!s.logFile.Open(s.logPath, &reason)) {
    outcome.logError = reason;
    return false;
  }
  const std::string base = OutputBase(s.logPath);
  s.marksKmlPath = base + "_M.KML";
  s.swathKmlPath = base + "_SIC.KML";
  s.logPath = base + ".KML";
  s.swathWidth = 70.0;

  if (s.lineOutput == 1) {
    std::string afterDescription(kml::kPathLineOpen);
    afterDescription.append(kml::kClampedCoordinatesOpen);
    OpenDocument(s, outcome, s.pathKml, s.logPath, kml::kPathDocumentHead, "LI ", "Path", afterDescription);
  }
  if (s.swathOutput == 1) {
    OpenDocument(s, outcome, s.swathKml, s.swathKmlPath, kml::kRateDocumentHead, "SW ", "Swaths",
                 kml::kRateStyleCatalogue);
  }
  if (s.marksOutput == 1) {
    OpenDocument(s, outcome, s.marksKml, s.marksKmlPath, kml::kMarkDocumentHead, "MA ", "Marks", "<open>1</open>\n");
  }

  s.platform.SetBusy(true);
  s.recordBuffer[0] = 1;
  s.headerLineKind = EventKind::Record;  // the version line was listed by the pre-scan already
  ReadRecord(s, PassMode::Header);
  s.headerLineKind = EventKind::Summary;
  s.recordBuffer[0] = 0;
  s.sprayState = 0;
  s.previousSprayState = 0;
  s.flowStatus = 0;
  s.runStatus = 0;
  s.logEndedInsideFrame = false;
  RunPass(s, PassMode::Full);
  outcome.endedInsideFrame = s.logEndedInsideFrame;
  if (s.logFile.Failed()) outcome.logError = "read error";
  s.logFile.Close();

  if (s.lineOutput == 1) {
    s.pathKml.Write(kml::kPathDocumentTail);
    CloseDocument(s, outcome, s.pathKml);
  }
  if (s.swathOutput == 1) {
    CompleteQuadPolygon(s);
    s.swathKml.Write(s.quadPolygonText);
    s.swathKml.Write(kml::kRateDocumentTail);
    CloseDocument(s, outcome, s.swathKml);
  }
  if (s.marksOutput == 1) {
    s.marksKml.Write(s.markPlacemarkText);
    s.marksKml.Write(kml::kMarkDocumentTail);
    CloseDocument(s, outcome, s.marksKml);
  }

  AppendFormat(s.runStartText, ", End:%3.3lf, %d, records, %d checksum errors",
               {s.currentTime, s.runPositionCount, s.checksumErrorCount});
  s.AddEvent(EventKind::Summary, s.runStartText);
  s.platform.SetBusy(false);
  s.platform.RefreshFields(s);
  return true;
}

ConversionOutcome RunLogConversion(ConversionSession& s) {
  const auto chosen = ChooseFileAndRememberFolder(s, kLogFileFilter, "");
  if (!chosen) return {};
  return RunLogConversionOn(s, *chosen);
}

ConversionOutcome RunLogConversionOn(ConversionSession& s, const std::string& path) {
  ConversionOutcome outcome;
  outcome.chosen = true;
  s.chosenLogPath = path;
  s.logPath = path;
  s.platform.ClearEvents();
  ResetSession(s);
  s.goodRecordCount = 0;
  s.runPositionCount = 0;
  s.checksumErrorCount = 0;
  s.runStartText.clear();
  if (s.swathOutput != 1) return outcome;

  std::string reason;
  if (!s.logFile.Open(path, &reason)) {
    outcome.logError = reason;
    return outcome;
  }
  if (s.logFile.Size() == 0) {
    // Nothing to convert; earlier documents of this log stay as they are.
    s.logFile.Close();
    outcome.logError = "the log is empty";
    return outcome;
  }
  s.recordBuffer[0] = 1;
  ReadRecord(s, PassMode::Header);
  SetRangeSentinels(s);
  s.recordBuffer[0] = 0;
  RunPass(s, PassMode::Prescan);
  s.logFile.Close();
  AddSummaryLines(s);

  if (!ConvertLog(s, outcome)) return outcome;
  outcome.logRead = true;
  if (outcome.logError.empty()) {
    if (s.goodRecordCount == 0) {
      outcome.logError = "no valid record found";
    } else if (s.checksumErrorCount > s.goodRecordCount) {
      // Random bytes pass the checksum now and then; a log is mostly good frames.
      outcome.logError = Format("%d of %d frames have a bad checksum: this does not look like a guidance log",
                                {s.checksumErrorCount, s.checksumErrorCount + s.goodRecordCount});
    }
  }

  // The viewer opens the documents this run wrote, swath first.
  bool first = true;
  for (const std::string* path : {&s.swathKmlPath, &s.logPath, &s.marksKmlPath}) {
    bool written = false;
    for (const auto& done : outcome.documentsWritten) written = written || done == *path;
    if (!written) continue;
    if (!first) s.platform.Pause(1000);
    first = false;
    s.platform.OpenInViewer(*path);
  }
  return outcome;
}

}  // namespace zeltlog
