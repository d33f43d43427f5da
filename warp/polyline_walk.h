// PointAtLength for callers that ask for many distances in order.
#pragma once

#include <cstddef>

#include "warp/polyline.h"

namespace quorvel {

// Same answer as PointAtLength(p, s, out), found by walking from the segment
// `hint` (updated) instead of searching. Where s lies strictly inside one
// segment, at least 1e-7 from both ends, the binary search provably picks
// that segment too; anywhere nearer a boundary (where the search's path
// decides between neighbours or a zero-length segment) it asks the search.
inline bool PointAtLengthWalk(const TPolyline& p, float s, std::size_t& hint, TPointF& out) {
  const std::size_t n = p.segments.size();
  if (n == 0) return false;
  const TSegment* seg = p.segments.data();
  std::size_t k = hint < n ? hint : n - 1;
  auto start_of = [seg](std::size_t i) { return i == 0 ? 0.0f : seg[i - 1].cum_length; };
  while (k > 0 && s <= start_of(k)) --k;
  while (k + 1 < n && s >= seg[k].cum_length) ++k;
  hint = k;
  const double start = start_of(k);
  const double end = seg[k].cum_length;
  const double at = s;
  if (at - start >= 1e-7 && end - at >= 1e-7) {
    const TSegment& g = seg[k];
    const float d = static_cast<float>((at - start) / g.length);
    out = TPointF{static_cast<float>(g.x1 + (static_cast<double>(g.x2) - g.x1) * d),
                  static_cast<float>(g.y1 + (static_cast<double>(g.y2) - g.y1) * d)};
    return true;
  }
  return PointAtLength(p, s, out);
}

}  // namespace quorvel
