#include "ui/window_state.h"

#include <charconv>

#include "core/text_format.h"

namespace zeltlog::ui {

void StartWindowSession(ConversionSession& s) {
  s.chosenLogPath.clear();
  s.lineOutput = 1;
  s.swathOutput = 1;
  s.marksOutput = 1;
  s.boundaryOutput = 1;
  s.htmlOutput = 1;
  s.versionText.clear();
  s.createdText.clear();
  s.vehicleText = "AIR";
  s.intField = 0;
  ResetSession(s);
}

double SprayProjectionFromSpin(int spinPosition) { return (spinPosition - 20) * 0.1; }

namespace {

void Flip(ConversionSession& s, int& output, const char* on, const char* off, int* checkState) {
  if (output == 0) {
    output = 1;
    s.AddEvent(EventKind::Record, on);
    return;
  }
  output = 0;
  if (checkState != nullptr) *checkState = 0;
  s.AddEvent(EventKind::Record, off);
}

}  // namespace

void ToggleSwitch(ConversionSession& s, OutputSwitch which) {
  switch (which) {
    case OutputSwitch::Line:
      Flip(s, s.lineOutput, "LINE ON", "LINE OFF", nullptr);
      break;
    case OutputSwitch::Swath:
      Flip(s, s.swathOutput, "SWATH ON", "SWATH OFF", nullptr);
      break;
    case OutputSwitch::Marks: {
      const bool switchingOff = s.marksOutput != 0;
      Flip(s, s.marksOutput, "MARK ON", "MARK OFF", nullptr);
      // Boundary points belong to the marks document: no marks, no boundaries.
      if (switchingOff && s.boundaryOutput == 1) ToggleSwitch(s, OutputSwitch::Boundaries);
      break;
    }
    case OutputSwitch::Boundaries:
      Flip(s, s.boundaryOutput, "BOUNDARY ON", "BOUNDARY OFF", &s.boundariesCheckState);
      break;
    case OutputSwitch::Html:
      Flip(s, s.htmlOutput, "HTML ON", "HTML OFF", &s.htmlCheckState);
      break;
  }
}

std::string FieldNumber(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  return std::string(buffer, result.ptr);
}

FieldTexts FieldsOf(const ConversionSession& s) {
  FieldTexts f;
  f.recordCount = Format("%d", {s.goodRecordCount});
  f.chosenPath = s.chosenLogPath;
  f.positionFormat = s.positionFormatLabel;
  f.sprayProjection = FieldNumber(s.sprayProjection);
  f.vehicle = s.vehicleText;
  f.bottom = s.bottomText;
  f.intField = Format("%d", {s.intField});
  f.doubleField = FieldNumber(s.doubleField);
  f.line = s.lineCheckState != 0;
  f.swath = s.swathCheckState != 0;
  f.marks = s.marksCheckState != 0;
  f.shape = s.shapeCheckState != 0;
  f.boundaries = s.boundariesCheckState != 0;
  f.debug = s.debugCheckState != 0;
  f.html = s.htmlCheckState != 0;
  return f;
}

}  // namespace zeltlog::ui
