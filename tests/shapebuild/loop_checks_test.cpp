// What makes shape loops usable: nesting, orientation, crossing assist polylines.
#include "shapebuild/loop_checks.h"

#include <gtest/gtest.h>

#include <cmath>

#include "warp/assist.h"
#include "warp/polyline.h"

namespace quorvel {
namespace {

// A regular polygon of n corners and radius r about (cx, cy), turned by
// phase radians, clockwise on screen (y down) from the top when phase is 0.
std::vector<TPointF> Regular(int n, double r, double phase, double cx = 0.0, double cy = 0.0) {
  std::vector<TPointF> loop;
  for (int k = 0; k < n; ++k) {
    const double a = phase + 2.0 * M_PI * k / n;
    loop.push_back({static_cast<float>(cx + r * std::sin(a)), static_cast<float>(cy - r * std::cos(a))});
  }
  return loop;
}

double Orient(const TSegment& s, float x, float y) {
  return (double{s.x2} - double{s.x1}) * (double{y} - double{s.y1}) -
         (double{s.y2} - double{s.y1}) * (double{x} - double{s.x1});
}

// Every pair of segments of different assist polylines, as the engine
// generates them (with one_band, only pairs between the same two loops);
// the plain count the checker's sweep must match.
std::size_t CrossingsByAllPairs(const std::vector<std::vector<TPointF>>& loops, std::int32_t side = 300,
                                bool one_band = false) {
  PolylineList shape, guides, assist;
  for (const auto& loop : loops) {
    TPolyline p;
    for (std::size_t k = 0; k < loop.size(); ++k) {
      const TPointF a = loop[k], b = loop[(k + 1) % loop.size()];
      p.segments.push_back(TSegment{a.x, a.y, b.x, b.y});
    }
    shape.push_back(p);
  }
  ScalePolylines(guides, shape, side);
  GenerateAssistPolyline_Dis(guides, assist);
  const std::size_t last = assist.size() - 1;
  std::size_t count = 0;
  for (std::size_t i = 0; i < assist.size(); ++i)
    for (std::size_t j = i + 1; j < assist.size(); ++j) {
      if (i == 0 && j == last) continue;
      for (std::size_t a = 0; a + 1 < assist[i].segments.size(); ++a)
        for (std::size_t b = 0; b + 1 < assist[j].segments.size(); ++b) {
          if (one_band && a != b) continue;
          const TSegment& s = assist[i].segments[a];
          const TSegment& t = assist[j].segments[b];
          const double d1 = Orient(s, t.x1, t.y1), d2 = Orient(s, t.x2, t.y2);
          const double d3 = Orient(t, s.x1, s.y1), d4 = Orient(t, s.x2, s.y2);
          if (((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0))) ++count;
        }
    }
  return count;
}

TEST(CheckShapeLoops, ScaledCopiesWithMatchingStartsAreUsable) {
  const std::vector<std::vector<TPointF>> loops{Regular(7, 140, 0), Regular(7, 70, 0), Regular(7, 10, 0)};
  const LoopCheckReport r = CheckShapeLoops(loops);
  EXPECT_TRUE(r.nested);
  EXPECT_TRUE(r.same_orientation);
  EXPECT_EQ(r.assist_crossings, 0u);
  EXPECT_GT(r.assist_count, 1000u);
  EXPECT_TRUE(r.Usable());
}

// Start points out of correspondence twist the assist polylines around
// the middle. Crossings between the same two loops are looked for first
// and, when there are any, they are the count: exactly the pairs the plain
// count finds there, up to the limit where it stops counting.
TEST(CheckShapeLoops, CrossingCountMatchesTheAllPairsCount) {
  const std::vector<std::vector<TPointF>> twisted{Regular(6, 140, 0), Regular(6, 60, 0.7), Regular(6, 8, 0.3)};
  const LoopCheckReport r = CheckShapeLoops(twisted, 60);
  EXPECT_TRUE(r.nested);
  EXPECT_GT(r.assist_crossings, 0u);
  EXPECT_EQ(r.assist_crossings, CrossingsByAllPairs(twisted, 60, true));
  EXPECT_LE(r.assist_crossings, CrossingsByAllPairs(twisted, 60));
  EXPECT_FALSE(r.Usable());
  ASSERT_FALSE(r.first_crossings.empty());
  EXPECT_LE(r.first_crossings.size(), 8u);
  const std::vector<std::vector<TPointF>> wrung{Regular(6, 140, 0), Regular(6, 60, 2.2), Regular(6, 8, 0.3)};
  const LoopCheckReport many = CheckShapeLoops(wrung);
  EXPECT_GE(many.assist_crossings, kCrossingLimit);
  EXPECT_LT(many.assist_crossings, CrossingsByAllPairs(wrung));
  EXPECT_FALSE(many.Usable());
  // Off-centre inner loops bend the fan without twisting it.
  const std::vector<std::vector<TPointF>> bent{Regular(40, 140, 0), Regular(40, 50, 0, 60, 20),
                                               Regular(40, 5, 0, 70, 30)};
  EXPECT_EQ(CheckShapeLoops(bent).assist_crossings, CrossingsByAllPairs(bent));
}

TEST(CheckShapeLoops, LoopsThatLeaveTheOneBeforeOrTurnTheOtherWayAreNotUsable) {
  const LoopCheckReport out = CheckShapeLoops({Regular(5, 100, 0), Regular(5, 60, 0, 60, 0)});
  EXPECT_FALSE(out.nested);
  EXPECT_FALSE(out.Usable());
  std::vector<TPointF> reversed = Regular(5, 50, 0);
  std::reverse(reversed.begin() + 1, reversed.end());
  const LoopCheckReport turned = CheckShapeLoops({Regular(5, 100, 0), reversed});
  EXPECT_TRUE(turned.nested);
  EXPECT_FALSE(turned.same_orientation);
  EXPECT_FALSE(turned.Usable());
}

}  // namespace
}  // namespace quorvel
