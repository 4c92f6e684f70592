// The typed values the guidance log's records decode to. Each decoder is a
// function of one frame's payload that returns one of these; none of them
// formats output, touches a file or reads an output switch. Texts are views
// into the frame's payload and live only as long as the frame.
#pragma once

#include <cstdint>
#include <string_view>

#include "records/record_kinds.h"

namespace zeltlog {

// The record identifiers of the guidance log, one per row of the list.
enum class RecordId : uint8_t {
#define ZELTLOG_RECORD_ID(Id, identifier, ...) Id = identifier,
  ZELTLOG_RECORD_KINDS(ZELTLOG_RECORD_ID, ZELTLOG_RECORD_ID, ZELTLOG_RECORD_ID)
#undef ZELTLOG_RECORD_ID
};

// The five-byte packed date and time of the consoles.
struct Timestamp {
  int32_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, hundredths = 0;
  // Seconds since midnight.
  double TimeOfDay() const;
  // The year, month and day make a date of the Gregorian calendar (a fix
  // logged before the receiver knew the date has none).
  bool HasCalendarDate() const;
};
Timestamp UnpackTimestamp(const uint8_t bytes[5]);

// A position fix that passed the plausibility test. Degrees north and east,
// metres, degrees clockwise from north, metres per second.
struct Fix {
  RecordId format = RecordId::FullPosition;  // FullPosition or CompactPosition
  double latitude = 0.0, longitude = 0.0, altitude = 0.0;
  double heading = 0.0;
  double speed = 0.0;  // compact fixes carry none: 0
  uint8_t sprayState = 0;
  Timestamp time;
  double timeOfDay = 0.0;
};

// Identifier 35: the signed lateral offsets of the swath edges, metres,
// left positive, and the number of boom sections.
struct SwathSections {
  double width = 0.0, centreOffset = 0.0, leftOffset = 0.0, rightOffset = 0.0;
  int sections = 0;
};
// Identifier 120: the swath width, metres, centred on the fix.
struct SwathWidth {
  double width = 0.0;
};
struct DesiredFlow {
  double flow = 0.0;  // l/min
  int status = 0;
};
struct TargetRate {
  int channel = 0, units = 0;
  double rate = 0.0;  // l/ha
};
struct ActualRate {
  int channels = 0, units = 0;
  double rate = 0.0;  // l/ha
};
struct FlowStatus {
  int status = 0;
  double tank = 0.0;       // litres in the tank
  double meterCal = 0.0;   // counts per litre
  double rate = 0.0;       // l/ha
};
struct PrescriptionMap {
  std::string_view name;
};
// Identifier 60: a mark (type below 128) or a boundary point (128 boundary,
// 130 inclusion, 131 exclusion).
struct MarkPoint {
  int type = 0;
  double latitude = 0.0, longitude = 0.0, altitude = 0.0;
  std::string_view name;  // 8-bit characters as logged
};
struct HeightReading {
  double reading = 0.0;
};
struct SystemVersions {
  std::string_view system, cpu, gps, dif;
};
struct JobSummary {
  Timestamp created, updated;
  int timeZone = 0;
  std::string_view appVersion;
  double machineArea = 0, overlapArea = 0, skipArea = 0, appliedEst = 0, perimeter = 0, appliedCalc = 0;
  double machineWidth = 0, overlapWidth = 0, offset = 0;
  double maxLatitude = 0, minLatitude = 0, maxLongitude = 0, minLongitude = 0;
};
struct FarmInfo {
  std::string_view farm, field, operatorName, machine, operation, crop, windSpeed, windDirection, temperature,
      humidity;
};
struct JobNotes {
  int sequence = 0;  // identifier 205 only
  std::string_view text;
};
struct TextMessage {
  std::string_view text;
};

}  // namespace zeltlog
