#include <gtest/gtest.h>

#include "raster/previews.h"
#include "tests/support/test_pictures.h"

namespace quorvel {
namespace {

TImagePair Picture(int w, int h) {
  return testing::LoadedPicture(w, h, [w](std::int32_t x, std::int32_t row) {
    return 0xFF000000u | static_cast<Pixel>((static_cast<std::size_t>(row) * w + x) * 2654435761u >> 8);
  });
}

TEST(MakeSmallSource, SidesAboveHundredLandOnHundredOrNinetyNine) {
  const struct { int w, h, sw, sh; } cases[] = {
      {150, 60, 100, 100}, {109, 60, 99, 100}, {110, 60, 99, 100}, {111, 60, 99, 100},
      {112, 60, 99, 100}, {113, 60, 100, 100}, {108, 60, 100, 100}, {90, 80, 90, 80},
      {100, 100, 100, 100}, {5000, 20, 100, 100}};
  for (const auto& c : cases) {
    TImagePair main = Picture(c.w, c.h);
    TImagePair small;
    ASSERT_EQ(MakeSmallSource(small, main), 1);
    EXPECT_EQ(small.width, c.sw) << c.w << "x" << c.h;
    EXPECT_EQ(small.height, c.sh) << c.w << "x" << c.h;
    EXPECT_EQ(small.src.size(), static_cast<std::size_t>(c.sw * c.sh));
    EXPECT_EQ(small.loaded, 1);
  }
}

TEST(MakeSmallSource, CopiesAPictureThatFitsUnchanged) {
  TImagePair main = Picture(90, 80);
  TImagePair small;
  ASSERT_EQ(MakeSmallSource(small, main), 1);
  EXPECT_EQ(small.src, main.src);
}

TEST(MakeSmallSource, ReportsFailureWithoutAPicture) {
  TImagePair main;
  TImagePair small;
  EXPECT_EQ(MakeSmallSource(small, main), 0);
  EXPECT_EQ(small.loaded, 0);
}

TEST(MakePreview, RefusesToEnlargeAndLeavesThePreviewAlone) {
  TImagePair pair = Picture(40, 30);
  ASSERT_EQ(MakePreview(pair, 20, 15, PreviewOf::Source), 1);
  const PixelBlock before = pair.srcPreview;
  EXPECT_EQ(MakePreview(pair, 41, 15, PreviewOf::Source), 0);
  EXPECT_EQ(MakePreview(pair, 20, 31, PreviewOf::Source), 0);
  EXPECT_EQ(pair.srcPreview, before);
  EXPECT_EQ(pair.srcPreviewWidth, 20);
  EXPECT_EQ(pair.srcPreviewHeight, 15);
}

TEST(MakePreview, ResultPreviewNeedsAResult) {
  TImagePair pair = Picture(40, 30);
  EXPECT_EQ(MakePreview(pair, 20, 15, PreviewOf::Result), 0);
  pair.result = pair.src;
  ASSERT_EQ(MakePreview(pair, 40, 30, PreviewOf::Result), 1);
  EXPECT_EQ(pair.resultPreview, pair.src);  // same size below 256: an exact copy
}

}  // namespace
}  // namespace quorvel
