// Nested loops from level sets of a harmonic function, for outlines that are
// not star-shaped and for rings.
#pragma once

#include <cstdint>
#include <vector>

#include "shapebuild/distance_loops.h"
#include "shapebuild/polygon_ops.h"

namespace quorvel {

struct HarmonicLoopOptions {
  std::int32_t grid = 401;   // nodes per side over the frame
  double spacing = 3.0;      // widest gap between neighbouring loops
  std::int32_t max_loops = 64;
  std::int32_t loops = 0;    // 0: as the spacing asks (up to max_loops)
  // 0: the core is a small disk at the deepest point; otherwise the nodes
  // at least this share of the deepest point's depth inside, joined to it.
  double core_share = 0.0;
  // The distance to the boundary on the same grid, when measured already:
  // the core is read from it instead of measured node by node.
  const DistanceField* distance = nullptr;
};

// outer: positively oriented boundary in the frame; hole: a ring's hole,
// positively oriented too, or empty. On success loops holds outer first and
// the innermost loop (the hole itself for a ring) last, with start points
// joined along the function's gradient. False when no loops can be traced.
[[nodiscard]] bool BuildHarmonicLoops(const PolygonD& outer, const PolygonD& hole,
                                      const HarmonicLoopOptions& options,
                                      std::vector<PolygonD>& loops);

}  // namespace quorvel
