// Thresholds, from what shows in a warped picture (judged on test cards
// warped at 500 x 500 and beyond):
// - reach: pixels no sample writes keep the background and show as pin
//   holes; below 99 % they gather into specks one sees at a glance. The
//   letter C that ships reaches 99.4 %, the other bundled shapes 99.9 %.
// - fold: where the mapping folds over, a strip of the picture is laid
//   twice, turned, and the later layer hides the earlier; 0.2 % of the
//   inside is a few slivers in a border's notches, more reads as a smear.
// - spill: samples beyond the outer loop paint outside the outline, which
//   shows on the result's transparent background; same bound.
// - excellent: the bundled shapes that cross nowhere reach 99.9 % and more,
//   a jagged traced border costs a few tenths of a percent of pin holes
//   along its notches whatever the loops; a candidate reaching 99.7 %,
//   folding over a fifth and spilling a quarter of the bounds or less shows
//   no flaw the remaining tries could remove, and those tries cost seconds.
#include "shapebuild/warp_quality.h"

#include <algorithm>
#include <cmath>

#include "shapebuild/loop_checks.h"
#include "warp/assist.h"
#include "warp/engine.h"
#include "warp/fast_mapping.h"
#include "warp/mapping.h"
#include "warp/polyline.h"

namespace quorvel {
namespace {

// Marks (even-odd, pixel centres) the pixels inside a guide, which is in
// working-square units about the square's centre; row is the display row.
void MarkInside(const TPolyline& guide, std::int32_t side, char value, std::vector<char>& mask) {
  const double r = side * 0.5;
  std::vector<double> xs;
  for (std::int32_t row = 0; row < side; ++row) {
    const double y = row + 0.5 - r;
    xs.clear();
    for (const TSegment& s : guide.segments)
      if ((double(s.y1) > y) != (double(s.y2) > y))
        xs.push_back(double(s.x1) + (y - double(s.y1)) * double(s.x2 - s.x1) / double(s.y2 - s.y1) + r);
    std::sort(xs.begin(), xs.end());
    for (std::size_t k = 0; k + 1 < xs.size(); k += 2) {
      const auto c0 = std::max<std::int64_t>(0, std::int64_t(std::ceil(xs[k] - 0.5)));
      const auto c1 = std::min<std::int64_t>(side - 1, std::int64_t(std::floor(xs[k + 1] - 0.5)));
      for (std::int64_t c = c0; c <= c1; ++c) mask[std::size_t(row) * side + c] = value;
    }
  }
}

}  // namespace

bool WarpQuality::Acceptable() const {
  return measured && reach >= kMinReach && fold <= kMaxFold && spill <= kMaxSpill;
}

bool WarpQuality::Excellent() const {
  return Acceptable() && reach >= kExcellentReach && fold <= kExcellentFold && spill <= kExcellentSpill;
}

WarpQuality MeasureWarpQuality(const std::vector<std::vector<TPointF>>& loops, std::int32_t side) {
  WarpQuality q;
  if (loops.empty() || side < 16) return q;
  PolylineList shape, guides, assist;
  for (const auto& loop : loops) shape.push_back(ClosedPolyline(loop));
  ScalePolylines(guides, shape, side);
  GenerateAssistPolyline_Dis(guides, assist);
  if (assist.size() < 2) return q;

  // 1 inside, 0 outside the outer loop, 2 within the innermost one.
  const std::size_t pixels = std::size_t(side) * std::size_t(side);
  std::vector<char> region(pixels, 0);
  MarkInside(guides.front(), side, 1, region);
  if (guides.size() > 1) MarkInside(guides.back(), side, 2, region);
  const auto inside = std::size_t(std::count(region.begin(), region.end(), 1));
  if (inside == 0) return q;
  // The pixels just outside the outer loop (3) are where the rim's own
  // samples round to; they neither count as inside nor spill.
  std::vector<char> ring(region);
  for (std::int32_t row = 0; row < side; ++row)
    for (std::int32_t col = 0; col < side; ++col) {
      if (region[std::size_t(row) * side + col] != 0) continue;
      bool near = false;
      for (std::int32_t dr = -1; dr <= 1 && !near; ++dr)
        for (std::int32_t dc = -1; dc <= 1 && !near; ++dc) {
          const std::int32_t rr = row + dr, cc = col + dc;
          near = rr >= 0 && cc >= 0 && rr < side && cc < side && region[std::size_t(rr) * side + cc] == 1;
        }
      if (near) ring[std::size_t(row) * side + col] = 3;
    }
  region.swap(ring);

  // Reach: an opaque card through the engine; what it leaves transparent
  // was not reached.
  TWarpEngine engine;
  const PixelBlock card(pixels, 0xFF808080u);
  PrepareWarp(engine, side, card.data());
  MapAllPixelsFast(engine, assist);
  std::size_t reached = 0;
  for (std::int32_t row = 0; row < side; ++row)
    for (std::int32_t col = 0; col < side; ++col)
      if (region[std::size_t(row) * side + col] == 1)
        reached += AlphaOf(engine.dest[std::size_t(side - 1 - row) * side + col]) != 0;

  // Fold and spill, from the samples each ray lays along its assist
  // polyline at the spacing the sweep uses. Samples j and j + 1 of two
  // neighbouring rays bound the image of one cell of the disk; where the
  // mapping folds over, that cell comes out turned the other way round, and
  // its area is the area the fold covers twice.
  const float r = static_cast<float>(side * 0.5);
  const auto steps = static_cast<std::int32_t>(2 * r);
  std::vector<TPointF> before(std::size_t(steps) + 1), after(before.size());
  std::vector<char> spill_marked(pixels, 0);
  std::size_t spilled = 0;
  double forward = 0.0, backward = 0.0;  // image areas of the cells turned each way
  // The last segment of each is the engine's zero tail at the origin.
  auto Samples = [&](const TPolyline& p, std::vector<TPointF>& at) {
    const std::size_t last = p.segments.size() > 1 ? p.segments.size() - 2 : 0;
    std::size_t seg = 0;
    double seg_start = 0.0;
    for (std::int32_t j = 0; j <= steps; ++j) {
      const double s = double(p.length) * j / steps;
      while (seg < last && seg_start + double(p.segments[seg].length) < s)
        seg_start += double(p.segments[seg++].length);
      const TSegment& g = p.segments[seg];
      const double f = g.length > 0 ? std::clamp((s - seg_start) / double(g.length), 0.0, 1.0) : 0.0;
      const double x = double(g.x1) + f * double(g.x2 - g.x1) + double(r);
      const double y = double(g.y1) + f * double(g.y2 - g.y1) + double(r);
      at[std::size_t(j)] = {static_cast<float>(x), static_cast<float>(y)};
      const auto col = static_cast<std::int64_t>(x + 0.5), row = static_cast<std::int64_t>(y + 0.5);
      if (col < 0 || row < 0 || col >= side || row >= side) continue;
      const std::size_t pixel = std::size_t(row) * side + std::size_t(col);
      if (region[pixel] == 0 && !spill_marked[pixel]) spill_marked[pixel] = 1, ++spilled;
    }
  };
  if (assist.front().segments.empty()) return q;
  Samples(assist.front(), before);
  for (std::size_t i = 1; i < assist.size(); ++i) {
    if (assist[i].segments.empty()) return q;
    Samples(assist[i], after);
    for (std::size_t j = 0; j + 1 < before.size(); ++j) {
      const TPointF &a = before[j], &b = after[j], &c = after[j + 1], &d = before[j + 1];
      const double area = 0.5 * ((double(a.x) * double(b.y) - double(b.x) * double(a.y)) +
                                 (double(b.x) * double(c.y) - double(c.x) * double(b.y)) +
                                 (double(c.x) * double(d.y) - double(d.x) * double(c.y)) +
                                 (double(d.x) * double(a.y) - double(a.x) * double(d.y)));
      (area > 0.0 ? forward : backward) += std::fabs(area);
    }
    before.swap(after);
  }
  const double folded = std::min(forward, backward);
  q.measured = true;
  q.reach = double(reached) / double(inside);
  q.fold = folded / double(inside);
  q.spill = double(spilled) / double(inside);
  return q;
}

}  // namespace quorvel
