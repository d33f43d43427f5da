#include "shapebuild/disk_map_loops.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "shapebuild/harmonic.h"
#include "shapebuild/sparse_solve.h"

namespace quorvel {
namespace {

constexpr int kBins = 400;
constexpr double kLoopTolerance = 0.02;
constexpr double kFirstInnermost = 0.06;  // share of the deepest depth the innermost loop is tried at
constexpr double kLastRingDepth = 0.99;   // of a ring's hole depth, its last loop before the hole

// The disk map sampled on the grid: both coordinates, and 1 - |u| as the
// field whose level sets are the loops (0 on the rim, rising inwards).
struct DiskMap {
  HarmonicGrid x, y, depth;
};

// The Laplacian over the nodes inside the outline, factorised once for
// both coordinates.
struct DiskSystem {
  HarmonicGrid grid;
  std::vector<std::int32_t> index;  // unknown of each node, or -1
  std::vector<double> fraction;     // of a fixed node next to an unknown: its nearest rim point's
  // Of the nodes within two steps of both a fixed and a solved node: the
  // signed distance to the rim (positive inside).
  std::vector<double> clearance;
  std::vector<char> on_hole;        // of a fixed node: it takes the hole's value, not the rim's
  double hole_radius = 0.0;         // the circle a ring's hole goes to
  std::vector<std::pair<std::int32_t, std::size_t>> rim;  // unknown, fixed neighbour
  std::int32_t unknowns = 0;
  SymmetricFactor factor;
};

// A loop's edges bucketed on a coarse grid over the frame: the band of
// nodes along a long jagged rim asks for its nearest point tens of
// thousands of times.
class EdgeBuckets {
 public:
  EdgeBuckets(const PolygonD& poly, double cell) : poly_(poly), cell_(cell) {
    double x1 = 150.0, y1 = 150.0;
    for (const ShapePointD& p : poly) x0_ = std::min(x0_, p.x), y0_ = std::min(y0_, p.y), x1 = std::max(x1, p.x), y1 = std::max(y1, p.y);
    nx_ = std::int32_t((x1 - x0_) / cell_) + 1, ny_ = std::int32_t((y1 - y0_) / cell_) + 1;
    cells_.resize(std::size_t(nx_) * std::size_t(ny_));
    for (std::size_t e = 0; e < poly.size(); ++e) {
      const ShapePointD a = poly[e], b = Next(poly, e);
      for (std::int32_t j = Row(std::min(a.y, b.y)); j <= Row(std::max(a.y, b.y)); ++j)
        for (std::int32_t i = Column(std::min(a.x, b.x)); i <= Column(std::max(a.x, b.x)); ++i)
          cells_[std::size_t(j) * nx_ + std::size_t(i)].push_back(std::uint32_t(e));
    }
  }

  // As NearestPointOnPolygon: the first of equally near edges. p lies in
  // the frame.
  NearestOnPolygon Nearest(ShapePointD p) const {
    NearestOnPolygon best;
    best.distance = HUGE_VAL;
    const std::int32_t ci = Column(p.x), cj = Row(p.y);
    for (std::int32_t r = 0; r <= std::max(nx_, ny_); ++r) {
      for (std::int32_t j = std::max(0, cj - r); j <= std::min(ny_ - 1, cj + r); ++j)
        for (std::int32_t i = std::max(0, ci - r); i <= std::min(nx_ - 1, ci + r); ++i) {
          if (std::max(std::abs(i - ci), std::abs(j - cj)) != r) continue;
          for (const std::uint32_t e : cells_[std::size_t(j) * nx_ + std::size_t(i)]) {
            const ShapePointD c = ClosestOnSegment(p, poly_[e], Next(poly_, e));
            const double d = std::hypot(p.x - c.x, p.y - c.y);
            if (d < best.distance || (d == best.distance && e < best.edge)) best = {c, e, d};
          }
        }
      // Edges in cells further out lie at least r cells away.
      if (best.distance < r * cell_) break;
    }
    return best;
  }

 private:
  std::int32_t Column(double x) const { return std::clamp(std::int32_t((x - x0_) / cell_), 0, nx_ - 1); }
  std::int32_t Row(double y) const { return std::clamp(std::int32_t((y - y0_) / cell_), 0, ny_ - 1); }

  const PolygonD& poly_;
  double cell_;
  double x0_ = -150.0, y0_ = -150.0;
  std::int32_t nx_ = 1, ny_ = 1;
  std::vector<std::vector<std::uint32_t>> cells_;
};

NearestOnPolygon RimPoint(const EdgeBuckets& edges, const PolygonD& outer, const std::vector<double>& at,
                          ShapePointD p, double& fraction) {
  const NearestOnPolygon near = edges.Nearest(p);
  const ShapePointD a = outer[near.edge];
  fraction = (at[near.edge] + std::hypot(near.point.x - a.x, near.point.y - a.y)) / at.back();
  return near;
}

// Whether any node within two steps of node (i, j) satisfies is (nodes off
// the grid count as fixed).
template <typename Is>
bool WithinTwoSteps(std::int32_t n, std::int32_t i, std::int32_t j, Is is) {
  for (std::int32_t dj = -2; dj <= 2; ++dj)
    for (std::int32_t di = -2; di <= 2; ++di) {
      const std::int32_t ii = i + di, jj = j + dj;
      if (is(ii < 0 || jj < 0 || ii >= n || jj >= n ? std::size_t(-1) : std::size_t(jj) * n + std::size_t(ii)))
        return true;
    }
  return false;
}

bool SetUpDiskSystem(const PolygonD& outer, const PolygonD& hole, std::int32_t n, DiskSystem& sys) {
  HarmonicGrid& g = sys.grid;
  PlaceGrid(n, g);
  const std::size_t count = std::size_t(n) * std::size_t(n);
  std::vector<char> inside(count, 0), near(count, 0), in_hole(count, 0);
  MarkInside(outer, g, inside);
  // Nodes closer than half a step take the rim's value: thin arms keep
  // nodes to solve for.
  MarkNear(outer, g, 0.5 * g.step, near);
  if (!hole.empty()) {
    MarkInside(hole, g, in_hole);
    MarkNear(hole, g, 0.5 * g.step, in_hole);
  }
  for (std::size_t p = 0; p < count; ++p) near[p] |= in_hole[p];
  sys.index.assign(count, -1);
  std::int32_t& unknowns = sys.unknowns;
  for (std::int32_t j = 1; j + 1 < n; ++j)
    for (std::int32_t i = 1; i + 1 < n; ++i) {
      const std::size_t p = std::size_t(j) * n + i;
      if (inside[p] && !near[p]) sys.index[p] = unknowns++;
    }
  if (unknowns == 0) return false;

  const std::vector<double> at = CumulativeLengths(outer);
  const std::vector<double> hole_at = hole.empty() ? std::vector<double>{} : CumulativeLengths(hole);
  constexpr double kBucket = 4.0;  // frame units
  const EdgeBuckets rim_edges(outer, kBucket), hole_edges(hole, kBucket);
  sys.on_hole = in_hole;
  sys.fraction.assign(count, -1.0);
  sys.clearance.assign(count, 0.0);
  std::vector<SparseEntry> entries;
  entries.reserve(std::size_t(unknowns) * 5);
  for (std::size_t p = 0; p < count; ++p) {
    if (sys.index[p] < 0) continue;
    // Only the solved nodes within two steps of a fixed one give the slope
    // the fixed ones are carried out at (see SolveDiskMap).
    const auto i = std::int32_t(p % n), j = std::int32_t(p / n);
    if (WithinTwoSteps(n, i, j, [&](std::size_t q) { return q == std::size_t(-1) || sys.index[q] < 0; })) {
      double unused = 0.0;
      sys.clearance[p] = RimPoint(rim_edges, outer, at, g.NodePoint(i, j), unused).distance;
    }
    entries.push_back({sys.index[p], sys.index[p], 4.0});
    for (const std::size_t q : {p - 1, p + 1, p - n, p + n}) {
      if (sys.index[q] >= 0) {
        entries.push_back({sys.index[p], sys.index[q], -1.0});
        continue;
      }
      if (sys.fraction[q] < 0.0) {
        const ShapePointD at_q = g.NodePoint(double(q % n), double(q / n));
        const double d = RimPoint(rim_edges, outer, at, at_q, sys.fraction[q]).distance;
        sys.clearance[q] = inside[q] ? d : -d;
        double f = 0.0;
        if (!hole.empty() && (RimPoint(hole_edges, hole, hole_at, at_q, f).distance < d || in_hole[q])) {
          sys.on_hole[q] = 1, sys.fraction[q] = f;
          sys.clearance[q] = 0.0;  // no depth carried out: the hole is the last loop
        }
      }
      sys.rim.emplace_back(sys.index[p], q);
    }
  }
  for (std::int32_t j = 2; j + 2 < n; ++j)
    for (std::int32_t i = 2; i + 2 < n; ++i) {
      const std::size_t q = std::size_t(j) * n + i;
      if (sys.index[q] >= 0 || sys.fraction[q] >= 0.0 || in_hole[q]) continue;
      if (!WithinTwoSteps(n, i, j, [&](std::size_t p) { return p != std::size_t(-1) && sys.index[p] >= 0; }))
        continue;
      double unused = 0.0;
      const double d = RimPoint(rim_edges, outer, at, g.NodePoint(i, j), unused).distance;
      sys.clearance[q] = inside[q] ? d : -d;
    }
  return sys.factor.Factor(entries, unknowns);
}

bool SolveDiskMap(const DiskSystem& sys, DiskMap& map) {
  const std::size_t count = sys.index.size();
  std::vector<ShapePointD> fixed(count, {1.0, 0.0});
  for (std::size_t p = 0; p < count; ++p)
    if (sys.fraction[p] >= 0.0)
      fixed[p] = {std::cos(2.0 * std::numbers::pi * sys.fraction[p]), std::sin(2.0 * std::numbers::pi * sys.fraction[p])};
  for (std::size_t p = 0; p < count; ++p)
    if (sys.on_hole[p]) fixed[p] = {fixed[p].x * sys.hole_radius, fixed[p].y * sys.hole_radius};
  std::vector<double> bx(std::size_t(sys.unknowns), 0.0), by(bx), ux, uy;
  for (const auto& [row, q] : sys.rim) bx[std::size_t(row)] += fixed[q].x, by[std::size_t(row)] += fixed[q].y;
  if (!sys.factor.Solve(bx, ux) || !sys.factor.Solve(by, uy)) return false;

  map.x = map.y = map.depth = sys.grid;
  for (HarmonicGrid* f : {&map.x, &map.y, &map.depth}) {
    f->phi.width = f->phi.height = sys.grid.n;
    f->phi.values.assign(count, 0.0);
    f->free.assign(count, 0);
  }
  for (std::size_t p = 0; p < count; ++p) {
    const std::int32_t k = sys.index[p];
    const ShapePointD u = k >= 0 ? ShapePointD{ux[std::size_t(k)], uy[std::size_t(k)]} : fixed[p];
    map.x.phi.values[p] = u.x;
    map.y.phi.values[p] = u.y;
    if (k >= 0) {
      map.depth.phi.values[p] = std::clamp(1.0 - std::hypot(u.x, u.y), 0.0, 1.0);
      map.depth.free[p] = 1;
    }
  }
  // The fixed nodes within two steps of the solved ones carry the depth
  // their clearance gives at the solved ones' slope, so that the loops near
  // the rim keep inside it and parallel to it rather than bend out to the
  // nodes beyond.
  const std::int32_t n = sys.grid.n;
  for (std::int32_t j = 2; j + 2 < n; ++j)
    for (std::int32_t i = 2; i + 2 < n; ++i) {
      const std::size_t q = std::size_t(j) * n + i;
      if (sys.index[q] >= 0) continue;
      if (sys.on_hole[q]) {
        map.depth.phi.values[q] = 1.0 - sys.hole_radius;
        continue;
      }
      double slope = 0.0;
      int found = 0;
      for (std::int32_t dj = -2; dj <= 2; ++dj)
        for (std::int32_t di = -2; di <= 2; ++di) {
          const std::size_t p = std::size_t(j + dj) * n + std::size_t(i + di);
          if (sys.index[p] < 0) continue;
          slope += map.depth.phi.values[p] / std::max(sys.clearance[p], 0.1 * sys.grid.step);
          ++found;
        }
      if (found > 0) map.depth.phi.values[q] = sys.clearance[q] * slope / found;
    }
  return true;
}

// Depth levels from the rim inwards, each about spacing further in than the
// last where the loops run farthest apart (the low percentile of the
// depth's gradient in each band of depth stands for the widest gap), and up
// to 1 + widening times that towards the core; no more than cap or so.
std::vector<double> ChooseDepths(const HarmonicGrid& d, double spacing, double widening, double last,
                                 std::size_t cap) {
  std::vector<std::vector<double>> rates(kBins);
  auto bin = [&](double v) { return std::clamp(int(v / last * kBins), 0, kBins - 1); };
  const std::int32_t n = d.n;
  for (std::int32_t j = 1; j + 1 < n; ++j)
    for (std::int32_t i = 1; i + 1 < n; ++i) {
      const std::size_t p = std::size_t(j) * n + i;
      if (!d.free[p] || !d.free[p - 1] || !d.free[p + 1] || !d.free[p - n] || !d.free[p + n]) continue;
      const double gx = (d.phi.At(i + 1, j) - d.phi.At(i - 1, j)) / (2 * d.step);
      const double gy = (d.phi.At(i, j + 1) - d.phi.At(i, j - 1)) / (2 * d.step);
      rates[bin(d.phi.values[p])].push_back(std::hypot(gx, gy));
    }
  const std::vector<double> rate = BandRates(rates);
  std::vector<double> levels;
  double v = 2.0 * d.step * std::max(rate[0], 1e-9);
  while (v < last && levels.size() <= cap) {
    levels.push_back(v);
    v += spacing * (1.0 + widening * v / last) * std::max(rate[bin(v)], 1e-9);
  }
  levels.push_back(last);
  return levels;
}

// The loop started where the map's angle passes 0 (u.y turning from
// negative to positive with u.x positive); of several such points, the one
// nearest to near (the start of the loop outside it).
bool StartAtAngleZero(const DiskMap& map, ShapePointD near, PolygonD& loop) {
  const std::size_t n = loop.size();
  double best = HUGE_VAL;
  std::size_t edge = 0;
  ShapePointD start{};
  for (std::size_t k = 0; k < n; ++k) {
    const ShapePointD a = loop[k], b = Next(loop, k);
    const double ya = map.y.ValueAt(a), yb = map.y.ValueAt(b);
    if (!(ya < 0.0 && yb >= 0.0)) continue;
    const double s = ya / (ya - yb);
    const ShapePointD p{a.x + s * (b.x - a.x), a.y + s * (b.y - a.y)};
    const double d = std::hypot(p.x - near.x, p.y - near.y);
    if (map.x.ValueAt(p) <= 0.0 || d >= best) continue;
    best = d, edge = k, start = p;
  }
  if (best == HUGE_VAL) return false;
  loop = StartLoopAt(loop, edge, start);
  return true;
}

// A loop traced across a grid cell that holds a hollow corner of the rim
// can cut that corner by a fraction of a cell; such points go back inside.
// Points in a cell of solved nodes are inside already.
void KeepInside(const DiskSystem& sys, const PolygonD& rim, PolygonD& loop) {
  constexpr double kInside = 0.02;
  const HarmonicGrid& g = sys.grid;
  for (ShapePointD& p : loop) {
    const auto i = std::clamp(std::int32_t((p.x - g.origin) / g.step), 0, g.n - 2);
    const auto j = std::clamp(std::int32_t((p.y - g.origin) / g.step), 0, g.n - 2);
    const std::size_t c = std::size_t(j) * g.n + std::size_t(i);
    if (sys.index[c] >= 0 && sys.index[c + 1] >= 0 && sys.index[c + g.n] >= 0 && sys.index[c + g.n + 1] >= 0)
      continue;
    if (PointInPolygon(rim, p)) continue;
    const NearestOnPolygon q = NearestPointOnPolygon(rim, p);
    if (!(q.distance > 0.0)) continue;
    p = {q.point.x + kInside * (q.point.x - p.x) / q.distance, q.point.y + kInside * (q.point.y - p.y) / q.distance};
  }
}

}  // namespace

// The loop started below its middle, as every method's loops are, so the
// picture lands upright.
PolygonD StartedBelowMiddle(const PolygonD& loop) {
  ShapePointD centre = AreaCentroid(loop), hit;
  std::size_t edge = 0;
  if (!PointInPolygon(loop, centre) || !RayHit(loop, centre, {0.0, -1.0}, hit, edge)) {
    edge = std::size_t(std::min_element(loop.begin(), loop.end(),
                                        [](const ShapePointD& a, const ShapePointD& b) { return a.y < b.y; }) -
                       loop.begin());
    hit = loop[edge];
  }
  return StartLoopAt(loop, edge, hit);
}

bool BuildDiskMapLoops(const PolygonD& outer, const PolygonD& hole, const DiskMapLoopOptions& options,
                       std::vector<PolygonD>& loops) {
  if (outer.size() < 3 || (!hole.empty() && hole.size() < 3)) return false;
  const PolygonD rim = StartedBelowMiddle(outer);
  PolygonD inner = hole;
  if (SignedArea(inner) < 0.0) std::reverse(inner.begin(), inner.end());
  if (!inner.empty()) inner = StartedBelowMiddle(inner);
  DiskSystem system;
  system.hole_radius = options.hole_radius;
  if (!SetUpDiskSystem(rim, inner, std::clamp(options.grid, 101, 1201), system)) return false;
  DiskMap map;
  if (!SolveDiskMap(system, map)) return false;

  // The innermost loop: a ring's hole, or deep enough that it encloses at
  // most the core share.
  double last = (1.0 - options.hole_radius) * kLastRingDepth;
  if (inner.empty()) {
    double deepest = 0.0;
    for (std::size_t p = 0; p < map.depth.free.size(); ++p)
      if (map.depth.free[p]) deepest = std::max(deepest, map.depth.phi.values[p]);
    const double area = std::fabs(SignedArea(rim));
    double short_of = kFirstInnermost * deepest;
    PolygonD core;
    for (int attempt = 0;; ++attempt) {
      if (attempt == 8 || !LevelLoop(map.depth.phi, map.depth, deepest - short_of, kLoopTolerance, core))
        return false;
      if (std::fabs(SignedArea(core)) <= options.core_share * area) break;
      short_of *= 0.7;
    }
    last = deepest - short_of;
  }
  const std::int32_t wanted = options.loops > 1 ? options.loops - 1 : 0;
  std::vector<double> levels;
  if (!FitLevelCount(
          [&](double spacing, std::size_t cap) { return ChooseDepths(map.depth, spacing, options.widening, last, cap); },
          std::max(0.5, options.spacing), wanted, options.max_loops - 1, levels))
    return false;

  std::vector<PolygonD> out{rim};
  for (const double level : levels) {
    PolygonD loop;
    if (!LevelLoop(map.depth.phi, map.depth, level, kLoopTolerance, loop) ||
        !StartAtAngleZero(map, out.back().front(), loop))
      return false;
    KeepInside(system, rim, loop);
    out.push_back(std::move(loop));
  }
  if (!inner.empty()) out.push_back(inner);
  loops = std::move(out);
  return true;
}

}  // namespace quorvel
