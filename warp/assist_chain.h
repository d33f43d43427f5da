// The chain through the points at fraction t of every guide, with the way a
// point is found left to the caller (binary search, or a walk from a hint).
#pragma once

#include <cstddef>

#include "warp/arithmetic.h"
#include "warp/geometry.h"

namespace quorvel {

// find(guide index, distance, point&) -> bool. Fills segments 0..n-2 of q. A
// guide where nothing is found contributes the previous guide's point, or
// (0, 0) for the outer one.
template <class Find>
void AssistChainAt(const PolylineList& guides, float t, TPolyline& q, Find&& find) {
  const std::size_t n = guides.size();
  if (n == 0) return;
  TPointF previous{0.0f, 0.0f};
  find(std::size_t{0}, F(D(guides[0].length) * D(t)), previous);
  for (std::size_t i = 1; i < n; ++i) {
    TPointF point = previous;
    find(i, F(D(t) * D(guides[i].length)), point);
    TSegment& seg = q.segments[i - 1];
    seg.x1 = previous.x;
    seg.y1 = previous.y;
    seg.x2 = point.x;
    seg.y2 = point.y;
    previous = point;
  }
}

}  // namespace quorvel
