// The locale-free formatter against the C library's snprintf in the "C"
// locale: the number formats the documents and the event list use, and
// single conversions put together from the subset the formatter takes
// (flags "-+ 0", a width, a precision, f F d i u), and the documents'
// fixed-point writer at every precision, on fuzzed doubles (any bit
// pattern: negative zero, subnormals, infinities, NaNs) and integers.
#include <fuzzer/FuzzedDataProvider.h>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "core/fixed_point.h"
#include "core/text_format.h"
#include "fuzz_support.h"

namespace {

// Formats of the program with one number each.
constexpr const char* kRealFormats[] = {
    "%3.8lf", "%3.5lf", "%3.3lf", "%3.1lf", "%3.2lf", "%3.6lf", "%4.3lf", "%8.8lf", "%8.7f",  "%8.6lf",
    "%8.4lf", "%8.3lf", "%1.3f",  "%2.3lf", "%2.2f",  "%3.3f",  "%5.5lf", "%3.14lf", "%10.9lf", "%3.9lf",
};
constexpr const char* kIntegerFormats[] = {"%d", "%2d", "%4d"};

template <typename Number>
std::string Reference(const char* format, Number value) {
  char buffer[2048];
  const int length = std::snprintf(buffer, sizeof buffer, format, value);
  if (length < 0 || length >= static_cast<int>(sizeof buffer)) zeltlog::fuzz::Fail("snprintf failed");
  return std::string(buffer, static_cast<size_t>(length));
}

void Compare(const std::string& format, const std::string& ours, const std::string& theirs, const std::string& value) {
  if (ours != theirs) {
    zeltlog::fuzz::Fail("format \"" + format + "\" of " + value + ": \"" + ours + "\", snprintf gives \"" + theirs + "\"");
  }
}

std::string Describe(double value) {
  char text[64];
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  std::snprintf(text, sizeof text, "%.17g (bits %016llx)", value, static_cast<unsigned long long>(bits));
  return text;
}

template <int Precision>
void CompareFixed(double value, int width) {
  const std::string format = "%" + std::to_string(width) + "." + std::to_string(Precision) + "f";
  char text[zeltlog::kFixedTextLimit];
  char* end = zeltlog::WriteFixed<Precision>(text, value, width);
  Compare(format, std::string(text, static_cast<size_t>(end - text)), Reference(format.c_str(), value), Describe(value));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::setlocale(LC_ALL, "C");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const uint64_t bits = input.ConsumeIntegral<uint64_t>();
  double real;
  std::memcpy(&real, &bits, sizeof real);
  const int integer = input.ConsumeIntegral<int>();

  // Every format of the program on this double and this integer.
  for (const char* format : kRealFormats) {
    Compare(format, zeltlog::Format(format, {real}), Reference(format, real), Describe(real));
    // The same through a float, as the decoders widen float32 fields.
    const double widened = static_cast<float>(real);
    Compare(format, zeltlog::Format(format, {static_cast<float>(real)}), Reference(format, widened),
            Describe(widened));
  }
  for (const char* format : kIntegerFormats) {
    Compare(format, zeltlog::Format(format, {integer}), Reference(format, integer),
            std::to_string(integer));
  }

  // The fixed-point writer of the documents, at every precision it takes.
  const int width = input.ConsumeIntegralInRange(0, 16);
  [&]<int... Below>(std::integer_sequence<int, Below...>) {
    (CompareFixed<Below + 1>(real, width), ...);
  }(std::make_integer_sequence<int, 9>());

  // One conversion put together from the formatter's subset.
  std::string directive = "%";
  const uint8_t flags = input.ConsumeIntegral<uint8_t>();
  if (flags & 1) directive += '-';
  if (flags & 2) directive += '+';
  if (flags & 4) directive += ' ';
  if (flags & 8) directive += '0';
  if (flags & 16) directive += std::to_string(input.ConsumeIntegralInRange(0, 40));
  if (flags & 32) {
    directive += '.';
    if (flags & 64) directive += std::to_string(input.ConsumeIntegralInRange(0, 30));
  }
  const char conversion = "fFdiu"[input.ConsumeIntegralInRange(0, 4)];
  const std::string text = "<" + directive + std::string(1, conversion) + ">";
  if (conversion == 'f' || conversion == 'F') {
    Compare(text, zeltlog::Format(text, {real}), Reference(text.c_str(), real), Describe(real));
  } else if (conversion == 'u') {
    const unsigned value = static_cast<unsigned>(integer);
    Compare(text, zeltlog::Format(text, {value}), Reference(text.c_str(), value), std::to_string(value));
  } else {
    Compare(text, zeltlog::Format(text, {integer}), Reference(text.c_str(), integer), std::to_string(integer));
  }
  return 0;
}
