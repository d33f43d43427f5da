#include "shapebuild/harmonic_loops.h"

#include <algorithm>
#include <cmath>

#include "shapebuild/harmonic.h"
#include "shapebuild/iso_contours.h"

namespace quorvel {
namespace {

constexpr double kInnermostLevel = 0.9;   // innermost loop around a disk core
constexpr double kLastRingLevel = 0.95;   // last level loop before a ring's hole
constexpr int kBins = 2000;
// Far out in a narrow arm the function falls off exponentially and its
// level sets below this are solver noise; the first loop starts here.
constexpr double kLowestLevel = 1e-7;

// The point inside outer farthest from its boundary: coarse search, then a
// finer one around the best node.
ShapePointD DeepestPoint(const PolygonD& outer, double& depth) {
  ShapePointD best{};
  depth = -1.0;
  auto probe = [&](ShapePointD p) {
    if (!PointInPolygon(outer, p)) return;
    const double d = DistanceToPolygon(outer, p);
    if (d > depth) depth = d, best = p;
  };
  for (double y = -150.0; y <= 150.0; y += 4.0)
    for (double x = -150.0; x <= 150.0; x += 4.0) probe({x, y});
  const ShapePointD coarse = best;
  for (double y = -4.0; y <= 4.0; y += 0.5)
    for (double x = -4.0; x <= 4.0; x += 0.5) probe({coarse.x + x, coarse.y + y});
  return best;
}

// Levels from the boundary inwards, each about spacing further in than the
// last where the loops run farthest apart. Distances between levels come
// from |grad log phi|; its low percentile per band of log phi stands for the
// widest gap. Stops after about cap levels.
std::vector<double> ChooseLevels(const HarmonicGrid& g, double spacing, double last_level, std::size_t cap) {
  const double psi_end = std::log(last_level);
  double psi_min = 0.0;
  for (std::size_t p = 0; p < g.free.size(); ++p)
    if (g.free[p] && g.phi.values[p] > 0.0) psi_min = std::min(psi_min, std::log(g.phi.values[p]));
  psi_min = std::max(psi_min, std::log(kLowestLevel));
  if (!(psi_min < psi_end)) return {};
  std::vector<std::vector<double>> rates(kBins);
  auto bin = [&](double psi) {
    return std::clamp(int((psi - psi_min) / (psi_end - psi_min) * kBins), 0, kBins - 1);
  };
  const std::int32_t n = g.n;
  for (std::int32_t j = 1; j + 1 < n; ++j)
    for (std::int32_t i = 1; i + 1 < n; ++i) {
      const std::size_t p = std::size_t(j) * n + i;
      const double v = g.phi.values[p];
      if (!g.free[p] || !(v > 0.0)) continue;
      const double gx = (g.phi.At(i + 1, j) - g.phi.At(i - 1, j)) / (2 * g.step);
      const double gy = (g.phi.At(i, j + 1) - g.phi.At(i, j - 1)) / (2 * g.step);
      rates[bin(std::log(v))].push_back(std::hypot(gx, gy) / v);
    }
  const std::vector<double> rate = BandRates(rates);
  std::vector<double> levels;
  double psi = psi_min + 2.0 * g.step * std::max(rate[0], 1e-9);
  while (psi < psi_end && levels.size() <= cap) {
    levels.push_back(std::exp(psi));
    psi += spacing * std::max(rate[bin(psi)], 1e-9);
  }
  levels.push_back(last_level);
  return levels;
}

// Follows the gradient downhill from p until the value drops to level.
ShapePointD Descend(const HarmonicGrid& g, ShapePointD p, double level) {
  const double h = 0.2 * g.step;
  for (int k = 0; k < 200000 && g.ValueAt(p) > level; ++k) {
    const ShapePointD d = g.GradientAt(p);
    const double len = std::hypot(d.x, d.y);
    if (!(len > 0.0)) break;
    p = {p.x - h * d.x / len, p.y - h * d.y / len};
  }
  return p;
}

// The thick middle of the outline: grid nodes at least share * depth from
// the boundary, in one piece with the deepest point. A core that follows
// the shape's arms keeps the function from fading out along them.
std::vector<char> ThickCore(const PolygonD& outer, const DistanceField* distance, std::int32_t n,
                            ShapePointD deepest, double min_distance) {
  const double step = 300.0 / (n - 1);
  std::vector<char> thick(std::size_t(n) * n, 0), core(thick.size(), 0);
  if (distance && distance->grid.n == n) {
    for (std::size_t p = 0; p < thick.size(); ++p)
      thick[p] = distance->inside[p] && distance->grid.phi.values[p] >= min_distance;
  } else {
    for (std::int32_t j = 0; j < n; ++j)
      for (std::int32_t i = 0; i < n; ++i) {
        const ShapePointD p{-150.0 + i * step, -150.0 + j * step};
        if (PointInPolygon(outer, p) && DistanceToPolygon(outer, p) >= min_distance)
          thick[std::size_t(j) * n + i] = 1;
      }
  }
  const auto si = std::clamp(std::int32_t(std::lround((deepest.x + 150.0) / step)), 0, n - 1);
  const auto sj = std::clamp(std::int32_t(std::lround((deepest.y + 150.0) / step)), 0, n - 1);
  std::vector<std::size_t> stack{std::size_t(sj) * n + si};
  core[stack[0]] = 1;
  while (!stack.empty()) {
    const std::size_t p = stack.back();
    stack.pop_back();
    const std::size_t nb[4] = {p - 1, p + 1, p - n, p + n};
    for (std::size_t q : nb)
      if (q < thick.size() && thick[q] && !core[q]) core[q] = 1, stack.push_back(q);
  }
  return core;
}

ShapePointD TopPoint(const PolygonD& loop, ShapePointD centre) {
  ShapePointD hit;
  std::size_t edge = 0;
  if (PointInPolygon(loop, centre) && RayHit(loop, centre, {0.0, -1.0}, hit, edge)) return hit;
  return *std::min_element(loop.begin(), loop.end(),
                           [](const ShapePointD& a, const ShapePointD& b) { return a.y < b.y; });
}

}  // namespace

bool BuildHarmonicLoops(const PolygonD& outer, const PolygonD& hole,
                        const HarmonicLoopOptions& options, std::vector<PolygonD>& loops) {
  HarmonicCore core;
  ShapePointD centre;
  std::vector<char> thick;
  if (!hole.empty()) {
    core.hole = &hole;
    centre = AreaCentroid(hole);
  } else {
    double depth = 0.0;
    centre = DeepestPoint(outer, depth);
    if (depth <= 0.0) return false;
    core.centre = centre;
    core.radius = std::clamp(0.1 * depth, 1.5 * 300.0 / (options.grid - 1), 6.0);
    if (options.core_share > 0.0) {
      thick = ThickCore(outer, options.distance, options.grid, centre, options.core_share * depth);
      core.nodes = &thick;
    }
  }
  HarmonicGrid g;
  const double step = 300.0 / (options.grid - 1);
  if (!SolveHarmonic(outer, core, options.grid, 1.5 * step, g)) return false;

  const double last = hole.empty() ? kInnermostLevel : kLastRingLevel;
  const std::int32_t inner_budget = std::max(1, options.max_loops - (hole.empty() ? 1 : 2));
  const std::int32_t wanted = options.loops > 0 ? options.loops - (hole.empty() ? 1 : 2) : 0;
  std::vector<double> levels;
  if (!FitLevelCount([&](double spacing, std::size_t cap) { return ChooseLevels(g, spacing, last, cap); },
                     options.spacing, wanted, inner_budget, levels))
    return false;

  std::vector<PolygonD> out{outer};
  for (double level : levels) {
    PolygonD loop;
    if (!LevelLoop(g.phi, g, level, 0.02, loop)) return false;
    out.push_back(std::move(loop));
  }
  if (!hole.empty()) out.push_back(hole);

  // Start points: from the innermost loop's top, downhill to every other.
  ShapePointD p = TopPoint(out.back(), centre);
  NearestOnPolygon at = NearestPointOnPolygon(out.back(), p);
  out.back() = StartLoopAt(out.back(), at.edge, at.point);
  p = at.point;
  for (std::size_t k = out.size() - 1; k-- > 0;) {
    const double level = k == 0 ? 0.0 : levels[k - 1];
    p = Descend(g, p, level);
    at = NearestPointOnPolygon(out[k], p);
    out[k] = StartLoopAt(out[k], at.edge, at.point);
    p = at.point;
  }
  loops = std::move(out);
  return true;
}

}  // namespace quorvel
