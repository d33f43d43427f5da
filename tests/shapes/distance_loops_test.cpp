// Loops from distance level sets: thin crescents, and where they give up.
#include "shapes/distance_loops.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "shapes/loop_checks.h"

namespace quorvel {
namespace {

// The disk of radius big about the origin less the disk of radius small
// about (offset, 0), centred in the frame, positively oriented.
PolygonD Crescent(double big, double small, double offset) {
  const double xi = (big * big - small * small + offset * offset) / (2 * offset);
  const double yi = std::sqrt(big * big - xi * xi);
  const double outer_from = std::atan2(yi, xi), inner_from = std::atan2(yi, xi - offset);
  PolygonD poly;
  const int n = 200;
  for (int i = 0; i <= n; ++i) {
    const double a = outer_from + (2 * M_PI - 2 * outer_from) * i / n;
    poly.push_back({big * std::cos(a), big * std::sin(a)});
  }
  for (int i = n - 1; i > 0; --i) {
    const double a = inner_from + (2 * M_PI - 2 * inner_from) * i / n;
    poly.push_back({offset + small * std::cos(a), small * std::sin(a)});
  }
  double x0 = 1e9, x1 = -1e9;
  for (const ShapePointD& p : poly) x0 = std::min(x0, p.x), x1 = std::max(x1, p.x);
  for (ShapePointD& p : poly) p.x -= (x0 + x1) / 2;
  if (SignedArea(poly) < 0) std::reverse(poly.begin(), poly.end());
  return poly;
}

std::vector<std::vector<TPointF>> AsFloat(const std::vector<PolygonD>& loops) {
  std::vector<std::vector<TPointF>> out;
  for (const PolygonD& loop : loops) {
    out.emplace_back();
    for (const ShapePointD& p : loop) out.back().push_back({float(p.x), float(p.y)});
  }
  return out;
}

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
