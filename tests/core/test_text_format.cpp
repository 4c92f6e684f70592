#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <utility>

#include "core/fixed_point.h"
#include "core/text_format.h"
#include "testkit.h"

namespace zeltlog {
namespace {


// Values that stress rounding and the edges.
std::vector<double> StressValues() {
  constexpr double kMax = std::numeric_limits<double>::max(), kInf = std::numeric_limits<double>::infinity(),
                   kNan = std::numeric_limits<double>::quiet_NaN();
  std::vector<double> values = {0.0, -0.0, 0.5, 1.5, 2.5, -2.5, 0.125, 0.0625, 1e-300, -1e-300, 1e300, -1e300, kMax,
                                std::numeric_limits<double>::denorm_min(), kInf, -kInf, kNan, -kNan, 142.10400000,
                                -34.2510, 43751.5, 0.0005, 0.00049999999999999999, 1.0000000005, 9.9999999995, 999.9995};
  std::mt19937_64 random(12345);
  for (int i = 0; i < 60000; ++i) {
    uint64_t bits = random();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    values.push_back(value);
    // Values of the size the documents hold, and exact ties at each precision.
    values.push_back(static_cast<double>(static_cast<int64_t>(random() % 4000000001) - 2000000000) / 1e7);
    values.push_back(static_cast<double>(static_cast<int64_t>(random() % 20001) - 10000) / 8.0);
  }
  // Around 2^30 and 2^-11, where the fixed-point writer's usual path ends,
  // and every binary magnitude between and beyond them.
  for (const double edge : {1073741824.0, 999999999.0, 1e9}) {
    for (const double step : {-1.0, -1e-6, 0.0, 1e-6, 1.0}) values.push_back(edge + step);
  }
  for (int exponent = -16; exponent <= 32; ++exponent) {
    const double power = std::ldexp(1.0, exponent);
    values.insert(values.end(), {power, std::nextafter(power, 0.0), std::nextafter(power, 2 * power), -power});
    for (int i = 0; i < 200; ++i) values.push_back(std::ldexp(1.0 + static_cast<double>(random() >> 12) * 0x1p-52, exponent));
  }
  return values;
}

// Every format the documents and the event list use, against the C
// library's printf.
TEST(TextFormat, RealsMatchPrintfByteForByte) {
  const char* formats[] = {"%3.8lf", "%8.7f", "%1.3f", "%3.3lf", "%3.14lf", "%10.9lf", "%8.4lf", "%5.5lf",
                           "%2.3lf", "%3.2lf", "%3.1lf", "%4.3lf", "%8.8lf", "%8.6lf", "%2.2f", "%3.5lf",
                           "%3.6lf", "%3.9lf", "%3.3f", "%8.3lf", "%f"};
  const std::vector<double> values = StressValues();
  size_t compared = 0;
  for (const char* format : formats) {
    for (const double value : values) {
      ASSERT_EQ(Format(format, {value}), Printf(format, value)) << format << " of " << value;
      ++compared;
    }
  }
  EXPECT_GT(compared, 3000000u);
}

template <int Precision>
void ExpectFixedLikePrintf(const std::vector<double>& values) {
  for (const int width : {1, 12}) {
    const std::string format = "%" + std::to_string(width) + "." + std::to_string(Precision) + "f";
    for (const double value : values) {
      char text[kFixedTextLimit + 1];
      char* end = WriteFixed<Precision>(text, value, width);
      ASSERT_EQ(std::string(text, static_cast<size_t>(end - text)), Printf(format.c_str(), value)) << format << " of " << value;
    }
  }
}

TEST(TextFormat, FixedPointWriterMatchesPrintfByteForByte) {
  const std::vector<double> values = StressValues();
  // Every precision from 1 to 9.
  [&]<int... P>(std::integer_sequence<int, P...>) {
    (ExpectFixedLikePrintf<P + 1>(values), ...);
  }(std::make_integer_sequence<int, 9>{});
}

TEST(TextFormat, FormatsParsedAtCompileTimeWriteTheSameBytes) {
  const double values[] = {142.1040001, -34.25000005, 48.0005, -0.0, 0.125, 1e12, 43751.505};
  for (const double v : values) {
    std::string fast;
    AppendFormatted<" %8.7f,%8.7f,%1.3f\n">(fast, {v, -v, v});
    EXPECT_EQ(fast, Format(" %8.7f,%8.7f,%1.3f\n", {v, -v, v}));
    fast.clear();
    AppendFormatted<"%8.8lf,%8.8lf,%8.3lf,%d, %d">(fast, {v, v, v, 1, 0});
    EXPECT_EQ(fast, Format("%8.8lf,%8.8lf,%8.3lf,%d, %d", {v, v, v, 1, 0}));
  }
  std::string percent;
  AppendFormatted<"100%% %s">(percent, {"done"});
  EXPECT_EQ(percent, "100% done");
}

TEST(TextFormat, IntegersTextsAndWholeLines) {
  EXPECT_EQ(Format("%d|%2d|%4d|%d", {7, 5, 2012, -5}), "7| 5|2012|-5");
  EXPECT_EQ(Format("MARK , %d, *%s*,%8.7f,%8.7f,%1.3f", {5, "", -0.125, 51.5, 12.0}),
            "MARK , 5, **,-0.1250000,51.5000000,12.000");
  EXPECT_EQ(Format("100%% %s", {std::string("done")}), "100% done");
  EXPECT_EQ(Format("%5s|%-5s|%.2s", {"ab", "cd", "xyz"}), "   ab|cd   |xy");
  EXPECT_EQ(Format("%d and %d", {1}), "1 and ");
}

// A window toolkit may switch the process to a locale with a decimal comma;
// not a single written byte may change.
TEST(TextFormat, IgnoresTheNumericLocale) {
  const char* locales[] = {"de_DE.UTF-8", "fr_FR.UTF-8", "de_DE", "C.UTF-8"};
  std::string before = Format("%3.8lf,%8.7f", {-34.25, 142.104});
  for (const char* name : locales) {
    if (!std::setlocale(LC_NUMERIC, name)) continue;
    EXPECT_EQ(Format("%3.8lf,%8.7f", {-34.25, 142.104}), before) << name;
  }
  std::setlocale(LC_NUMERIC, "C");
  EXPECT_EQ(before, "-34.25000000,142.1040000");
}

// Found by the fuzzer: "%F" wrote infinities and NaNs in small letters;
// printf writes capitals.
TEST(TextFormat, CapitalFWritesInfinitiesAndNansInCapitals) {
  const uint64_t bits = 0xffffff37e43e6e6fULL;  // the input found
  double negativeNan;
  std::memcpy(&negativeNan, &bits, sizeof negativeNan);
  ASSERT_TRUE(std::isnan(negativeNan));
  EXPECT_EQ(Format("<%19F>", {negativeNan}), Printf("<%19F>", negativeNan));
  const double infinity = std::numeric_limits<double>::infinity();
  for (const char* format : {"%F", "%+F", "%-8F|", "%08.3F"}) {
    SCOPED_TRACE(format);
    EXPECT_EQ(Format(format, {infinity}), Printf(format, infinity));
    EXPECT_EQ(Format(format, {-infinity}), Printf(format, -infinity));
    EXPECT_EQ(Format(format, {std::fabs(negativeNan)}), Printf(format, std::fabs(negativeNan)));
  }
  // Small letters stay with "%f".
  EXPECT_EQ(Format("%f", {infinity}), "inf");
}

}  // namespace
}  // namespace zeltlog
