#include "job_record/weather.h"

#include <array>
#include <charconv>
#include <cmath>

namespace zeltlog {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  return text;
}

// Lower case ASCII, spaces and degree signs (UTF-8) left out: "Km / H"
// and "° C" become "km/h" and "c".
std::string UnitKey(std::string_view text) {
  std::string key;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (IsSpace(c)) continue;
    if (c == '\xC2' && i + 1 < text.size() && text[i + 1] == '\xB0') {
      ++i;
      continue;
    }
    key.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
  }
  return key;
}

// A number at the start of `text` (a sign, digits, one decimal point or
// comma), and what follows it as a unit key.
struct NumberAndUnit {
  double number = 0.0;
  std::string unit;
};
std::optional<NumberAndUnit> SplitNumber(std::string_view text) {
  text = Trimmed(text);
  std::string digits;
  size_t i = 0;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    if (text[i] == '-') digits.push_back('-');
    ++i;
  }
  bool point = false, anyDigit = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      digits.push_back(c);
      anyDigit = true;
    } else if ((c == '.' || c == ',') && !point) {
      digits.push_back('.');
      point = true;
    } else {
      break;
    }
  }
  if (!anyDigit) return std::nullopt;
  NumberAndUnit out;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), out.number);
  if (error != std::errc() || end != digits.data() + digits.size() || !std::isfinite(out.number)) return std::nullopt;
  out.unit = UnitKey(text.substr(i));
  return out;
}

template <size_t N>
bool OneOf(const std::string& key, const std::array<std::string_view, N>& keys) {
  for (const std::string_view k : keys) {
    if (key == k) return true;
  }
  return false;
}

ObservedValue Logged(std::string_view text) { return {std::string(Trimmed(text)), std::nullopt}; }

}  // namespace

ObservedValue ParseWindSpeed(std::string_view text) {
  ObservedValue out = Logged(text);
  const auto split = SplitNumber(text);
  if (!split || split->number < 0.0) return out;
  const std::string& unit = split->unit;
  if (OneOf(unit, std::array<std::string_view, 4>{"km/h", "kmh", "kph", "kmph"})) {
    out.value = split->number / 3.6;
  } else if (OneOf(unit, std::array<std::string_view, 2>{"m/s", "mps"})) {
    out.value = split->number;
  } else if (OneOf(unit, std::array<std::string_view, 5>{"kn", "kt", "kts", "knot", "knots"})) {
    out.value = split->number * 1852.0 / 3600.0;
  } else if (unit == "mph") {
    out.value = split->number * 0.44704;
  }
  return out;
}

ObservedValue ParseWindDirection(std::string_view text) {
  static constexpr std::array<std::string_view, 16> kPoints = {"n",  "nne", "ne", "ene", "e",  "ese", "se", "sse",
                                                               "s",  "ssw", "sw", "wsw", "w",  "wnw", "nw", "nnw"};
  ObservedValue out = Logged(text);
  const std::string key = UnitKey(text);
  for (size_t i = 0; i < kPoints.size(); ++i) {
    if (key == kPoints[i]) {
      out.value = 22.5 * static_cast<double>(i);
      return out;
    }
  }
  const auto split = SplitNumber(text);
  if (!split || split->number < 0.0 || split->number > 360.0) return out;
  if (split->unit.empty() || OneOf(split->unit, std::array<std::string_view, 3>{"deg", "degt", "degrees"})) {
    out.value = split->number == 360.0 ? 0.0 : split->number;
  }
  return out;
}

ObservedValue ParseTemperature(std::string_view text) {
  ObservedValue out = Logged(text);
  const auto split = SplitNumber(text);
  if (!split) return out;
  std::string unit = split->unit;
  if (unit.rfind("deg", 0) == 0) unit.erase(0, 3);
  double celsius;
  if (unit == "c") {
    celsius = split->number;
  } else if (unit == "f") {
    celsius = (split->number - 32.0) * 5.0 / 9.0;
  } else {
    return out;
  }
  if (celsius >= -273.15) out.value = celsius;
  return out;
}

ObservedValue ParseHumidity(std::string_view text) {
  ObservedValue out = Logged(text);
  const auto split = SplitNumber(text);
  if (!split || split->number < 0.0 || split->number > 100.0) return out;
  if (OneOf(split->unit, std::array<std::string_view, 4>{"", "%", "%rh", "rh"})) out.value = split->number;
  return out;
}

}  // namespace zeltlog
