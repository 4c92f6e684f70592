#include "core/text_format.h"

#include <charconv>
#include <cmath>

namespace zeltlog {
namespace {

struct Spec {
  bool left = false;
  bool plus = false;
  bool space = false;
  bool zero = false;
  int width = 0;
  int precision = -1;
};

void Pad(std::string& out, std::string_view sign, std::string_view digits, const Spec& spec,
         bool zeroAllowed) {
  const int length = static_cast<int>(sign.size() + digits.size());
  const int fill = spec.width > length ? spec.width - length : 0;
  if (spec.left) {
    out.append(sign);
    out.append(digits);
    out.append(static_cast<size_t>(fill), ' ');
  } else if (spec.zero && zeroAllowed) {
    out.append(sign);
    out.append(static_cast<size_t>(fill), '0');
    out.append(digits);
  } else {
    out.append(static_cast<size_t>(fill), ' ');
    out.append(sign);
    out.append(digits);
  }
}

void AppendReal(std::string& out, double value, const Spec& spec) {
  // Large enough for DBL_MAX with a precision of several hundred digits.
  char buffer[1200];
  const int precision = spec.precision < 0 ? 6 : (spec.precision > 800 ? 800 : spec.precision);
  const bool negative = std::signbit(value);
  const double magnitude = std::fabs(value);
  std::string_view digits;
  bool finite = std::isfinite(value);
  if (!finite) {
    digits = std::isnan(value) ? "nan" : "inf";
  } else {
    auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::fixed, precision);
    digits = std::string_view(buffer, static_cast<size_t>(result.ptr - buffer));
  }
  std::string_view sign = negative ? "-" : spec.plus ? "+" : spec.space ? " " : "";
  Pad(out, sign, digits, spec, finite);
}

void AppendInteger(std::string& out, long long value, const Spec& spec, bool asUnsigned) {
  char buffer[32];
  unsigned long long magnitude;
  bool negative = false;
  if (asUnsigned) {
    magnitude = static_cast<unsigned int>(value);
  } else if (value < 0) {
    negative = true;
    magnitude = 0ULL - static_cast<unsigned long long>(value);
  } else {
    magnitude = static_cast<unsigned long long>(value);
  }
  auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude);
  std::string_view digits(buffer, static_cast<size_t>(result.ptr - buffer));
  if (spec.precision == 0 && magnitude == 0) digits = "";
  std::string zeros;
  if (spec.precision > static_cast<int>(digits.size())) {
    zeros.assign(static_cast<size_t>(spec.precision) - digits.size(), '0');
    zeros.append(digits);
    digits = zeros;
  }
  std::string_view sign = negative ? "-" : (!asUnsigned && spec.plus) ? "+" : (!asUnsigned && spec.space) ? " " : "";
  Pad(out, sign, digits, spec, spec.precision < 0);
}

void AppendText(std::string& out, std::string_view text, const Spec& spec) {
  if (spec.precision >= 0 && static_cast<size_t>(spec.precision) < text.size()) text = text.substr(0, spec.precision);
  Pad(out, "", text, spec, false);
}

}  // namespace

void AppendFixed(std::string& out, double value, int width, int precision) {
  Spec spec;
  spec.width = width;
  spec.precision = precision;
  AppendReal(out, value, spec);
}

void AppendFormat(std::string& out, std::string_view format, std::initializer_list<FormatArg> args) {
  const FormatArg* next = args.begin();
  const FormatArg* const end = args.end();
  size_t i = 0;
  while (i < format.size()) {
    const size_t percent = format.find('%', i);
    if (percent == std::string_view::npos) {
      out.append(format.substr(i));
      break;
    }
    out.append(format.substr(i, percent - i));
    i = percent + 1;
    if (i >= format.size()) break;
    Spec spec;
    for (; i < format.size(); ++i) {
      const char c = format[i];
      if (c == '-') spec.left = true;
      else if (c == '+') spec.plus = true;
      else if (c == ' ') spec.space = true;
      else if (c == '0') spec.zero = true;
      else if (c == '#') continue;
      else break;
    }
    while (i < format.size() && format[i] >= '0' && format[i] <= '9') spec.width = spec.width * 10 + (format[i++] - '0');
    if (i < format.size() && format[i] == '.') {
      ++i;
      spec.precision = 0;
      while (i < format.size() && format[i] >= '0' && format[i] <= '9') spec.precision = spec.precision * 10 + (format[i++] - '0');
    }
    while (i < format.size() && (format[i] == 'l' || format[i] == 'h' || format[i] == 'L' || format[i] == 'z')) ++i;
    if (i >= format.size()) break;
    const char conversion = format[i++];
    if (conversion == '%') {
      out.push_back('%');
      continue;
    }
    if (next == end) continue;
    const FormatArg& arg = *next++;
    switch (conversion) {
      case 'f':
      case 'F':
        AppendReal(out, arg.real(), spec);
        break;
      case 'd':
      case 'i':
        AppendInteger(out, arg.integer(), spec, false);
        break;
      case 'u':
        AppendInteger(out, arg.integer(), spec, true);
        break;
      case 'c': {
        const char c = static_cast<char>(arg.integer());
        AppendText(out, std::string_view(&c, 1), spec);
        break;
      }
      case 's':
        AppendText(out, arg.text(), spec);
        break;
      default:
        break;
    }
  }
}

}  // namespace zeltlog
