#include <gtest/gtest.h>

#include "raster/blend.h"

namespace quorvel {
namespace {

Pixel Make(int b, int g, int r, int a) {
  return static_cast<Pixel>(b) | static_cast<Pixel>(g) << 8 | static_cast<Pixel>(r) << 16 |
         static_cast<Pixel>(a) << 24;
}

// The lane trick must agree with the plain per-byte formula on every
// (alpha, source byte, destination byte) triple that matters.
TEST(BlendOver, LanesMatchPerByteFormulaForEveryAlphaAndByte) {
  for (int a = 0; a < 256; ++a) {
    for (int s = 0; s < 256; s += 1) {
      for (int d : {0, 1, 127, 128, 254, 255}) {
        const Pixel out = BlendOver(Make(s, 255 - s, s ^ 0x5A, a), Make(d, d, 255 - d, d));
        const int n = 255 - a;
        ASSERT_EQ(out & 0xFF, static_cast<Pixel>((s * a + d * n) >> 8));
        ASSERT_EQ((out >> 8) & 0xFF, static_cast<Pixel>(((255 - s) * a + d * n) >> 8));
        ASSERT_EQ((out >> 16) & 0xFF, static_cast<Pixel>(((s ^ 0x5A) * a + (255 - d) * n) >> 8));
        ASSERT_EQ(out >> 24, static_cast<Pixel>((a * a + d * n) >> 8));
      }
    }
  }
}

TEST(BlendOver, OpaquePixelComesOutOneStepLower) {
  EXPECT_EQ(BlendOver(Make(48, 32, 16, 255), Make(1, 2, 3, 4)), Make(47, 31, 15, 254));
  EXPECT_EQ(BlendOver(Make(9, 9, 9, 0), PaneBackColor), Make(254, 254, 254, 254));
}

}  // namespace
}  // namespace quorvel
