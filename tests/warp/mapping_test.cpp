#include <gtest/gtest.h>

#include <cmath>

#include "warp/mapping.h"

namespace quorvel {
namespace {

Pixel Make(int b, int g, int r, int a) {
  return static_cast<Pixel>(b) | static_cast<Pixel>(g) << 8 | static_cast<Pixel>(r) << 16 |
         static_cast<Pixel>(a) << 24;
}

// An S x S engine whose src pixel (x, row) encodes its own position.
TWarpEngine Engine(int side) {
  TWarpEngine engine;
  PixelBlock square;
  AllocBlock(square, side, side);
  for (int row = 0; row < side; ++row)
    for (int x = 0; x < side; ++x) square[row * side + x] = Make(x, row, 7, 255);
  PrepareWarp(engine, side, square.data());
  return engine;
}

Pixel Dest(const TWarpEngine& e, int x, int row) { return e.dest[row * e.width + x]; }
Pixel Src(const TWarpEngine& e, int x, int row) { return e.src[row * e.width + x]; }

TEST(PrepareWarp, CopiesTheSquareAndFillsDestWithBackground) {
  TWarpEngine e = Engine(6);
  EXPECT_EQ(e.width, 6);
  EXPECT_EQ(e.height, 6);
  EXPECT_EQ(e.bytes_per_pixel, 4);
  for (Pixel p : e.dest) ASSERT_EQ(p, 0x00FFFFFFu);
  EXPECT_EQ(Src(e, 5, 2), Make(5, 2, 7, 255));
}

TEST(SampleBilinear, CopiesWholePixelsAndFlipsTheDestinationRow) {
  TWarpEngine e = Engine(10);
  SampleBilinear(e, 3, 4, 3, 4);
  EXPECT_EQ(Dest(e, 3, 5), Src(e, 3, 4));
  // 9.6 rounds to 10 and is clamped into the last column.
  SampleBilinear(e, 2, 2, 9.6f, 0);
  EXPECT_EQ(Dest(e, 9, 9), Src(e, 2, 2));
  // A source x of exactly width - 1 moves the block inwards with fx = 0.
  SampleBilinear(e, 9, 1, 0, 0);
  EXPECT_EQ(Dest(e, 0, 9), Src(e, 8, 1));
}

TEST(SampleBilinear, TruncatesTheWeightedSum) {
  TWarpEngine e = Engine(4);
  e.src[0] = Make(100, 0, 0, 255);
  e.src[1] = Make(201, 0, 0, 255);
  SampleBilinear(e, 0.5f, 0, 1, 3);  // between 100 and 201
  EXPECT_EQ(Dest(e, 1, 0) & 0xFF, 150u);
  SampleBilinear(e, 1.5f, 0, 0, 3);  // between 201 and column 2's 2
  EXPECT_EQ(Dest(e, 0, 0) & 0xFF, 101u);
}

TEST(SampleBilinear, NothingOutsideTheRasterIsTouched) {
  TWarpEngine e = Engine(8);
  // A hair below zero truncates to index 0 and is computed normally.
  SampleBilinear(e, -1e-6f, -1e-6f, -0.4f, -0.4f);
  EXPECT_EQ(Dest(e, 0, 7), Src(e, 0, 0));
  // Well below zero is dropped, for source and destination alike.
  const PixelBlock before = e.dest;
  SampleBilinear(e, -1.5f, 2, 3, 3);
  SampleBilinear(e, 2, -1.0f, 3, 3);
  SampleBilinear(e, 2, 2, -1.6f, 3);
  SampleBilinear(e, 2, 2, 3, -2.0f);
  SampleBilinear(e, std::nanf(""), 2, 3, 3);
  EXPECT_EQ(e.dest, before);
  // Far beyond the far edges is clamped from above.
  SampleBilinear(e, 1e9f, 1e9f, 1e9f, 1e9f);
  EXPECT_EQ(Dest(e, 7, 0), Src(e, 6, 6));
}

TEST(SampleBilinear, OnePixelRasterIsLeftAlone) {
  TWarpEngine e = Engine(1);
  SampleBilinear(e, 0, 0, 0, 0);
  EXPECT_EQ(e.dest[0], 0x00FFFFFFu);
}

TEST(SquareToDisk, CornersStayBackgroundAndTheDiskIsFilled) {
  TWarpEngine e = Engine(100);
  SquareToDisk(e);
  for (Pixel p : e.dest) ASSERT_EQ(p, 0x00FFFFFFu);
  for (auto [x, row] : {std::pair{0, 0}, {99, 0}, {0, 99}, {99, 99}, {3, 3}, {96, 95}})
    EXPECT_EQ(Src(e, x, row), 0x00FFFFFFu) << x << "," << row;
  for (int row = 2; row < 98; ++row) EXPECT_NE(Src(e, 50, row), 0x00FFFFFFu) << row;
  for (int x = 2; x < 98; ++x) EXPECT_NE(Src(e, x, 50), 0x00FFFFFFu) << x;
}

TEST(SquareToDisk, AtSideFourTheRoundingReachesTheLastColumn) {
  // The zero chords at c = -R and c = R are skipped, yet the +0.5 rounding of
  // c = 1.5 lands on column 3: only column 0 stays background.
  TWarpEngine e = Engine(4);
  SquareToDisk(e);
  int written_last = 0;
  for (int row = 0; row < 4; ++row) {
    EXPECT_EQ(Src(e, 0, row), 0x00FFFFFFu);
    written_last += Src(e, 3, row) != 0x00FFFFFFu;
  }
  EXPECT_GT(written_last, 0);
}

TEST(SquareToDisk, HorizontalSqueezesRowsInsteadOfColumns) {
  TWarpEngine v = Engine(40);
  TWarpEngine h = Engine(40);
  h.direction = 1;
  SquareToDisk(v);
  SquareToDisk(h);
  // Vertical keeps each column's source column (blue); horizontal keeps
  // each row's source row (green).
  EXPECT_EQ(Src(v, 10, 20) & 0xFF, 10u);
  EXPECT_EQ((Src(h, 20, 29) >> 8) & 0xFF, 10u);
}

TEST(SelectAssistPolyline, AngleTurnsTheListAndThetaWalksIt) {
  const PolylineList list(100);
  EXPECT_EQ(SelectAssistPolyline(list, 0, 0.0f), 0);
  EXPECT_EQ(SelectAssistPolyline(list, 0, 3.1415927f), 50);
  EXPECT_EQ(SelectAssistPolyline(list, 90, 0.0f), 75);
  EXPECT_EQ(SelectAssistPolyline(list, 360, 0.0f), 0);
  EXPECT_EQ(SelectAssistPolyline(list, 360, 3.1415927f), 50);
  EXPECT_EQ(SelectAssistPolyline(list, 0, 6.2831855f), 0);  // 2 pi wraps
  EXPECT_EQ(SelectAssistPolyline(list, 1, 0.0f), 99);
}

TEST(RayEnd, PointsAlongRowsAtZeroAndColumnsAtHalfPi) {
  TPointF p = RayEnd(10, 0);
  EXPECT_EQ(p.x, 0.0f);
  EXPECT_EQ(p.y, 10.0f);
  p = RayEnd(10, 1.5707964f);
  EXPECT_EQ(p.x, 10.0f);
  EXPECT_EQ(p.y, 0.0f);
  for (float theta : {0.3f, 2.0f, 3.1415927f, 4.0f, 4.712389f, 5.5f, 6.2831855f}) {
    p = RayEnd(10, theta);
    EXPECT_NEAR(p.x, 10 * std::sin(theta), 2e-5) << theta;
    EXPECT_NEAR(p.y, 10 * std::cos(theta), 2e-5) << theta;
  }
}

TEST(RayAngles, SideHundredSweepsSixHundredThirtyRays) {
  const std::vector<float> angles = RayAngles(50.0f);
  ASSERT_EQ(angles.size(), 630u);
  EXPECT_EQ(angles.front(), 0.0f);
  EXPECT_LE(angles[628], 6.2831855f);
  EXPECT_GT(angles[629], 6.2831855f);
}

}  // namespace
}  // namespace quorvel
