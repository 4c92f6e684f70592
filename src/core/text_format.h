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

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

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

}  // namespace zeltlog
