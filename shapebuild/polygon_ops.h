// Plain geometry on closed polygons given as point lists (the closing edge
// from the last point back to the first is implied). y grows downwards, so a
// positive signed area means clockwise on screen.
#pragma once

#include <cstddef>
#include <vector>

#include "shapebuild/shape_writer.h"

namespace quorvel {

using PolygonD = std::vector<ShapePointD>;

// The index after i on a closed loop of n points, and that point.
inline std::size_t NextIndex(std::size_t i, std::size_t n) { return i + 1 == n ? 0 : i + 1; }
inline const ShapePointD& Next(const PolygonD& poly, std::size_t i) { return poly[NextIndex(i, poly.size())]; }

// Length along poly from its first point to each point, and the whole
// length (with the closing edge) last: poly.size() + 1 values.
std::vector<double> CumulativeLengths(const PolygonD& poly);

double SignedArea(const PolygonD& poly);
ShapePointD AreaCentroid(const PolygonD& poly);

// Even-odd rule; points on an edge may go either way.
bool PointInPolygon(const PolygonD& poly, ShapePointD p);

double DistanceToSegment(ShapePointD p, ShapePointD a, ShapePointD b);
ShapePointD ClosestOnSegment(ShapePointD p, ShapePointD a, ShapePointD b);
double DistanceToPolygon(const PolygonD& poly, ShapePointD p);

// The point of the outline nearest to p, and the index of the edge it lies on.
struct NearestOnPolygon {
  ShapePointD point;
  std::size_t edge = 0;
  double distance = 0.0;
};
NearestOnPolygon NearestPointOnPolygon(const PolygonD& poly, ShapePointD p);

// The same loop starting at the given point of the given edge (inserted as a
// vertex unless it coincides with one).
PolygonD StartLoopAt(const PolygonD& poly, std::size_t edge, ShapePointD point);

// Douglas-Peucker on a closed loop: no dropped point lies farther than
// tolerance from the kept outline. Consecutive duplicates go too.
PolygonD SimplifyLoop(const PolygonD& poly, double tolerance);

// The region from which every point of a positively oriented polygon is
// seen with at least margin of clearance from each edge's line, as a convex
// polygon; empty when there is none (the outline is not star-shaped).
PolygonD StarKernel(const PolygonD& poly, double margin);

// The first crossing of the ray from origin in direction dir with the
// outline; false when it meets none.
bool RayHit(const PolygonD& poly, ShapePointD origin, ShapePointD dir, ShapePointD& hit,
            std::size_t& edge);

// poly scaled by scale about centre.
PolygonD ScaledAbout(const PolygonD& poly, ShapePointD centre, double scale);

// Whether two closed polygons cross or touch (edges meet).
bool PolygonsMeet(const PolygonD& a, const PolygonD& b);

}  // namespace quorvel
