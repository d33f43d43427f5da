// Thumbnail pixels: blue two-pixel outline on white, rows top-down.
#include "shapes/thumbnail.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

bool IsBlue(const std::vector<std::uint8_t>& px, int x, int y) {
  const std::uint8_t* p = &px[(std::size_t(y) * kThumbnailSide + x) * 4];
  return p[0] == 255 && p[1] == 0 && p[2] == 0 && p[3] == 255;
}
bool IsWhite(const std::vector<std::uint8_t>& px, int x, int y) {
  const std::uint8_t* p = &px[(std::size_t(y) * kThumbnailSide + x) * 4];
  return p[0] == 255 && p[1] == 255 && p[2] == 255 && p[3] == 255;
}

TEST(ThumbnailPixel, DesignUnitsRoundToTwelfths) {
  EXPECT_EQ(ThumbnailPixel(17.9f), 1);
  EXPECT_EQ(ThumbnailPixel(18.0f), 2);
  EXPECT_EQ(ThumbnailPixel(600.0f), 50);
  EXPECT_EQ(ThumbnailPixel(0.0f), 0);
  // Wild coordinates stay far off the surface instead of overflowing.
  EXPECT_EQ(ThumbnailPixel(1e30f), 1000);
  EXPECT_EQ(ThumbnailPixel(-1e30f), -1000);
  EXPECT_EQ(ThumbnailPixel(-12000.0f), -999);
}

TEST(DrawShapeThumbnail, FullSquareOutlineLeavesTheFarEdgesOutside) {
  TWarpEngine engine;
  engine.shapes.resize(2);
  // Pixel corners (0, 0), (50, 0), (50, 50), (0, 50): the edges at 50 lie one
  // beyond the last column and row.
  engine.shapes[1].outline = {{0, 0}, {600, 0}, {600, 600}, {0, 600}};
  TThumbnailSurface surface;
  std::vector<std::uint8_t> px(kThumbnailBytes, 7);
  EXPECT_FALSE(DrawShapeThumbnail(engine, surface, 1, px.data()));  // no surface yet
  EXPECT_EQ(px[0], 7);
  PrepareThumbnailSurface(surface);
  EXPECT_FALSE(DrawShapeThumbnail(engine, surface, 1, nullptr));
  ASSERT_TRUE(DrawShapeThumbnail(engine, surface, 3, px.data()));  // 3 mod 2 = shape 1
  for (int k = 0; k < 50; ++k) {
    EXPECT_TRUE(IsBlue(px, k, 0) && IsBlue(px, k, 1)) << k;  // top edge, two rows
    EXPECT_TRUE(IsBlue(px, 0, k) && IsBlue(px, 1, k)) << k;  // left edge, two columns
  }
  // The right and bottom edges lie outside; only the top and left edges
  // reach the last column and row.
  for (int k = 2; k < 50; ++k) EXPECT_TRUE(IsWhite(px, 49, k) && IsWhite(px, k, 49)) << k;
  EXPECT_TRUE(IsWhite(px, 25, 25));
  EXPECT_TRUE(IsWhite(px, 2, 2));

  // An empty outline is plain white; a shape list without entries draws nothing.
  ASSERT_TRUE(DrawShapeThumbnail(engine, surface, 0, px.data()));
  for (int k = 0; k < 50; ++k) EXPECT_TRUE(IsWhite(px, k, k));
  engine.shapes.clear();
  EXPECT_FALSE(DrawShapeThumbnail(engine, surface, 0, px.data()));
}

TEST(DrawShapeThumbnail, EndsRoundToTwelfthsOfADesignUnit) {
  TWarpEngine engine;
  engine.shapes.resize(1);
  // A vertical edge at x 17.9 lands on column 1, one at x 18.0 on column 2.
  engine.shapes[0].outline = {{17.9f, 120}, {17.9f, 480}};
  TThumbnailSurface surface;
  PrepareThumbnailSurface(surface);
  std::vector<std::uint8_t> px(kThumbnailBytes);
  ASSERT_TRUE(DrawShapeThumbnail(engine, surface, 0, px.data()));
  EXPECT_TRUE(IsWhite(px, 0, 25));
  EXPECT_TRUE(IsBlue(px, 1, 25) && IsBlue(px, 2, 25));
  EXPECT_TRUE(IsWhite(px, 3, 25));
  engine.shapes[0].outline = {{18.0f, 120}, {18.0f, 480}};
  ASSERT_TRUE(DrawShapeThumbnail(engine, surface, 0, px.data()));
  EXPECT_TRUE(IsWhite(px, 1, 25));
  EXPECT_TRUE(IsBlue(px, 2, 25) && IsBlue(px, 3, 25));
}

TEST(DrawShapeThumbnail, TopRowOfTheBufferIsTheTopOfTheDesign) {
  TWarpEngine engine;
  engine.shapes.resize(1);
  // A short horizontal edge near the top: design y 60 -> pixel 5.
  engine.shapes[0].outline = {{120, 60}, {480, 60}};
  TThumbnailSurface surface;
  PrepareThumbnailSurface(surface);
  std::vector<std::uint8_t> px(kThumbnailBytes);
  ASSERT_TRUE(DrawShapeThumbnail(engine, surface, 0, px.data()));
  EXPECT_TRUE(IsBlue(px, 20, 5));
  EXPECT_TRUE(IsBlue(px, 20, 6));
  EXPECT_TRUE(IsWhite(px, 20, 4));
  EXPECT_TRUE(IsWhite(px, 20, 7));
  EXPECT_TRUE(IsWhite(px, 20, 44));
}

}  // namespace
}  // namespace quorvel
