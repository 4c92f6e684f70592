#include "core/text_format.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "core/fixed_point.h"

namespace zeltlog {
namespace {

using format_detail::FieldFormat;

void Pad(std::string& out, std::string_view sign, std::string_view digits, const FieldFormat& field,
         bool zeroAllowed) {
  const int length = static_cast<int>(sign.size() + digits.size());
  if (field.width <= length) {
    out.append(sign);
    out.append(digits);
    return;
  }
  const int fill = field.width > length ? field.width - length : 0;
  if (field.left) {
    out.append(sign);
    out.append(digits);
    out.append(static_cast<size_t>(fill), ' ');
  } else if (field.zero && zeroAllowed) {
    out.append(sign);
    out.append(static_cast<size_t>(fill), '0');
    out.append(digits);
  } else {
    out.append(static_cast<size_t>(fill), ' ');
    out.append(sign);
    out.append(digits);
  }
}

constexpr uint64_t kPowersOfTen[] = {1ULL,         10ULL,         100ULL,         1000ULL,         10000ULL,
                                     100000ULL,    1000000ULL,    10000000ULL,    100000000ULL,    1000000000ULL};

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes scaled / 10^Precision with Precision decimals; the divisor is a
// constant so that the divisions become multiplications.
template <int Precision>
size_t WriteScaledAs(uint64_t scaled, char* out) {
  constexpr uint64_t power = kPowersOfTen[Precision];
  const auto whole = std::to_chars(out, out + 24, scaled / power);
  char* end = whole.ptr;
  if constexpr (Precision > 0) {
    *end++ = '.';
    uint64_t fraction = scaled % power;
    // Two digits at a time from the right, then the odd one.
    int i = Precision;
    for (; i >= 2; i -= 2) {
      std::memcpy(end + i - 2, kDigitPairs + 2 * (fraction % 100), 2);
      fraction /= 100;
    }
    if (i == 1) end[0] = static_cast<char>('0' + fraction);
    end += Precision;
  }
  return static_cast<size_t>(end - out);
}

[[maybe_unused]] size_t WriteScaled(uint64_t scaled, int precision, char* out) {
  switch (precision) {
    case 0: return WriteScaledAs<0>(scaled, out);
    case 1: return WriteScaledAs<1>(scaled, out);
    case 2: return WriteScaledAs<2>(scaled, out);
    case 3: return WriteScaledAs<3>(scaled, out);
    case 4: return WriteScaledAs<4>(scaled, out);
    case 5: return WriteScaledAs<5>(scaled, out);
    case 6: return WriteScaledAs<6>(scaled, out);
    case 7: return WriteScaledAs<7>(scaled, out);
    case 8: return WriteScaledAs<8>(scaled, out);
    default: return WriteScaledAs<9>(scaled, out);
  }
}

// The digits of a non-negative value below 1e9 rounded to `precision` (at
// most nine) decimals, as printf writes them; the length written, or 0 when
// the value is outside that range.
size_t FastFixedDigits(double magnitude, int precision, char* out) {
#ifdef __SIZEOF_INT128__
  if (precision > 9 || !(magnitude < 1e9)) return 0;
  uint64_t bits;
  std::memcpy(&bits, &magnitude, sizeof bits);
  return WriteScaled(RoundedScaledMagnitude(bits, static_cast<uint32_t>(kPowersOfTen[precision])), precision, out);
#else
  (void)magnitude;
  (void)precision;
  (void)out;
  return 0;
#endif
}

void AppendReal(std::string& out, double value, const FieldFormat& field, bool upperCase = false) {
  const int precision = field.precision < 0 ? 6 : (field.precision > 800 ? 800 : field.precision);
  const bool negative = std::signbit(value);
  const double magnitude = std::fabs(value);
  std::string_view sign = negative ? "-" : field.plus ? "+" : field.space ? " " : "";
  if (!std::isfinite(value)) {
    // "%F" writes infinities and NaNs in capitals, as printf does.
    Pad(out, sign, std::isnan(value) ? (upperCase ? "NAN" : "nan") : (upperCase ? "INF" : "inf"), field, false);
    return;
  }
  char small[48];
  if (const size_t length = FastFixedDigits(magnitude, precision, small)) {
    Pad(out, sign, std::string_view(small, length), field, true);
    return;
  }
  // Large enough for DBL_MAX with a precision of several hundred digits.
  char buffer[1200];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::fixed, precision);
  Pad(out, sign, std::string_view(buffer, static_cast<size_t>(result.ptr - buffer)), field, true);
}

void AppendInteger(std::string& out, long long value, const FieldFormat& field, bool asUnsigned) {
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
  if (field.precision == 0 && magnitude == 0) digits = "";
  std::string zeros;
  if (field.precision > static_cast<int>(digits.size())) {
    zeros.assign(static_cast<size_t>(field.precision) - digits.size(), '0');
    zeros.append(digits);
    digits = zeros;
  }
  std::string_view sign = negative ? "-" : (!asUnsigned && field.plus) ? "+" : (!asUnsigned && field.space) ? " " : "";
  Pad(out, sign, digits, field, field.precision < 0);
}

void AppendText(std::string& out, std::string_view text, const FieldFormat& field) {
  if (field.precision >= 0 && static_cast<size_t>(field.precision) < text.size()) text = text.substr(0, field.precision);
  Pad(out, "", text, field, false);
}

}  // namespace

void AppendFixed(std::string& out, double value, int width, int precision) {
  FieldFormat field;
  field.width = width;
  field.precision = precision;
  AppendReal(out, value, field);
}

void format_detail::AppendConversion(std::string& out, const FormatArg& arg, const FieldFormat& field) {
  switch (field.conversion) {
    case 'f':
    case 'F':
      AppendReal(out, arg.real(), field, field.conversion == 'F');
      break;
    case 'd':
    case 'i':
      AppendInteger(out, arg.integer(), field, false);
      break;
    case 'u':
      AppendInteger(out, arg.integer(), field, true);
      break;
    case 'c': {
      const char c = static_cast<char>(arg.integer());
      AppendText(out, std::string_view(&c, 1), field);
      break;
    }
    case 's':
      AppendText(out, arg.text(), field);
      break;
    default:
      break;
  }
}

void AppendFormat(std::string& out, std::string_view format, std::initializer_list<FormatArg> args) {
  const FormatArg* next = args.begin();
  size_t position = 0;
  format_detail::Piece piece;
  while (format_detail::NextPiece(format, position, piece)) {
    out.append(format.substr(piece.literalStart, piece.literalLength));
    if (piece.field.conversion != 0 && next != args.end()) format_detail::AppendConversion(out, *next++, piece.field);
  }
}

}  // namespace zeltlog
