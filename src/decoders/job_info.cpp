#include "decoders/job_info.h"

#include "core/text_format.h"
#include "decoders/payload.h"

namespace zeltlog {
namespace {

void AddLabelled(ConversionSession& s, std::string_view label, std::string_view text) {
  s.scratch.assign(label);
  s.scratch.append(text);
  s.AddEvent(EventKind::Record, s.scratch);
}

}  // namespace

void DecodeSystemVersions(ConversionSession& s) {
  AddLabelled(s, "System: ", payload::Text(s, 0, 11));
  AddLabelled(s, "CPU: ", payload::Text(s, 11, 11));
  AddLabelled(s, "GPS: ", payload::Text(s, 22, 11));
  AddLabelled(s, "Dif: ", payload::Text(s, 33, 11));
}

void DecodeJobSummary(ConversionSession& s) {
  using namespace payload;
  const double machineWidth = F32(s, 55);
  const double overlapWidth = F32(s, 59);
  const std::string_view version = Text(s, 10, 11);

  s.scratch.clear();
  AppendFormat(s.scratch, "201 - machine width %4.3lf, overlap %4.3lf, offset %4.3lf",
               {machineWidth, overlapWidth, F32(s, 63)});
  s.scratch.append(",        APP VER: ");
  s.scratch.append(version);
  s.AddEvent(EventKind::Record, s.scratch);
  s.versionText.assign(version);
  s.AddEvent(EventKind::Record, s.versionText);

  UtmProjector& p = s.projector;
  p.UnpackTimestamp(At(s, 0));
  s.createdText.clear();
  AppendFormat(s.createdText, "Created : %2d:%2d:%2d  %2d/%2d/%4d  ", {p.hour, p.minute, p.second, p.month, p.day, p.year});
  p.UnpackTimestamp(At(s, 5));
  AppendFormat(s.createdText, ", Updated: %2d:%2d:%2d   %2d/%2d/%4d TZ %d",
               {p.hour, p.minute, p.second, p.month, p.day, p.year, S16(s, 53)});
  s.AddEvent(EventKind::Record, s.createdText);

  s.scratch.clear();
  AppendFormat(s.scratch,
               "Machine Area:%3.3lf ha, Overlap:%3.3lf, Skip: %3.3lf, Applied EST: %3.3lf, Perimeter: %3.3lf, "
               "Applied CALC: %3.3lf",
               {F32(s, 21), F32(s, 25), F32(s, 29), F32(s, 33), F32(s, 37), F32(s, 41)});
  s.AddEvent(EventKind::Record, s.scratch);

  s.scratch.clear();
  AppendFormat(s.scratch, "Max LAT: %3.8lf, Min LAT: %3.8lf, Max LON: %3.8lf, Min LON: %3.8lf",
               {F64(s, 73), F64(s, 81), F64(s, 97), F64(s, 89)});
  s.AddEvent(EventKind::Record, s.scratch);

  s.swathWidth = machineWidth - overlapWidth;
  s.leftEdgeOffset = 0.5 * s.swathWidth;
  s.rightEdgeOffset = -0.5 * s.swathWidth;
}

void DecodeFarmInfo(ConversionSession& s) {
  using payload::Text;
  std::string& line = s.scratch;
  line.assign("Farm: ").append(Text(s, 35)).append(", Field: ").append(Text(s, 60)).append(",");
  s.AddEvent(EventKind::Record, line);
  line.assign("Operator: ").append(Text(s, 85)).append(", Machine: ").append(Text(s, 110));
  s.AddEvent(EventKind::Record, line);
  line.assign("Operation: ").append(Text(s, 135)).append(", Crop: ").append(Text(s, 160));
  s.AddEvent(EventKind::Record, line);
  line.assign("WindSpeed: ").append(Text(s, 185)).append(", Dir: ").append(Text(s, 195));
  line.append(", Temp: ").append(Text(s, 199)).append(", Humidity: ").append(Text(s, 208));
  s.AddEvent(EventKind::Record, line);
}

void DecodeJobNotes1(ConversionSession& s) {
  s.notes1Text.assign("JOB NOTES 1: ").append(payload::Text(s, 0, 97));
  s.AddEvent(EventKind::Record, s.notes1Text);
}

void DecodeJobNotes2(ConversionSession& s) {
  s.notes2Text.assign("JOB NOTES 2: ").append(payload::Text(s, 1, 241));
  s.scratch.clear();
  AppendFormat(s.scratch, "Sequence %d,%s", {payload::U8(s, 0), s.notes2Text});
  s.AddEvent(EventKind::Record, s.scratch);
}

void DecodeTextMessage(ConversionSession& s) { s.AddEvent(EventKind::Record, payload::Text(s, 1)); }

}  // namespace zeltlog
