// Nested loops as the rows of one mesh from the outline inwards: every row
// has the points of one fine sampling of the outer loop at the same length
// fractions, so each assist path runs through point i of every row. The
// rows between the outer and the innermost one are smoothed, more the
// deeper they lie, and kept clear of the boundary.
#pragma once

#include <cstdint>
#include <vector>

#include "shapebuild/harmonic.h"
#include "shapebuild/polygon_ops.h"

namespace quorvel {

struct MeshRelaxOptions {
  std::int32_t columns = 800;  // points per row at least; the outer loop's own points are all kept
  // Smoothing passes of the innermost relaxed row; a row a share u of the
  // way in gets sqrt(u) of them, so the rows next to the rim keep its shape.
  std::int32_t sweeps = 400;
  // The distance to the boundary: a smoothed point keeps at least keep
  // times its row's median distance before smoothing, so rows stay inside.
  const HarmonicGrid* distance = nullptr;
  double keep = 0.8;
};

// The points of loop at the given length fractions (ascending, from 0).
PolygonD PointsAtFractions(const PolygonD& loop, const std::vector<double>& fractions);

// loops: nested, started at corresponding points, outer first; the first
// and the last keep their shape (resampled), those between are smoothed.
// False when there are fewer than three loops.
[[nodiscard]] bool RelaxLoopMesh(const MeshRelaxOptions& options, std::vector<PolygonD>& loops);

}  // namespace quorvel
