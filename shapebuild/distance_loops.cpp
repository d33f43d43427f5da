#include "shapebuild/distance_loops.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <queue>

#include "shapebuild/harmonic.h"
#include "shapebuild/iso_contours.h"

namespace quorvel {
namespace {

constexpr double kDeepestLevel = 0.95;    // of the field's maximum, the last level loop
// Level loops give way to scaled copies once one is seen whole from the
// centre and encloses at most this share of the shape.
constexpr double kCopyShare = 0.15;
constexpr double kNearlyDeepest = 0.98;   // candidates for a central centre
// The last loops: copies of a level loop, scaled about the centre.
constexpr double kInnerScales[] = {0.7, 0.45, 0.25, 0.1, 0.04};
constexpr double kInnermostScale = 0.3;  // or one copy of the deepest level loop
constexpr std::int32_t kLoopPoints = 400;
constexpr int kSmoothingPasses = 5;
constexpr double kTraceTolerance = 0.05;  // frame units

}  // namespace

PolygonD ResampleLoop(const PolygonD& loop, std::int32_t count) {
  const std::vector<double> at = CumulativeLengths(loop);
  const double total = at.back();
  PolygonD out;
  out.reserve(static_cast<std::size_t>(count));
  std::size_t k = 0;
  for (std::int32_t j = 0; j < count; ++j) {
    const double t = total * j / count;
    while (k + 1 < loop.size() && at[k + 1] <= t) ++k;
    const ShapePointD a = loop[k], b = Next(loop, k);
    const double edge = at[k + 1] - at[k];
    const double s = edge > 0.0 ? (t - at[k]) / edge : 0.0;
    out.push_back({a.x + s * (b.x - a.x), a.y + s * (b.y - a.y)});
  }
  return out;
}

PolygonD SmoothLoop(PolygonD loop, int passes) {
  const std::size_t n = loop.size();
  PolygonD next(n);
  for (int pass = 0; pass < passes; ++pass) {
    for (std::size_t j = 0; j < n; ++j) {
      const ShapePointD a = loop[(j + n - 1) % n], b = loop[j], c = loop[NextIndex(j, n)];
      next[j] = {(a.x + 2.0 * b.x + c.x) * 0.25, (a.y + 2.0 * b.y + c.y) * 0.25};
    }
    loop.swap(next);
  }
  return loop;
}

std::vector<double> DistanceAlong(const HarmonicGrid& g, const std::vector<char>& inside, std::size_t from) {
  const std::int32_t n = g.n;
  std::vector<double> along(inside.size(), HUGE_VAL);
  using Entry = std::pair<double, std::size_t>;
  std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> queue;
  along[from] = 0.0;
  queue.push({0.0, from});
  while (!queue.empty()) {
    const auto [d, p] = queue.top();
    queue.pop();
    if (d > along[p]) continue;
    const auto i = static_cast<std::int32_t>(p % std::size_t(n)), j = static_cast<std::int32_t>(p / std::size_t(n));
    for (std::int32_t dj = -1; dj <= 1; ++dj)
      for (std::int32_t di = -1; di <= 1; ++di) {
        const std::int32_t a = i + di, b = j + dj;
        if ((di == 0 && dj == 0) || a < 0 || b < 0 || a >= n || b >= n) continue;
        const std::size_t q = std::size_t(b) * std::size_t(n) + std::size_t(a);
        const double next = d + g.step * (di != 0 && dj != 0 ? M_SQRT2 : 1.0);
        if (inside[q] && next < along[q]) {
          along[q] = next;
          queue.push({next, q});
        }
      }
  }
  return along;
}

namespace {

// Squared distance from p to the nearest edge of poly; edges are laid out
// once so the inner loop is plain arithmetic.
struct Edges {
  std::vector<double> ax, ay, dx, dy, inv;

  explicit Edges(const PolygonD& poly) {
    for (std::size_t k = 0; k < poly.size(); ++k) {
      const ShapePointD a = poly[k], b = Next(poly, k);
      const double ex = b.x - a.x, ey = b.y - a.y, len2 = ex * ex + ey * ey;
      ax.push_back(a.x), ay.push_back(a.y), dx.push_back(ex), dy.push_back(ey);
      inv.push_back(len2 > 0.0 ? 1.0 / len2 : 0.0);
    }
  }

  double Nearest2(ShapePointD p) const {
    double best = HUGE_VAL;
    for (std::size_t k = 0; k < ax.size(); ++k) {
      const double px = p.x - ax[k], py = p.y - ay[k];
      const double t = std::clamp((px * dx[k] + py * dy[k]) * inv[k], 0.0, 1.0);
      const double qx = px - t * dx[k], qy = py - t * dy[k];
      best = std::min(best, qx * qx + qy * qy);
    }
    return best;
  }
};

bool StartAbove(const PolygonD& loop, ShapePointD centre, PolygonD& started) {
  ShapePointD hit;
  std::size_t edge = 0;
  if (!RayHit(loop, centre, {0.0, -1.0}, hit, edge)) return false;
  started = StartLoopAt(loop, edge, hit);
  return true;
}

}  // namespace

bool AddScaledCopies(ShapePointD centre, double whole, std::vector<PolygonD>& loops) {
  const PolygonD last = loops.back();
  if (std::fabs(SignedArea(last)) > kCopyShare * whole) return false;
  const PolygonD kernel = StarKernel(last, 0.0);
  if (kernel.empty() || !PointInPolygon(kernel, centre)) return false;
  for (const double scale : kInnerScales) loops.push_back(ScaledAbout(last, centre, scale));
  return true;
}

bool AddInnermostCopy(ShapePointD centre, std::vector<PolygonD>& loops) {
  if (!PointInPolygon(loops.back(), centre)) return false;
  loops.push_back(ScaledAbout(loops.back(), centre, kInnermostScale));
  return true;
}

void MeasureDistance(const PolygonD& outer, std::int32_t grid, DistanceField& field) {
  field.outer = outer;
  HarmonicGrid& g = field.grid;
  PlaceGrid(std::clamp(grid, 101, 1201), g);
  const std::size_t count = std::size_t(g.n) * std::size_t(g.n);
  field.inside.assign(count, 0);
  MarkInside(outer, g, field.inside);
  // Rim nodes stay outside, so every level line closes.
  for (std::int32_t k = 0; k < g.n; ++k)
    for (std::size_t p : {std::size_t(k), std::size_t(g.n - 1) * g.n + k, std::size_t(k) * g.n,
                          std::size_t(k) * g.n + g.n - 1})
      field.inside[p] = 0;
  g.phi.width = g.phi.height = g.n;
  g.phi.values.assign(count, 0.0);
  const Edges edges(outer);
  for (std::size_t p = 0; p < count; ++p)
    if (field.inside[p]) g.phi.values[p] = std::sqrt(edges.Nearest2(g.NodePoint(double(p % g.n), double(p / g.n))));
}

bool BuildDistanceLoops(const DistanceField& distance, const DistanceLoopOptions& options,
                        std::vector<PolygonD>& loops) {
  const HarmonicGrid& g = distance.grid;
  const std::vector<char>& inside = distance.inside;
  const std::size_t count = inside.size();
  if (count != std::size_t(g.n) * std::size_t(g.n) || distance.outer.size() < 3) return false;
  SampledField field = g.phi;
  double deepest = 0.0;
  std::size_t centre = 0;
  for (std::size_t p = 0; p < count; ++p)
    if (inside[p] && field.values[p] > deepest) deepest = field.values[p], centre = p;
  if (!(deepest > 0.0)) return false;
  if (options.central) {
    const ShapePointD middle = AreaCentroid(distance.outer);
    double nearest = HUGE_VAL;
    for (std::size_t p = 0; p < count; ++p) {
      if (!inside[p] || field.values[p] < kNearlyDeepest * deepest) continue;
      const ShapePointD q = g.NodePoint(double(p % g.n), double(p / g.n));
      const double d = std::hypot(q.x - middle.x, q.y - middle.y);
      if (d < nearest) nearest = d, centre = p;
    }
  }
  const ShapePointD middle = g.NodePoint(double(centre % g.n), double(centre / g.n));
  if (options.taper > 0.0) {
    const std::vector<double> along = DistanceAlong(g, inside, centre);
    double farthest = 0.0;
    for (std::size_t p = 0; p < count; ++p)
      if (inside[p] && along[p] < HUGE_VAL) farthest = std::max(farthest, along[p]);
    if (!(farthest > 0.0)) return false;
    for (std::size_t p = 0; p < count; ++p)
      if (inside[p]) field.values[p] *= 1.0 - options.taper * std::min(1.0, along[p] / farthest);
  }
  const double top = *std::max_element(field.values.begin(), field.values.end());

  std::vector<PolygonD> out(1);
  if (!StartAbove(distance.outer, middle, out[0])) return false;
  const std::int32_t levels = options.loops > 0 ? options.loops : kDefaultDistanceLoops;
  const double whole = std::fabs(SignedArea(distance.outer));
  bool copied = false;
  for (std::int32_t k = 1; k <= levels && !copied; ++k) {
    PolygonD traced, started;
    if (!LevelLoop(field, g, top * kDeepestLevel * k / levels, kTraceTolerance, traced) ||
        !StartAbove(traced, middle, started))
      return false;
    // A few smoothing passes: the corners the distance field has where a loop
    // crosses the shape's middle line would otherwise turn neighbouring
    // assist polylines across each other.
    out.push_back(
        ResampleLoop(SmoothLoop(ResampleLoop(started, kLoopPoints), kSmoothingPasses), kLoopPoints));
    // Near the top the level sets thin into lenses along the shape's
    // middle line; scaled copies of a loop seen whole from the centre close
    // in instead.
    if (k >= 2) copied = AddScaledCopies(middle, whole, out);
  }
  // The deepest level loop still encloses about a percent of the shape,
  // which no ray would reach: a small copy of it closes in further.
  if (!copied && !AddInnermostCopy(middle, out)) return false;
  loops = std::move(out);
  return true;
}

}  // namespace quorvel
