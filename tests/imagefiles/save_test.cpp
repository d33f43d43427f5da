// SaveImageFile and the writers behind it.
#include "imagefiles/saver.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>

#include "imagefiles/loader.h"
#include "imagefiles/messages.h"
#include "raster/blend.h"
#include "tests/imagefiles/test_support.h"

namespace quorvel {
namespace {

using testing::MessageCapture;
using testing::PatternPixel;
using testing::ReadBytes;
using testing::TempFolder;

TImagePair PairWithResult(std::int32_t w, std::int32_t h) {
  TImagePair pair;
  pair.width = w;
  pair.height = h;
  AllocBlock(pair.src, w, h);
  AllocBlock(pair.result, w, h);
  for (std::int32_t y = 0; y < h; ++y)
    for (std::int32_t x = 0; x < w; ++x) pair.result[y * w + x] = PatternPixel(x, y);
  pair.loaded = 1;
  return pair;
}

std::size_t FilesIn(const std::filesystem::path& folder) {
  std::size_t n = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder)) ++n;
  return n;
}

TEST(WriteBmp24, WidthFifteenRowsArePaddedToFortyEight) {
  TempFolder dir;
  std::vector<std::uint8_t> rows(15 * 20 * 3);
  for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<std::uint8_t>(i * 7 + 1);
  ASSERT_EQ(WriteBmp24(rows.data(), 20, dir / "w15.bmp", 15), 1);
  const auto b = ReadBytes(dir / "w15.bmp");
  ASSERT_EQ(b.size(), 1014u);
  const std::vector<std::uint8_t> header = {
      'B', 'M', 0xF6, 0x03, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,   // file size 1014, offset 54
      40, 0, 0, 0, 15, 0, 0, 0, 20, 0, 0, 0, 1, 0, 24, 0,    // 15 x 20, 1 plane, 24 bits
      0, 0, 0, 0, 0xC0, 0x03, 0, 0,                          // no compression, 960 bytes
      0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(std::vector<std::uint8_t>(b.begin(), b.begin() + 54), header);
  for (int j = 0; j < 20; ++j) {
    ASSERT_TRUE(std::equal(rows.begin() + j * 45, rows.begin() + j * 45 + 45, b.begin() + 54 + j * 48));
    for (int p = 45; p < 48; ++p) ASSERT_EQ(b[54 + j * 48 + p], 0) << j;
  }
}

TEST(WriteBmp24, OnePixelIsFiftyEightBytes) {
  TempFolder dir;
  const std::uint8_t pixel[3] = {0x2F, 0x1F, 0x0F};
  ASSERT_EQ(WriteBmp24(pixel, 1, dir / "one.bmp", 1), 1);
  const std::vector<std::uint8_t> want = {
      'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0,
      0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x2F, 0x1F, 0x0F, 0};
  EXPECT_EQ(ReadBytes(dir / "one.bmp"), want);
}

TEST(SaveImageFile, BmpHoldsResultBlendedOverWhite) {
  TempFolder dir;
  TImagePair pair = PairWithResult(19, 16);
  pair.result[0] = 0x00123456u;  // transparent: white, as the >> 8 blend leaves it
  pair.result[1] = 0xFF102030u;  // opaque: every byte one lower
  MessageCapture messages;
  ASSERT_EQ(SaveImageFile(pair, dir / "out.bmp"), 1);
  EXPECT_TRUE(messages.texts.empty());
  const auto b = ReadBytes(dir / "out.bmp");
  ASSERT_EQ(b.size(), 54u + 16u * 60u);
  EXPECT_EQ(std::vector<std::uint8_t>(b.begin() + 54, b.begin() + 60),
            (std::vector<std::uint8_t>{254, 254, 254, 0x2F, 0x1F, 0x0F}));
  for (std::int32_t y = 0; y < 16; ++y)
    for (std::int32_t x = 0; x < 19; ++x) {
      const Pixel want = BlendOver(pair.result[y * 19 + x], PaneBackColor);
      const std::uint8_t* p = &b[54 + y * 60 + x * 3];
      ASSERT_EQ(p[0] | p[1] << 8 | p[2] << 16, static_cast<int>(want & 0xFFFFFF)) << x << "," << y;
    }
  // The composite kept by the pair is exactly what was written.
  EXPECT_EQ(pair.composite[1], BlendOver(0xFF102030u, PaneBackColor));
}

TEST(SaveImageFile, BmpRoundTripLoadsTheComposite) {
  TempFolder dir;
  TImagePair pair = PairWithResult(15, 17);
  ASSERT_EQ(SaveImageFile(pair, dir / "round.BMP"), 1);
  TImagePair back;
  ASSERT_EQ(LoadImageFile(back, dir / "round.BMP"), 1);
  EXPECT_EQ(back.bitDepth, 24u);
  for (std::size_t i = 0; i < back.src.size(); ++i)
    ASSERT_EQ(back.src[i], (pair.composite[i] & 0xFFFFFFu) | 0xFF000000u) << i;
}

TEST(SaveImageFile, UnknownEndingGetsBmpAppended) {
  TempFolder dir;
  TImagePair pair = PairWithResult(15, 15);
  ASSERT_EQ(SaveImageFile(pair, dir / "result.gif"), 1);
  EXPECT_FALSE(std::filesystem::exists(dir / "result.gif"));
  const auto b = ReadBytes(dir / "result.gif.bmp");
  ASSERT_EQ(b.size(), 54u + 15u * 48u);
  EXPECT_EQ(b[28], 24);
}

TEST(SaveImageFile, WithoutResultWritesNothing) {
  TempFolder dir;
  TImagePair pair = PairWithResult(15, 15);
  ReleaseBlock(pair.result);
  MessageCapture messages;
  EXPECT_EQ(SaveImageFile(pair, dir / "none.bmp"), 0);
  EXPECT_EQ(FilesIn(dir.path()), 0u);
  EXPECT_TRUE(messages.texts.empty());
}

TEST(SaveImageFile, JpegIsOpaqueAndUpright) {
  TempFolder dir;
  TImagePair pair = PairWithResult(48, 40);
  // Top half (memory rows 20..39) dark red, bottom half opaque blue.
  for (std::int32_t i = 0; i < 48 * 40; ++i) pair.result[i] = i >= 48 * 20 ? 0xFF800000u : 0xFF0000FFu;
  ASSERT_EQ(SaveImageFile(pair, dir / "out.jpg"), 1);
  TImagePair back;
  ASSERT_EQ(LoadImageFile(back, dir / "out.jpg"), 1);
  ASSERT_EQ(back.width, 48);
  ASSERT_EQ(back.height, 40);
  EXPECT_EQ(back.bitDepth, 24u);
  for (Pixel p : back.src) ASSERT_EQ(p >> 24, 255u);
  const Pixel top = back.src[39 * 48 + 10], bottom = back.src[10];
  EXPECT_GT((top >> 16) & 0xFF, 100u);  // red stays on top
  EXPECT_LT(top & 0xFF, 40u);
  EXPECT_GT(bottom & 0xFF, 200u);       // blue at the bottom
  EXPECT_LT((bottom >> 16) & 0xFF, 40u);
}

TEST(SaveImageFile, PngKeepsTheResultAndItsAlpha) {
  TempFolder dir;
  TImagePair pair = PairWithResult(23, 15);
  ASSERT_EQ(SaveImageFile(pair, dir / "out.png"), 1);
  const auto b = ReadBytes(dir / "out.png");
  ASSERT_GE(b.size(), 8u);
  EXPECT_EQ(b[1], 'P');
  TImagePair back;
  ASSERT_EQ(LoadImageFile(back, dir / "out.png"), 1);
  EXPECT_EQ(back.bitDepth, 32u);
  EXPECT_EQ(back.src, pair.result);
}

TEST(SaveImageFile, OverwritesAnExistingFileWhole) {
  TempFolder dir;
  testing::WriteBytes(dir / "out.bmp", std::vector<std::uint8_t>(100000, 0xAB));
  TImagePair pair = PairWithResult(15, 15);
  ASSERT_EQ(SaveImageFile(pair, dir / "out.bmp"), 1);
  EXPECT_EQ(ReadBytes(dir / "out.bmp").size(), 54u + 15u * 48u);
  EXPECT_EQ(FilesIn(dir.path()), 1u);  // no temporary left behind
}

// Writes that fail half-way: the file size limit cuts them off, as a full
// disk would, and works for any user.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    previous_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previous_);
  }

 private:
  rlimit saved_{};
  void (*previous_)(int);
};

TEST(SaveImageFile, FailedWriteKeepsOldFileAndShowsMessage) {
  TempFolder dir;
  const std::vector<std::uint8_t> old(500, 0x5A);
  TImagePair pair = PairWithResult(64, 64);
  for (const char* name : {"keep.bmp", "keep.jpg", "keep.png"}) {
    testing::WriteBytes(dir / name, old);
    MessageCapture messages;
    {
      FileSizeLimit limit(100);
      EXPECT_EQ(SaveImageFile(pair, dir / name), 0) << name;
    }
    EXPECT_EQ(messages.texts, std::vector<std::string>{kMsgSaveFailed}) << name;
    EXPECT_EQ(ReadBytes(dir / name), old) << name;
  }
  EXPECT_EQ(FilesIn(dir.path()), 3u);  // temporaries removed
}

TEST(SaveImageFile, ReadOnlyFolderKeepsOldFileAndShowsMessage) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  TempFolder dir;
  const std::vector<std::uint8_t> old(500, 0x5A);
  testing::WriteBytes(dir / "keep.bmp", old);
  std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_read |
                                               std::filesystem::perms::owner_exec);
  TImagePair pair = PairWithResult(15, 15);
  MessageCapture messages;
  EXPECT_EQ(SaveImageFile(pair, dir / "keep.bmp"), 0);
  EXPECT_EQ(messages.texts, std::vector<std::string>{kMsgSaveFailed});
  EXPECT_EQ(ReadBytes(dir / "keep.bmp"), old);
}

TEST(SaveImageFile, TargetThatIsAFolderIsLeftAlone) {
  TempFolder dir;
  std::filesystem::create_directory(dir / "taken.bmp");
  TImagePair pair = PairWithResult(15, 15);
  MessageCapture messages;
  EXPECT_EQ(SaveImageFile(pair, dir / "taken.bmp"), 0);
  EXPECT_EQ(messages.texts, std::vector<std::string>{kMsgSaveFailed});
  EXPECT_TRUE(std::filesystem::is_directory(dir / "taken.bmp"));
  EXPECT_EQ(FilesIn(dir.path()), 1u);
}

TEST(SaveImageFile, ReplacedFileKeepsItsPermissions) {
  TempFolder dir;
  testing::WriteBytes(dir / "mode.bmp", {1, 2, 3});
  std::filesystem::permissions(dir / "mode.bmp", std::filesystem::perms::owner_read |
                                                     std::filesystem::perms::owner_write |
                                                     std::filesystem::perms::group_read);
  TImagePair pair = PairWithResult(15, 15);
  ASSERT_EQ(SaveImageFile(pair, dir / "mode.bmp"), 1);
  EXPECT_EQ(std::filesystem::status(dir / "mode.bmp").permissions(),
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                std::filesystem::perms::group_read);
}

}  // namespace
}  // namespace quorvel
