// WebP, TIFF, HEIC and AVIF: files made here with our writers or with the
// libraries themselves, read back through LoadImageFile.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstdlib>
#include <cstring>

#include "imagefiles/codec.h"
#include "imagefiles/loader.h"
#include "imagefiles/messages.h"
#include "imagefiles/saver.h"
#include "tests/imagefiles/test_support.h"
#include "tests/support/heif_sample.h"

namespace quorvel {
namespace {

using testing::MessageCapture;
using testing::PairWithPicture;
using testing::PatternPixel;
using testing::PictureUnchanged;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

PixelBlock Pattern(std::int32_t w, std::int32_t h, bool alpha) {
  PixelBlock p;
  AllocBlock(p, w, h);
  for (std::int32_t i = 0; i < w * h; ++i) p[i] = PatternPixel(i % w, i / w) | (alpha ? 0 : 0xFF000000u);
  return p;
}

// Four flat quadrants (bottom-up rows): lossy coders keep their colours.
PixelBlock Quadrants(std::int32_t w, std::int32_t h, std::uint8_t alpha) {
  const Pixel colours[4] = {0xFF2040E0u, 0xFF30C050u, 0xFFD0A020u, 0xFF808080u};
  PixelBlock p;
  AllocBlock(p, w, h);
  for (std::int32_t y = 0; y < h; ++y)
    for (std::int32_t x = 0; x < w; ++x)
      p[y * w + x] = (colours[(y < h / 2) * 2 + (x >= w / 2)] & 0xFFFFFFu) | static_cast<Pixel>(alpha) << 24;
  return p;
}

int WorstChannel(const PixelBlock& a, const PixelBlock& b, int margin, std::int32_t w, std::int32_t h) {
  int worst = 0;
  for (std::int32_t y = margin; y < h - margin; ++y)
    for (std::int32_t x = margin; x < w - margin; ++x) {
      // Away from the quadrant seams, where lossy coders blur.
      if (std::abs(x - w / 2) < margin || std::abs(y - h / 2) < margin) continue;
      for (int s = 0; s < 32; s += 8)
        worst = std::max(worst, std::abs(static_cast<int>((a[y * w + x] >> s) & 0xFF) -
                                         static_cast<int>((b[y * w + x] >> s) & 0xFF)));
    }
  return worst;
}

TEST(WebpFiles, TransparentPicturesRoundTripExactly) {
  TempFolder dir;
  const PixelBlock pixels = Pattern(37, 21, true);
  ASSERT_TRUE(WriteWebp(pixels.data(), 21, dir / "a.webp", 37));
  const auto bytes = ReadBytes(dir / "a.webp");
  EXPECT_NE(std::search(bytes.begin(), bytes.end(), "VP8L", "VP8L" + 4), bytes.end()) << "lossless";
  TImagePair pair;
  ASSERT_EQ(LoadImageFile(pair, dir / "a.webp"), 1);
  EXPECT_EQ(pair.fileType, 4);
  EXPECT_EQ(pair.bitDepth, 32u);
  EXPECT_EQ(pair.src, pixels);
}

TEST(WebpFiles, OpaquePicturesAreLossyAndOpaque) {
  TempFolder dir;
  const PixelBlock pixels = Quadrants(64, 48, 255);
  ASSERT_TRUE(WriteWebp(pixels.data(), 48, dir / "o.webp", 64));
  const auto bytes = ReadBytes(dir / "o.webp");
  EXPECT_EQ(std::search(bytes.begin(), bytes.end(), "VP8L", "VP8L" + 4), bytes.end()) << "lossy";
  TImagePair pair;
  ASSERT_EQ(LoadImageFile(pair, dir / "o.webp"), 1);
  EXPECT_EQ(pair.bitDepth, 24u);
  EXPECT_LE(WorstChannel(pair.src, pixels, 6, 64, 48), 6);
}

TEST(TiffFiles, SavedTiffIsDeflatedRgbaWithoutOrientationAndRoundTrips) {
  TempFolder dir;
  const PixelBlock pixels = Pattern(33, 17, true);
  ASSERT_TRUE(WriteTiff(pixels.data(), 17, dir / "a.tif", 33));
  TIFF* tif = TIFFOpen((dir / "a.tif").c_str(), "r");
  ASSERT_NE(tif, nullptr);
  std::uint16_t compression = 0, samples = 0, bits = 0, orientation = 0;
  TIFFGetField(tif, TIFFTAG_COMPRESSION, &compression);
  TIFFGetField(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
  TIFFGetField(tif, TIFFTAG_BITSPERSAMPLE, &bits);
  EXPECT_EQ(compression, COMPRESSION_ADOBE_DEFLATE);
  EXPECT_EQ(samples, 4);
  EXPECT_EQ(bits, 8);
  EXPECT_EQ(TIFFGetField(tif, TIFFTAG_ORIENTATION, &orientation), 0);
  TIFFClose(tif);
  for (const char* name : {"a.tif", "a.tiff"}) {
    if (std::string(name) == "a.tiff") std::filesystem::copy_file(dir / "a.tif", dir / name);
    TImagePair pair;
    ASSERT_EQ(LoadImageFile(pair, dir / name), 1);
    EXPECT_EQ(pair.fileType, 5);
    EXPECT_EQ(pair.src, pixels);
  }
}

// Writes one strip- or tile-organised TIFF of 32 x 16 with libtiff itself.
struct TiffLayoutCase {
  const char* name;
  std::uint16_t photometric, samples, bits, extra, orientation;
  bool tiled;
};

void WriteLayout(const std::filesystem::path& path, const TiffLayoutCase& c) {
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  ASSERT_NE(tif, nullptr);
  const std::uint32_t w = 32, h = 16;
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, w);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, h);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, c.bits);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, c.samples);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, c.photometric);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
  TIFFSetField(tif, TIFFTAG_ORIENTATION, c.orientation);
  if (c.extra) TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &c.extra);
  std::vector<std::uint16_t> map(256);
  for (int i = 0; i < 256; ++i) map[i] = static_cast<std::uint16_t>(i * 257);
  if (c.photometric == PHOTOMETRIC_PALETTE) TIFFSetField(tif, TIFFTAG_COLORMAP, map.data(), map.data(), map.data());
  // Sample s of pixel (x, y): x*8 + s*40 + y, alpha 255 at the right half.
  auto sample = [&](std::uint32_t x, std::uint32_t y, int s) -> std::uint32_t {
    if (c.extra && s == c.samples - 1) return x >= 16 ? 255 : 100;
    return (x * 8 + s * 40 + y) & 0xFF;
  };
  const std::size_t bytes = c.bits / 8;
  std::vector<std::uint8_t> image(w * h * c.samples * bytes);
  for (std::uint32_t y = 0; y < h; ++y)
    for (std::uint32_t x = 0; x < w; ++x)
      for (int s = 0; s < c.samples; ++s) {
        const std::uint32_t v = sample(x, y, s);
        std::uint8_t* d = &image[((y * w + x) * c.samples + s) * bytes];
        if (bytes == 1) *d = static_cast<std::uint8_t>(v);
        else { const std::uint16_t v16 = static_cast<std::uint16_t>(v * 257); std::memcpy(d, &v16, 2); }
      }
  if (c.tiled) {
    TIFFSetField(tif, TIFFTAG_TILEWIDTH, 16);
    TIFFSetField(tif, TIFFTAG_TILELENGTH, 16);
    std::vector<std::uint8_t> tile(16 * 16 * c.samples * bytes);
    for (std::uint32_t tx = 0; tx < w; tx += 16) {
      for (std::uint32_t y = 0; y < 16; ++y)
        std::memcpy(&tile[y * 16 * c.samples * bytes], &image[(y * w + tx) * c.samples * bytes], 16 * c.samples * bytes);
      ASSERT_GE(TIFFWriteTile(tif, tile.data(), tx, 0, 0, 0), 0);
    }
  } else {
    for (std::uint32_t y = 0; y < h; ++y)
      ASSERT_EQ(TIFFWriteScanline(tif, &image[y * w * c.samples * bytes], y, 0), 1);
  }
  TIFFClose(tif);
}

TEST(TiffFiles, CommonLayoutsArriveAsTheirSamplesSay) {
  const TiffLayoutCase cases[] = {
      {"rgb8", PHOTOMETRIC_RGB, 3, 8, 0, 1, false},
      {"rgb16", PHOTOMETRIC_RGB, 3, 16, 0, 1, false},
      {"rgba8", PHOTOMETRIC_RGB, 4, 8, EXTRASAMPLE_UNASSALPHA, 1, false},
      {"grey8", PHOTOMETRIC_MINISBLACK, 1, 8, 0, 1, false},
      {"grey16-alpha", PHOTOMETRIC_MINISBLACK, 2, 16, EXTRASAMPLE_UNASSALPHA, 1, false},
      {"palette", PHOTOMETRIC_PALETTE, 1, 8, 0, 1, false},
      {"tiled-rgba", PHOTOMETRIC_RGB, 4, 8, EXTRASAMPLE_UNASSALPHA, 1, true},
      {"turned-6", PHOTOMETRIC_RGB, 3, 8, 0, 6, false},
  };
  TempFolder dir;
  for (const TiffLayoutCase& c : cases) {
    const auto path = dir / (std::string(c.name) + ".tif");
    WriteLayout(path, c);
    TImagePair pair;
    ASSERT_EQ(LoadImageFile(pair, path), 1) << c.name;
    const bool turned = c.orientation == 6;
    ASSERT_EQ(pair.width, turned ? 16 : 32) << c.name;
    ASSERT_EQ(pair.height, turned ? 32 : 16) << c.name;
    EXPECT_EQ(pair.bitDepth, c.extra ? 32u : 24u) << c.name;
    const bool colour = c.photometric == PHOTOMETRIC_RGB;
    for (std::uint32_t y = 0; y < 16; ++y)
      for (std::uint32_t x = 0; x < 32; ++x) {
        // Orientation 6: stored row y is upright column 15 - y, stored
        // column x upright row x.
        const std::int32_t ux = turned ? 15 - static_cast<std::int32_t>(y) : static_cast<std::int32_t>(x);
        const std::int32_t uy = turned ? static_cast<std::int32_t>(x) : static_cast<std::int32_t>(y);
        const Pixel p = pair.src[(pair.height - 1 - uy) * pair.width + ux];
        const std::uint32_t r = (x * 8 + y) & 0xFF;
        const std::uint32_t g = colour ? (x * 8 + 40 + y) & 0xFF : r;
        const std::uint32_t b = colour ? (x * 8 + 80 + y) & 0xFF : r;
        const std::uint32_t a = c.extra ? (x >= 16 ? 255 : 100) : 255;
        // Premultiplied and straightened again, the tiled case may be off
        // by the rounding of alpha 100.
        const int slack = c.tiled ? 2 : 0;
        ASSERT_NEAR(static_cast<int>((p >> 16) & 0xFF), static_cast<int>(r), slack) << c.name << " " << x << "," << y;
        ASSERT_NEAR(static_cast<int>((p >> 8) & 0xFF), static_cast<int>(g), slack) << c.name;
        ASSERT_NEAR(static_cast<int>(p & 0xFF), static_cast<int>(b), slack) << c.name;
        ASSERT_EQ(p >> 24, a) << c.name;
      }
  }
}

TEST(HeifFiles, HeicAndAvifDecodeWithAndWithoutAlpha) {
  TempFolder dir;
  for (auto kind : {testing::HeifKind::kHeic, testing::HeifKind::kAvif})
    for (bool alpha : {false, true}) {
      const PixelBlock pixels = Quadrants(64, 48, alpha ? 128 : 255);
      const auto path = dir / (kind == testing::HeifKind::kAvif ? "q.avif" : "q.heic");
      ASSERT_TRUE(testing::WriteHeifSample(pixels.data(), 64, 48, alpha, kind, {}, path, 95));
      TImagePair pair;
      ASSERT_EQ(LoadImageFile(pair, path), 1) << path;
      EXPECT_EQ(pair.fileType, 6);
      ASSERT_EQ(pair.width, 64);
      ASSERT_EQ(pair.height, 48);
      EXPECT_EQ(pair.bitDepth, alpha ? 32u : 24u);
      EXPECT_LE(WorstChannel(pair.src, pixels, 8, 64, 48), 12) << path << alpha;
    }
}

TEST(NewFormats, BrokenFilesShowTheUnreadableMessageAndKeepThePicture) {
  TempFolder dir;
  const PixelBlock pixels = Quadrants(40, 40, 255);
  ASSERT_TRUE(WriteWebp(pixels.data(), 40, dir / "p.webp", 40));
  ASSERT_TRUE(WriteTiff(pixels.data(), 40, dir / "p.tif", 40));
  ASSERT_TRUE(testing::WriteHeifSample(pixels.data(), 40, 40, false, testing::HeifKind::kHeic, {}, dir / "p.heic"));
  for (const char* name : {"p.webp", "p.tif", "p.heic"}) {
    auto bytes = ReadBytes(dir / name);
    const std::string stem = std::string("cut-") + name;
    WriteBytes(dir / stem, std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + bytes.size() / 2));
    WriteBytes(dir / ("empty-" + std::string(name)), {});
    for (const std::string& broken : {stem, "empty-" + std::string(name)}) {
      TImagePair pair = PairWithPicture();
      MessageCapture messages;
      EXPECT_EQ(LoadImageFile(pair, dir / broken), 0) << broken;
      EXPECT_EQ(messages.texts, std::vector<std::string>{kMsgUnreadable}) << broken;
      EXPECT_TRUE(PictureUnchanged(pair)) << broken;
    }
  }
}

TEST(NewFormats, TiffAboveTheSizeLimitIsRefusedFromItsHeader) {
  TempFolder dir;
  for (std::uint32_t w : {32768u, 16u}) {
    TIFF* tif = TIFFOpen((dir / "big.tif").c_str(), "w");
    ASSERT_NE(tif, nullptr);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, w);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, w == 16u ? 40000u : 1u);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 1u);
    std::vector<std::uint8_t> row(w, 7);
    ASSERT_EQ(TIFFWriteScanline(tif, row.data(), 0, 0), 1);  // one row of data is enough
    TIFFClose(tif);
    TImagePair pair = PairWithPicture();
    MessageCapture messages;
    EXPECT_EQ(LoadImageFile(pair, dir / "big.tif"), 0);
    EXPECT_EQ(messages.texts, std::vector<std::string>{kMsgTooLarge});
    EXPECT_TRUE(PictureUnchanged(pair));
  }
}

TEST(NewFormats, ContentWinsOverTheName) {
  TempFolder dir;
  const PixelBlock pixels = Pattern(20, 20, true);
  ASSERT_TRUE(WriteWebp(pixels.data(), 20, dir / "webp-inside.tif", 20));
  ASSERT_TRUE(WriteTiff(pixels.data(), 20, dir / "tiff-inside.png", 20));
  for (const char* name : {"webp-inside.tif", "tiff-inside.png"}) {
    TImagePair pair;
    ASSERT_EQ(LoadImageFile(pair, dir / name), 1) << name;
    EXPECT_EQ(pair.src, pixels) << name;
  }
}

TEST(NewFormats, SavedByEndingAndHeifNamesGetBmp) {
  TempFolder dir;
  TImagePair pair;
  pair.width = 16;
  pair.height = 15;
  pair.result = Pattern(16, 15, true);
  ASSERT_EQ(SaveImageFile(pair, dir / "r.webp"), 1);
  ASSERT_EQ(SaveImageFile(pair, dir / "r.TIFF"), 1);
  ASSERT_EQ(SaveImageFile(pair, dir / "r.heic"), 1);
  EXPECT_EQ(SniffFormat(ReadBytes(dir / "r.webp").data(), 12), kFormatWebp);
  EXPECT_EQ(SniffFormat(ReadBytes(dir / "r.TIFF").data(), 4), kFormatTiff);
  EXPECT_TRUE(std::filesystem::exists(dir / "r.heic.bmp"));
  EXPECT_FALSE(std::filesystem::exists(dir / "r.heic"));
}

}  // namespace
}  // namespace quorvel
