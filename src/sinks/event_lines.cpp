#include "sinks/event_lines.h"

#include <cmath>

#include "core/text_format.h"
#include "geodesy/plain_trig.h"

namespace zeltlog {
namespace {
constexpr const char* kGapIndent = "                          ";  // 26 spaces
}  // namespace

double ExtentDistance(double latitudeMax, double latitudeMin, double longitudeMax, double longitudeMin) {
  const double k = 1.0 / 57.2958;
  const double dLat = latitudeMax - latitudeMin;
  const double dLon = longitudeMax - longitudeMin;
  const double x = dLon * PlainCos(latitudeMin * k);
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

void EventLineSink::OnStart() {
  wantsRecords_ = Wants(EventKind::Record);
  wantsProgress_ = Wants(EventKind::Progress);
}

void EventLineSink::OnFigures(const PrescanFigures& f) {
  auto summary = [&](std::string_view format, std::initializer_list<FormatArg> args) {
    line_.clear();
    AppendFormat(line_, format, args);
    Add(EventKind::Summary);
  };
  summary("Latitude range:  %3.8lf, %3.8lf, %3.8lf", {f.latitudeMax, f.latitudeMin, f.latitudeMax - f.latitudeMin});
  summary("Longitude range: %3.8lf, %3.8lf, %3.8lf",
          {f.longitudeMax, f.longitudeMin, f.longitudeMax - f.longitudeMin});
  const double distance = ExtentDistance(f.latitudeMax, f.latitudeMin, f.longitudeMax, f.longitudeMin);
  summary("Dist:  %3.5lf, Google zoom level: %d", {distance, ZoomLevelFor(distance)});
  summary("Altitudes variation: %3.3lf, %3.3lf, %3.3lf", {f.altitudeMax, f.altitudeMin, f.altitudeMax - f.altitudeMin});
  if (f.targetRateMax < -900.0) {
    events_.AddEvent(EventKind::Summary, "Target rates: NOT SET");
  } else {
    summary("Target rates: %3.3lf, %3.3lf, %3.3lf", {f.targetRateMax, f.targetRateMin, f.targetRateMax - f.targetRateMin});
  }
  if (f.actualRateMax < -900.0) {
    events_.AddEvent(EventKind::Summary, "Actual rates: NOT SET");
  } else {
    summary("Actual rates: %3.3lf, %3.3lf, %3.3lf, Volume: %3.1lf",
            {f.actualRateMax, f.actualRateMin, f.actualRateMax - f.actualRateMin, f.tankUsed});
  }
}

void EventLineSink::OnEnd(const RunEnd& end) {
  line_.clear();
  if (end.anyFix) AppendFormat(line_, "Start:%3.3lf", {end.startTime});
  AppendFormat(line_, ", End:%3.3lf, %d, records, %d checksum errors", {end.endTime, end.fixes, end.checksumErrors});
  Add(EventKind::Summary);
}

// The full pass lists the header again, among the records.
void EventLineSink::OnHeaderText(std::string_view text) {
  line_.assign("Version: ").append(text);
  Add(EventKind::Record);
}

void EventLineSink::OnChecksumError(const ChecksumError& e) {
  line_.clear();
  AppendFormat(line_, "   CS error  ID %d, bytes = %d  cs = %d  %d", {e.identifier, e.length, e.residual, e.fourthHeaderByte});
  Add(EventKind::Error);
}

void EventLineSink::OnSections(const SwathSections& s) {
  if (!wantsRecords_) return;
  line_.clear();
  AppendFormat(line_, "SW %3.3f,  %3.3f,LRoffsets %3.3f,  %3.3f, %3.3f\n",
               {s.width, s.centreOffset, s.leftOffset, s.rightOffset, std::fabs(s.leftOffset - s.rightOffset)});
  Add(EventKind::Record);
}

void EventLineSink::OnSwathWidth(const SwathWidth& w) {
  if (!wantsRecords_) return;
  line_.clear();
  AppendFormat(line_, "Swath Width %3.2lf", {w.width});
  Add(EventKind::Record);
}

void EventLineSink::OnDesiredFlow(const DesiredFlow& f) {
  if (!wantsRecords_) return;
  line_.clear();
  AppendFormat(line_, "VRC 32 - Desired Flow rate %3.3lf l/min, Status %d", {f.flow, f.status});
  Add(EventKind::Record);
}

void EventLineSink::OnTargetRate(const TargetRate& r) {
  if (!wantsRecords_) return;
  line_.clear();
  AppendFormat(line_, "VRC 34 Target:  Chan %d, Units: %d  Target 1:%3.3lf", {r.channel, r.units, r.rate});
  Add(EventKind::Record);
}

void EventLineSink::OnActualRate(const ActualRate& r) {
  if (!wantsRecords_) return;
  line_.clear();
  AppendFormat(line_, "VRC 36 Actual: Chans:%d, Units:%d,Rate:%3.3f", {r.channels, r.units, r.rate});
  Add(EventKind::Record);
}

void EventLineSink::OnFlowStatus(const FlowStatus& s) {
  if (!wantsRecords_) return;
  line_.clear();
  AppendFormat(line_, "VRC 140 Flow Status:%d, Rate:%3.3lf l/ha, Tank:%3.2lf l, Meter Cal:%3.1lf counts/l",
               {s.status, s.rate, s.tank, s.meterCal});
  Add(EventKind::Record);
}

void EventLineSink::OnPrescriptionMap(const PrescriptionMap& map) {
  if (!wantsRecords_) return;
  line_.assign("Prescription Map:  ").append(map.name);
  Add(EventKind::Record);
}

void EventLineSink::OnMarkPoint(const MarkPoint& p) {
  if (!(p.type < 128 ? listing_.marks : listing_.boundaries) || !wantsRecords_) return;
  line_.clear();
  AppendFormat(line_, "MARK , %d, *%s*,%8.7f,%8.7f,%1.3f", {p.type, p.name, p.longitude, p.latitude, p.altitude});
  Add(EventKind::Record);
}

void EventLineSink::OnHeightReading(const HeightReading& r) {
  if (!wantsRecords_) return;
  line_.clear();
  AppendFormat(line_, "Laser Height or SnowDepth %3.6lf", {r.reading});
  Add(EventKind::Record);
}

void EventLineSink::OnSystemVersions(const SystemVersions& v) {
  if (!wantsRecords_) return;
  const std::pair<const char*, std::string_view> lines[] = {
      {"System: ", v.system}, {"CPU: ", v.cpu}, {"GPS: ", v.gps}, {"Dif: ", v.dif}};
  for (const auto& [label, text] : lines) {
    line_.assign(label).append(text);
    Add(EventKind::Record);
  }
}

void EventLineSink::OnJobSummary(const JobSummary& j) {
  if (!wantsRecords_) return;
  line_.clear();
  AppendFormat(line_, "201 - machine width %4.3lf, overlap %4.3lf, offset %4.3lf",
               {j.machineWidth, j.overlapWidth, j.offset});
  line_.append(",        APP VER: ").append(j.appVersion);
  Add(EventKind::Record);
  line_.assign(j.appVersion);
  Add(EventKind::Record);

  const Timestamp& c = j.created;
  const Timestamp& u = j.updated;
  line_.clear();
  AppendFormat(line_, "Created : %2d:%2d:%2d  %2d/%2d/%4d  ", {c.hour, c.minute, c.second, c.month, c.day, c.year});
  AppendFormat(line_, ", Updated: %2d:%2d:%2d   %2d/%2d/%4d TZ %d",
               {u.hour, u.minute, u.second, u.month, u.day, u.year, j.timeZone});
  Add(EventKind::Record);

  line_.clear();
  AppendFormat(line_,
               "Machine Area:%3.3lf ha, Overlap:%3.3lf, Skip: %3.3lf, Applied EST: %3.3lf, Perimeter: %3.3lf, "
               "Applied CALC: %3.3lf",
               {j.machineArea, j.overlapArea, j.skipArea, j.appliedEst, j.perimeter, j.appliedCalc});
  Add(EventKind::Record);

  line_.clear();
  AppendFormat(line_, "Max LAT: %3.8lf, Min LAT: %3.8lf, Max LON: %3.8lf, Min LON: %3.8lf",
               {j.maxLatitude, j.minLatitude, j.maxLongitude, j.minLongitude});
  Add(EventKind::Record);
}

void EventLineSink::OnFarmInfo(const FarmInfo& f) {
  if (!wantsRecords_) return;
  line_.assign("Farm: ").append(f.farm).append(", Field: ").append(f.field).append(",");
  Add(EventKind::Record);
  line_.assign("Operator: ").append(f.operatorName).append(", Machine: ").append(f.machine);
  Add(EventKind::Record);
  line_.assign("Operation: ").append(f.operation).append(", Crop: ").append(f.crop);
  Add(EventKind::Record);
  line_.assign("WindSpeed: ").append(f.windSpeed).append(", Dir: ").append(f.windDirection);
  line_.append(", Temp: ").append(f.temperature).append(", Humidity: ").append(f.humidity);
  Add(EventKind::Record);
}

void EventLineSink::OnJobNotes1(const JobNotes& n) {
  if (!wantsRecords_) return;
  line_.assign("JOB NOTES 1: ").append(n.text);
  Add(EventKind::Record);
}

void EventLineSink::OnJobNotes2(const JobNotes& n) {
  if (!wantsRecords_) return;
  line_.clear();
  AppendFormat(line_, "Sequence %d,JOB NOTES 2: %s", {n.sequence, n.text});
  Add(EventKind::Record);
}

void EventLineSink::OnTextMessage(const TextMessage& m) {
  if (!wantsRecords_) return;
  line_.assign(m.text);
  Add(EventKind::Record);
}

void EventLineSink::OnGridReference(const GridReference& g) {
  if (!wantsRecords_) return;
  line_.clear();
  AppendFormat(line_, "lat %8.8lf, lon %8.8lf, yscale %8.6lf, xscale %8.6lf",
               {g.latitude, g.longitude, g.metresPerDegreeLatitude, g.metresPerDegreeLongitude});
  Add(EventKind::Record);
}

void EventLineSink::OnTimeGap(const TimeGap& gap) {
  if (!wantsRecords_) return;
  line_.assign(kGapIndent);
  if (gap.backwards) {
    line_.append("1Time bust 2");
  } else {
    AppendFormat(line_, "1Time bust 1, %3.3f,  %3.3f,  %3.3f", {gap.time, gap.previousTime, gap.time - gap.previousTime});
  }
  Add(EventKind::Record);
}

void EventLineSink::OnPathPoint(const PathPoint& p) {
  if (!wantsProgress_) return;
  line_.clear();
  AppendFormatted<"%8.8lf,%8.8lf,%8.3lf,%d, %d">(
      line_, {p.at.longitude, p.at.latitude, p.time, p.previousSprayState, p.previousSprayState});
  Add(EventKind::Progress);
}

}  // namespace zeltlog
