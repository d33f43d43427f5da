#include "shapebuild/harmonic.h"

#include <algorithm>
#include <cmath>

#include "shapebuild/sparse_solve.h"

namespace quorvel {
namespace {

constexpr double kFrameHalf = 150.0;

}  // namespace

void MarkInside(const PolygonD& poly, const HarmonicGrid& g, std::vector<char>& inside) {
  std::vector<double> xs;
  for (std::int32_t j = 0; j < g.n; ++j) {
    const double y = g.origin + j * g.step;
    xs.clear();
    for (std::size_t k = 0; k < poly.size(); ++k) {
      const ShapePointD a = poly[k];
      const ShapePointD b = Next(poly, k);
      if ((a.y > y) != (b.y > y)) xs.push_back(a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y));
    }
    std::sort(xs.begin(), xs.end());
    for (std::size_t k = 0; k + 1 < xs.size(); k += 2) {
      const auto i0 = std::max<std::int32_t>(0, std::int32_t(std::ceil((xs[k] - g.origin) / g.step)));
      const auto i1 =
          std::min<std::int32_t>(g.n - 1, std::int32_t(std::floor((xs[k + 1] - g.origin) / g.step)));
      for (std::int32_t i = i0; i <= i1; ++i) inside[std::size_t(j) * g.n + i] = 1;
    }
  }
}

void MarkNear(const PolygonD& poly, const HarmonicGrid& g, double clearance, std::vector<char>& near) {
  for (std::size_t k = 0; k < poly.size(); ++k) {
    const ShapePointD a = poly[k];
    const ShapePointD b = Next(poly, k);
    auto lo = [&](double v) { return std::max(0, int(std::floor((v - clearance - g.origin) / g.step))); };
    auto hi = [&](double v) { return std::min(g.n - 1, int(std::ceil((v + clearance - g.origin) / g.step))); };
    for (int j = lo(std::min(a.y, b.y)); j <= hi(std::max(a.y, b.y)); ++j)
      for (int i = lo(std::min(a.x, b.x)); i <= hi(std::max(a.x, b.x)); ++i)
        if (DistanceToSegment(g.NodePoint(i, j), a, b) < clearance) near[std::size_t(j) * g.n + i] = 1;
  }
}

bool LevelLoop(const SampledField& field, const HarmonicGrid& g, double level, double tolerance,
               PolygonD& loop) {
  const std::vector<ContourLoop> found = TraceIsoContours(field, level);
  double best = 0.0, second = 0.0;
  std::size_t at = 0;
  for (std::size_t k = 0; k < found.size(); ++k) {
    const double a = std::fabs(SignedArea(found[k]));
    if (a > best) second = best, best = a, at = k;
    else second = std::max(second, a);
  }
  if (best <= 0.0 || second > 0.01 * best) return false;
  loop.clear();
  for (const ShapePointD& p : found[at]) loop.push_back(g.NodePoint(p.x, p.y));
  loop = SimplifyLoop(loop, tolerance);
  if (SignedArea(loop) < 0) std::reverse(loop.begin(), loop.end());
  return loop.size() >= 3;
}

void PlaceGrid(std::int32_t n, HarmonicGrid& g) {
  g.n = n;
  g.step = 2.0 * kFrameHalf / (n - 1);
  g.origin = -kFrameHalf;
}

double HarmonicGrid::ValueAt(ShapePointD p) const {
  const double fi = (p.x - origin) / step, fj = (p.y - origin) / step;
  if (!(fi >= 0.0 && fj >= 0.0 && fi <= n - 1 && fj <= n - 1)) return 0.0;
  const auto i = std::min<std::int32_t>(n - 2, std::int32_t(fi));
  const auto j = std::min<std::int32_t>(n - 2, std::int32_t(fj));
  const double u = fi - i, v = fj - j;
  return (1 - u) * (1 - v) * phi.At(i, j) + u * (1 - v) * phi.At(i + 1, j) +
         (1 - u) * v * phi.At(i, j + 1) + u * v * phi.At(i + 1, j + 1);
}

ShapePointD HarmonicGrid::GradientAt(ShapePointD p) const {
  const double fi = (p.x - origin) / step, fj = (p.y - origin) / step;
  if (!(fi >= 0.0 && fj >= 0.0 && fi <= n - 1 && fj <= n - 1)) return {};
  const auto i = std::min<std::int32_t>(n - 2, std::int32_t(fi));
  const auto j = std::min<std::int32_t>(n - 2, std::int32_t(fj));
  const double u = fi - i, v = fj - j;
  const double gx = (1 - v) * (phi.At(i + 1, j) - phi.At(i, j)) + v * (phi.At(i + 1, j + 1) - phi.At(i, j + 1));
  const double gy = (1 - u) * (phi.At(i, j + 1) - phi.At(i, j)) + u * (phi.At(i + 1, j + 1) - phi.At(i + 1, j));
  return {gx / step, gy / step};
}

bool SolveHarmonic(const PolygonD& outer, const HarmonicCore& core, std::int32_t n, double clearance,
                   HarmonicGrid& g) {
  PlaceGrid(n, g);
  const std::size_t count = std::size_t(n) * std::size_t(n);
  std::vector<char> inside(count, 0), near_outer(count, 0), in_core(count, 0);
  MarkInside(outer, g, inside);
  MarkNear(outer, g, clearance, near_outer);
  if (core.hole) {
    MarkInside(*core.hole, g, in_core);
    MarkNear(*core.hole, g, clearance, in_core);
  } else if (core.nodes && core.nodes->size() == count) {
    in_core = *core.nodes;
  } else {
    for (std::int32_t j = 0; j < n; ++j)
      for (std::int32_t i = 0; i < n; ++i) {
        const ShapePointD p = g.NodePoint(i, j);
        if (std::hypot(p.x - core.centre.x, p.y - core.centre.y) <= core.radius)
          in_core[std::size_t(j) * n + i] = 1;
      }
  }

  g.phi.width = g.phi.height = n;
  g.phi.values.assign(count, 0.0);
  g.free.assign(count, 0);
  std::vector<std::int32_t> index(count, -1);
  std::int32_t unknowns = 0;
  for (std::size_t p = 0; p < count; ++p) {
    const bool outside = !inside[p] || near_outer[p];
    if (in_core[p] && !outside) {
      g.phi.values[p] = 1.0;
    } else if (!outside && !in_core[p]) {
      g.free[p] = 1;
      index[p] = unknowns++;
    }
  }
  if (unknowns == 0) return false;

  // Five-point Laplacian; fixed neighbours move to the right-hand side.
  std::vector<SparseEntry> entries;
  entries.reserve(std::size_t(unknowns) * 5);
  std::vector<double> rhs(std::size_t(unknowns), 0.0);
  for (std::int32_t j = 0; j < n; ++j)
    for (std::int32_t i = 0; i < n; ++i) {
      const std::size_t p = std::size_t(j) * n + i;
      if (index[p] < 0) continue;
      entries.push_back({index[p], index[p], 4.0});
      const std::size_t nb[4] = {p - 1, p + 1, p - n, p + n};
      for (std::size_t q : nb) {
        if (index[q] >= 0)
          entries.push_back({index[p], index[q], -1.0});
        else
          rhs[std::size_t(index[p])] += g.phi.values[q];
      }
    }
  std::vector<double> x;
  if (!SolveSparseSymmetric(entries, rhs, x)) return false;
  for (std::size_t p = 0; p < count; ++p)
    if (index[p] >= 0) g.phi.values[p] = std::clamp(x[std::size_t(index[p])], 0.0, 1.0);
  return true;
}

std::vector<double> BandRates(std::vector<std::vector<double>>& rates) {
  std::vector<double> rate(rates.size(), 0.0);
  double previous = 0.0;
  for (std::size_t b = 0; b < rates.size(); ++b) {
    std::vector<double>& r = rates[b];
    if (!r.empty()) {
      const auto at = r.begin() + std::ptrdiff_t(r.size() / 10);
      std::nth_element(r.begin(), at, r.end());
      previous = *at;
    }
    rate[b] = previous;
  }
  for (std::size_t b = rate.size(); b-- > 0 && rate[b] == 0.0;) rate[b] = rate[std::min(b + 1, rate.size() - 1)];
  return rate;
}

bool FitLevelCount(const ChooseLevelsFn& choose, double spacing, std::int32_t wanted, std::int32_t budget,
                   std::vector<double>& levels) {
  budget = std::max({budget, wanted, 1});
  const std::size_t cap = 4 * std::size_t(budget) + 8;
  for (int attempt = 0; attempt < 40; ++attempt) {
    levels = choose(spacing, cap);
    if (levels.empty()) return false;
    const auto count = std::int32_t(levels.size());
    if (wanted > 0 && count != wanted) {
      spacing *= std::pow(double(count) / wanted, 0.9);
      continue;
    }
    if (count <= budget) return true;
    spacing *= 1.15;
  }
  return std::int32_t(levels.size()) <= budget;
}

}  // namespace quorvel
