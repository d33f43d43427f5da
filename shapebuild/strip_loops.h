// Nested loops for shapes that are a long bent strip with two ends (a
// letter C, a crescent). Loops are offsets of the boundary cut short at
// both ends, the ends measured along the strip by a harmonic function that
// runs from one end to the other; they close in on the strip's middle as
// round loops, so the assist polylines from the far ends slide along the
// strip instead of turning across each other.
#pragma once

#include <cstdint>
#include <vector>

#include "shapebuild/distance_loops.h"

namespace quorvel {

struct StripLoopOptions {
  std::int32_t loops = 0;   // offset loops before the scaled copies; 0: kDefaultStripLoops
  double end_aspect = 2.0;  // length over width of the last offset loop
  // Passes of SmoothLoop over 600 points per loop. Loops traced on the grid
  // wobble by a hundredth of a unit from cell to cell; near the ends the
  // assist polylines run almost along the loops, so the wobble alone would
  // cross them.
  int smoothing = 20;
};

inline constexpr std::int32_t kDefaultStripLoops = 40;

// field: MeasureDistance of the outer boundary. On success loops holds the
// boundary first, then the offset loops and a few scaled copies of the last
// one; false when no two ends are found or a loop splits.
[[nodiscard]] bool BuildStripLoops(const DistanceField& field, const StripLoopOptions& options,
                                   std::vector<PolygonD>& loops);

}  // namespace quorvel
