// Smooth loops: the rim as drawn, the inside smooth, the core small.
#include "shapebuild/smooth_loops.h"

#include <gtest/gtest.h>

#include <cmath>

namespace quorvel {
namespace {

// Sum of the absolute turning angles at the vertices: 2 pi for a convex
// loop, much more for one that zigzags.
double TotalTurning(const PolygonD& loop) {
  double total = 0.0;
  const std::size_t n = loop.size();
  for (std::size_t k = 0; k < n; ++k) {
    const ShapePointD &a = loop[(k + n - 1) % n], &b = loop[k], &c = loop[(k + 1) % n];
    const double turn = std::atan2((b.x - a.x) * (c.y - b.y) - (b.y - a.y) * (c.x - b.x),
                                   (b.x - a.x) * (c.x - b.x) + (b.y - a.y) * (c.y - b.y));
    total += std::fabs(turn);
  }
  return total;
}

TEST(SmoothLoops, AJaggedBorderFadesInwardsAndTheCoreIsSmall) {
  PolygonD outer;  // clockwise, as the methods see it; zigzags at two scales
  for (int i = 0; i < 720; ++i) {
    const double t = -2 * M_PI * i / 720;
    const double r = 110 + 8 * std::sin(3 * t) + (i % 2 ? 4.0 : -4.0) + 3 * std::sin(47 * t);
    outer.push_back({r * std::cos(t), r * std::sin(t)});
  }
  std::vector<PolygonD> loops;
  ASSERT_TRUE(BuildSmoothLoops(outer, {0, 0}, SmoothLoopOptions{}, loops));
  ASSERT_EQ(loops.size(), std::size_t(SmoothLoopOptions{}.loops));
  EXPECT_GE(loops.front().size(), outer.size());  // as drawn, started on the ray below the centre
  const double rim = TotalTurning(loops.front()), second = TotalTurning(loops[1]);
  const double middle = TotalTurning(loops[loops.size() / 2]);
  EXPECT_GT(rim, 40 * M_PI);
  EXPECT_LT(second, rim / 2);              // the finest zigzag is gone at once
  EXPECT_LT(middle, 2 * M_PI * 1.05);      // and the middle loop is convex
  EXPECT_LT(std::fabs(SignedArea(loops.back())), 0.01 * std::fabs(SignedArea(outer)));
  // Started straight below the centre, as the bundled shapes are.
  for (const PolygonD& loop : loops) EXPECT_NEAR(loop.front().x, 0.0, 2.0);
}

}  // namespace
}  // namespace quorvel
