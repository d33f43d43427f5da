// Nested loops from level sets of the distance to the boundary, for long
// curved outlines (a thin crescent) where loops scaled about a centre leave
// the outline and harmonic level sets around a core never reach into the
// horns.
#pragma once

#include <cstdint>
#include <vector>

#include "shapebuild/harmonic.h"
#include "shapebuild/polygon_ops.h"

namespace quorvel {

// The distance to the boundary on a grid over the frame, measured once for
// every try.
struct DistanceField {
  PolygonD outer;
  HarmonicGrid grid;          // grid.phi: the distance at inside nodes, 0 elsewhere
  std::vector<char> inside;   // rim nodes never count as inside
};

// outer: positively oriented boundary in the frame; grid: nodes per side.
void MeasureDistance(const PolygonD& outer, std::int32_t grid, DistanceField& field);

struct DistanceLoopOptions {
  std::int32_t loops = 0;    // level loops; 0: kDefaultDistanceLoops
  // The centre the loops close in on: false, the point deepest inside;
  // true, of the points nearly as deep, the one nearest the area centroid.
  bool central = false;
  // Above 0, the distance is scaled down by up to this share with the
  // distance along the shape from the centre, so loops leave far arms first.
  double taper = 0.0;
};

inline constexpr std::int32_t kDefaultDistanceLoops = 40;

// count points equally spaced along loop, from its first point. Equal
// spacing puts point j at the length fraction j / count of every loop, so
// the assist polylines run through corresponding points.
PolygonD ResampleLoop(const PolygonD& loop, std::int32_t count);
// passes of (1, 2, 1) / 4 along the closed loop.
PolygonD SmoothLoop(PolygonD loop, int passes);
// The last loops, once the last of loops is small (at most a share of
// whole, the shape's area) and seen whole from centre: copies of it scaled
// about centre close in with no drift between their length fractions.
// False, adding nothing, otherwise.
bool AddScaledCopies(ShapePointD centre, double whole, std::vector<PolygonD>& loops);
// One small copy of the last loop about centre, a point inside it.
bool AddInnermostCopy(ShapePointD centre, std::vector<PolygonD>& loops);
// Distance along the inside of the shape (grid nodes marked in inside, 8
// neighbours) from node from; HUGE_VAL where it cannot be reached.
std::vector<double> DistanceAlong(const HarmonicGrid& grid, const std::vector<char>& inside, std::size_t from);

// On success loops holds the field's outer boundary first (started straight above the centre), then level loops
// resampled to equally spaced points and lightly smoothed, each started
// where the same upward ray from the centre meets it, and last a small copy
// of the deepest level loop. False when a level set splits or the ray misses.
[[nodiscard]] bool BuildDistanceLoops(const DistanceField& field, const DistanceLoopOptions& options,
                                      std::vector<PolygonD>& loops);

}  // namespace quorvel
