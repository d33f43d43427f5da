// Loops relaxed as the rows of one mesh.
#include "shapebuild/mesh_loops.h"

#include <gtest/gtest.h>

#include <cmath>

#include "shapebuild/distance_loops.h"

namespace quorvel {
namespace {

PolygonD Square(double half) { return {{-half, -half}, {half, -half}, {half, half}, {-half, half}}; }

// Every row keeps point i at the outer loop's length fraction of point i,
// which is what lets each assist path run through it; the smoothed rows
// stay clear of the boundary, and the rim and the innermost loop keep
// their shape.
TEST(RelaxLoopMesh, RowsShareTheOuterFractionsAndStayInside) {
  const PolygonD outer = Square(100.0);
  std::vector<PolygonD> loops;
  for (const double s : {1.0, 0.8, 0.6, 0.4, 0.2, 0.05}) loops.push_back(Square(100.0 * s));
  DistanceField field;
  MeasureDistance(outer, 201, field);
  MeshRelaxOptions options;
  options.columns = 400;
  options.distance = &field.grid;
  ASSERT_TRUE(RelaxLoopMesh(options, loops));
  ASSERT_EQ(loops.size(), 6u);

  const std::size_t n = loops.front().size();
  ASSERT_GE(n, 400u);
  const std::vector<double> rim = CumulativeLengths(loops.front());
  for (const PolygonD& row : loops) {
    ASSERT_EQ(row.size(), n);
    const std::vector<double> at = CumulativeLengths(row);
    for (std::size_t i = 0; i < n; i += 7) EXPECT_NEAR(at[i] / at.back(), rim[i] / rim.back(), 2e-3);
  }
  EXPECT_NEAR(rim.back(), 800.0, 1e-9);
  EXPECT_NEAR(std::fabs(SignedArea(loops.back())), 100.0, 1e-6);
  // The corners of the middle rows are rounded, yet they keep inside.
  for (std::size_t k = 1; k + 1 < loops.size(); ++k) {
    for (const ShapePointD& p : loops[k]) EXPECT_TRUE(PointInPolygon(loops[k - 1], p));
  }
  double corner = 0.0;  // of the row that started as the square of half side 60
  for (const ShapePointD& p : loops[2]) corner = std::max(corner, std::fabs(p.x) + std::fabs(p.y));
  EXPECT_LT(corner, 0.95 * 120.0);
  std::vector<PolygonD> two{outer, Square(10.0)};
  EXPECT_FALSE(RelaxLoopMesh(options, two));
}

}  // namespace
}  // namespace quorvel
