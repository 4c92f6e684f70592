// The log's dates and times as ISO 8601 text, one way for the record of a
// job and for the times on the GIS layers.
#pragma once

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace zeltlog {

// The year, month and day make a date of the Gregorian calendar (a fix
// logged before the receiver knew the date has none: it logs zeros).
inline bool IsCalendarDate(int year, int month, int day) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

// A zone as ISO 8601 gives it: "+10:00", "-03:00".
inline std::string IsoZoneText(int zoneHours) {
  char text[16];
  std::snprintf(text, sizeof text, "%c%02d:00", zoneHours < 0 ? '-' : '+', std::abs(zoneHours));
  return text;
}

// "YYYY-MM-DD" and "T" when the date is a calendar date, "hh:mm:ss", ".hh"
// when there are hundredths, and the offset ("+10:00") when the zone is
// known, in hours east of UTC. Empty when the time is no time of day.
inline std::string IsoDateTimeText(int year, int month, int day, int hour, int minute, int second, int hundredths,
                                   std::optional<int> zoneHours) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || hundredths < 0 ||
      hundredths > 99) {
    return {};
  }
  char text[48];
  int n = 0;
  if (IsCalendarDate(year, month, day)) n = std::snprintf(text, sizeof text, "%04d-%02d-%02dT", year, month, day);
  n += std::snprintf(text + n, sizeof text - n, "%02d:%02d:%02d", hour, minute, second);
  if (hundredths != 0) std::snprintf(text + n, sizeof text - n, ".%02d", hundredths);
  return zoneHours ? text + IsoZoneText(*zoneHours) : std::string(text);
}

// The same for a time given as seconds since midnight, to the hundredth.
inline std::string IsoDateTimeText(int year, int month, int day, double secondsOfDay, std::optional<int> zoneHours) {
  if (!(secondsOfDay >= 0.0 && secondsOfDay < 86400.0)) return {};
  const long long hundredths = std::llround(secondsOfDay * 100.0);
  if (hundredths >= 8640000) return {};
  const int seconds = static_cast<int>(hundredths / 100);
  return IsoDateTimeText(year, month, day, seconds / 3600, seconds / 60 % 60, seconds % 60,
                         static_cast<int>(hundredths % 100), zoneHours);
}

}  // namespace zeltlog
