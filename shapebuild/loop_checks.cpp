#include "shapebuild/loop_checks.h"

#include <algorithm>
#include <cmath>

#include "shapebuild/polygon_ops.h"
#include "warp/assist.h"
#include "warp/polyline.h"

namespace quorvel {
namespace {

PolygonD AsPolygon(const std::vector<TPointF>& loop) {
  PolygonD poly;
  for (const TPointF& p : loop) poly.push_back({p.x, p.y});
  return poly;
}

double Orient(double ax, double ay, double bx, double by, double cx, double cy) {
  return (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
}

bool CrossProperly(const TSegment& s, const TSegment& t) {
  const double d1 = Orient(s.x1, s.y1, s.x2, s.y2, t.x1, t.y1);
  const double d2 = Orient(s.x1, s.y1, s.x2, s.y2, t.x2, t.y2);
  const double d3 = Orient(t.x1, t.y1, t.x2, t.y2, s.x1, s.y1);
  const double d4 = Orient(t.x1, t.y1, t.x2, t.y2, s.x2, s.y2);
  return ((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0));
}

// Crossings between segments of different assist polylines. Sort and sweep:
// segments ordered by their left end, each compared only with those whose
// boxes overlap it. A grid of cells chokes where the assist polylines all
// run into the innermost loop; the sweep compares each pair at most once.
// Crossings between segments of one band (loop k to loop k + 1) are looked
// for first: that is where nearly all of them are, and each band alone is
// swept quickly, so loops that are refused are refused early. Only when no
// band has any are all segments swept together. Counting stops at
// kCrossingLimit: badly crossed loops (a drawing gone wrong) have hundreds
// of thousands, and one is enough to refuse them.
std::size_t CountCrossings(const PolylineList& assist, std::vector<TPointF>& where) {
  struct Item {
    float x0, x1, y0, y1;
    std::uint32_t polyline;
    std::uint32_t band;
    const TSegment* segment;
  };
  // The last polyline (t = 1) is the first (t = 0) again; the two differ
  // only by the rounding of the closing segment's end.
  const auto last = std::uint32_t(assist.size() - 1);
  auto SamePolyline = [last](std::uint32_t a, std::uint32_t b) {
    return a == b || (a == 0 && b == last) || (a == last && b == 0);
  };
  std::vector<Item> items;
  for (std::size_t k = 0; k < assist.size(); ++k) {
    const auto& segs = assist[k].segments;
    // The last segment is the engine's zero tail at the origin.
    for (std::size_t i = 0; i + 1 < segs.size(); ++i) {
      const TSegment& s = segs[i];
      items.push_back({std::min(s.x1, s.x2), std::max(s.x1, s.x2), std::min(s.y1, s.y2),
                       std::max(s.y1, s.y2), std::uint32_t(k), std::uint32_t(i), &s});
    }
  }
  std::vector<std::pair<const TSegment*, const TSegment*>> found;
  // Compares the pairs among items[from, to), which are sorted by x0.
  auto Sweep = [&](std::size_t from, std::size_t to) {
    for (std::size_t a = from; a < to && found.size() < kCrossingLimit; ++a) {
      const Item& p = items[a];
      for (std::size_t b = a + 1; b < to && items[b].x0 <= p.x1; ++b) {
        const Item& q = items[b];
        if (q.y0 > p.y1 || q.y1 < p.y0 || SamePolyline(p.polyline, q.polyline)) continue;
        if (CrossProperly(*p.segment, *q.segment)) found.push_back(std::minmax(p.segment, q.segment));
      }
    }
  };
  std::sort(items.begin(), items.end(),
            [](const Item& a, const Item& b) { return a.band != b.band ? a.band < b.band : a.x0 < b.x0; });
  for (std::size_t from = 0; from < items.size() && found.size() < kCrossingLimit;) {
    std::size_t to = from;
    while (to < items.size() && items[to].band == items[from].band) ++to;
    Sweep(from, to);
    from = to;
  }
  if (found.empty()) {
    std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) { return a.x0 < b.x0; });
    Sweep(0, items.size());
  }
  std::sort(found.begin(), found.end());
  found.erase(std::unique(found.begin(), found.end()), found.end());
  for (std::size_t k = 0; k < found.size() && k < 8; ++k)
    where.push_back({found[k].first->x1, found[k].first->y1});
  return found.size();
}

}  // namespace

TPolyline ClosedPolyline(const std::vector<TPointF>& loop) {
  TPolyline p;
  for (std::size_t k = 0; k < loop.size() && loop.size() >= 2; ++k) {
    const TPointF& a = loop[k];
    const TPointF& b = loop[NextIndex(k, loop.size())];
    p.segments.push_back(TSegment{a.x, a.y, b.x, b.y});
  }
  return p;
}

LoopCheckReport CheckShapeLoops(const std::vector<std::vector<TPointF>>& loops, std::int32_t side) {
  LoopCheckReport report;
  report.same_orientation = !loops.empty();
  report.nested = !loops.empty();
  std::vector<PolygonD> polys;
  double first_sign = 0.0;
  for (const auto& loop : loops) {
    polys.push_back(AsPolygon(loop));
    const double area = SignedArea(polys.back());
    if (first_sign == 0.0) first_sign = area > 0.0 ? 1.0 : -1.0;
    if (loop.size() < 3 || !(area * first_sign > 0.0)) report.same_orientation = false;
  }
  // Loops whose edges never meet lie wholly inside or wholly outside one
  // another, so one point tells which.
  for (std::size_t k = 1; k < polys.size() && report.nested; ++k) {
    if (polys[k].empty() || PolygonsMeet(polys[k - 1], polys[k]) || !PointInPolygon(polys[k - 1], polys[k][0]))
      report.nested = false;
  }

  // Loops that are not nested or turn both ways are refused already; the
  // assist polylines of such a tangle are costly and tell nothing more.
  if (!report.nested || !report.same_orientation) return report;

  PolylineList shape;
  for (const auto& loop : loops) shape.push_back(ClosedPolyline(loop));
  PolylineList guides, assist;
  ScalePolylines(guides, shape, side);
  GenerateAssistPolyline_Dis(guides, assist);
  report.assist_count = assist.size();
  report.assist_crossings = CountCrossings(assist, report.first_crossings);
  return report;
}

}  // namespace quorvel
