// A harmonic function on a grid over the polyline frame: 0 on the outer
// boundary, 1 on an inner core (a small disk, or a ring's hole). Its level
// sets between the two never split, so they make nested loops.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "shapebuild/iso_contours.h"
#include "shapebuild/polygon_ops.h"

namespace quorvel {

struct HarmonicGrid {
  std::int32_t n = 0;     // nodes per side
  double origin = 0.0;    // node (i, j) lies at (origin + i * step, origin + j * step)
  double step = 0.0;
  SampledField phi;       // n x n values
  std::vector<char> free; // 1 where the value was solved for, 0 where it was fixed

  ShapePointD NodePoint(double i, double j) const { return {origin + i * step, origin + j * step}; }
  // Bilinear value and its gradient at a frame point; 0 outside the grid.
  double ValueAt(ShapePointD p) const;
  ShapePointD GradientAt(ShapePointD p) const;
};

struct HarmonicCore {
  const PolygonD* hole = nullptr;  // a ring's hole: value 1 inside it
  const std::vector<char>* nodes = nullptr;  // or these grid nodes (n x n)
  ShapePointD centre;              // otherwise a disk of this centre and radius
  double radius = 0.0;
};

// Grid geometry over the frame: n nodes per side.
void PlaceGrid(std::int32_t n, HarmonicGrid& grid);
// Marks the grid nodes inside poly (even-odd), and those nearer than
// clearance to one of its edges.
void MarkInside(const PolygonD& poly, const HarmonicGrid& grid, std::vector<char>& inside);
void MarkNear(const PolygonD& poly, const HarmonicGrid& grid, double clearance, std::vector<char>& near);

// The single closed line where field (sampled at grid's nodes) crosses
// level, in the frame, simplified to tolerance and positively oriented;
// false when the level set is missing or split in parts.
[[nodiscard]] bool LevelLoop(const SampledField& field, const HarmonicGrid& grid, double level,
                             double tolerance, PolygonD& loop);

// Nodes nearer than clearance to the outer boundary are fixed at 0 (and
// nearer than clearance to a hole at 1), so every level above 0 lies inside
// the outline. False when no node is left to solve for or the solve fails.
[[nodiscard]] bool SolveHarmonic(const PolygonD& outer, const HarmonicCore& core, std::int32_t n,
                                 double clearance, HarmonicGrid& grid);

// Level spacing from a field's gradient: the rates gathered in each band of
// value, reduced to their low (10th) percentile, which stands for the band's
// widest gap. A band with none takes the one before it (the last ones the
// one after).
std::vector<double> BandRates(std::vector<std::vector<double>>& rates);

// Levels from choose(spacing, cap), which stops after cap levels, the
// spacing refitted until there are wanted of them (when wanted > 0) and at
// most budget. False when choose finds none or no spacing in reach gets
// there: a field nearly flat somewhere would ask for thousands of loops.
using ChooseLevelsFn = std::function<std::vector<double>(double spacing, std::size_t cap)>;
[[nodiscard]] bool FitLevelCount(const ChooseLevelsFn& choose, double spacing, std::int32_t wanted,
                                 std::int32_t budget, std::vector<double>& levels);

}  // namespace quorvel
