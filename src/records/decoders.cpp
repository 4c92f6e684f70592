#include "records/decoders.h"

#include <cmath>
#include <cstdlib>

#include "core/iso_time.h"

namespace zeltlog {

Timestamp UnpackTimestamp(const uint8_t b[5]) {
  const uint64_t v = static_cast<uint64_t>(b[0]) | static_cast<uint64_t>(b[1]) << 8 | static_cast<uint64_t>(b[2]) << 16 |
                     static_cast<uint64_t>(b[3]) << 24 | static_cast<uint64_t>(b[4]) << 32;
  Timestamp t;
  t.month = static_cast<int32_t>(v & 0xF);
  const int32_t yearLow = static_cast<int32_t>((v >> 4) & 0xF);
  t.hundredths = static_cast<int32_t>((v >> 8) & 0x7F);
  t.second = static_cast<int32_t>((v >> 15) & 0x3F);
  t.minute = static_cast<int32_t>((v >> 21) & 0x3F);
  t.hour = static_cast<int32_t>((v >> 27) & 0x1F);
  t.day = static_cast<int32_t>((v >> 32) & 0x1F);
  const int32_t yearHigh = static_cast<int32_t>((v >> 37) & 0x7);
  t.year = 1993 + (yearHigh << 4 | yearLow);
  return t;
}

double Timestamp::TimeOfDay() const {
  return static_cast<double>(hour * 3600 + minute * 60 + second) + hundredths * 0.01;
}

bool Timestamp::HasCalendarDate() const { return IsCalendarDate(year, month, day); }

bool IsPlausibleFix(double latitude, double longitude) {
  // A fix that is not a number fails every comparison below; it is no fix.
  if (std::isnan(latitude) || std::isnan(longitude)) return false;
  if (latitude > 90.0 || latitude < -90.0) return false;
  if (longitude > 360.0 || longitude < -180.0) return false;
  if (std::fabs(latitude) < 0.0000001 || std::fabs(longitude) < 0.0000001) return false;
  return true;
}

namespace {
void TakeTimestamp(const Payload& p, Fix& fix) {
  fix.time = UnpackTimestamp(p.At(0));
  fix.timeOfDay = fix.time.TimeOfDay();
}
}  // namespace

std::optional<Fix> DecodeFullPosition(const Payload& p) {
  Fix fix;
  fix.format = RecordId::FullPosition;
  fix.latitude = p.F64(5);
  fix.longitude = p.F64(13);
  if (!IsPlausibleFix(fix.latitude, fix.longitude)) return std::nullopt;
  fix.altitude = p.F32(21);
  fix.speed = p.F32(25);
  fix.heading = p.F32(29);
  fix.sprayState = p.U8(38) & 0x03;
  TakeTimestamp(p, fix);
  return fix;
}

std::optional<Fix> DecodeCompactPosition(const Payload& p) {
  Fix fix;
  fix.format = RecordId::CompactPosition;
  fix.latitude = p.U32(5) * 0.0000001 - 210.0;
  fix.longitude = p.U32(9) * 0.0000001 - 210.0;
  if (!IsPlausibleFix(fix.latitude, fix.longitude)) return std::nullopt;
  fix.altitude = p.U16(13) * 0.125 - 2500.0;
  fix.heading = p.U16(15) * 0.0078125;
  fix.sprayState = p.U8(17) & 0x03;
  TakeTimestamp(p, fix);
  return fix;
}

SwathSections DecodeSections(const Payload& p) {
  // Centimetres, left positive.
  const int32_t left = p.S16(1);
  const int32_t right = p.S16(3);
  return {std::abs(right - left) * 0.01, (left + right) * 0.005, left * 0.01, right * 0.01, p.U8(0)};
}

SwathWidth DecodeSwathWidth(const Payload& p) { return {p.F32(13)}; }
DesiredFlow DecodeDesiredFlow(const Payload& p) { return {p.F32(0), p.U8(4)}; }
TargetRate DecodeTargetRate(const Payload& p) { return {p.U8(0), p.U8(1), p.F32(2)}; }
ActualRate DecodeActualRate(const Payload& p) { return {p.U8(0), p.U8(1), p.F32(2)}; }
FlowStatus DecodeFlowStatus(const Payload& p) { return {p.U8(0), p.F32(1), p.F32(7), p.F32(11)}; }
PrescriptionMap DecodePrescriptionMap(const Payload& p) { return {p.Text(1, p.U8(0))}; }

MarkPoint DecodeMarkPoint(const Payload& p) { return {p.U8(0), p.F64(1), p.F64(9), p.F32(17), p.Text(22)}; }

HeightReading DecodeHeightReading(const Payload& p) { return {p.F32(0)}; }

SystemVersions DecodeSystemVersions(const Payload& p) {
  return {p.Text(0, 11), p.Text(11, 11), p.Text(22, 11), p.Text(33, 11)};
}

JobSummary DecodeJobSummary(const Payload& p) {
  JobSummary job;
  job.created = UnpackTimestamp(p.At(0));
  job.updated = UnpackTimestamp(p.At(5));
  job.appVersion = p.Text(10, 11);
  job.machineArea = p.F32(21);
  job.overlapArea = p.F32(25);
  job.skipArea = p.F32(29);
  job.appliedEst = p.F32(33);
  job.perimeter = p.F32(37);
  job.appliedCalc = p.F32(41);
  job.timeZone = p.S16(53);
  job.machineWidth = p.F32(55);
  job.overlapWidth = p.F32(59);
  job.offset = p.F32(63);
  job.maxLatitude = p.F64(73);
  job.minLatitude = p.F64(81);
  job.minLongitude = p.F64(89);
  job.maxLongitude = p.F64(97);
  return job;
}

FarmInfo DecodeFarmInfo(const Payload& p) {
  return {p.Text(35),  p.Text(60),  p.Text(85),  p.Text(110), p.Text(135),
          p.Text(160), p.Text(185), p.Text(195), p.Text(199), p.Text(208)};
}

JobNotes DecodeJobNotes1(const Payload& p) { return {0, p.Text(0, 97)}; }
JobNotes DecodeJobNotes2(const Payload& p) { return {p.U8(0), p.Text(1, 241)}; }
TextMessage DecodeTextMessage(const Payload& p) { return {p.Text(1)}; }

}  // namespace zeltlog
