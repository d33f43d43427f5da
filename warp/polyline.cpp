// Arithmetic model: expressions are evaluated in double and rounded to
// float32 where a float is stored (see the static_casts).
#include "warp/polyline.h"

#include <cmath>

#include "warp/arithmetic.h"

namespace quorvel {

bool MeasurePolyline(TPolyline& p) {
  float total = 0.0f;
  for (TSegment& seg : p.segments) {
    const double dx = D(seg.x1) - D(seg.x2);
    const double dy = D(seg.y1) - D(seg.y2);
    const float squared = static_cast<float>(dx * dx + dy * dy);
    seg.length = static_cast<float>(std::sqrt(static_cast<double>(squared)));
    total = F(D(total) + D(seg.length));
    seg.cum_length = total;
  }
  p.length = total;
  return true;
}

bool PointAtLength(const TPolyline& p, float s, TPointF& out) {
  const int n = static_cast<int>(p.segments.size());
  int lo = 0;
  int hi = n - 1;
  while (hi >= lo) {
    const int mid = (lo + hi) / 2;
    const TSegment& seg = p.segments[mid];
    const float start = mid == 0 ? 0.0f : p.segments[mid - 1].cum_length;
    const float end = seg.cum_length;
    // Checked before the range test: a zero-length segment answers only its
    // own position, so the search never divides by a zero length.
    if (std::fabs(D(start) - D(end)) < 1e-7 &&
        std::fabs(D(start) - D(s)) < 1e-7) {
      out = TPointF{seg.x1, seg.y1};
      return true;
    }
    if (start <= s && s <= end) {
      out = PointInSegment(seg, start, s);
      return true;
    }
    if (s < start)
      hi = mid - 1;
    else
      lo = mid + 1;
  }
  return false;
}

void ScalePolylines(PolylineList& dst, const PolylineList& src, std::int32_t side) {
  dst = src;
  const float k = static_cast<float>(side / 300.0);
  for (TPolyline& p : dst) {
    for (TSegment& seg : p.segments) {
      seg.x1 = F(D(seg.x1) * D(k));
      seg.y1 = F(D(seg.y1) * D(k));
      seg.x2 = F(D(seg.x2) * D(k));
      seg.y2 = F(D(seg.y2) * D(k));
    }
  }
}

}  // namespace quorvel
