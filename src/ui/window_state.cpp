#include "ui/window_state.h"

#include <charconv>

#include "core/text_format.h"
#include "pipeline/log_conversion.h"

namespace zeltlog::ui {

void StartWindowSession(ConversionSession& s, WindowFields& fields) {
  s.chosenLogPath.clear();
  s.options = RunOptions{};
  fields.vehicleText = "AIR";
  fields.intField = 0;
}

double SprayProjectionFromSpin(int spinPosition) { return (spinPosition - 20) * 0.1; }

namespace {

void Flip(ConversionSession& s, bool& output, const char* on, const char* off, int* checkState) {
  if (!output) {
    output = true;
    s.AddEvent(EventKind::Record, on);
    return;
  }
  output = false;
  if (checkState != nullptr) *checkState = 0;
  s.AddEvent(EventKind::Record, off);
}

}  // namespace

void ToggleSwitch(ConversionSession& s, WindowFields& w, OutputSwitch which) {
  RunOptions& o = s.options;
  switch (which) {
    case OutputSwitch::Line:
      Flip(s, o.lineOutput, "LINE ON", "LINE OFF", nullptr);
      break;
    case OutputSwitch::Swath:
      Flip(s, o.swathOutput, "SWATH ON", "SWATH OFF", nullptr);
      break;
    case OutputSwitch::Marks: {
      const bool switchingOff = o.marksOutput;
      Flip(s, o.marksOutput, "MARK ON", "MARK OFF", nullptr);
      // Boundary points belong to the marks document: no marks, no boundaries.
      if (switchingOff && o.boundaryOutput) ToggleSwitch(s, w, OutputSwitch::Boundaries);
      break;
    }
    case OutputSwitch::Boundaries:
      Flip(s, o.boundaryOutput, "BOUNDARY ON", "BOUNDARY OFF", &w.boundariesCheckState);
      break;
    case OutputSwitch::Html:
      Flip(s, o.htmlOutput, "HTML ON", "HTML OFF", &w.htmlCheckState);
      break;
    case OutputSwitch::Archive:
      Flip(s, w.addToArchive, "ARCHIVE ON", "ARCHIVE OFF", nullptr);
      break;
  }
}

std::optional<std::string> LogForRecord(ConversionSession& s, WindowFields& w) {
  if (!w.reportedLog.empty()) return w.reportedLog;
  auto chosen = ChooseFileAndRememberFolder(s, kLogFileFilter, "");
  if (chosen) w.reportedLog = s.chosenLogPath = *chosen;
  return chosen;
}

std::string FieldNumber(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  return std::string(buffer, result.ptr);
}

FieldTexts FieldsOf(const ConversionSession& s, const WindowFields& w) {
  FieldTexts f;
  f.recordCount = Format("%d", {s.goodRecordCount});
  f.chosenPath = s.chosenLogPath;
  f.positionFormat = s.positionFormatLabel;
  f.sprayProjection = FieldNumber(s.options.sprayProjection);
  f.vehicle = w.vehicleText;
  f.bottom = w.bottomText;
  f.intField = Format("%d", {w.intField});
  f.doubleField = FieldNumber(w.doubleField);
  f.line = w.lineCheckState != 0;
  f.swath = w.swathCheckState != 0;
  f.marks = w.marksCheckState != 0;
  f.shape = w.shapeCheckState != 0;
  f.boundaries = w.boundariesCheckState != 0;
  f.debug = w.debugCheckState != 0;
  f.html = w.htmlCheckState != 0;
  f.archive = w.addToArchive;
  return f;
}

}  // namespace zeltlog::ui
