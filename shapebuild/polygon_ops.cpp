#include "shapebuild/polygon_ops.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quorvel {
namespace {

double Cross(ShapePointD o, ShapePointD a, ShapePointD b) {
  return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

void SimplifyRange(const PolygonD& pts, std::size_t first, std::size_t last, double tol,
                   std::vector<char>& keep) {
  // Iterative, so long contours cannot exhaust the stack.
  std::vector<std::pair<std::size_t, std::size_t>> stack{{first, last}};
  while (!stack.empty()) {
    const auto [a, b] = stack.back();
    stack.pop_back();
    double worst = -1.0;
    std::size_t at = a;
    for (std::size_t k = a + 1; k < b; ++k) {
      const double d = DistanceToSegment(pts[k], pts[a], pts[b]);
      if (d > worst) worst = d, at = k;
    }
    if (worst > tol) {
      keep[at] = 1;
      stack.push_back({a, at});
      stack.push_back({at, b});
    }
  }
}

bool SegmentsMeet(ShapePointD a, ShapePointD b, ShapePointD c, ShapePointD d) {
  const double d1 = Cross(a, b, c), d2 = Cross(a, b, d);
  const double d3 = Cross(c, d, a), d4 = Cross(c, d, b);
  return ((d1 <= 0 && d2 >= 0) || (d1 >= 0 && d2 <= 0)) &&
         ((d3 <= 0 && d4 >= 0) || (d3 >= 0 && d4 <= 0)) &&
         std::max(std::min(a.x, b.x), std::min(c.x, d.x)) <=
             std::min(std::max(a.x, b.x), std::max(c.x, d.x)) &&
         std::max(std::min(a.y, b.y), std::min(c.y, d.y)) <=
             std::min(std::max(a.y, b.y), std::max(c.y, d.y));
}

}  // namespace

std::vector<double> CumulativeLengths(const PolygonD& poly) {
  std::vector<double> at(poly.size() + 1, 0.0);
  for (std::size_t k = 0; k < poly.size(); ++k) {
    const ShapePointD& a = poly[k];
    const ShapePointD& b = Next(poly, k);
    at[k + 1] = at[k] + std::hypot(b.x - a.x, b.y - a.y);
  }
  return at;
}

double SignedArea(const PolygonD& poly) {
  double sum = 0.0;
  for (std::size_t i = 0; i < poly.size(); ++i) {
    const ShapePointD& a = poly[i];
    const ShapePointD& b = Next(poly, i);
    sum += a.x * b.y - b.x * a.y;
  }
  return sum * 0.5;
}

ShapePointD AreaCentroid(const PolygonD& poly) {
  double cx = 0.0, cy = 0.0, twice = 0.0;
  for (std::size_t i = 0; i < poly.size(); ++i) {
    const ShapePointD& a = poly[i];
    const ShapePointD& b = Next(poly, i);
    const double w = a.x * b.y - b.x * a.y;
    twice += w;
    cx += (a.x + b.x) * w;
    cy += (a.y + b.y) * w;
  }
  if (twice == 0.0) return poly.empty() ? ShapePointD{} : poly.front();
  return {cx / (3.0 * twice), cy / (3.0 * twice)};
}

bool PointInPolygon(const PolygonD& poly, ShapePointD p) {
  bool inside = false;
  for (std::size_t i = 0; i < poly.size(); ++i) {
    const ShapePointD& a = poly[i];
    const ShapePointD& b = Next(poly, i);
    if ((a.y > p.y) != (b.y > p.y)) {
      const double x = a.x + (p.y - a.y) * (b.x - a.x) / (b.y - a.y);
      if (p.x < x) inside = !inside;
    }
  }
  return inside;
}

double DistanceToSegment(ShapePointD p, ShapePointD a, ShapePointD b) {
  const ShapePointD c = ClosestOnSegment(p, a, b);
  return std::hypot(p.x - c.x, p.y - c.y);
}

double DistanceToPolygon(const PolygonD& poly, ShapePointD p) {
  return NearestPointOnPolygon(poly, p).distance;
}

ShapePointD ClosestOnSegment(ShapePointD p, ShapePointD a, ShapePointD b) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double len2 = dx * dx + dy * dy;
  double s = len2 > 0.0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0.0;
  s = std::clamp(s, 0.0, 1.0);
  return {a.x + s * dx, a.y + s * dy};
}

NearestOnPolygon NearestPointOnPolygon(const PolygonD& poly, ShapePointD p) {
  NearestOnPolygon best;
  best.distance = std::numeric_limits<double>::infinity();
  for (std::size_t i = 0; i < poly.size(); ++i) {
    const ShapePointD c = ClosestOnSegment(p, poly[i], Next(poly, i));
    const double d = std::hypot(p.x - c.x, p.y - c.y);
    if (d < best.distance) best = {c, i, d};
  }
  return best;
}

PolygonD StartLoopAt(const PolygonD& poly, std::size_t edge, ShapePointD point) {
  const std::size_t n = poly.size();
  PolygonD out;
  out.reserve(n + 1);
  const ShapePointD& a = poly[edge];
  const ShapePointD& b = Next(poly, edge);
  std::size_t from = (edge + 1) % n;
  if (std::hypot(point.x - a.x, point.y - a.y) < 1e-9) {
    from = edge;
  } else if (std::hypot(point.x - b.x, point.y - b.y) >= 1e-9) {
    out.push_back(point);
  }
  for (std::size_t k = 0; k < n; ++k) out.push_back(poly[(from + k) % n]);
  return out;
}

PolygonD SimplifyLoop(const PolygonD& poly, double tolerance) {
  PolygonD pts;
  for (const ShapePointD& p : poly)
    if (pts.empty() || std::hypot(p.x - pts.back().x, p.y - pts.back().y) > 1e-12) pts.push_back(p);
  while (pts.size() > 1 && std::hypot(pts.back().x - pts[0].x, pts.back().y - pts[0].y) <= 1e-12)
    pts.pop_back();
  if (pts.size() < 4) return pts;
  // Split the loop at its start and at the point farthest from it.
  std::size_t far = 0;
  double far_d = -1.0;
  for (std::size_t k = 1; k < pts.size(); ++k) {
    const double d = std::hypot(pts[k].x - pts[0].x, pts[k].y - pts[0].y);
    if (d > far_d) far_d = d, far = k;
  }
  PolygonD closed = pts;
  closed.push_back(pts[0]);
  std::vector<char> keep(closed.size(), 0);
  keep[0] = keep[far] = keep[closed.size() - 1] = 1;
  SimplifyRange(closed, 0, far, tolerance, keep);
  SimplifyRange(closed, far, closed.size() - 1, tolerance, keep);
  PolygonD out;
  for (std::size_t k = 0; k + 1 < closed.size(); ++k)
    if (keep[k]) out.push_back(closed[k]);
  return out;
}

PolygonD StarKernel(const PolygonD& poly, double margin) {
  double lo = std::numeric_limits<double>::infinity(), hi = -lo;
  for (const ShapePointD& p : poly) {
    lo = std::min({lo, p.x, p.y});
    hi = std::max({hi, p.x, p.y});
  }
  PolygonD kernel{{lo, lo}, {hi, lo}, {hi, hi}, {lo, hi}};
  for (std::size_t i = 0; i < poly.size() && !kernel.empty(); ++i) {
    const ShapePointD a = poly[i];
    const ShapePointD b = Next(poly, i);
    const double len = std::hypot(b.x - a.x, b.y - a.y);
    if (len == 0.0) continue;
    // Keep the side where the signed distance to the edge's line is >= margin.
    auto side = [&](ShapePointD p) { return Cross(a, b, p) / len - margin; };
    PolygonD clipped;
    for (std::size_t k = 0; k < kernel.size(); ++k) {
      const ShapePointD p = kernel[k];
      const ShapePointD q = Next(kernel, k);
      const double sp = side(p), sq = side(q);
      if (sp >= 0) clipped.push_back(p);
      if ((sp >= 0) != (sq >= 0)) {
        const double s = sp / (sp - sq);
        clipped.push_back({p.x + s * (q.x - p.x), p.y + s * (q.y - p.y)});
      }
    }
    kernel = std::move(clipped);
  }
  if (kernel.size() < 3 || SignedArea(kernel) <= 0.0) kernel.clear();
  return kernel;
}

bool RayHit(const PolygonD& poly, ShapePointD origin, ShapePointD dir, ShapePointD& hit,
            std::size_t& edge) {
  double best = std::numeric_limits<double>::infinity();
  for (std::size_t i = 0; i < poly.size(); ++i) {
    const ShapePointD a = poly[i];
    const ShapePointD b = Next(poly, i);
    const double ex = b.x - a.x, ey = b.y - a.y;
    const double den = dir.x * ey - dir.y * ex;
    if (den == 0.0) continue;
    const double wx = a.x - origin.x, wy = a.y - origin.y;
    const double r = (wx * ey - wy * ex) / den;   // along the ray
    const double s = (wx * dir.y - wy * dir.x) / den;  // along the edge
    if (r > 0.0 && s >= 0.0 && s <= 1.0 && r < best) {
      best = r;
      hit = {origin.x + r * dir.x, origin.y + r * dir.y};
      edge = i;
    }
  }
  return best < std::numeric_limits<double>::infinity();
}

PolygonD ScaledAbout(const PolygonD& poly, ShapePointD centre, double scale) {
  PolygonD copy;
  copy.reserve(poly.size());
  for (const ShapePointD& p : poly)
    copy.push_back({centre.x + scale * (p.x - centre.x), centre.y + scale * (p.y - centre.y)});
  return copy;
}

bool PolygonsMeet(const PolygonD& a, const PolygonD& b) {
  // Sort and sweep: edges ordered by their left end, each compared only with
  // the other polygon's edges whose boxes overlap it (edges that meet do).
  struct Edge {
    double x0, x1, y0, y1;
    ShapePointD p, q;
    bool of_a;
  };
  std::vector<Edge> edges;
  edges.reserve(a.size() + b.size());
  for (const PolygonD* poly : {&a, &b})
    for (std::size_t i = 0; i < poly->size(); ++i) {
      const ShapePointD p = (*poly)[i], q = Next(*poly, i);
      edges.push_back({std::min(p.x, q.x), std::max(p.x, q.x), std::min(p.y, q.y), std::max(p.y, q.y), p, q,
                       poly == &a});
    }
  std::sort(edges.begin(), edges.end(), [](const Edge& e, const Edge& f) { return e.x0 < f.x0; });
  for (std::size_t i = 0; i < edges.size(); ++i) {
    const Edge& e = edges[i];
    for (std::size_t k = i + 1; k < edges.size() && edges[k].x0 <= e.x1; ++k) {
      const Edge& f = edges[k];
      if (f.of_a == e.of_a || f.y0 > e.y1 || f.y1 < e.y0) continue;
      if (SegmentsMeet(e.p, e.q, f.p, f.q)) return true;
    }
  }
  return false;
}

}  // namespace quorvel
