// Disk-map loops: they reach into serifs, keep inside the rim and warp
// cleanly where level sets of one function do not.
#include "shapebuild/disk_map_loops.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "shapebuild/warp_quality.h"
#include "tests/support/shape_test_support.h"

namespace quorvel {
namespace {

// A serif I: a stem with a wide foot and head, positively oriented.
PolygonD SerifI() {
  PolygonD i = {{-66.5, -144}, {66.5, -144}, {66.5, -122}, {20, -122}, {20, 122}, {66.5, 122},
                {66.5, 144},   {-66.5, 144}, {-66.5, 122}, {-20, 122}, {-20, -122}, {-66.5, -122}};
  if (SignedArea(i) < 0) std::reverse(i.begin(), i.end());
  return i;
}

TEST(DiskMapLoops, ASerifIBuildsNestedInsideItsRimAndWarpsCleanly) {
  const PolygonD outer = SerifI();
  std::vector<PolygonD> loops;
  ASSERT_TRUE(BuildDiskMapLoops(outer, {}, DiskMapLoopOptions{}, loops));
  ASSERT_GE(loops.size(), 10u);
  EXPECT_LE(loops.size(), std::size_t(DiskMapLoopOptions{}.max_loops));
  // Every inner loop keeps inside the one outside it (touching it at most
  // where a hollow corner pinches them together), the first one too: a
  // loop drawn out to the grid nodes beyond the rim paints outside it.
  for (std::size_t k = 1; k < loops.size(); ++k)
    for (const ShapePointD& p : loops[k])
      ASSERT_TRUE(PointInPolygon(loops[k - 1], p) || DistanceToPolygon(loops[k - 1], p) < 0.02)
          << k << ": " << p.x << ", " << p.y;
  // The loops reach into the serifs: the second one spans most of the foot.
  double left = 0.0, right = 0.0;
  for (const ShapePointD& p : loops[1]) left = std::min(left, p.x), right = std::max(right, p.x);
  EXPECT_LT(left, -60.0);
  EXPECT_GT(right, 60.0);
  EXPECT_LT(std::fabs(SignedArea(loops.back())), 0.005 * std::fabs(SignedArea(outer)));
  // Started straight below the middle, on the I's axis, every one of them.
  EXPECT_NEAR(loops[0].front().x, 0.0, 1e-9);
  EXPECT_NEAR(loops[0].front().y, -144.0, 1e-9);
  for (const PolygonD& loop : loops) EXPECT_NEAR(loop.front().x, 0.0, 1.0);
  const WarpQuality q = MeasureWarpQuality(testing::AsFloat(loops));
  EXPECT_TRUE(q.Acceptable()) << q.reach << " " << q.fold << " " << q.spill;
}

// A ring: the hole is the last loop, as given; every loop between keeps
// inside the rim and outside the hole, and the warp is clean.
TEST(DiskMapLoops, ARingEndsOnItsHole) {
  PolygonD outer = {{-100, -130}, {100, -130}, {100, 130}, {-100, 130}};
  PolygonD hole = {{-40, -20}, {40, -20}, {40, 90}, {-40, 90}};
  for (PolygonD* p : {&outer, &hole})
    if (SignedArea(*p) < 0) std::reverse(p->begin(), p->end());
  std::vector<PolygonD> loops;
  ASSERT_TRUE(BuildDiskMapLoops(outer, hole, DiskMapLoopOptions{}, loops));
  ASSERT_GE(loops.size(), 5u);
  EXPECT_NEAR(std::fabs(SignedArea(loops.back())), std::fabs(SignedArea(hole)), 1e-9);
  EXPECT_NEAR(loops.back().front().x, 0.0, 1e-9);  // started below its middle
  EXPECT_NEAR(loops.back().front().y, -20.0, 1e-9);
  for (std::size_t k = 1; k + 1 < loops.size(); ++k)
    for (const ShapePointD& p : loops[k]) {
      ASSERT_TRUE(PointInPolygon(outer, p)) << k;
      ASSERT_FALSE(PointInPolygon(hole, p)) << k;
    }
  const WarpQuality q = MeasureWarpQuality(testing::AsFloat(loops));
  EXPECT_TRUE(q.Acceptable()) << q.reach << " " << q.fold << " " << q.spill;
}

}  // namespace
}  // namespace quorvel
