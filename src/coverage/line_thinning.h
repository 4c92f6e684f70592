// Douglas and Peucker's thinning of a line, for drawing: the map page's
// field and skipped ground (in degrees) and the proof of application's map
// (in points on the paper) drop the same way the points that would not
// show.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

namespace zeltlog {

// Which points of `points` to keep: both ends of every stretch of
// `stretch` points (so that time stays in proportion to the points), and
// each point farther than `tolerance` from the chord between the points
// kept on either side of it. `xy(point)` gives a point's plane coordinates
// as a pair.
template <typename Points, typename Xy>
std::vector<char> PointsToKeep(const Points& points, double tolerance, Xy xy, size_t stretch = 256) {
  std::vector<char> keep(points.size(), 0);
  auto offset = [&](size_t p, size_t a, size_t b) {
    const auto [ax, ay] = xy(points[a]);
    const auto [bx, by] = xy(points[b]);
    const auto [x, y] = xy(points[p]);
    const double dx = bx - ax, dy = by - ay, px = x - ax, py = y - ay;
    const double length = dx * dx + dy * dy;
    if (length == 0.0) return std::hypot(px, py);
    const double t = std::clamp((px * dx + py * dy) / length, 0.0, 1.0);
    return std::hypot(px - t * dx, py - t * dy);
  };
  std::vector<std::pair<size_t, size_t>> open;
  for (size_t start = 0; start + 1 < points.size(); start += stretch) {
    const size_t end = std::min(start + stretch, points.size() - 1);
    keep[start] = keep[end] = 1;
    open.push_back({start, end});
    while (!open.empty()) {
      const auto [a, b] = open.back();
      open.pop_back();
      double farthest = 0.0;
      size_t at = a;
      for (size_t i = a + 1; i < b; ++i) {
        const double d = offset(i, a, b);
        if (d > farthest) farthest = d, at = i;
      }
      if (farthest <= tolerance) continue;
      keep[at] = 1;
      open.push_back({a, at});
      open.push_back({at, b});
    }
  }
  return keep;
}

}  // namespace zeltlog
