// Fixed-point numbers written straight into a character buffer, byte for
// byte as printf's "%<width>.<precision>f" writes them in the C locale.
//
// The documents hold some ten numbers per fix, all of them coordinates,
// altitudes and times well below 10^9 with at most nine decimals. For such
// a number the exact binary value times 10^precision is formed in 128-bit
// integers and rounded half to even (what printf does), and its digits are
// written two at a time. Any other number (huge, infinite, not a number)
// goes through the general formatter (core/text_format.h), so the bytes are
// the same for every double.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace zeltlog {

// The most characters WriteFixed writes (DBL_MAX with nine decimals and a
// sign is 320): the room a caller leaves for one number.
inline constexpr size_t kFixedTextLimit = 330;

namespace fixed_detail {

inline constexpr uint32_t kPowersOfTen[] = {1u,      10u,      100u,      1000u,      10000u,
                                            100000u, 1000000u, 10000000u, 100000000u, 1000000000u};

inline constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Magnitudes below 2^30 are scaled exactly; those that round below 10^9
// take the integer path.
inline constexpr int kLargestFastBiasedExponent = 1023 + 29;

// Writes `value` through the general formatter; for the other numbers.
char* WriteFixedSlowly(char* out, double value, int width, int precision);

}  // namespace fixed_detail

#ifdef __SIZEOF_INT128__
// mantissa * power / 2^shift rounded half to even, for a shift from 1 to
// 63 and a product below 2^(64 + shift): in 64-bit words, the bits shifted
// out, left-aligned, against one half.
inline uint64_t RoundedShiftedProduct(uint64_t mantissa, uint32_t power, int shift) {
  __extension__ typedef unsigned __int128 Uint128;
  const Uint128 product = static_cast<Uint128>(mantissa) * power;
  const auto high = static_cast<uint64_t>(product >> 64), low = static_cast<uint64_t>(product);
  uint64_t scaled = (high << (64 - shift)) | (low >> shift);
  const uint64_t rest = low << (64 - shift);
  constexpr uint64_t kHalf = 1ULL << 63;
  // Without branches: which way a number rounds is a coin toss.
  scaled += static_cast<uint64_t>(rest > kHalf) | (static_cast<uint64_t>(rest == kHalf) & scaled);
  return scaled;
}

// `bits` holds a finite, non-negative double below 2^30; returns it times
// `power` rounded half to even, exactly.
inline uint64_t RoundedScaledMagnitude(uint64_t bits, uint32_t power) {
  __extension__ typedef unsigned __int128 Uint128;
  const int biased = static_cast<int>(bits >> 52);
  if (biased == 0) return 0;  // zero, or below 2^-1022: rounds to zero
  const uint64_t mantissa = (bits & ((1ULL << 52) - 1)) | (1ULL << 52);
  // value = mantissa * 2^-shift, and below 2^30 the shift is at least 23.
  const int shift = 1075 - biased;
  // mantissa * 10^9 < 2^83: beyond that shift the value rounds to 0.
  if (shift > 84) return 0;
  if (shift < 64) return RoundedShiftedProduct(mantissa, power, shift);
  const Uint128 product = static_cast<Uint128>(mantissa) * power;
  uint64_t scaled = static_cast<uint64_t>(product >> shift);
  const Uint128 remainder = product & ((static_cast<Uint128>(1) << shift) - 1);
  const Uint128 half = static_cast<Uint128>(1) << (shift - 1);
  if (remainder > half || (remainder == half && (scaled & 1))) ++scaled;
  return scaled;
}
#endif

namespace fixed_detail {

// Writes exactly Digits decimal digits of `n` (below 10^Digits, at most nine
// digits), leading zeros included. `n` becomes a binary fraction n / 10^k
// with 57 bits after the point, rounded up; each step multiplies what is
// after the point by 100 and takes the two digits before it. The rounding
// error stays below one unit of the last digit for up to nine digits.
template <int Digits>
inline char* WriteDigits(char* out, uint32_t n) {
  static_assert(Digits >= 1 && Digits <= 9);
  constexpr int kBits = 57;
  constexpr uint64_t kMask = (1ULL << kBits) - 1;
  constexpr int kFirst = Digits % 2 == 1 ? 1 : 2;
  constexpr uint64_t kScale = (1ULL << kBits) / kPowersOfTen[Digits - kFirst] + 1;
  uint64_t y = static_cast<uint64_t>(n) * kScale;
  if constexpr (kFirst == 1) {
    *out++ = static_cast<char>('0' + (y >> kBits));
  } else {
    std::memcpy(out, kDigitPairs + 2 * (y >> kBits), 2);
    out += 2;
  }
#pragma GCC unroll 4
  for (int i = kFirst; i < Digits; i += 2) {
    y = (y & kMask) * 100;
    std::memcpy(out, kDigitPairs + 2 * (y >> kBits), 2);
    out += 2;
  }
  return out;
}

#ifdef __SIZEOF_INT128__
// `scaled` (below 2^60) divided by 10^Precision, by a multiplication: the
// compiler would otherwise divide a 64-bit number the slow way. With
// k = 60 + ceil(log2 10^Precision) and M = floor(2^k / 10^Precision) + 1,
// floor(n * M / 2^k) is the quotient for every n below 2^60, as n times
// 10^Precision stays below 2^k, and M fits in 64 bits.
template <int Precision>
inline uint64_t QuotientOfScaled(uint64_t scaled) {
  __extension__ typedef unsigned __int128 Uint128;
  constexpr uint64_t kDivisor = kPowersOfTen[Precision];
  constexpr int kShift = 60 + std::bit_width(kDivisor - 1);
  constexpr uint64_t kMultiplier = static_cast<uint64_t>((static_cast<Uint128>(1) << kShift) / kDivisor) + 1;
  return static_cast<uint64_t>((static_cast<Uint128>(scaled) * kMultiplier) >> kShift);
}
#endif

// Digits of the largest number of each bit length.
inline constexpr uint8_t kDigitsOfBitLength[] = {1, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 4, 5, 5,
                                                 5, 6, 6, 6, 7, 7, 7, 7, 8, 8, 8, 9, 9, 9, 10, 10};

// The number of decimal digits of `n` (below 10^9): those of the largest
// number of its bit length, one less below the power of ten between.
inline int DigitCount(uint32_t n) {
  n |= 1;  // 0 has one digit, as 1 has
  const int digits = kDigitsOfBitLength[std::bit_width(n)];
  return digits - (n < kPowersOfTen[digits - 1] ? 1 : 0);
}

inline char* WriteWholeDigits(char* out, uint32_t n, int digits) {
  switch (digits) {
    case 1: return WriteDigits<1>(out, n);
    case 2: return WriteDigits<2>(out, n);
    case 3: return WriteDigits<3>(out, n);
    case 4: return WriteDigits<4>(out, n);
    case 5: return WriteDigits<5>(out, n);
    case 6: return WriteDigits<6>(out, n);
    case 7: return WriteDigits<7>(out, n);
    case 8: return WriteDigits<8>(out, n);
    default: return WriteDigits<9>(out, n);
  }
}

}  // namespace fixed_detail

namespace fixed_detail {

// The text of a number below 10^9 * 10^Precision, scaled and rounded.
template <int Precision>
inline char* WriteScaledParts(char* out, bool negative, uint64_t whole, uint64_t scaled, int width) {
  const int wholeDigits = DigitCount(static_cast<uint32_t>(whole));
  const int length = (negative ? 1 : 0) + wholeDigits + 1 + Precision;
  if (width > length) [[unlikely]] {
    std::memset(out, ' ', static_cast<size_t>(width - length));
    out += width - length;
  }
  *out = '-';
  out += negative ? 1 : 0;
  out = WriteWholeDigits(out, static_cast<uint32_t>(whole), wholeDigits);
  *out++ = '.';
  return WriteDigits<Precision>(out, static_cast<uint32_t>(scaled - whole * kPowersOfTen[Precision]));
}

// WriteFixed for every double: out of the way of the usual numbers.
template <int Precision>
[[gnu::noinline, gnu::cold]] char* WriteFixedGenerally(char* out, double value, int width) {
#ifdef __SIZEOF_INT128__
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  const bool negative = (bits >> 63) != 0;
  bits &= ~(1ULL << 63);
  if (static_cast<int>(bits >> 52) > kLargestFastBiasedExponent) return WriteFixedSlowly(out, value, width, Precision);
  const uint64_t scaled = RoundedScaledMagnitude(bits, kPowersOfTen[Precision]);
  const uint64_t whole = QuotientOfScaled<Precision>(scaled);
  if (whole >= kPowersOfTen[9]) return WriteFixedSlowly(out, value, width, Precision);
  return WriteScaledParts<Precision>(out, negative, whole, scaled, width);
#else
  return WriteFixedSlowly(out, value, width, Precision);
#endif
}

}  // namespace fixed_detail

// Writes `value` at `out` as "%<width>.<Precision>f" would and returns the
// end; `out` has room for kFixedTextLimit characters. Inline for the usual
// magnitudes, from 2^-11 to 2^30 (every coordinate, altitude and time of
// day): each caller then has the branches of its own numbers to itself.
template <int Precision>
inline char* WriteFixed(char* out, double value, int width) {
  static_assert(Precision >= 1 && Precision <= 9);
  using namespace fixed_detail;
#ifdef __SIZEOF_INT128__
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  const uint64_t magnitude = bits & ~(1ULL << 63);
  // value = mantissa * 2^-shift; the usual magnitudes have a shift from 23 to 63.
  const unsigned shift = 1075u - static_cast<unsigned>(magnitude >> 52);
  if (shift - 23u > 40u) [[unlikely]] return WriteFixedGenerally<Precision>(out, value, width);
  const uint64_t mantissa = (magnitude & ((1ULL << 52) - 1)) | (1ULL << 52);
  const uint64_t scaled = RoundedShiftedProduct(mantissa, kPowersOfTen[Precision], static_cast<int>(shift));
  const uint64_t whole = QuotientOfScaled<Precision>(scaled);
  if (whole >= kPowersOfTen[9]) [[unlikely]] return WriteFixedSlowly(out, value, width, Precision);
  return WriteScaledParts<Precision>(out, bits != magnitude, whole, scaled, width);
#else
  return WriteFixedGenerally<Precision>(out, value, width);
#endif
}

// Writes `n` as printf's "%u" (and "%d" of a non-negative int) would.
inline char* WriteUnsigned(char* out, uint32_t n) {
  using namespace fixed_detail;
  if (n < kPowersOfTen[9]) return WriteWholeDigits(out, n, DigitCount(n));
  out = WriteWholeDigits(out, n / kPowersOfTen[9], DigitCount(n / kPowersOfTen[9]));
  return WriteDigits<9>(out, n % kPowersOfTen[9]);
}

}  // namespace zeltlog
