// Nested loops that keep the outline as drawn on the rim and grow smoother
// inwards: copies of the boundary scaled about a centre, each smoothed more
// than the one outside it, so a traced border's notches and zigzags fade
// out within the first few loops and the core is a small smooth blob.
#pragma once

#include <cstdint>
#include <vector>

#include "shapebuild/polygon_ops.h"

namespace quorvel {

struct SmoothLoopOptions {
  std::int32_t loops = 14;      // with the outer boundary
  double innermost = 0.05;      // scale of the innermost loop (its area about 0.25 % of the shape's)
  // Smoothing of the innermost loop: the width of its Gaussian along the
  // loop, as a share of the loop's length; a loop a share u of the way in
  // gets u^2 of it (and at least the width of a point or two), so the
  // loops next to the rim keep its larger features.
  double smoothing = 0.06;
};

// outer: the traced boundary, clockwise as the methods see it; centre: a
// point inside it. Loops start where the ray from centre towards -y meets
// them. False when that ray misses the boundary.
[[nodiscard]] bool BuildSmoothLoops(const PolygonD& outer, ShapePointD centre, const SmoothLoopOptions& options,
                                    std::vector<PolygonD>& loops);

// Gaussian smoothing of a closed loop of equally spaced points; sigma in
// points.
PolygonD GaussianSmoothLoop(const PolygonD& loop, double sigma);

}  // namespace quorvel
