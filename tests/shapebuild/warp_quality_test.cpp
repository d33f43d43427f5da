// The test warp that decides whether crossing loops are still good.
#include "shapebuild/warp_quality.h"

#include <gtest/gtest.h>

#include <cmath>

#include "shapebuild/loop_checks.h"

namespace quorvel {
namespace {

// count loops scaled about the origin from outer (radius r(theta)), the
// innermost at scale 0.02, each turned by twist(k) radians.
std::vector<std::vector<TPointF>> Loops(double (*r)(double), int count, double (*twist)(int)) {
  std::vector<std::vector<TPointF>> loops;
  for (int k = 0; k < count; ++k) {
    const double s = 1.0 - k * 0.98 / (count - 1);
    std::vector<TPointF> loop;
    for (int i = 0; i < 600; ++i) {
      const double t = 2 * M_PI * i / 600, a = t + twist(k);
      loop.push_back({float(s * r(t) * std::sin(a)), float(-s * r(t) * std::cos(a))});
    }
    loops.push_back(loop);
  }
  return loops;
}

double Round(double) { return 120.0; }
// Deep narrow notches: the scaled copies' assist polylines cross in them.
double Notched(double t) { return 120.0 - 25.0 * std::pow(std::fabs(std::sin(12 * t)), 30.0) + 3.0 * std::sin(90 * t); }
double None(int) { return 0.0; }
// Every other loop turned a third of the way round: the mapping folds.
double Twisted(int k) { return k % 2 ? 2.0 : 0.0; }

TEST(WarpQuality, CleanCrossingButGoodAndCrossingAndBad) {
  const auto clean = Loops(Round, 8, None);
  EXPECT_TRUE(CheckShapeLoops(clean).Usable());
  const WarpQuality q_clean = MeasureWarpQuality(clean);
  EXPECT_TRUE(q_clean.Acceptable());
  EXPECT_GT(q_clean.reach, 0.999);
  EXPECT_EQ(q_clean.fold, 0.0);

  // A few pairs of neighbouring points swapped on one loop: tiny bow ties
  // that neighbouring assist polylines cross in, and that nobody would see.
  auto notched = Loops(Notched, 8, None);
  for (std::size_t i = 10; i + 1 < notched[3].size(); i += 100) std::swap(notched[3][i], notched[3][i + 1]);
  const LoopCheckReport notched_check = CheckShapeLoops(notched);
  ASSERT_TRUE(notched_check.nested && notched_check.same_orientation);
  EXPECT_GT(notched_check.assist_crossings, 0u);
  const WarpQuality q_notched = MeasureWarpQuality(notched);
  EXPECT_TRUE(q_notched.Acceptable()) << q_notched.reach << " " << q_notched.fold << " " << q_notched.spill;
  EXPECT_GT(q_notched.fold, 0.0);

  const auto twisted = Loops(Round, 8, Twisted);
  EXPECT_GT(CheckShapeLoops(twisted).assist_crossings, 0u);
  const WarpQuality q_twisted = MeasureWarpQuality(twisted);
  EXPECT_FALSE(q_twisted.Acceptable());
  EXPECT_GT(q_twisted.fold, kMaxFold);
}

}  // namespace
}  // namespace quorvel
