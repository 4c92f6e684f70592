// Locale-independent number and text formatting with printf semantics.
//
// Every line ZELTLOG writes comes from a printf-style format ("%3.8lf",
// "%8.7f", "%d", "%s"). The C library's printf follows LC_NUMERIC, and a
// window toolkit may switch the process to a locale with a decimal comma;
// the documents must not change by a single byte when that happens. This
// formatter implements the subset of printf the program uses (flags "-+ 0",
// width, precision, the length modifiers l/h which are ignored, and the
// conversions f, F, d, i, u, s, c, %) on top of std::to_chars, which always
// writes a decimal point and rounds exactly as glibc's printf does.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

#include "core/fixed_point.h"

namespace zeltlog {

class FormatArg {
 public:
  enum class Kind { Integer, Real, Text };
  FormatArg(int v) : kind_(Kind::Integer), integer_(v) {}
  FormatArg(unsigned v) : kind_(Kind::Integer), integer_(v) {}
  FormatArg(long v) : kind_(Kind::Integer), integer_(v) {}
  FormatArg(long long v) : kind_(Kind::Integer), integer_(v) {}
  FormatArg(unsigned long v) : kind_(Kind::Integer), integer_(static_cast<long long>(v)) {}
  FormatArg(double v) : kind_(Kind::Real), real_(v) {}
  FormatArg(float v) : kind_(Kind::Real), real_(v) {}
  FormatArg(std::string_view v) : kind_(Kind::Text), text_(v) {}
  FormatArg(const char* v) : kind_(Kind::Text), text_(v) {}
  FormatArg(const std::string& v) : kind_(Kind::Text), text_(v) {}

  Kind kind() const { return kind_; }
  long long integer() const {
    if (kind_ != Kind::Real) return integer_;
    return real_ > -9.2e18 && real_ < 9.2e18 ? static_cast<long long>(real_) : 0;
  }
  double real() const { return kind_ == Kind::Integer ? static_cast<double>(integer_) : real_; }
  std::string_view text() const { return text_; }

 private:
  Kind kind_;
  long long integer_ = 0;
  double real_ = 0.0;
  std::string_view text_;
};

// Appends the formatted text to `out`. Arguments are consumed in order; a
// conversion without an argument left formats nothing.
void AppendFormat(std::string& out, std::string_view format, std::initializer_list<FormatArg> args);

inline std::string Format(std::string_view format, std::initializer_list<FormatArg> args) {
  std::string out;
  AppendFormat(out, format, args);
  return out;
}

// Appends one fixed-point number as "%<width>.<precision>f" would.
void AppendFixed(std::string& out, double value, int width, int precision);

namespace format_detail {

struct FieldFormat {
  bool left = false;
  bool plus = false;
  bool space = false;
  bool zero = false;
  int width = 0;
  int precision = -1;
  char conversion = 0;  // 0: no conversion follows the literal
};

// A run of literal text and the conversion after it.
struct Piece {
  size_t literalStart = 0;
  size_t literalLength = 0;
  FieldFormat field;
};

// Reads the next piece of `format` from `position`; false at its end.
constexpr bool NextPiece(std::string_view format, size_t& position, Piece& piece) {
  if (position >= format.size()) return false;
  piece = Piece{};
  piece.literalStart = position;
  size_t i = position;
  for (;;) {
    while (i < format.size() && format[i] != '%') ++i;
    if (i + 1 < format.size() && format[i + 1] == '%') {
      // "%%" is a literal percent sign: end the literal after the first.
      piece.literalLength = i + 1 - piece.literalStart;
      position = i + 2;
      return true;
    }
    break;
  }
  piece.literalLength = i - piece.literalStart;
  if (i >= format.size()) {
    position = i;
    return true;
  }
  ++i;
  FieldFormat& field = piece.field;
  for (; i < format.size(); ++i) {
    const char c = format[i];
    if (c == '-') field.left = true;
    else if (c == '+') field.plus = true;
    else if (c == ' ') field.space = true;
    else if (c == '0') field.zero = true;
    else if (c == '#') continue;
    else break;
  }
  while (i < format.size() && format[i] >= '0' && format[i] <= '9') field.width = field.width * 10 + (format[i++] - '0');
  if (i < format.size() && format[i] == '.') {
    ++i;
    field.precision = 0;
    while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
      field.precision = field.precision * 10 + (format[i++] - '0');
    }
  }
  while (i < format.size() && (format[i] == 'l' || format[i] == 'h' || format[i] == 'L' || format[i] == 'z')) ++i;
  field.conversion = i < format.size() ? format[i++] : 0;
  position = i;
  return true;
}

template <size_t N>
struct Text {
  constexpr Text(const char (&text)[N]) {  // NOLINT: implicit on purpose, for template arguments
    for (size_t i = 0; i < N; ++i) chars[i] = text[i];
  }
  constexpr std::string_view view() const { return std::string_view(chars, N - 1); }
  char chars[N]{};
};

template <Text F>
constexpr size_t PieceCount() {
  size_t count = 0;
  size_t position = 0;
  Piece piece;
  while (NextPiece(F.view(), position, piece)) ++count;
  return count;
}

template <Text F>
constexpr std::array<Piece, PieceCount<F>()> Pieces() {
  std::array<Piece, PieceCount<F>()> pieces{};
  size_t position = 0;
  for (auto& piece : pieces) NextPiece(F.view(), position, piece);
  return pieces;
}

void AppendConversion(std::string& out, const FormatArg& arg, const FieldFormat& field);

}  // namespace format_detail

namespace format_detail {

// A plain "%<width>.<precision>f" with one to nine decimals: written by the
// fixed-point writer (core/fixed_point.h), which gives the same bytes.
constexpr bool IsPlainFixed(const FieldFormat& field) {
  return field.conversion == 'f' && !field.left && !field.plus && !field.space && !field.zero &&
         field.precision >= 1 && field.precision <= 9 && field.width <= 16;
}

template <int Precision>
void AppendPlainFixed(std::string& out, double value, int width) {
  char text[kFixedTextLimit];
  out.append(text, static_cast<size_t>(WriteFixed<Precision>(text, value, width) - text));
}

template <Text F, size_t I>
void AppendPiece(std::string& out, const FormatArg*& next, const FormatArg* end) {
  static constexpr Piece kPiece = Pieces<F>()[I];
  out.append(F.chars + kPiece.literalStart, kPiece.literalLength);
  if constexpr (kPiece.field.conversion != 0) {
    if (next == end) return;
    if constexpr (IsPlainFixed(kPiece.field)) {
      AppendPlainFixed<kPiece.field.precision>(out, next->real(), kPiece.field.width);
    } else {
      AppendConversion(out, *next, kPiece.field);
    }
    ++next;
  }
}

}  // namespace format_detail

// AppendFormat with the format parsed at compile time, for the lines
// written once per fix: AppendFormatted<"%8.8lf,%8.8lf,%3.3lf\n">(out, {...}).
template <format_detail::Text F>
void AppendFormatted(std::string& out, std::initializer_list<FormatArg> args) {
  const FormatArg* next = args.begin();
  [&]<size_t... I>(std::index_sequence<I...>) {
    (format_detail::AppendPiece<F, I>(out, next, args.end()), ...);
  }(std::make_index_sequence<format_detail::PieceCount<F>()>());
}

}  // namespace zeltlog
