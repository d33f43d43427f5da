// PNG and JPEG decoding, through LoadImageFile and ImageCodec.
#include "imagefiles/codec.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "imagefiles/bmp_reader.h"
#include "imagefiles/loader.h"
#include "imagefiles/messages.h"
#include "imagefiles/saver.h"
#include "tests/imagefiles/test_support.h"
#include "tests/support/jpeg_scans.h"

namespace quorvel {
namespace {

using testing::MessageCapture;
using testing::PairWithPicture;
using testing::PictureUnchanged;
using testing::ReadBytes;
using testing::TempFolder;
using testing::TestData;
using testing::WriteBytes;

// The suite's reference decodes: 32-bit bottom-up BGRA at their pixel offset.
std::vector<Pixel> ReferencePixels(const std::string& name, std::int32_t& w, std::int32_t& h) {
  const auto bytes = ReadBytes(TestData("pngsuite-bmp-ref/" + name + ".bmp"));
  w = static_cast<std::int32_t>(testing::Le32(bytes, 18));
  h = static_cast<std::int32_t>(testing::Le32(bytes, 22));
  const std::size_t offset = testing::Le32(bytes, 10);
  std::vector<Pixel> pixels(static_cast<std::size_t>(w) * h);
  std::memcpy(pixels.data(), bytes.data() + offset, pixels.size() * 4);
  return pixels;
}

int ChannelDistance(Pixel a, Pixel b) {
  int worst = 0;
  for (int s = 0; s < 32; s += 8)
    worst = std::max(worst, std::abs(static_cast<int>((a >> s) & 0xFF) - static_cast<int>((b >> s) & 0xFF)));
  return worst;
}

double MeanDistance(const PixelBlock& a, const PixelBlock& b) {
  double sum = 0;
  for (std::size_t i = 0; i < a.size(); ++i)
    for (int s = 0; s < 24; s += 8)
      sum += std::abs(static_cast<int>((a[i] >> s) & 0xFF) - static_cast<int>((b[i] >> s) & 0xFF));
  return sum / (a.size() * 3.0);
}

TEST(PngDecode, SuiteMatchesReferenceDecodes) {
  int compared = 0;
  for (const auto& entry : std::filesystem::directory_iterator(TestData("pngsuite-bmp-ref"))) {
    const std::string name = entry.path().stem().string();
    std::int32_t w = 0, h = 0;
    const std::vector<Pixel> want = ReferencePixels(name, w, h);
    TImagePair pair;
    MessageCapture messages;
    ASSERT_EQ(LoadImageFile(pair, TestData("pngsuite/" + name + ".png")), 1) << name;
    ASSERT_EQ(pair.width, w) << name;
    ASSERT_EQ(pair.height, h) << name;
    // The references took the high byte of 16-bit samples; we round.
    const int tolerance = name.find("16") != std::string::npos ? 1 : 0;
    bool anyTranslucent = false;
    for (std::size_t i = 0; i < want.size(); ++i) {
      // Under alpha 0 the references zero the colour; it shows nowhere.
      if ((want[i] >> 24) == 0 && (pair.src[i] >> 24) == 0) continue;
      ASSERT_LE(ChannelDistance(pair.src[i], want[i]), tolerance) << name << " pixel " << i << std::hex << " got " << pair.src[i] << " want " << want[i];
      anyTranslucent |= (want[i] >> 24) != 255;
    }
    // Opaque pictures arrive at 24 bits, the others keep their alpha at 32.
    if (anyTranslucent) {
      EXPECT_EQ(pair.bitDepth, 32u) << name;
    }
    ++compared;
  }
  EXPECT_EQ(compared, 131);
}

TEST(PngDecode, ColourTypesArriveAtTheRightDepth) {
  const std::pair<const char*, std::uint32_t> cases[] = {
      {"basn0g01", 24}, {"basn0g16", 24}, {"basn2c08", 24}, {"basn3p04", 24},
      {"basn4a08", 32}, {"basn6a16", 32}, {"tbrn2c08", 32}, {"tbbn3p08", 32},
      {"tp0n3p08", 24}, {"tbwn0g16", 32}};
  for (const auto& [name, depth] : cases) {
    TImagePair pair;
    ASSERT_EQ(LoadImageFile(pair, TestData(std::string("pngsuite/") + name + ".png")), 1);
    EXPECT_EQ(pair.bitDepth, depth) << name;
  }
}

class UnreadablePicture : public ::testing::TestWithParam<const char*> {};

TEST_P(UnreadablePicture, ShowsMessageAndKeepsPicture) {
  TImagePair pair = PairWithPicture();
  MessageCapture messages;
  const auto path = TestData(GetParam());
  ASSERT_TRUE(std::filesystem::exists(path)) << path;
  EXPECT_EQ(LoadImageFile(pair, path), 0);
  EXPECT_EQ(messages.texts, std::vector<std::string>{kMsgUnreadable});
  EXPECT_TRUE(PictureUnchanged(pair));
}

INSTANTIATE_TEST_SUITE_P(
    CorruptPng, UnreadablePicture,
    ::testing::Values("pngsuite/xs1n0g01.png", "pngsuite/xs2n0g01.png", "pngsuite/xs4n0g01.png",
                      "pngsuite/xs7n0g01.png", "pngsuite/xcrn0g04.png", "pngsuite/xlfn0g04.png",
                      "pngsuite/xhdn0g08.png", "pngsuite/xc1n0g08.png", "pngsuite/xc9n2c08.png",
                      "pngsuite/xd0n2c08.png", "pngsuite/xd3n2c08.png", "pngsuite/xd9n2c08.png",
                      "pngsuite/xdtn0g01.png", "pngsuite/xcsn0g01.png", "pillow/png/broken.png",
                      "pillow/png/broken_data_stream.png", "pillow/png/truncated_image.png",
                      "derived/png/basn2c08-trunc-idat.png",
                      "derived/png/basn2c08-ihdr-zero-width.png"));

INSTANTIATE_TEST_SUITE_P(
    CorruptJpeg, UnreadablePicture,
    ::testing::Values("libjpeg-turbo/monkey12.jpg", "scikit-image/truncated.jpg",
                      "pillow/jpeg/truncated_jpeg.jpg", "derived/jpeg/hopper-trunc-midscan.jpg",
                      "derived/jpeg/hopper-trunc-after-sos.jpg",
                      "derived/jpeg/hopper-sof-zero-width.jpg",
                      // All scan data but no EOI: the data ends early, so it is refused too.
                      "derived/jpeg/hopper-no-eoi.jpg"));

TEST(PngDecode, MissingEndChunkStillGivesThePicture) {
  TImagePair whole, noEnd, danglingEnd, hopper;
  ASSERT_EQ(LoadImageFile(whole, TestData("pngsuite/basn2c08.png")), 1);
  ASSERT_EQ(LoadImageFile(noEnd, TestData("derived/png/basn2c08-no-iend.png")), 1);
  EXPECT_EQ(noEnd.src, whole.src);
  ASSERT_EQ(LoadImageFile(hopper, TestData("pillow/png/hopper.png")), 1);
  ASSERT_EQ(LoadImageFile(danglingEnd, TestData("pillow/png/truncated_end_chunk.png")), 1);
  EXPECT_EQ(danglingEnd.src, hopper.src);
}

TEST(PngDecode, DecompressionBombInTextChunksLoadsTheOnePixel) {
  TImagePair pair;
  ASSERT_EQ(LoadImageFile(pair, TestData("pillow/png/png_decompression_dos.png")), 1);
  EXPECT_EQ(pair.width, 1);
  EXPECT_EQ(pair.height, 1);
}

// basn2c08 with its IHDR size replaced and the CRC made right again.
std::vector<std::uint8_t> PngWithSize(std::uint32_t w, std::uint32_t h) {
  auto bytes = ReadBytes(TestData("pngsuite/basn2c08.png"));
  auto put = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
  };
  put(16, w);
  put(20, h);
  put(29, static_cast<std::uint32_t>(crc32(0, bytes.data() + 12, 17)));
  return bytes;
}

class TooLargePicture : public ::testing::TestWithParam<const char*> {};

TEST_P(TooLargePicture, IsRefusedBeforeDecoding) {
  TImagePair pair = PairWithPicture();
  MessageCapture messages;
  EXPECT_EQ(LoadImageFile(pair, TestData(GetParam())), 0);
  EXPECT_EQ(messages.texts, std::vector<std::string>{kMsgTooLarge});
  EXPECT_TRUE(PictureUnchanged(pair));
}

INSTANTIATE_TEST_SUITE_P(Corpus, TooLargePicture,
                         ::testing::Values("derived/png/basn2c08-ihdr-1073741824x1073741824.png",
                                           "derived/jpeg/hopper-sof-65535x65535.jpg"));

TEST(TooLargePicture, OneAboveTheLimitOnEitherSideIsRefused) {
  TempFolder dir;
  // hopper.jpg's SOF0 marker sits at a fixed place; find it rather than trust it.
  auto jpeg = ReadBytes(TestData("pillow/jpeg/hopper.jpg"));
  std::size_t sof = 0;
  for (std::size_t i = 2; i + 9 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
      sof = i;
      break;
    }
  ASSERT_NE(sof, 0u);
  for (int side = 0; side < 2; ++side) {
    auto png = side == 0 ? PngWithSize(32768, 32) : PngWithSize(32, 32768);
    auto jpg = jpeg;
    jpg[sof + 5 + 2 * side] = 0x80;  // height then width, big-endian: 32768
    jpg[sof + 6 + 2 * side] = 0x00;
    WriteBytes(dir / "big.png", png);
    WriteBytes(dir / "big.jpg", jpg);
    for (const char* name : {"big.png", "big.jpg"}) {
      TImagePair pair = PairWithPicture();
      MessageCapture messages;
      EXPECT_EQ(LoadImageFile(pair, dir / name), 0) << name;
      EXPECT_EQ(messages.texts, std::vector<std::string>{kMsgTooLarge}) << name << side;
      EXPECT_TRUE(PictureUnchanged(pair));
    }
  }
}

TEST(CodecLoad, PicturesWiderThanTheBmpLimitAreAccepted) {
  TempFolder dir;
  std::vector<Pixel> pixels(6000 * 15, 0xFF336699u);
  ASSERT_TRUE(WritePng(pixels.data(), 15, dir / "wide.png", 6000));
  ASSERT_TRUE(WriteJpeg(pixels.data(), 15, dir / "wide.jpg", 6000));
  for (const char* name : {"wide.png", "wide.jpg"}) {
    TImagePair pair;
    ASSERT_EQ(LoadImageFile(pair, dir / name), 1) << name;
    EXPECT_EQ(pair.width, 6000);
    EXPECT_EQ(pair.squareSide, 6000);
  }
}

TEST(JpegDecode, VariantsOfOnePictureAgree) {
  TImagePair base;
  ASSERT_EQ(LoadImageFile(base, TestData("libjpeg-turbo/testorig.jpg")), 1);
  EXPECT_EQ(base.width, 227);
  EXPECT_EQ(base.height, 149);
  EXPECT_EQ(base.bitDepth, 24u);
  for (const char* name : {"testimgint.jpg", "testimgp.jpg", "testimgari.jpg"}) {
    TImagePair other;
    ASSERT_EQ(LoadImageFile(other, TestData(std::string("libjpeg-turbo/") + name)), 1) << name;
    ASSERT_EQ(other.src.size(), base.src.size());
    EXPECT_LT(MeanDistance(other.src, base.src), 3.0) << name;
  }
  TImagePair grey;
  ASSERT_EQ(LoadImageFile(grey, TestData("libjpeg-turbo/testimggray.jpg")), 1);
  for (Pixel p : grey.src) {
    ASSERT_EQ(p >> 24, 255u);
    ASSERT_EQ(p & 0xFF, (p >> 8) & 0xFF);
    ASSERT_EQ(p & 0xFF, (p >> 16) & 0xFF);
  }
}

TEST(JpegDecode, MatchesThePngOfTheSamePicture) {
  TImagePair jpg, png;
  ASSERT_EQ(LoadImageFile(jpg, TestData("pillow/jpeg/hopper.jpg")), 1);
  ASSERT_EQ(LoadImageFile(png, TestData("pillow/png/hopper.png")), 1);
  // Rows bottom-up, B G R: a swapped channel or flipped picture shows here.
  EXPECT_LT(MeanDistance(jpg.src, png.src), 4.0);
  for (Pixel p : jpg.src) ASSERT_EQ(p >> 24, 255u);
}

TEST(JpegDecode, CmykComesOutLikeItsRgbTwin) {
  TImagePair rgb, cmyk;
  ASSERT_EQ(LoadImageFile(rgb, TestData("pillow/jpeg/pil_sample_rgb.jpg")), 1);
  ASSERT_EQ(LoadImageFile(cmyk, TestData("pillow/jpeg/pil_sample_cmyk.jpg")), 1);
  ASSERT_EQ(cmyk.src.size(), rgb.src.size());
  EXPECT_EQ(cmyk.bitDepth, 24u);
  EXPECT_LT(MeanDistance(cmyk.src, rgb.src), 10.0);
}

TEST(JpegDecode, StrayBytesBetweenSegmentsAreTolerated) {
  for (const char* name : {"pillow/jpeg/junk_jpeg_header.jpg", "pillow/jpeg/truncated_app14.jpg",
                           "pillow/jpeg/hopper_16bit_qtables.jpg"}) {
    TImagePair pair;
    MessageCapture messages;
    EXPECT_EQ(LoadImageFile(pair, TestData(name)), 1) << name;
    EXPECT_TRUE(messages.texts.empty());
  }
}

TEST(JpegDecode, ProgressiveFileWithTooManyScansIsRefused) {
  const std::vector<std::uint8_t> progressive = testing::ReadBytes(TestData("libjpeg-turbo/testimgp.jpg"));
  ImageCodec codec;
  // A scan repeated a few times only refines what is there; hundreds of
  // times is a file made to burn time.
  const std::vector<std::uint8_t> some = test::RepeatShortestScan(progressive, 20);
  ASSERT_GT(some.size(), progressive.size());
  EXPECT_EQ(codec.DecodeMemory(some.data(), some.size(), kFormatJpeg), DecodeStatus::kDecoded);
  const std::vector<std::uint8_t> bomb = test::RepeatShortestScan(progressive, 600);
  EXPECT_EQ(codec.DecodeMemory(bomb.data(), bomb.size(), kFormatJpeg), DecodeStatus::kUnreadable);
  EXPECT_FALSE(codec.HasPicture());
}

TEST(JpegDecode, ExifOrientationSixOfTheSuiteTurnsUpright) {
  TImagePair plain, turned;
  ASSERT_EQ(LoadImageFile(plain, TestData("pillow/jpeg/hopper.jpg")), 1);
  ASSERT_EQ(LoadImageFile(turned, TestData("pillow/jpeg/hopper_orientation_6.jpg")), 1);
  ASSERT_EQ(turned.src.size(), plain.src.size());
  EXPECT_LT(MeanDistance(turned.src, plain.src), 6.0);
}

// A JPEG of four flat quadrants; an APP1 Exif segment with the orientation
// goes right after SOI.
std::vector<std::uint8_t> QuadrantJpeg(const TempFolder& dir, int orientation) {
  const std::int32_t w = 64, h = 32;
  std::vector<Pixel> pixels(w * h);
  const Pixel colours[4] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu};
  for (std::int32_t y = 0; y < h; ++y)  // y is the memory row: 0 is the bottom
    for (std::int32_t x = 0; x < w; ++x)
      pixels[y * w + x] = colours[(y >= h / 2 ? 0 : 2) + (x >= w / 2 ? 1 : 0)];
  EXPECT_TRUE(WriteJpeg(pixels.data(), h, dir / "q.jpg", w));
  auto bytes = ReadBytes(dir / "q.jpg");
  const std::uint8_t app1[] = {0xFF, 0xE1, 0, 34, 'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8,
                               0, 1, 0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, static_cast<std::uint8_t>(orientation),
                               0, 0, 0, 0, 0, 0};
  bytes.insert(bytes.begin() + 2, std::begin(app1), std::end(app1));
  return bytes;
}

TEST(JpegDecode, EveryExifOrientationTurnsThePictureUpright) {
  // Stored quadrants, top row first: red green / blue white. The expected
  // upright corner colours (top-left, top-right, bottom-left, bottom-right).
  const Pixel R = 0xFFFF0000u, G = 0xFF00FF00u, B = 0xFF0000FFu, W = 0xFFFFFFFFu;
  const Pixel corners[9][4] = {{}, {R, G, B, W}, {G, R, W, B}, {W, B, G, R}, {B, W, R, G},
                               {R, B, G, W}, {B, R, W, G}, {W, G, B, R}, {G, W, R, B}};
  TempFolder dir;
  for (int o = 1; o <= 8; ++o) {
    WriteBytes(dir / "turned.jpg", QuadrantJpeg(dir, o));
    TImagePair pair;
    ASSERT_EQ(LoadImageFile(pair, dir / "turned.jpg"), 1);
    const bool swapped = o >= 5;
    ASSERT_EQ(pair.width, swapped ? 32 : 64) << o;
    ASSERT_EQ(pair.height, swapped ? 64 : 32) << o;
    const std::int32_t w = pair.width, h = pair.height;
    auto at = [&](std::int32_t x, std::int32_t topY) { return pair.src[(h - 1 - topY) * w + x]; };
    const Pixel seen[4] = {at(4, 4), at(w - 5, 4), at(4, h - 5), at(w - 5, h - 5)};
    for (int c = 0; c < 4; ++c)
      EXPECT_LE(ChannelDistance(seen[c], corners[o][c]), 8) << "orientation " << o << " corner " << c;
  }
}

TEST(CodecSniffing, ContentWinsOverAWrongPngOrJpgName) {
  TempFolder dir;
  std::filesystem::copy_file(TestData("pillow/jpeg/hopper.jpg"), dir / "jpeg-inside.png");
  std::filesystem::copy_file(TestData("pillow/png/hopper.png"), dir / "png-inside.jpg");
  TImagePair a, b, png;
  ASSERT_EQ(LoadImageFile(a, dir / "jpeg-inside.png"), 1);
  EXPECT_EQ(a.fileType, 2);
  ASSERT_EQ(LoadImageFile(b, dir / "png-inside.jpg"), 1);
  ASSERT_EQ(LoadImageFile(png, TestData("pillow/png/hopper.png")), 1);
  EXPECT_EQ(b.src, png.src);
}

TEST(CodecSniffing, BmpNamedPngDoesNotSkipTheBmpChecks) {
  TempFolder dir;
  std::filesystem::copy_file(TestData("image-rs-bmp/good/Info_R8_G8_B8.bmp"), dir / "small.png");
  TImagePair pair = PairWithPicture();
  MessageCapture messages;
  EXPECT_EQ(LoadImageFile(pair, dir / "small.png"), 0);
  EXPECT_EQ(messages.texts, std::vector<std::string>{kMsgUnreadable});
  EXPECT_TRUE(PictureUnchanged(pair));
}

TEST(ImageCodec, EncodeMemoryGivesPaddedBottomUpBmp) {
  ImageCodec codec;
  const auto bytes = ReadBytes(TestData("pngsuite/s09n3p02.png"));  // 9 x 9, opaque
  ASSERT_EQ(codec.DecodeMemory(bytes.data(), bytes.size(), kFormatPng), DecodeStatus::kDecoded);
  ByteBlock image;
  ASSERT_TRUE(codec.EncodeMemory(kFormatBmp, image));
  ASSERT_EQ(image.size(), 54u + 28u * 9u);  // 27 bytes a row, padded to 28
  const std::vector<std::uint8_t> v(image.begin(), image.end());
  EXPECT_EQ(v[0], 'B');
  EXPECT_EQ(v[1], 'M');
  EXPECT_EQ(testing::Le32(v, 2), image.size());
  EXPECT_EQ(testing::Le32(v, 10), 54u);
  EXPECT_EQ(testing::Le32(v, 14), 40u);
  EXPECT_EQ(testing::Le32(v, 18), 9u);
  EXPECT_EQ(testing::Le32(v, 22), 9u);
  EXPECT_EQ(v[28], 24);
  for (int row = 0; row < 9; ++row) EXPECT_EQ(v[54 + row * 28 + 27], 0) << row;
  // The caller's block must be empty on entry.
  EXPECT_FALSE(codec.EncodeMemory(kFormatBmp, image));
}

TEST(ImageCodec, FailedDecodeLeavesNoPicture) {
  ImageCodec codec;
  const auto good = ReadBytes(TestData("pngsuite/basn6a08.png"));
  ASSERT_EQ(codec.DecodeMemory(good.data(), good.size(), kFormatPng), DecodeStatus::kDecoded);
  EXPECT_TRUE(codec.HasAlpha());
  const auto bad = ReadBytes(TestData("pngsuite/xcsn0g01.png"));
  EXPECT_EQ(codec.DecodeMemory(bad.data(), bad.size(), kFormatPng), DecodeStatus::kUnreadable);
  ByteBlock image;
  EXPECT_FALSE(codec.EncodeMemory(kFormatBmp, image));
  EXPECT_EQ(codec.DecodeMemory(nullptr, 0, kFormatPng), DecodeStatus::kUnreadable);
}

// A scan cut short by an end marker would decode as grey filler; with the
// header claiming 26228 x 31088 pixels, a 2 KB file stood for 3 GB of it.
TEST(JpegDecode, ScanCutShortByAMarkerIsRefused) {
  const auto whole = ReadBytes(TestData("pillow/jpeg/hopper.jpg"));
  std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(whole.size() / 2));
  cut.push_back(0xFF);
  cut.push_back(0xD9);
  TImagePair pair = PairWithPicture();
  EXPECT_EQ(LoadPngResource(3, cut.data(), cut.size(), pair), 0);
  EXPECT_TRUE(PictureUnchanged(pair));
  ImageCodec codec;
  EXPECT_EQ(codec.DecodeMemory(cut.data(), cut.size(), kFormatJpeg), DecodeStatus::kUnreadable);
}

TEST(LoadPngResource, DecodesBlockWithoutTouchingTitleOrType) {
  const auto png = ReadBytes(TestData("pngsuite/basn2c08.png"));
  TImagePair pair;
  pair.title = "keep";
  ASSERT_EQ(LoadPngResource(2, png.data(), png.size(), pair), 1);
  EXPECT_EQ(pair.loaded, 1);
  EXPECT_EQ(pair.width, 32);
  EXPECT_EQ(pair.bitDepth, 24u);
  EXPECT_EQ(pair.title, "keep");
  EXPECT_EQ(pair.fileType, 0);
  const auto jpg = ReadBytes(TestData("pillow/jpeg/hopper.jpg"));
  ASSERT_EQ(LoadPngResource(3, jpg.data(), jpg.size(), pair), 1);
  EXPECT_EQ(pair.width, 128);
}

TEST(LoadPngResource, RefusalsLeaveThePairAlone) {
  const auto png = ReadBytes(TestData("pngsuite/basn2c08.png"));
  const auto broken = ReadBytes(TestData("pillow/png/broken.png"));
  TImagePair pair = PairWithPicture();
  MessageCapture messages;
  EXPECT_EQ(LoadPngResource(1, png.data(), png.size(), pair), 0);
  EXPECT_EQ(LoadPngResource(2, nullptr, 10, pair), 0);
  EXPECT_EQ(LoadPngResource(2, png.data(), 0, pair), 0);
  EXPECT_EQ(LoadPngResource(2, broken.data(), broken.size(), pair), 0);
  EXPECT_EQ(LoadPngResource(2, png.data(), png.size() / 2, pair), 0);
  EXPECT_TRUE(PictureUnchanged(pair));
  EXPECT_TRUE(messages.texts.empty());
}

// The loader has JPEG rows decoded straight into its block; the pixels must
// be those of the codec's memory image, for every kind of file.
TEST(JpegDecode, StraightIntoTheBlockMatchesTheMemoryImage) {
  for (const char* name : {"libjpeg-turbo/testorig.jpg", "libjpeg-turbo/testimgint.jpg",
                           "libjpeg-turbo/testimgp.jpg", "libjpeg-turbo/testimgari.jpg",
                           "libjpeg-turbo/testimggray.jpg", "pillow/jpeg/hopper_16bit_qtables.jpg",
                           "pillow/jpeg/hopper_orientation_6.jpg", "pillow/jpeg/pil_sample_cmyk.jpg"}) {
    TImagePair loaded;
    ASSERT_EQ(LoadImageFile(loaded, TestData(name)), 1) << name;
    ImageCodec codec;
    ASSERT_EQ(codec.DecodeFile(TestData(name), kFormatJpeg), DecodeStatus::kDecoded) << name;
    PixelBlock none;
    EXPECT_FALSE(codec.TakePixels(none)) << name;  // not asked for: held as a memory image
    ByteBlock image;
    ASSERT_TRUE(codec.TakeMemoryImage(image)) << name;
    TDecodedPicture want;
    ASSERT_TRUE(ReadBmpMemoryImage(image.data(), image.size(), want)) << name;
    EXPECT_EQ(loaded.width, want.width) << name;
    EXPECT_EQ(loaded.height, want.height) << name;
    EXPECT_EQ(loaded.bitDepth, 24u) << name;
    ASSERT_TRUE(loaded.src == want.pixels) << name;
  }
  // Asked for, the pixels come instead of the memory image.
  ImageCodec codec;
  codec.WantPixels(true);
  ASSERT_EQ(codec.DecodeFile(TestData("libjpeg-turbo/testorig.jpg"), kFormatJpeg), DecodeStatus::kDecoded);
  ByteBlock image;
  EXPECT_FALSE(codec.TakeMemoryImage(image));
  PixelBlock pixels;
  ASSERT_TRUE(codec.TakePixels(pixels));
  EXPECT_EQ(pixels.size(), 227u * 149u);
  EXPECT_FALSE(codec.HasPicture());
}

}  // namespace
}  // namespace quorvel
