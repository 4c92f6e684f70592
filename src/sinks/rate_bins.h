// The bins of applied rate that swaths are coloured by, in the viewer's
// documents and in the map report: the actual rate against the target
// rate, with the colours and the legend's words of each bin.
#pragma once

#include <cstdint>

namespace zeltlog {

enum class RateBin : std::uint8_t { Off, FarUnder, Under, OnTarget, Over, FarOver, NoTarget };
inline constexpr int kRateBinCount = 7;

inline RateBin RateBinOf(double target, double actual) {
  if (!(actual > 0.0)) return RateBin::Off;
  if (!(target > 0.0)) return RateBin::NoTarget;
  const double ratio = actual / target;
  if (ratio < 0.80) return RateBin::FarUnder;
  if (ratio < 0.95) return RateBin::Under;
  if (ratio <= 1.05) return RateBin::OnTarget;
  if (ratio <= 1.20) return RateBin::Over;
  return RateBin::FarOver;
}

struct RateBinLook {
  const char* id;
  const char* colour;        // KML aabbggrr
  const char* legendColour;  // HTML #rrggbb
  const char* label;
};
// Under-application in blues, on target green, over-application in orange
// and red, so that both stand out against the sprayed field.
inline constexpr RateBinLook kRateBins[kRateBinCount] = {
    {"rateOff", "b4808080", "#808080", "nothing applied"},
    {"rateFarUnder", "b4ff0000", "#0000ff", "below 80 % of target"},
    {"rateUnder", "b4ffff00", "#00ffff", "80 to 95 % of target"},
    {"rateOnTarget", "b400ff00", "#00ff00", "95 to 105 % of target"},
    {"rateOver", "b400a5ff", "#ffa500", "105 to 120 % of target"},
    {"rateFarOver", "b40000ff", "#ff0000", "above 120 % of target"},
    {"rateNoTarget", "b4ff00ff", "#ff00ff", "applied without a target rate"},
};

inline const RateBinLook& LookOf(RateBin bin) { return kRateBins[static_cast<int>(bin)]; }

}  // namespace zeltlog
