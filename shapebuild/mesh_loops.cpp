#include "shapebuild/mesh_loops.h"

#include <algorithm>
#include <cmath>

namespace quorvel {
namespace {

// The outer loop's own points and enough between them that no edge is
// longer than its length / columns, as fractions of its length.
std::vector<double> MeshFractions(const PolygonD& outer, std::int32_t columns) {
  const std::vector<double> at = CumulativeLengths(outer);
  const double total = at.back();
  std::vector<double> fractions;
  if (!(total > 0.0)) return fractions;
  const double longest = total / std::max(columns, 3);
  for (std::size_t k = 0; k < outer.size(); ++k) {
    const double edge = at[k + 1] - at[k];
    const auto pieces = std::max<std::size_t>(1, std::size_t(std::ceil(edge / longest)));
    for (std::size_t p = 0; p < pieces; ++p) fractions.push_back((at[k] + edge * double(p) / double(pieces)) / total);
  }
  return fractions;
}

double MedianDistance(const HarmonicGrid& distance, const PolygonD& row) {
  std::vector<double> d;
  d.reserve(row.size());
  for (const ShapePointD& p : row) d.push_back(distance.ValueAt(p));
  std::nth_element(d.begin(), d.begin() + std::ptrdiff_t(d.size() / 2), d.end());
  return d[d.size() / 2];
}

// Up the distance's gradient until p is at least floor from the boundary.
ShapePointD KeepClear(const HarmonicGrid& distance, ShapePointD p, double floor) {
  for (int k = 0; k < 4; ++k) {
    const double d = distance.ValueAt(p);
    if (d >= floor) break;
    const ShapePointD g = distance.GradientAt(p);
    // A unit step: near the middle line the gradient fades, and a step
    // divided by it would leap across the shape.
    const double g1 = std::hypot(g.x, g.y);
    if (!(g1 > 1e-6)) break;
    const double s = (floor - d) / g1;
    p = {p.x + s * g.x, p.y + s * g.y};
  }
  return p;
}

}  // namespace

PolygonD PointsAtFractions(const PolygonD& loop, const std::vector<double>& fractions) {
  const std::vector<double> at = CumulativeLengths(loop);
  const double total = at.back();
  PolygonD out;
  out.reserve(fractions.size());
  std::size_t k = 0;
  for (const double f : fractions) {
    const double t = total * f;
    while (k + 1 < loop.size() && at[k + 1] <= t) ++k;
    const ShapePointD a = loop[k], b = Next(loop, k);
    const double edge = at[k + 1] - at[k];
    const double s = edge > 0.0 ? std::clamp((t - at[k]) / edge, 0.0, 1.0) : 0.0;
    out.push_back({a.x + s * (b.x - a.x), a.y + s * (b.y - a.y)});
  }
  return out;
}

bool RelaxLoopMesh(const MeshRelaxOptions& options, std::vector<PolygonD>& loops) {
  if (loops.size() < 3) return false;
  const std::vector<double> fractions = MeshFractions(loops.front(), options.columns);
  const std::size_t n = fractions.size();
  if (n < 3) return false;
  std::vector<PolygonD> rows;
  rows.reserve(loops.size());
  for (const PolygonD& loop : loops) rows.push_back(PointsAtFractions(loop, fractions));

  std::vector<double> floors(rows.size(), 0.0);
  if (options.distance)
    for (std::size_t k = 1; k + 1 < rows.size(); ++k)
      floors[k] = options.keep * MedianDistance(*options.distance, rows[k]);
  PolygonD moved(n);
  const double deepest = double(rows.size() - 1);
  for (std::int32_t sweep = 0; sweep < options.sweeps; ++sweep) {
    for (std::size_t k = 1; k + 1 < rows.size(); ++k) {
      if (sweep > options.sweeps * std::sqrt(double(k) / deepest)) continue;
      const PolygonD& row = rows[k];
      for (std::size_t i = 0; i < n; ++i) {
        const ShapePointD a = row[(i + n - 1) % n], b = row[NextIndex(i, n)];
        moved[i] = {0.5 * (a.x + b.x), 0.5 * (a.y + b.y)};
        if (options.distance) moved[i] = KeepClear(*options.distance, moved[i], floors[k]);
      }
      // Back to the outer loop's fractions: the pass keeps what it did to
      // the row's shape, not where it moved the points along the row.
      rows[k] = PointsAtFractions(moved, fractions);
    }
  }
  loops = std::move(rows);
  return true;
}

}  // namespace quorvel
