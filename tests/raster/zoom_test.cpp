#include <gtest/gtest.h>

#include <vector>

#include "raster/fixed_point.h"
#include "raster/parallel.h"
#include "raster/pixels.h"
#include "raster/zoom.h"

namespace quorvel {
namespace {

Pixel Make(int b, int g, int r, int a) {
  return static_cast<Pixel>(b) | static_cast<Pixel>(g) << 8 | static_cast<Pixel>(r) << 16 |
         static_cast<Pixel>(a) << 24;
}
int Blue(Pixel p) { return p & 0xFF; }
int Alpha(Pixel p) { return p >> 24; }

std::vector<Pixel> Zoom(const std::vector<Pixel>& src, int sw, int sh, int dw, int dh) {
  std::vector<Pixel> dst(static_cast<std::size_t>(dw) * dh, 0xDEADBEEF);
  EXPECT_TRUE(ZoomPixels(src.data(), sw, sh, dst.data(), dw, dh));
  return dst;
}

TEST(BicubicWeightTable, TellingRowsRoundTheNegativeLobeTowardZero) {
  const std::pair<int, int> rows[] = {{0, 256},   {1, 256},   {64, 228}, {128, 160}, {192, 76},
                                      {255, 1},   {256, 0},   {320, -35}, {332, -37}, {384, -31},
                                      {448, -11}, {511, 0},   {512, 0}};
  for (auto [i, w] : rows) EXPECT_EQ(BicubicWeightTable[i], w) << "entry " << i;
  int minimum = 0;
  for (int i = 0; i <= 512; ++i) minimum = std::min(minimum, BicubicWeightTable[i]);
  EXPECT_EQ(minimum, -37);
  for (int u = 0; u < 256; ++u) {
    const int sum = BicubicWeightTable[256 + u] + BicubicWeightTable[u] +
                    BicubicWeightTable[256 - u] + BicubicWeightTable[512 - u];
    EXPECT_GE(sum, 256);
    EXPECT_LE(sum, 258);
  }
}

TEST(ClampTable, SaturatesBothEnds) {
  EXPECT_EQ(ClampTable[-256], 0);
  EXPECT_EQ(ClampTable[0], 0);
  EXPECT_EQ(ClampTable[1], 1);
  EXPECT_EQ(ClampTable[254], 254);
  EXPECT_EQ(ClampTable[255], 255);
  EXPECT_EQ(ClampTable[511], 255);
}

TEST(ZoomPixels, SameSizeUpTo256CopiesExactly) {
  const int w = 37, h = 256;
  std::vector<Pixel> src(w * h);
  for (int i = 0; i < w * h; ++i) src[i] = Make(i % 251, (i * 7) % 253, (i * 13) % 255, (i * 3) % 256);
  EXPECT_EQ(Zoom(src, w, h, w, h), src);
}

TEST(ZoomPixels, LargeSameSizeDriftsAsTheFractionGrows) {
  // The step of 65537 moves the sample 1/65536 per column; from column 256
  // on the fraction's top byte is non-zero and, further out, changes values.
  const int w = 1100, h = 4;
  std::vector<Pixel> src(w * h);
  for (int i = 0; i < w * h; ++i) src[i] = Make((i * 37) % 256, (i * 11) % 256, i % 256, 255);
  const auto dst = Zoom(src, w, h, w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 1; x < 255; ++x) ASSERT_EQ(dst[y * w + x], src[y * w + x]) << x << "," << y;
  int differing = 0;
  for (int x = 1024; x < w - 2; ++x) differing += dst[w + x] != src[w + x];
  EXPECT_GT(differing, 0);
}

TEST(ZoomPixels, Uniform8x8To4x4OvershootsColoursAndClampsAlpha) {
  const std::vector<Pixel> src(64, Make(200, 100, 50, 255));
  for (Pixel p : Zoom(src, 8, 8, 4, 4)) EXPECT_EQ(p, Make(203, 101, 50, 255));
}

TEST(ZoomPixels, Uniform4x4To8x8GetsSoftRim) {
  const std::vector<Pixel> src(16, Make(10, 20, 30, 255));
  const auto dst = Zoom(src, 4, 4, 8, 8);
  const int edge[6] = {220, 202, 193, 193, 202, 220};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(Alpha(dst[0 * 8 + 1 + i]), edge[i]);
    EXPECT_EQ(Alpha(dst[7 * 8 + 1 + i]), edge[i]);
    EXPECT_EQ(Alpha(dst[(1 + i) * 8 + 0]), edge[i]);
    EXPECT_EQ(Alpha(dst[(1 + i) * 8 + 7]), edge[i]);
  }
  for (int corner : {0, 7, 56, 63}) EXPECT_EQ(Alpha(dst[corner]), 144);
  for (int y = 1; y < 7; ++y)
    for (int x = 1; x < 7; ++x) EXPECT_EQ(Alpha(dst[y * 8 + x]), 255);
}

TEST(ZoomPixels, SinglePixelTo3x3FadesEdgesAndCorners) {
  const auto dst = Zoom({Make(200, 100, 50, 255)}, 1, 1, 3, 3);
  EXPECT_EQ(dst[4], Make(200, 100, 50, 255));
  for (int i : {1, 3, 5, 7}) {
    EXPECT_GE(Alpha(dst[i]), 207);
    EXPECT_LE(Alpha(dst[i]), 208);
    EXPECT_EQ(Blue(dst[i]), 201);
  }
  for (int i : {0, 2, 6, 8}) {
    EXPECT_GE(Alpha(dst[i]), 168);
    EXPECT_LE(Alpha(dst[i]), 169);
    EXPECT_EQ(Blue(dst[i]), 203);
  }
}

TEST(ZoomPixels, ReducingKeepsAnOpaquePictureOpaque) {
  std::vector<Pixel> src(40 * 40);
  for (int i = 0; i < 1600; ++i) src[i] = Make(i % 256, 255 - i % 256, 7, 255);
  for (Pixel p : Zoom(src, 40, 40, 25, 25)) ASSERT_EQ(Alpha(p), 255);
}

TEST(ZoomPixels, MayResizeABlockOntoItself) {
  std::vector<Pixel> src(6 * 5);
  for (int i = 0; i < 30; ++i) src[i] = Make(i * 8, 255 - i * 8, i, 255);
  const auto expected = Zoom(src, 6, 5, 4, 3);
  std::vector<Pixel> same = src;
  ASSERT_TRUE(ZoomPixels(same.data(), 6, 5, same.data(), 4, 3));
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), same.begin()));
}

TEST(ZoomBicubic, RefusesSidesBeyondSixteenBitsAndIgnoresEmptyBlocks) {
  std::vector<Pixel> small(4, 0x12345678);
  TPixels32Desc src{reinterpret_cast<std::uint8_t*>(small.data()), 8, 2, 2};
  TPixels32Desc huge{reinterpret_cast<std::uint8_t*>(small.data()), 4 * 32768, 32768, 1};
  EXPECT_FALSE(ZoomBicubic(huge, src));
  EXPECT_FALSE(ZoomBicubic(src, huge));
  EXPECT_EQ(small[0], 0x12345678u);
  TPixels32Desc empty;
  EXPECT_TRUE(ZoomBicubic(empty, src));
  EXPECT_TRUE(ZoomBicubic(src, empty));
  EXPECT_EQ(small[0], 0x12345678u);
}

TEST(ZoomBicubic, HonoursStridesWiderThanTheRow) {
  // A 2 x 2 picture inside a block 3 pixels wide; the padding must not leak.
  std::vector<Pixel> block = {Make(10, 0, 0, 255), Make(20, 0, 0, 255), 0xFFFFFFFF,
                              Make(30, 0, 0, 255), Make(40, 0, 0, 255), 0xFFFFFFFF};
  std::vector<Pixel> out(4);
  TPixels32Desc src{reinterpret_cast<std::uint8_t*>(block.data()), 12, 2, 2};
  TPixels32Desc dst{reinterpret_cast<std::uint8_t*>(out.data()), 8, 2, 2};
  ASSERT_TRUE(ZoomBicubic(dst, src));
  EXPECT_EQ(out[0], block[0]);
  EXPECT_EQ(out[1], block[1]);
  EXPECT_EQ(out[2], block[3]);
  EXPECT_EQ(out[3], block[4]);
}

// The fast resampler (threads, SIMD inner span) against the plain one, on
// enlargements, reductions and odd sizes, with random bytes and alpha.
TEST(ZoomBicubic, FastPathMatchesThePlainResamplerByteForByte) {
  const std::pair<int, int> sizes[] = {{1, 1},   {2, 3},    {4, 4},    {5, 17},    {15, 15},  {64, 48},
                                       {99, 100}, {257, 31}, {300, 299}, {640, 480}, {1023, 7}};
  std::uint32_t seed = 12345;
  auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
  for (auto [sw, sh] : sizes) {
    std::vector<Pixel> src(static_cast<std::size_t>(sw) * sh);
    for (Pixel& p : src) p = next();
    for (auto [dw, dh] : sizes) {
      std::vector<Pixel> plain(static_cast<std::size_t>(dw) * dh), fast(plain.size());
      TPixels32Desc from{reinterpret_cast<std::uint8_t*>(src.data()), sw * 4, sw, sh};
      TPixels32Desc a{reinterpret_cast<std::uint8_t*>(plain.data()), dw * 4, dw, dh};
      TPixels32Desc b{reinterpret_cast<std::uint8_t*>(fast.data()), dw * 4, dw, dh};
      ASSERT_TRUE(ZoomBicubicReference(a, from));
      // One and two threads on the widest kernels, three on SSE4.1.
      for (int threads : {1, 2, 3}) {
        EngineOptions options;
        options.threads = threads;
        options.kernels = threads != 3 ? EngineKernels::kWidest : EngineKernels::kPortable;
        ASSERT_TRUE(ZoomBicubic(b, from, options));
        ASSERT_EQ(plain, fast) << sw << "x" << sh << " -> " << dw << "x" << dh << ", " << threads;
      }
    }
  }
}

}  // namespace
}  // namespace quorvel
