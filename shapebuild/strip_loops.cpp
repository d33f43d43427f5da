#include "shapebuild/strip_loops.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>

#include "shapebuild/harmonic.h"
#include "shapebuild/sparse_solve.h"

namespace quorvel {
namespace {

constexpr double kDenseEdge = 0.5;   // frame units, boundary edges for the end labels
constexpr double kRidgeSlope = 0.5;  // the distance's slope on its ridge stays below this
constexpr double kLastDepth = 0.7;   // of the deepest distance, the last offset loop
constexpr double kFirstGap = 2.0;    // grid steps between the boundary and the first loop
constexpr std::int32_t kLoopPoints = 600;
constexpr int kBoundarySmoothing = 2;     // passes over kDenseEdge spacing
constexpr double kTraceTolerance = 0.01;  // frame units
constexpr int kBisections = 32;
// Passes of neighbour averaging over t: t turns sharply where the loops'
// ends meet their sides and along the distance's ridge, and loops traced
// through such turns bend from cell to cell.
constexpr int kFieldSmoothing = 10;
constexpr double kHalfway = 0.01;  // of u, nodes taken for the strip's middle

PolygonD Densified(const PolygonD& poly) {
  PolygonD dense;
  for (std::size_t k = 0; k < poly.size(); ++k) {
    const ShapePointD a = poly[k], b = Next(poly, k);
    const int pieces = std::max(1, int(std::ceil(std::hypot(b.x - a.x, b.y - a.y) / kDenseEdge)));
    for (int i = 0; i < pieces; ++i)
      dense.push_back({a.x + (b.x - a.x) * i / pieces, a.y + (b.y - a.y) * i / pieces});
  }
  return dense;
}

std::size_t NodeOf(const HarmonicGrid& g, std::int32_t i, std::int32_t j) {
  return std::size_t(j) * std::size_t(g.n) + std::size_t(i);
}

// The boundary's segments sorted into square cells, for queries about
// points near it: each query looks at the 3 x 3 cells around the point, so
// it finds every segment within one cell's side.
class NearBoundary {
 public:
  NearBoundary(const PolygonD& poly, double cell) : poly_(poly), cell_(cell) {
    for (std::size_t k = 0; k < poly.size(); ++k) {
      const ShapePointD a = poly[k], b = Next(poly, k);
      const std::int64_t i0 = Cell(std::min(a.x, b.x)), i1 = Cell(std::max(a.x, b.x));
      const std::int64_t j0 = Cell(std::min(a.y, b.y)), j1 = Cell(std::max(a.y, b.y));
      for (std::int64_t j = j0; j <= j1; ++j)
        for (std::int64_t i = i0; i <= i1; ++i) cells_[Key(i, j)].push_back(k);
    }
  }

  // The segment nearest to p within one cell's side, if any.
  bool Nearest(ShapePointD p, std::size_t& segment, double& distance) const {
    distance = cell_;
    bool found = false;
    const std::int64_t ci = Cell(p.x), cj = Cell(p.y);
    for (std::int64_t j = cj - 1; j <= cj + 1; ++j)
      for (std::int64_t i = ci - 1; i <= ci + 1; ++i) {
        const auto it = cells_.find(Key(i, j));
        if (it == cells_.end()) continue;
        for (const std::size_t k : it->second) {
          const double d = DistanceToSegment(p, poly_[k], Next(poly_, k));
          if (d < distance) distance = d, segment = k, found = true;
        }
      }
    return found;
  }

 private:
  std::int64_t Cell(double v) const { return std::int64_t(std::floor(v / cell_)); }
  static std::int64_t Key(std::int64_t i, std::int64_t j) { return i * 1000003 + j; }

  const PolygonD& poly_;
  double cell_;
  std::unordered_map<std::int64_t, std::vector<std::size_t>> cells_;
};

// Nodes where the distance to the boundary has a ridge: its slope, by
// central differences, falls well below 1 there.
std::vector<char> RidgeNodes(const DistanceField& field) {
  const HarmonicGrid& g = field.grid;
  std::vector<char> ridge(field.inside.size(), 0);
  for (std::int32_t j = 1; j + 1 < g.n; ++j)
    for (std::int32_t i = 1; i + 1 < g.n; ++i) {
      const std::size_t p = NodeOf(g, i, j);
      if (!field.inside[p] || g.phi.values[p] <= 2.0 * g.step) continue;
      const double gx = g.phi.At(i + 1, j) - g.phi.At(i - 1, j), gy = g.phi.At(i, j + 1) - g.phi.At(i, j - 1);
      if (std::hypot(gx, gy) < kRidgeSlope * 2.0 * g.step) ridge[p] = 1;
    }
  return ridge;
}

// Where the strip ends on the boundary, seen from the ridge's far end E (as
// deep as depth): the boundary points about depth from E form runs, the
// two sides beside E and, for a blunt end, the cap ahead of it. The cap
// is the run across from the longest stretch between runs; with two runs
// (a pointed end) the end lies between them the short way.
std::size_t EndOnBoundary(const PolygonD& poly, const std::vector<double>& at, ShapePointD e, double reach) {
  const std::size_t m = poly.size();
  const double whole = at[m];
  std::vector<char> near(m);
  for (std::size_t k = 0; k < m; ++k) near[k] = std::hypot(poly[k].x - e.x, poly[k].y - e.y) <= reach;
  std::size_t first = 0;
  while (first < m && near[first]) ++first;
  if (first == m) return 0;
  std::vector<double> middles;  // of each run, as length from vertex first
  bool in = false;
  double start = 0.0;
  for (std::size_t i = 1; i <= m; ++i) {
    const std::size_t k = (first + i) % m;
    double pos = at[k] - at[first];
    if (pos < 0.0) pos += whole;
    if (near[k] && !in) in = true, start = pos;
    if (!near[k] && in) in = false, middles.push_back((start + pos) * 0.5);
  }
  if (middles.empty()) return 0;
  double pick = middles[0];
  const std::size_t runs = middles.size();
  if (runs == 2) {
    const double gap = middles[1] - middles[0];
    pick = gap < whole - gap ? (middles[0] + middles[1]) * 0.5 : middles[1] + (whole - gap) * 0.5;
  } else if (runs >= 3) {
    std::size_t widest = 0;
    double longest = -1.0;
    for (std::size_t i = 0; i < runs; ++i) {
      const double gap = i + 1 < runs ? middles[i + 1] - middles[i] : whole - middles[runs - 1] + middles[0];
      if (gap > longest) longest = gap, widest = i;
    }
    pick = middles[(widest + 2) % runs];
  }
  const double target = std::fmod(at[first] + pick, whole);
  const auto k = std::size_t(std::upper_bound(at.begin(), at.end(), target) - at.begin()) - 1;
  return std::min(k, m - 1);
}

struct StripEnd {
  std::size_t vertex = 0;  // on the dense boundary
  std::size_t node = 0;    // the ridge's far end
  double depth = 0.0;
};

// The ridge node farthest along the strip from `along`'s origin, and the
// boundary point where the strip ends past it.
bool FindEnd(const DistanceField& field, const std::vector<char>& ridge, const std::vector<double>& along,
             const PolygonD& dense, const std::vector<double>& at, StripEnd& end) {
  const HarmonicGrid& g = field.grid;
  double farthest = -1.0;
  for (std::size_t p = 0; p < ridge.size(); ++p)
    if (ridge[p] && along[p] < HUGE_VAL && along[p] > farthest) farthest = along[p], end.node = p;
  if (farthest < 0.0) return false;
  end.depth = g.phi.values[end.node];
  const ShapePointD e = g.NodePoint(double(end.node % g.n), double(end.node / g.n));
  end.vertex = EndOnBoundary(dense, at, e, 1.02 * end.depth + g.step);
  return true;
}

// Marks (with mark) the boundary vertices within reach of vertex centre,
// walking both ways from it.
void MarkEnd(const PolygonD& dense, std::size_t centre, double reach, char mark, std::vector<char>& label) {
  const std::size_t m = dense.size();
  const ShapePointD c = dense[centre];
  auto within = [&](std::size_t k) { return std::hypot(dense[k].x - c.x, dense[k].y - c.y) <= reach; };
  label[centre] = mark;
  for (std::size_t k = (centre + 1) % m; k != centre && within(k) && !label[k]; k = (k + 1) % m)
    label[k] = mark;
  for (std::size_t k = (centre + m - 1) % m; k != centre && within(k) && !label[k]; k = (k + m - 1) % m)
    label[k] = mark;
}

// Around the boundary: the first end, a side, the second end, the other
// side. Anything else (ends that overlap, as a round shape's do) is no strip.
bool TwoEndsTwoSides(const std::vector<char>& label) {
  const std::size_t m = label.size();
  std::size_t from = 0;
  while (from < m && label[from] == label[m - 1]) ++from;
  if (from == m) return false;
  std::vector<char> runs;
  for (std::size_t i = 0; i < m; ++i) {
    const char mark = label[(from + i) % m];
    if (runs.empty() || runs.back() != mark) runs.push_back(mark);
  }
  if (runs.size() != 4) return false;
  const auto first = std::size_t(std::find(runs.begin(), runs.end(), 1) - runs.begin());
  return first < 4 && runs[(first + 1) % 4] == 0 && runs[(first + 2) % 4] == 2 && runs[(first + 3) % 4] == 0;
}

// u: 0 at the first end, 1 at the second, no flow through the sides.
bool SolveAlong(const DistanceField& field, const PolygonD& dense, const std::vector<char>& label,
                std::vector<double>& u) {
  const HarmonicGrid& g = field.grid;
  const std::size_t count = field.inside.size();
  std::vector<std::int32_t> index(count, -1);
  std::int32_t unknowns = 0;
  for (std::size_t p = 0; p < count; ++p)
    if (field.inside[p]) index[p] = unknowns++;
  if (unknowns == 0) return false;
  const NearBoundary near(dense, 2.0 * g.step);
  auto LabelNear = [&](ShapePointD p) {
    std::size_t segment = 0;
    double distance = 0.0;
    return near.Nearest(p, segment, distance) ? label[segment] : char(0);
  };
  std::vector<SparseEntry> entries;
  entries.reserve(std::size_t(unknowns) * 5);
  std::vector<double> rhs(std::size_t(unknowns), 0.0);
  bool ends[2] = {false, false};
  const std::size_t n = std::size_t(g.n);
  for (std::size_t p = 0; p < count; ++p) {
    if (index[p] < 0) continue;
    double diagonal = 0.0;
    for (const std::size_t q : {p - 1, p + 1, p - n, p + n}) {
      if (index[q] >= 0) {
        entries.push_back({index[p], index[q], -1.0});
        diagonal += 1.0;
        continue;
      }
      const ShapePointD a = g.NodePoint(double(p % n), double(p / n)),
                        b = g.NodePoint(double(q % n), double(q / n));
      const char mark = LabelNear({(a.x + b.x) * 0.5, (a.y + b.y) * 0.5});
      if (mark == 0) continue;  // a side: no flow
      diagonal += 1.0;
      ends[mark - 1] = true;
      if (mark == 2) rhs[std::size_t(index[p])] += 1.0;
    }
    entries.push_back({index[p], index[p], diagonal});
  }
  if (!ends[0] || !ends[1]) return false;
  std::vector<double> x;
  if (!SolveSparseSymmetric(entries, rhs, x)) return false;
  u.assign(count, 0.0);
  for (std::size_t p = 0; p < count; ++p)
    if (index[p] >= 0) u[p] = x[std::size_t(index[p])];
  return true;
}

// The loop family, t from 0 (the boundary) to 1: points at least
// t * last_depth from the boundary whose u lies within half_length / u_length of
// the middle, the corner between the two conditions rounded.
struct Family {
  double last_depth = 0.0;  // of the last offset loop
  double u_length = 0.0;    // frame units per unit of u, roughly
  double end_length = 0.0;  // half length of the last loop
  double width = 0.0;       // the deepest distance
  double t_first = 0.0;     // the ends hold still up to the first loop

  bool Contains(double u, double d, double t) const {
    const double s = last_depth * t;
    const double shrink = std::max(0.0, (t - t_first) / (1.0 - t_first));
    const double half = u_length * 0.5 - (u_length * 0.5 - end_length) * shrink;
    const double r = (width - last_depth) * t;
    const double x = half - std::fabs(u - 0.5) * u_length, y = d - s;
    if (x < 0.0 || y < 0.0) return false;
    if (x >= r || y >= r) return true;
    return (r - x) * (r - x) + (r - y) * (r - y) <= r * r;
  }
};

// Each pass moves every inside node of values half way to the mean of its
// inside neighbours; nodes outside keep their values.
void SmoothInside(const DistanceField& field, int passes, SampledField& values) {
  const std::size_t n = std::size_t(field.grid.n);
  std::vector<double> next = values.values;
  for (int pass = 0; pass < passes; ++pass) {
    for (std::size_t p = 0; p < next.size(); ++p) {
      if (!field.inside[p]) continue;
      double sum = 0.0;
      int count = 0;
      for (const std::size_t q : {p - 1, p + 1, p - n, p + n})
        if (field.inside[q]) sum += values.values[q], ++count;
      if (count > 0) next[p] = 0.5 * values.values[p] + 0.5 * sum / count;
    }
    values.values.swap(next);
  }
}

// Starts loop at the point that keeps it closest to previous point by point
// (both resampled to the same count): the least slant between them.
PolygonD Aligned(const PolygonD& previous, const PolygonD& loop) {
  const std::size_t n = loop.size();
  double best = HUGE_VAL;
  std::size_t shift = 0;
  for (std::size_t s = 0; s < n; ++s) {
    double cost = 0.0;
    for (std::size_t j = 0; j < n && cost < best; ++j) {
      const ShapePointD a = loop[(j + s) % n], b = previous[j];
      cost += (a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y);
    }
    if (cost < best) best = cost, shift = s;
  }
  PolygonD out(n);
  for (std::size_t j = 0; j < n; ++j) out[j] = loop[(j + shift) % n];
  return out;
}


}  // namespace

bool BuildStripLoops(const DistanceField& field, const StripLoopOptions& options,
                     std::vector<PolygonD>& loops) {
  const HarmonicGrid& g = field.grid;
  const std::size_t count = field.inside.size();
  if (count != std::size_t(g.n) * std::size_t(g.n) || field.outer.size() < 3) return false;
  double deepest = 0.0;
  std::size_t centre = 0;
  for (std::size_t p = 0; p < count; ++p)
    if (field.inside[p] && g.phi.values[p] > deepest) deepest = g.phi.values[p], centre = p;
  if (!(deepest > 0.0)) return false;

  // The two ends: the far end of the ridge from the deepest point, then the
  // far end from that one.
  const PolygonD dense = Densified(field.outer);
  const std::vector<double> at = CumulativeLengths(dense);
  const std::vector<char> ridge = RidgeNodes(field);
  StripEnd ends[2];
  if (!FindEnd(field, ridge, DistanceAlong(g, field.inside, centre), dense, at, ends[0])) return false;
  if (!FindEnd(field, ridge, DistanceAlong(g, field.inside, ends[0].node), dense, at, ends[1])) return false;
  std::vector<char> label(dense.size(), 0);
  for (int e = 0; e < 2; ++e)
    MarkEnd(dense, ends[e].vertex, std::max(ends[e].depth, 4.0 * g.step), char(e + 1), label);
  if (!TwoEndsTwoSides(label)) return false;
  std::vector<double> u;
  if (!SolveAlong(field, dense, label, u)) return false;

  // A strip of length L and width w has perimeter about 2 L and area L w.
  const double perimeter = at.back(), area = std::fabs(SignedArea(field.outer));
  Family family;
  family.width = deepest;
  family.last_depth = deepest * kLastDepth;
  family.u_length = perimeter * perimeter * deepest / (2.0 * area);
  family.end_length = (deepest - family.last_depth) * options.end_aspect;
  family.t_first = kFirstGap * g.step / family.last_depth;
  if (!(family.t_first < 0.5)) return false;

  // t at every node: the family member whose boundary passes there.
  SampledField t;
  t.width = t.height = g.n;
  t.values.assign(count, -1.0);
  // Outside nodes next to the inside continue its slope a little way out,
  // so the first loops are placed between nodes as they are inside.
  std::vector<char> rim(count, 0);
  for (std::int32_t j = 0; j < g.n; ++j)
    for (std::int32_t i = 0; i < g.n; ++i) {
      if (!field.inside[NodeOf(g, i, j)]) continue;
      for (std::int32_t b = std::max(0, j - 3); b <= std::min(g.n - 1, j + 3); ++b)
        for (std::int32_t a = std::max(0, i - 3); a <= std::min(g.n - 1, i + 3); ++a)
          rim[NodeOf(g, a, b)] = 1;
    }
  const NearBoundary near(field.outer, 3.0 * g.step);
  for (std::size_t p = 0; p < count; ++p) {
    const double d = g.phi.values[p];
    if (!field.inside[p]) {
      std::size_t segment = 0;
      double outside = 0.0;
      if (rim[p] && near.Nearest(g.NodePoint(double(p % g.n), double(p / g.n)), segment, outside))
        t.values[p] = -outside / family.last_depth;
      continue;
    }
    if (!family.Contains(u[p], d, 0.0)) {
      t.values[p] = 0.0;
      continue;
    }
    if (family.Contains(u[p], d, 1.0)) {
      t.values[p] = 1.0 + 1e-6;
      continue;
    }
    double lo = 0.0, hi = 1.0;
    for (int it = 0; it < kBisections; ++it) {
      const double mid = (lo + hi) * 0.5;
      (family.Contains(u[p], d, mid) ? lo : hi) = mid;
    }
    t.values[p] = (lo + hi) * 0.5;
  }

  SmoothInside(field, kFieldSmoothing, t);

  // The boundary starts straight above the middle of the strip, where the
  // loops close in: the picture's bottom edge lands below its centre.
  std::size_t halfway = centre;
  double depth = 0.0;
  for (std::size_t p = 0; p < count; ++p)
    if (field.inside[p] && std::fabs(u[p] - 0.5) < kHalfway && g.phi.values[p] > depth)
      depth = g.phi.values[p], halfway = p;
  const ShapePointD middle = g.NodePoint(double(halfway % g.n), double(halfway / g.n));
  std::vector<PolygonD> out(1);
  {
    ShapePointD hit;
    std::size_t edge = 0;
    // The traced boundary wobbles from pixel to pixel of a coarse mask, and
    // its length with it; lightly smoothed, the first loop's length
    // fractions keep up with it.
    const PolygonD outer0 = SimplifyLoop(SmoothLoop(dense, kBoundarySmoothing), kTraceTolerance);
    if (!RayHit(outer0, middle, {0.0, -1.0}, hit, edge)) return false;
    out[0] = StartLoopAt(outer0, edge, hit);
  }
  PolygonD previous = ResampleLoop(out[0], kLoopPoints);
  const std::int32_t levels =
      std::max<std::int32_t>(2, options.loops > 0 ? options.loops : kDefaultStripLoops);
  const double whole = std::fabs(SignedArea(field.outer));
  bool copied = false;
  for (std::int32_t k = 0; k < levels && !copied; ++k) {
    const double level = family.t_first + (1.0 - family.t_first) * k / (levels - 1);
    PolygonD traced;
    if (!LevelLoop(t, g, level, kTraceTolerance, traced)) return false;
    const PolygonD smooth =
        ResampleLoop(SmoothLoop(ResampleLoop(traced, kLoopPoints), options.smoothing), kLoopPoints);
    out.push_back(Aligned(previous, smooth));
    previous = out.back();
    // Once a loop is small and seen whole from its middle, scaled copies
    // close in.
    copied = AddScaledCopies(AreaCentroid(out.back()), whole, out);
  }
  if (!copied && !AddInnermostCopy(AreaCentroid(out.back()), out)) return false;
  loops = std::move(out);
  return true;
}

}  // namespace quorvel
