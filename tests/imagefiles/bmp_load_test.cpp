// LoadImageFile on BMP files and on names it cannot take.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "imagefiles/loader.h"
#include "imagefiles/messages.h"
#include "tests/imagefiles/test_support.h"

namespace quorvel {
namespace {

using testing::MessageCapture;
using testing::PairWithPicture;
using testing::PatternPixel;
using testing::PictureUnchanged;
using testing::TempFolder;
using testing::TestData;

void ExpectPattern(const TImagePair& pair, bool opaque) {
  for (std::int32_t y = 0; y < pair.height; ++y)
    for (std::int32_t x = 0; x < pair.width; ++x) {
      const Pixel want = opaque ? PatternPixel(x, y) | 0xFF000000u : PatternPixel(x, y);
      ASSERT_EQ(pair.src[y * pair.width + x], want) << x << "," << y;
    }
}

TEST(BmpLoad, TwentyFourBitOddWidthsSkipRowPads) {
  TempFolder dir;
  for (std::int32_t width : {15, 17, 18, 19}) {
    const auto file = dir / ("odd" + std::to_string(width) + ".bmp");
    testing::WriteBytes(file, testing::MakeBmpFile(width, 21, 24));
    TImagePair pair;
    MessageCapture messages;
    ASSERT_EQ(LoadImageFile(pair, file), 1);
    EXPECT_TRUE(messages.texts.empty());
    EXPECT_EQ(pair.width, width);
    EXPECT_EQ(pair.height, 21);
    EXPECT_EQ(pair.bitDepth, 24u);
    EXPECT_EQ(pair.squareSide, 21);
    EXPECT_EQ(pair.fileType, 1);
    EXPECT_EQ(pair.title, "odd" + std::to_string(width));
    ExpectPattern(pair, true);
  }
}

TEST(BmpLoad, ThirtyTwoBitKeepsAlphaBytes) {
  TempFolder dir;
  testing::WriteBytes(dir / "a.bmp", testing::MakeBmpFile(15, 16, 32));
  TImagePair pair;
  ASSERT_EQ(LoadImageFile(pair, dir / "a.bmp"), 1);
  EXPECT_EQ(pair.bitDepth, 32u);
  ExpectPattern(pair, false);
}

TEST(BmpLoad, ThirtyTwoBitWithSurplusDataReadsOnlyItsPixels) {
  TempFolder dir;
  auto bytes = testing::MakeBmpFile(16, 15, 32);
  bytes.insert(bytes.end(), 100, 0xEE);
  testing::PutLe32(bytes, 2, static_cast<std::uint32_t>(bytes.size()));
  testing::WriteBytes(dir / "surplus.bmp", bytes);
  TImagePair pair;
  ASSERT_EQ(LoadImageFile(pair, dir / "surplus.bmp"), 1);
  EXPECT_EQ(pair.src.size(), 16u * 15u);
  ExpectPattern(pair, false);
}

TEST(BmpLoad, TwentyFourBitWithoutLastRowPadIsRead) {
  TempFolder dir;
  // The wide one is read in several bands of rows; the pad is missing in the last.
  for (auto [w, h] : {std::pair{15, 15}, std::pair{4999, 150}}) {
    auto bytes = testing::MakeBmpFile(w, h, 24);
    bytes.resize(bytes.size() - (4 - w * 3 % 4));
    testing::PutLe32(bytes, 2, static_cast<std::uint32_t>(bytes.size()));
    testing::WriteBytes(dir / "nopad.bmp", bytes);
    TImagePair pair;
    ASSERT_EQ(LoadImageFile(pair, dir / "nopad.bmp"), 1) << w;
    ExpectPattern(pair, true);
    // One byte less is one byte short of the pixels.
    bytes.pop_back();
    testing::PutLe32(bytes, 2, static_cast<std::uint32_t>(bytes.size()));
    testing::WriteBytes(dir / "short.bmp", bytes);
    MessageCapture messages;
    EXPECT_EQ(LoadImageFile(pair, dir / "short.bmp"), 0) << w;
  }
}

TEST(BmpLoad, SuiteFilesOfBothDepthsGiveTheSamePicture) {
  TImagePair rgb24, rgb32, withPalette;
  ASSERT_EQ(LoadImageFile(rgb24, TestData("bmpsuite/g/rgb24.bmp")), 1);
  ASSERT_EQ(LoadImageFile(rgb32, TestData("bmpsuite/g/rgb32.bmp")), 1);
  ASSERT_EQ(LoadImageFile(withPalette, TestData("bmpsuite/g/rgb24pal.bmp")), 1);  // offset 1078
  ASSERT_EQ(rgb24.width, 127);
  ASSERT_EQ(rgb24.height, 64);
  EXPECT_EQ(withPalette.src, rgb24.src);
  for (std::size_t i = 0; i < rgb24.src.size(); ++i)
    ASSERT_EQ(rgb32.src[i] & 0xFFFFFFu, rgb24.src[i] & 0xFFFFFFu) << i;
  // Its unused fourth byte is 0 and is taken as alpha, as the file says.
  EXPECT_EQ(rgb32.src[0] >> 24, 0u);

  TImagePair png;
  ASSERT_EQ(LoadImageFile(png, TestData("bmpsuite/html/rgb24.png")), 1);
  EXPECT_EQ(png.src, rgb24.src);
}

TEST(BmpLoad, FieldsTheReaderIgnoresDoNotMatter) {
  TImagePair plain;
  ASSERT_EQ(LoadImageFile(plain, TestData("bmpsuite/g/rgb24.bmp")), 1);
  for (const char* name : {"derived/bmp/rgb24-compression-unknown.bmp",
                           "derived/bmp/rgb24-infoheadersize-huge.bmp",
                           "bmpsuite/q/rgb24prof.bmp"}) {  // profile after the pixels
    TImagePair pair;
    ASSERT_EQ(LoadImageFile(pair, TestData(name)), 1) << name;
    EXPECT_EQ(pair.src, plain.src) << name;
  }
}

TEST(BmpLoad, SecondPictureDropsEverythingDerivedFromTheFirst) {
  TImagePair pair = PairWithPicture();
  AllocBlock(pair.result, 17, 16);
  AllocBlock(pair.square, 17, 17);
  AllocBlock(pair.srcPreview, 5, 5);
  AllocBlock(pair.resultPreview, 5, 5);
  ASSERT_EQ(LoadImageFile(pair, TestData("bmpsuite/g/rgb24.bmp")), 1);
  EXPECT_TRUE(pair.result.empty());
  EXPECT_TRUE(pair.square.empty());
  EXPECT_TRUE(pair.srcPreview.empty());
  EXPECT_TRUE(pair.resultPreview.empty());
  EXPECT_EQ(pair.squareSide, 127);
  EXPECT_EQ(pair.title, "rgb24");
}

struct Refusal {
  const char* file;
  const char* message;
};

class BmpRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(BmpRefusal, ShowsMessageAndKeepsPicture) {
  TImagePair pair = PairWithPicture();
  MessageCapture messages;
  const auto path = TestData(GetParam().file);
  ASSERT_TRUE(std::filesystem::exists(path)) << path;
  EXPECT_EQ(LoadImageFile(pair, path), 0);
  ASSERT_EQ(messages.texts.size(), 1u);
  EXPECT_EQ(messages.texts[0], GetParam().message);
  EXPECT_TRUE(PictureUnchanged(pair));
  EXPECT_EQ(pair.path, path);  // the attempt is recorded
  EXPECT_EQ(pair.fileType, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, BmpRefusal,
    ::testing::Values(
        Refusal{"derived/bmp/empty.bmp", kMsgUnreadable},
        Refusal{"derived/bmp/rgb24-trunc-fileheader.bmp", kMsgUnreadable},
        Refusal{"derived/bmp/rgb24-trunc-infoheader.bmp", kMsgUnreadable},
        Refusal{"derived/bmp/rgb24-bad-magic.bmp", kMsgUnreadable},
        Refusal{"derived/bmp/rgb24-trunc-pixels.bmp", kMsgUnreadable},
        Refusal{"derived/bmp/rgb32-trunc-pixels.bmp", kMsgUnreadable},
        Refusal{"derived/bmp/rgb24-offbits-past-eof.bmp", kMsgUnreadable},
        Refusal{"derived/bmp/rgb24-offbits-huge.bmp", kMsgUnreadable},
        Refusal{"derived/bmp/rgb24-topdown.bmp", kMsgBadBmpSize},
        Refusal{"derived/bmp/rgb32-topdown.bmp", kMsgBadBmpSize},
        Refusal{"image-rs-bmp/good/Info_R8_G8_B8_Top_Down.bmp", kMsgBadBmpSize},
        Refusal{"derived/bmp/rgb24-width-zero.bmp", kMsgBadBmpSize},
        Refusal{"derived/bmp/rgb24-height-zero.bmp", kMsgBadBmpSize},
        Refusal{"derived/bmp/rgb24-width-negative.bmp", kMsgBadBmpSize},
        Refusal{"derived/bmp/rgb24-height-intmin.bmp", kMsgBadBmpSize},
        Refusal{"derived/bmp/rgb24-dims-65536x65536.bmp", kMsgBadBmpSize},
        Refusal{"derived/bmp/rgb24-rowsize-overflow.bmp", kMsgBadBmpSize},
        Refusal{"image-rs-bmp/good/Info_R8_G8_B8.bmp", kMsgBadBmpSize},  // 6 x 6
        Refusal{"bmpsuite/b/reallybig.bmp", kMsgBadBmpSize},
        Refusal{"bmpsuite/b/badbitcount.bmp", kMsgBadBitDepth},
        Refusal{"bmpsuite/b/shortfile.bmp", kMsgBadBitDepth},
        Refusal{"bmpsuite/g/pal8.bmp", kMsgBadBitDepth},
        Refusal{"bmpsuite/g/rgb16-565.bmp", kMsgBadBitDepth},
        Refusal{"bmpsuite/q/rgba64.bmp", kMsgBadBitDepth},
        Refusal{"image-rs-bmp/bad/Bad_width.bmp", kMsgBadBitDepth}));

TEST(BmpRefusal, HeaderSizesJustOutsideTheRangeAreRefused) {
  TempFolder dir;
  for (auto [w, h] : {std::pair{14, 200}, std::pair{200, 14}, std::pair{5001, 15},
                      std::pair{15, 5001}}) {
    auto bytes = testing::MakeBmpFile(15, 15, 24);
    testing::PutLe32(bytes, 18, static_cast<std::uint32_t>(w));
    testing::PutLe32(bytes, 22, static_cast<std::uint32_t>(h));
    testing::WriteBytes(dir / "size.bmp", bytes);
    TImagePair pair = PairWithPicture();
    MessageCapture messages;
    EXPECT_EQ(LoadImageFile(pair, dir / "size.bmp"), 0);
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0], kMsgBadBmpSize) << w << "x" << h;
    EXPECT_TRUE(PictureUnchanged(pair));
  }
}

TEST(BmpRefusal, FileSizeFieldPromisingTooLittleIsRefused) {
  TempFolder dir;
  // The header promises one byte less than the pixels occupy; the file
  // holds them all, but only what is promised is pixel data.
  auto bytes = testing::MakeBmpFile(16, 16, 32);
  testing::PutLe32(bytes, 2, static_cast<std::uint32_t>(bytes.size() - 1));
  testing::WriteBytes(dir / "short-promise.bmp", bytes);
  TImagePair pair = PairWithPicture();
  MessageCapture messages;
  EXPECT_EQ(LoadImageFile(pair, dir / "short-promise.bmp"), 0);
  EXPECT_EQ(messages.texts, std::vector<std::string>{kMsgUnreadable});
  EXPECT_TRUE(PictureUnchanged(pair));
}

TEST(BmpLoad, FiveThousandSquareIsAccepted) {
  TempFolder dir;
  testing::WriteBytes(dir / "big.bmp", testing::MakeBmpFile(5000, 5000, 24));
  TImagePair pair;
  ASSERT_EQ(LoadImageFile(pair, dir / "big.bmp"), 1);
  EXPECT_EQ(pair.width, 5000);
  EXPECT_EQ(pair.src[4999u * 5000u + 4999u], PatternPixel(4999, 4999) | 0xFF000000u);
}

TEST(LoadImageFile, MissingFileShowsMessageAndChangesNothing) {
  TImagePair pair = PairWithPicture();
  pair.path = "/before.bmp";
  MessageCapture messages;
  EXPECT_EQ(LoadImageFile(pair, "/no/such/file.bmp"), 0);
  EXPECT_EQ(messages.texts, std::vector<std::string>{kMsgUnreadable});
  EXPECT_TRUE(PictureUnchanged(pair));
  EXPECT_EQ(pair.path, "/before.bmp");
}

TEST(LoadImageFile, FifoOrFolderNamedLikeAPictureIsRefusedWithoutWaiting) {
  TempFolder dir;
  // A FIFO opened for reading would wait for a writer forever.
  for (const char* name : {"f.bmp", "f.png", "f.jpg"})
    ASSERT_EQ(::mkfifo((dir / name).c_str(), 0600), 0);
  std::filesystem::create_directory(dir / "d.png");
  for (const char* name : {"f.bmp", "f.png", "f.jpg", "d.png"}) {
    TImagePair pair = PairWithPicture();
    MessageCapture messages;
    EXPECT_EQ(LoadImageFile(pair, dir / name), 0) << name;
    EXPECT_EQ(messages.texts, std::vector<std::string>{kMsgUnreadable}) << name;
    EXPECT_TRUE(PictureUnchanged(pair)) << name;
  }
}

TEST(LoadImageFile, UnknownEndingRecordsTypeZero) {
  TImagePair pair = PairWithPicture();
  MessageCapture messages;
  const auto path = TestData("bmpsuite/html/rgb24.png");
  TempFolder dir;
  std::filesystem::copy_file(path, dir / "picture.gif");
  EXPECT_EQ(LoadImageFile(pair, dir / "picture.gif"), 0);
  EXPECT_EQ(messages.texts, std::vector<std::string>{kMsgUnreadable});
  EXPECT_EQ(pair.fileType, 0);
  EXPECT_EQ(pair.path, dir / "picture.gif");
  EXPECT_TRUE(PictureUnchanged(pair));
}

TEST(LoadImageFile, NameWithoutDotKeepsPreviousTitle) {
  TempFolder dir;
  std::filesystem::copy_file(TestData("pillow/jpeg/hopper.jpg"), dir / "photoJPG");
  TImagePair pair = PairWithPicture();
  ASSERT_EQ(LoadImageFile(pair, dir / "photoJPG"), 1);
  EXPECT_EQ(pair.fileType, 3);
  EXPECT_EQ(pair.title, "before");
}

}  // namespace
}  // namespace quorvel
