// Loops from distance level sets: thin crescents, and where they give up.
#include "shapebuild/distance_loops.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "shapebuild/loop_checks.h"
#include "tests/support/shape_test_support.h"

namespace quorvel {
namespace {

using testing::AsFloat;
using testing::Crescent;

TEST(BuildDistanceLoops, CrescentsThinAndFatGetUsableLoopsClosingOnASmallInnermostLoop) {
  for (const auto& [big, small, offset] : {std::tuple{140.0, 110.0, 70.0}, {130.0, 100.0, 65.0},
                                           {140.0, 100.0, 110.0}}) {
    SCOPED_TRACE(offset);
    const PolygonD outer = Crescent(big, small, offset);
    DistanceField field;
    MeasureDistance(outer, 401, field);
    DistanceLoopOptions options;
    options.taper = 0.5;
    std::vector<PolygonD> loops;
    ASSERT_TRUE(BuildDistanceLoops(field, options, loops));
    ASSERT_GT(loops.size(), std::size_t(kDefaultDistanceLoops) / 2);
    EXPECT_TRUE(CheckShapeLoops(AsFloat(loops)).Usable());
    // The outline itself comes first, only started elsewhere.
    EXPECT_EQ(loops.front().size(), outer.size() + 1);
    EXPECT_LT(std::fabs(SignedArea(loops.back())), 0.002 * std::fabs(SignedArea(outer)));
    // Every loop starts straight above the centre, so the starts line up.
    for (const PolygonD& loop : loops) {
      EXPECT_NEAR(loop.front().x, loops.back().front().x, 0.5);
      EXPECT_LT(loop.front().y, loops.back().front().y + 0.5);
    }
  }
}

// Two disks joined by a thin neck: the level sets part in two, and no
// single loop can stand for both lobes.
TEST(BuildDistanceLoops, SplittingLevelSetsAreRefused) {
  PolygonD shape;
  for (int i = 0; i < 60; ++i) {
    const double a = -M_PI / 2 + M_PI * i / 59.0;  // right lobe, bottom to top on the right
    shape.push_back({75 + 60 * std::cos(a), 60 * std::sin(a)});
  }
  shape.push_back({15, 5});
  shape.push_back({-15, 5});
  for (int i = 0; i < 60; ++i) {
    const double a = M_PI / 2 + M_PI * i / 59.0;  // left lobe, top to bottom on the left
    shape.push_back({-75 + 60 * std::cos(a), 60 * std::sin(a)});
  }
  shape.push_back({-15, -5});
  shape.push_back({15, -5});
  if (SignedArea(shape) < 0) std::reverse(shape.begin(), shape.end());
  DistanceField field;
  MeasureDistance(shape, 201, field);
  std::vector<PolygonD> loops;
  EXPECT_FALSE(BuildDistanceLoops(field, {}, loops));
  EXPECT_TRUE(loops.empty());
}

}  // namespace
}  // namespace quorvel
