// The weather of a job as the console logs it (identifier 202): free text
// typed by the operator, such as "12 km/h", "SW", "18.5 C" or "54 %". The
// record keeps each value as logged and adds it in one unit where it
// parses; a value that does not parse stays text and is flagged, so that a
// reader of the record sees it was not understood rather than a guess.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zeltlog {

// One logged value: its text (UTF-8) and, where the text parses, its value
// in the unit the record uses for that quantity.
struct ObservedValue {
  std::string logged;
  std::optional<double> value;
  // Logged, but not understood.
  bool Flagged() const { return !logged.empty() && !value; }
};

// Metres per second, from km/h (also kph), m/s, kn (kt, knots) or mph. A
// number without its unit is not understood: wind speeds are logged in
// several.
ObservedValue ParseWindSpeed(std::string_view text);
// Degrees clockwise from north, 0 up to 360, from one of the sixteen
// compass points (N, NNE, ..., NNW) or a number of degrees.
ObservedValue ParseWindDirection(std::string_view text);
// Degrees Celsius, from C or F (with or without the degree sign). A number
// without its unit is not understood.
ObservedValue ParseTemperature(std::string_view text);
// Relative humidity in per cent, 0 to 100, with or without the "%".
ObservedValue ParseHumidity(std::string_view text);

}  // namespace zeltlog
