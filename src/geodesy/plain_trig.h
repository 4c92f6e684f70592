// Sine and cosine of the angles of the geometry (radians), the same on every
// platform for any angle. Positions and headings give angles of a few turns
// at most; an angle beyond 2^20 radians (some 60 million degrees) can only
// come from a damaged record. The C libraries reduce such large arguments
// with different precision, so the figures drawn from them differed in
// their last digits between Linux and Windows. Such an angle is first
// reduced modulo 2 pi by std::fmod, which is exact and so the same
// everywhere; smaller angles go to the C library unchanged.
#pragma once

#include <cmath>

namespace zeltlog {

inline constexpr double kLargestPlainAngle = 1048576.0;  // 2^20 radians

inline double ReducedAngle(double radians) {
  constexpr double kTwoPi = 6.283185307179586;
  return std::fabs(radians) < kLargestPlainAngle ? radians : std::fmod(radians, kTwoPi);
}

inline double PlainSin(double radians) { return std::sin(ReducedAngle(radians)); }
inline double PlainCos(double radians) { return std::cos(ReducedAngle(radians)); }

struct SineCosine {
  double sine, cosine;
};

// Both at once, for the price of little more than one: the GNU C library's
// sincos runs the same code as its sin and cos and gives the same bits.
inline SineCosine PlainSineCosine(double radians) {
  const double reduced = ReducedAngle(radians);
#if defined(__GLIBC__)
  SineCosine both;
  ::sincos(reduced, &both.sine, &both.cosine);
  return both;
#else
  return {std::sin(reduced), std::cos(reduced)};
#endif
}

}  // namespace zeltlog
