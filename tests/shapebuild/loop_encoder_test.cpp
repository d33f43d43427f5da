#include "shapebuild/loop_encoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>

#include "shapes/shape_file_layout.h"

namespace quorvel {
namespace {

// The smallest distance any int16 delta reaches from previous.
double BestReachable(float previous, double target) {
  double best = std::numeric_limits<double>::infinity();
  for (std::int32_t d = -32768; d <= 32767; ++d)
    best = std::min(best, std::fabs(double(DecodeShapeStep(previous, static_cast<std::int16_t>(d))) - target));
  return best;
}

TEST(NearestShapeDelta, MatchesExhaustiveSearch) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> coord(-150.0, 150.0);
  std::uniform_real_distribution<double> step(-3.5, 3.5);
  for (int i = 0; i < 150; ++i) {
    const auto previous = static_cast<float>(coord(rng));
    const double target = double(previous) + step(rng);
    const std::int16_t d = NearestShapeDelta(previous, target);
    EXPECT_EQ(std::fabs(double(DecodeShapeStep(previous, d)) - target), BestReachable(previous, target))
        << "previous " << previous << " target " << target;
  }
}

TEST(EncodeShapeLoop, LongStepIsSplitOnTheStraightSegment) {
  const std::vector<ShapePointD> points{{-100.0, -50.0}, {100.0, 50.0}, {100.0, 52.0}};
  ShapeFileBlock block;
  ASSERT_TRUE(EncodeShapeLoop(points, block));
  const std::vector<TPointF> decoded = DecodeShapeBlock(block);
  // 200 units in pieces of at most 3: 67 pieces, then the short last step.
  ASSERT_EQ(decoded.size(), 1u + 67u + 1u);
  for (std::size_t k = 1; k < decoded.size(); ++k) {
    EXPECT_LE(std::fabs(decoded[k].x - decoded[k - 1].x), 3.2767 + 1e-4);
    if (k < 68) {
      EXPECT_NEAR(decoded[k].y, double(decoded[k].x) / 2.0, 1e-4) << k;  // on the line y = x / 2
    }
  }
  EXPECT_EQ(decoded[67].x, 100.0f);
  EXPECT_EQ(decoded[67].y, 50.0f);
  EXPECT_EQ(decoded[68].y, 52.0f);
}

TEST(EncodeShapeLoop, StepAtTheInt16LimitIsNotSplit) {
  // As text, -146.623291 lies a hair beyond the float the largest delta
  // decodes to; that float is still the nearest one, so no split is due.
  const float ax = -149.9f, ay = 149.9f;
  const float bx = DecodeShapeStep(ax, 32767), by = DecodeShapeStep(ay, -32768);
  char text[64];
  std::snprintf(text, sizeof text, "%.9g %.9g", double(bx), double(by));
  double tx = 0, ty = 0;
  ASSERT_EQ(std::sscanf(text, "%lf %lf", &tx, &ty), 2);
  ASSERT_GT(tx, bx);
  for (const ShapePointD target : {ShapePointD{bx, by}, ShapePointD{tx, ty}}) {
    ShapeFileBlock block;
    ASSERT_TRUE(EncodeShapeLoop(std::vector<ShapePointD>{{ax, ay}, target}, block));
    ASSERT_EQ(block.deltas.size(), 2u);
    EXPECT_EQ(block.deltas[1].dx, 32767);
    EXPECT_EQ(block.deltas[1].dy, -32768);
  }
}

TEST(EncodeShapeLoop, RefusesUnusableCoordinatesAndLeavesBlock) {
  ShapeFileBlock block{1.0f, 2.0f, {{3, 4}}};
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_FALSE(EncodeShapeLoop(std::vector<ShapePointD>{{0, 0}, {nan, 0}}, block));
  EXPECT_FALSE(EncodeShapeLoop(std::vector<ShapePointD>{{0, kMaxLoopCoordinate * 2}}, block));
  EXPECT_EQ(block.start_x, 1.0f);
  ASSERT_EQ(block.deltas.size(), 1u);
  EXPECT_TRUE(EncodeShapeLoop(std::vector<ShapePointD>{}, block));
  EXPECT_TRUE(block.deltas.empty());
}

}  // namespace
}  // namespace quorvel
