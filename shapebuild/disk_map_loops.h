// Nested loops as the level circles of a harmonic map of the outline onto
// the unit disk. The boundary point at length fraction t goes to the angle
// 2 pi t and both coordinates are harmonic inside; a harmonic map onto a
// convex target with such a rim folds nowhere, so the preimages of
// concentric circles nest, reach into serifs and arms, and the paths
// between them fan out without crossing.
#pragma once

#include <cstdint>
#include <vector>

#include "shapebuild/polygon_ops.h"

namespace quorvel {

struct DiskMapLoopOptions {
  std::int32_t grid = 401;     // nodes per side over the frame
  // Widest gap between neighbouring loops next to the rim, frame units.
  // The paths lean over between loops where the loops' shares of length
  // differ, most near the rim; close loops keep their straight pieces
  // short enough not to cross there.
  double spacing = 1.5;
  double widening = 5.0;       // the gap grows to (1 + widening) x spacing at the core
  std::int32_t max_loops = 160;
  std::int32_t loops = 0;      // 0: as the spacing asks (up to max_loops)
  // The innermost loop encloses at most this share of the outline's area.
  double core_share = 0.004;
  double hole_radius = 0.4;    // the circle a ring's hole goes to
};

// outer: positively oriented boundary in the frame. Loops start where the
// ray from the outline's middle towards -y meets the outline and, inside,
// where the map's angle is 0. False when the map's level sets split (a part
// thinner than the grid) or no loop can be traced.
// hole: a ring's hole, positively oriented too, or empty; it is the last
// loop, started below its middle.
[[nodiscard]] bool BuildDiskMapLoops(const PolygonD& outer, const PolygonD& hole, const DiskMapLoopOptions& options,
                                     std::vector<PolygonD>& loops);

}  // namespace quorvel
