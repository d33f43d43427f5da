// Loops for bent strips with two ends: letters C of several weights, a
// crescent, and a shape with no ends.
#include "shapebuild/strip_loops.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "shapebuild/loop_checks.h"
#include "tests/support/shape_test_support.h"

namespace quorvel {
namespace {

using testing::AsFloat;
using testing::Crescent;
using testing::LetterC;

TEST(BuildStripLoops, LettersCAndACrescentCloseOnTheMiddleOfTheStrip) {
  struct Case {
    const char* name;
    PolygonD outer;
    double middle_radius;  // of the strip's middle line about the origin
  };
  const Case cases[] = {{"thin C", LetterC(140, 110, 0.5), 125.0},
                        {"thick C", LetterC(140, 95, 0.5), 117.5},
                        {"fat C", LetterC(140, 70, 0.6), 105.0},
                        {"crescent", Crescent(140, 110, 70), 0.0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DistanceField field;
    MeasureDistance(c.outer, 401, field);
    std::vector<PolygonD> loops;
    ASSERT_TRUE(BuildStripLoops(field, {}, loops));
    ASSERT_GT(loops.size(), 20u);
    const LoopCheckReport report = CheckShapeLoops(AsFloat(loops));
    EXPECT_TRUE(report.nested);
    EXPECT_EQ(report.assist_crossings, 0u);
    // The boundary comes first, as drawn up to a light smoothing.
    for (const ShapePointD& p : loops.front()) EXPECT_LT(DistanceToPolygon(c.outer, p), 0.5);
    // The ends are found one each side of the x axis, so the loops close
    // in on the strip's middle, on the axis, far from either end.
    const PolygonD& innermost = loops.back();
    EXPECT_LT(std::fabs(SignedArea(innermost)), 0.005 * std::fabs(SignedArea(c.outer)));
    const ShapePointD centre = AreaCentroid(innermost);
    EXPECT_LT(centre.x, 0.0);
    if (c.middle_radius > 0.0) {
      EXPECT_NEAR(centre.y, 0.0, 2.0);
      EXPECT_NEAR(std::hypot(centre.x, centre.y), c.middle_radius, 5.0);
    } else {
      EXPECT_NEAR(centre.y, 0.0, 30.0);  // the horns reach to about 100 either side
    }
  }
}

// The first offset loop keeps a gap from the boundary all round, the ends
// included: the ends only start to move back after it (each later loop
// moves them about 9 units along the strip). Smoothing cuts the square
// corners a little.
TEST(BuildStripLoops, FirstLoopIsAnOffsetOfTheBoundary) {
  const PolygonD outer = LetterC(140, 95, 0.5);
  DistanceField field;
  MeasureDistance(outer, 401, field);
  std::vector<PolygonD> loops;
  ASSERT_TRUE(BuildStripLoops(field, {}, loops));
  double nearest = HUGE_VAL, farthest = 0.0;
  for (const ShapePointD& p : loops[1]) {
    const double d = DistanceToPolygon(outer, p);
    nearest = std::min(nearest, d), farthest = std::max(farthest, d);
  }
  EXPECT_GT(nearest, 0.5);
  EXPECT_LT(farthest, 6.0);
}

// A disk has no two ends to run the strip between.
TEST(BuildStripLoops, ShapeWithoutTwoEndsIsRefused) {
  PolygonD disk;
  for (int i = 0; i < 200; ++i)
    disk.push_back({120 * std::cos(2 * M_PI * i / 200), 120 * std::sin(2 * M_PI * i / 200)});
  DistanceField field;
  MeasureDistance(disk, 401, field);
  std::vector<PolygonD> loops;
  EXPECT_FALSE(BuildStripLoops(field, {}, loops));
  EXPECT_TRUE(loops.empty());
}

}  // namespace
}  // namespace quorvel
