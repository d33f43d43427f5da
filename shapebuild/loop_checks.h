// What makes a set of shape loops usable by the warp: nested from the
// outside in, one orientation, and assist polylines that never cross.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "warp/geometry.h"

namespace quorvel {

// Crossings are counted up to this many (a few more may come from the last
// segment compared).
inline constexpr std::size_t kCrossingLimit = 1000;

struct LoopCheckReport {
  bool nested = false;            // every loop strictly inside the one before
  bool same_orientation = false;  // every loop runs the same way round
  std::size_t assist_count = 0;
  std::size_t assist_crossings = 0;  // pairs of assist segments that cross properly, see kCrossingLimit
  std::vector<TPointF> first_crossings;  // where (working-square units), up to 8

  bool Usable() const { return nested && same_orientation && assist_crossings == 0; }
};

// Checks loops (polyline frame, closed, as decoded from a file) with the
// assist polylines the engine generates for a working square of side. The
// assist polylines are generated and checked only for nested loops of one
// orientation (otherwise assist_count stays 0).
// A loop of points as the engine holds it: segments from each point to the
// next, the last one closing it (no segments for fewer than two points).
TPolyline ClosedPolyline(const std::vector<TPointF>& loop);

LoopCheckReport CheckShapeLoops(const std::vector<std::vector<TPointF>>& loops,
                                std::int32_t side = 300);

}  // namespace quorvel
