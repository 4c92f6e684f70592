#include "coverage/ribbons.h"

#include <algorithm>
#include <cmath>

#include "coverage/ellipsoid_area.h"

namespace zeltlog {
namespace {

constexpr double kNoArea = 1e-6;        // square metres
constexpr double kSameCorner = 1e-11;   // degrees, a few micrometres
constexpr double kDegree = 3.14159265358979323846 / 180.0;

struct Local {
  double x, y;
};

double Orient(Local a, Local b, Local c) { return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x); }

bool Within(Local a, Local b, Local p) {
  return std::min(a.x, b.x) <= p.x && p.x <= std::max(a.x, b.x) && std::min(a.y, b.y) <= p.y &&
         p.y <= std::max(a.y, b.y);
}

// Whether two segments cross or touch.
bool Meet(Local a, Local b, Local c, Local d) {
  const double o1 = Orient(a, b, c), o2 = Orient(a, b, d), o3 = Orient(c, d, a), o4 = Orient(c, d, b);
  if (((o1 > 0 && o2 < 0) || (o1 < 0 && o2 > 0)) && ((o3 > 0 && o4 < 0) || (o3 < 0 && o4 > 0))) return true;
  return (o1 == 0 && Within(a, b, c)) || (o2 == 0 && Within(a, b, d)) || (o3 == 0 && Within(c, d, a)) ||
         (o4 == 0 && Within(c, d, b));
}

}  // namespace

bool SameCorner(LonLat a, LonLat b) {
  return std::fabs(a.longitude - b.longitude) <= kSameCorner && std::fabs(a.latitude - b.latitude) <= kSameCorner;
}

bool OnTheGlobe(LonLat p) {
  return std::isfinite(p.longitude) && std::isfinite(p.latitude) && std::fabs(p.latitude) <= 90.0 &&
         std::fabs(p.longitude) <= 360.0;
}

QuadInfo Classify(const CollectedQuad& q) {
  const LonLat corners[4] = {q.prevRight, q.right, q.left, q.prevLeft};
  QuadInfo info;
  for (const LonLat& p : corners) {
    if (!OnTheGlobe(p)) return info;  // drawn, but it counts for nothing
  }
  LonLat distinct[4];
  int n = 0;
  for (const LonLat& p : corners) {
    if (n == 0 || p.longitude != distinct[n - 1].longitude || p.latitude != distinct[n - 1].latitude) {
      distinct[n++] = p;
    }
  }
  while (n > 1 && distinct[n - 1].longitude == distinct[0].longitude && distinct[n - 1].latitude == distinct[0].latitude) {
    --n;
  }
  if (n < 3) return info;
  const double signedArea = SignedSmallRingArea(distinct, static_cast<size_t>(n));
  if (n == 4) {
    const double scale = std::cos(distinct[0].latitude * kDegree);
    Local p[4];
    for (int i = 0; i < 4; ++i) {
      p[i] = {(distinct[i].longitude - distinct[0].longitude) * scale, distinct[i].latitude - distinct[0].latitude};
    }
    if (Meet(p[0], p[1], p[2], p[3]) || Meet(p[1], p[2], p[3], p[0])) {
      info.shape = QuadShape::Crossed;
      return info;
    }
  }
  if (std::fabs(signedArea) < kNoArea) return info;
  info.shape = QuadShape::Simple;
  info.sign = signedArea > 0 ? 1 : -1;
  info.area = std::fabs(signedArea);
  return info;
}

QuadShapes ClassifyQuads(const std::vector<CollectedQuad>& quads) {
  QuadShapes shapes;
  shapes.infos.resize(quads.size());
  shapes.withArea.assign(quads.size() + 1, 0);
  for (size_t i = 0; i < quads.size(); ++i) {
    shapes.infos[i] = Classify(quads[i]);
    shapes.withArea[i + 1] = shapes.withArea[i] + (shapes.infos[i].shape == QuadShape::Empty ? 0 : 1);
  }
  return shapes;
}

void RibbonChain::Add(size_t i) {
  const CollectedQuad& q = quads_[i];
  const QuadInfo& info = shapes_.infos[i];
  if (info.shape == QuadShape::Crossed) {
    Close(i);
    GeosPtr ring = RingPolygon(c_, {q.prevRight, q.right, q.left, q.prevLeft});
    if (GeosPtr valid = MadeValid(c_, ring.get())) take_(i, std::move(valid));
    return;
  }
  if (!OnTheGlobe(q.prevRight) || !OnTheGlobe(q.right) || !OnTheGlobe(q.left) || !OnTheGlobe(q.prevLeft)) {
    Close(i);
    return;
  }
  const CollectedQuad* before = i > 0 ? &quads_[i - 1] : nullptr;
  const bool continues = before && before->run == q.run && !q.firstOfRun;
  bool chains = open_ && continues && SameCorner(q.prevRight, before->right) && SameCorner(q.prevLeft, before->left);
  if (chains && info.shape == QuadShape::Simple && sign_ != 0 && info.sign != sign_) chains = false;
  if (chains && limits_.atRateChange && q.rateBin != quads_[start_].rateBin) chains = false;
  if (chains && i - start_ >= limits_.mostQuads) chains = false;
  if (!chains) {
    Close(i);
    start_ = i;
    open_ = true;
  }
  if (info.shape == QuadShape::Simple && sign_ == 0) sign_ = info.sign;
}

void RibbonChain::Close(size_t end) {
  if (open_) Build(start_, start_, end);
  open_ = false;
  sign_ = 0;
}

void RibbonChain::Build(size_t first, size_t start, size_t end) {
  if (shapes_.withArea[end] == shapes_.withArea[start]) return;  // nothing but quads without area
  points_.clear();
  points_.push_back(quads_[start].prevRight);
  for (size_t i = start; i < end; ++i) points_.push_back(quads_[i].right);
  for (size_t i = end; i-- > start;) points_.push_back(quads_[i].left);
  points_.push_back(quads_[start].prevLeft);
  GeosPtr polygon = RingPolygon(c_, points_);
  if (!polygon) return;
  if (GEOSisValid_r(c_.handle(), polygon.get()) == 1) {
    take_(first, std::move(polygon));
    return;
  }
  if (end - start == 1) {
    if (GeosPtr valid = MadeValid(c_, polygon.get())) take_(first, std::move(valid));
    return;
  }
  const size_t middle = start + (end - start) / 2;
  Build(first, start, middle);
  Build(first, middle, end);
}

void ChainRibbons(const GeosContext& c, const std::vector<CollectedQuad>& quads, const QuadShapes& shapes,
                  RibbonLimits limits, RibbonChain::Take take) {
  RibbonChain chain(c, quads, shapes, limits, std::move(take));
  for (size_t i = 0; i < quads.size(); ++i) chain.Add(i);
  chain.Finish();
}

}  // namespace zeltlog
