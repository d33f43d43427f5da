#include <gtest/gtest.h>

#include "raster/image_pair.h"
#include "raster/pixels.h"

namespace quorvel {
namespace {

TEST(Pixels32, AllocBufPacksRowsAndRefusesEmptySizes) {
  TPixels32 buf;
  TPixels32Desc d;
  buf.AllocBuf(3, 2, d);
  EXPECT_NE(d.pixels, nullptr);
  EXPECT_EQ(d.stride, 12);
  EXPECT_EQ(d.width, 3);
  EXPECT_EQ(d.height, 2);
  buf.FreeBuf(d);
  EXPECT_EQ(d.pixels, nullptr);
  EXPECT_EQ(d.stride, 0);

  buf.AllocBuf(-1, 7, d);
  EXPECT_EQ(d.pixels, nullptr);
  EXPECT_EQ(d.width, 0);
  EXPECT_EQ(d.height, 0);
  buf.FreeBuf(d);  // releasing the empty descriptor is harmless
  EXPECT_EQ(d.pixels, nullptr);
}

TEST(Pixels32, SetSizeKeepsContentsOnSameSizeAndReleasesOnEmpty) {
  TPixels32 buf;
  buf.SetSize(4, 4);
  TPixels32Desc d;
  ASSERT_TRUE(buf.LockBuf(d));
  d.pixels[5] = 77;
  const std::uint8_t* before = d.pixels;
  buf.SetSize(4, 4);
  buf.LockBuf(d);
  EXPECT_EQ(d.pixels, before);
  EXPECT_EQ(d.pixels[5], 77);

  buf.SetSize(0, 5);
  buf.LockBuf(d);
  EXPECT_EQ(d.pixels, nullptr);
  EXPECT_EQ(d.width, 0);
  EXPECT_EQ(d.height, 0);
  EXPECT_EQ(d.stride, 0);

  buf.SetSize(5, 2);
  buf.SetSize(5, -1);
  buf.LockBuf(d);
  EXPECT_EQ(d.pixels, nullptr);
}

// A derived buffer sees every allocation and release SetSize makes.
class CountingPixels : public TPixels32 {
 public:
  int allocs = 0;
  int frees = 0;
  void AllocBuf(std::int32_t w, std::int32_t h, TPixels32Desc& out) override {
    ++allocs;
    TPixels32::AllocBuf(w, h, out);
  }
  void FreeBuf(TPixels32Desc& d) override {
    if (d.pixels) ++frees;
    TPixels32::FreeBuf(d);
  }
};

TEST(Pixels32, SetSizeGoesThroughTheVirtualAllocators) {
  CountingPixels buf;
  buf.SetSize(2, 2);
  buf.SetSize(2, 2);
  buf.SetSize(3, 2);
  EXPECT_EQ(buf.allocs, 2);
  EXPECT_EQ(buf.frees, 1);
}

TEST(ImagePair, SecondPictureLeavesNothingDerivedFromTheFirst) {
  TImagePair pair;
  AllocBlock(pair.src, 10, 10);
  AllocBlock(pair.square, 10, 10);
  AllocBlock(pair.result, 10, 10);
  AllocBlock(pair.srcPreview, 5, 5);
  AllocBlock(pair.resultPreview, 5, 5);
  AllocBlock(pair.composite, 10, 10);
  pair.loaded = 1;
  DropDerived(pair);
  EXPECT_FALSE(pair.src.empty());
  EXPECT_FALSE(pair.composite.empty());
  EXPECT_TRUE(pair.square.empty());
  EXPECT_TRUE(pair.result.empty());
  EXPECT_TRUE(pair.srcPreview.empty());
  EXPECT_TRUE(pair.resultPreview.empty());
  EXPECT_EQ(pair.loaded, 1);
  ClearPair(pair);
  EXPECT_TRUE(pair.src.empty());
  EXPECT_TRUE(pair.composite.empty());
  EXPECT_EQ(pair.loaded, 0);
}

// Freed large blocks are kept and handed out again: a smaller request gets
// the block trimmed, a larger one gets the touched pages as its start.
TEST(LargeBlocks, FreedBlocksAreReusedAndGiveBackWhatIsNotAsked) {
  if (!KeepsSpareBlocks()) GTEST_SKIP() << "the sanitizer's heap keeps no spares";
  constexpr std::size_t kMb = std::size_t{1} << 20;
  ReleaseSpareBlocks();
  PixelBlock a;
  AllocBlock(a, 2048, 2048);  // 16 MB
  const Pixel* first = a.data();
  a[0] = 0x12345678u;
  ReleaseBlock(a);
  EXPECT_EQ(SpareBlockBytes(), 16 * kMb);

  PixelBlock b;
  AllocBlock(b, 1024, 2048);  // 8 MB: the same block, its second half given back
  EXPECT_EQ(b.data(), first);
  EXPECT_EQ(SpareBlockBytes(), 0u);
  ReleaseBlock(b);
  EXPECT_EQ(SpareBlockBytes(), 8 * kMb);

  PixelBlock c;
  AllocBlock(c, 2048, 4096);  // 32 MB: the spare's pages lead, the rest is fresh
  EXPECT_EQ(c[0], 0x12345678u);
  c.back() = 7;
  EXPECT_EQ(SpareBlockBytes(), 0u);

  // A picture closed gives every spare back.
  TImagePair pair;
  pair.src.swap(c);
  ClearPair(pair);
  EXPECT_EQ(SpareBlockBytes(), 0u);
}

}  // namespace
}  // namespace quorvel
