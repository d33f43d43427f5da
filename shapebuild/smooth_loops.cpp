#include "shapebuild/smooth_loops.h"

#include <algorithm>
#include <cmath>

#include "shapebuild/distance_loops.h"
#include "shapebuild/polygon_ops.h"

namespace quorvel {
namespace {

constexpr double kPointSpacing = 0.75;  // frame units between resampled points
constexpr std::int32_t kMinPoints = 256;
constexpr std::int32_t kMaxPoints = 1200;
// Every inner loop loses at least the zigzag of a pixel or two.
constexpr double kFinestSigma = 1.5;  // points

}  // namespace

PolygonD GaussianSmoothLoop(const PolygonD& loop, double sigma) {
  const auto n = static_cast<std::int64_t>(loop.size());
  if (n < 3 || !(sigma > 0.2)) return loop;
  const std::int64_t reach = std::min<std::int64_t>(n / 2, std::int64_t(std::ceil(3.0 * sigma)));
  std::vector<double> weight(std::size_t(reach) + 1);
  for (std::int64_t d = 0; d <= reach; ++d) weight[d] = std::exp(-0.5 * double(d * d) / (sigma * sigma));
  PolygonD out(loop.size());
  for (std::int64_t i = 0; i < n; ++i) {
    double x = 0.0, y = 0.0, total = 0.0;
    for (std::int64_t d = -reach; d <= reach; ++d) {
      const ShapePointD& p = loop[std::size_t(((i + d) % n + n) % n)];
      const double w = weight[std::size_t(std::llabs(d))];
      x += w * p.x, y += w * p.y, total += w;
    }
    out[std::size_t(i)] = {x / total, y / total};
  }
  return out;
}

bool BuildSmoothLoops(const PolygonD& outer, ShapePointD centre, const SmoothLoopOptions& options,
                      std::vector<PolygonD>& loops) {
  ShapePointD hit;
  std::size_t edge = 0;
  if (outer.size() < 3 || !RayHit(outer, centre, {0.0, -1.0}, hit, edge)) return false;
  const PolygonD start = StartLoopAt(outer, edge, hit);
  const auto points = std::clamp(static_cast<std::int32_t>(CumulativeLengths(start).back() / kPointSpacing), kMinPoints, kMaxPoints);
  const PolygonD even = ResampleLoop(start, points);
  const std::int32_t count = std::max(2, options.loops);
  loops.clear();
  loops.push_back(start);  // as drawn
  for (std::int32_t k = 1; k < count; ++k) {
    const double u = double(k) / (count - 1);
    const double scale = 1.0 - u * (1.0 - options.innermost);
    const PolygonD smooth =
        GaussianSmoothLoop(even, std::max(kFinestSigma, u * u * options.smoothing * points));
    loops.push_back(ScaledAbout(smooth, centre, scale));
  }
  return true;
}

}  // namespace quorvel
