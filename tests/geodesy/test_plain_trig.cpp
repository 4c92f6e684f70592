#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "geodesy/plain_trig.h"

namespace zeltlog {
namespace {

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Every angle a position or a heading gives reaches the C library as it is,
// so that realistic documents keep their bytes.
TEST(PlainTrig, RealisticAnglesGoToTheCLibraryUnchanged) {
  const double degree = 3.141592653589793 / 180.0;
  for (const double angle : {0.0, -34.25 * degree, 6.0 * 89.99 * degree, 359.9 * degree, -270.0 * degree,
                             1048575.9, -1048575.9}) {
    EXPECT_TRUE(SameBits(PlainSin(angle), std::sin(angle))) << angle;
    EXPECT_TRUE(SameBits(PlainCos(angle), std::cos(angle))) << angle;
  }
}

// A damaged angle is reduced exactly first: what reaches the C library is
// within a turn, where the libraries agree.
TEST(PlainTrig, DamagedAnglesAreReducedWithinATurn) {
  for (const double angle : {1048576.0, 1e18, -3e22, 7.25e31, -1.7e308}) {
    const double reduced = ReducedAngle(angle);
    EXPECT_LT(std::fabs(reduced), 6.283185307179586) << angle;
    EXPECT_TRUE(SameBits(PlainSin(angle), std::sin(reduced))) << angle;
    EXPECT_TRUE(SameBits(PlainCos(angle), std::cos(reduced))) << angle;
  }
  EXPECT_TRUE(std::isnan(PlainSin(INFINITY)));
  EXPECT_TRUE(std::isnan(PlainCos(NAN)));
}

// Headings and latitudes take both at once; every bit must be what sine and
// cosine give one by one, or the documents would change.
TEST(PlainTrig, SineAndCosineAtOnceKeepTheirBits) {
  uint64_t state = 0x9E3779B97F4A7C15u;
  auto next = [&state] {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
  };
  for (int i = 0; i < 400000; ++i) {
    // Within a few turns as headings are, and any bit pattern at all.
    const double angle = i % 2 ? (static_cast<double>(next() >> 11) / 9007199254740992.0 - 0.5) * 50.0 : [&] {
      const uint64_t bits = next();
      double any;
      std::memcpy(&any, &bits, sizeof any);
      return any;
    }();
    const SineCosine both = PlainSineCosine(angle);
    if (std::isnan(angle)) continue;
    ASSERT_TRUE(SameBits(both.sine, PlainSin(angle))) << angle;
    ASSERT_TRUE(SameBits(both.cosine, PlainCos(angle))) << angle;
  }
}

}  // namespace
}  // namespace zeltlog
