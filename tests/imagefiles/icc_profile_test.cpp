// Colour profiles: carried from the opened file through the picture record
// into every saved format that holds one; never an orientation with them.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <algorithm>

#include "imagefiles/loader.h"
#include "imagefiles/saver.h"
#include "tests/imagefiles/test_support.h"
#include "tests/support/heif_sample.h"
#include "tests/support/icc_sample.h"

namespace quorvel {
namespace {

using testing::MakeIccProfile;
using testing::PatternPixel;
using testing::ReadBytes;
using testing::TempFolder;

PixelBlock Opaque(std::int32_t w, std::int32_t h) {
  PixelBlock p;
  AllocBlock(p, w, h);
  for (std::int32_t i = 0; i < w * h; ++i) p[i] = PatternPixel(i % w, i / w) | 0xFF000000u;
  return p;
}

bool Contains(const std::vector<std::uint8_t>& bytes, const std::string& text) {
  return std::search(bytes.begin(), bytes.end(), text.begin(), text.end()) != bytes.end();
}

const char* const kWritable[] = {"png", "jpg", "webp", "tif"};

bool WriteAs(const std::string& ending, const PixelBlock& p, std::int32_t w, std::int32_t h,
             const std::filesystem::path& path, const ByteBlock& profile) {
  if (ending == "png") return WritePng(p.data(), h, path, w, profile);
  if (ending == "jpg") return WriteJpeg(p.data(), h, path, w, profile);
  if (ending == "webp") return WriteWebp(p.data(), h, path, w, profile);
  return WriteTiff(p.data(), h, path, w, profile);
}

TEST(IccProfile, TravelsFromEveryReadFormatIntoEverySavedOne) {
  TempFolder dir;
  const ByteBlock profile = MakeIccProfile("wide gamut sample");
  const PixelBlock pixels = Opaque(24, 18);
  std::vector<std::string> sources(std::begin(kWritable), std::end(kWritable));
  ASSERT_TRUE(testing::WriteHeifSample(pixels.data(), 24, 18, false, testing::HeifKind::kHeic, profile,
                                       dir / "in.heic"));
  sources.push_back("heic");
  for (const std::string& from : sources) {
    const auto in = dir / ("in." + from);
    if (from != "heic") {
      ASSERT_TRUE(WriteAs(from, pixels, 24, 18, in, profile)) << from;
    }
    TImagePair pair;
    ASSERT_EQ(LoadImageFile(pair, in), 1) << from;
    ASSERT_EQ(pair.iccProfile, profile) << from;
    pair.result = pair.src;
    for (const char* to : kWritable) {
      const auto out = dir / ("out-" + from + "." + to);
      ASSERT_EQ(SaveImageFile(pair, out), 1) << from << " -> " << to;
      TImagePair back;
      ASSERT_EQ(LoadImageFile(back, out), 1);
      EXPECT_EQ(back.iccProfile, profile) << from << " -> " << to;
    }
    // A BMP holds none, and reading one leaves no earlier profile behind.
    ASSERT_EQ(SaveImageFile(pair, dir / "out.bmp"), 1);
    ASSERT_EQ(LoadImageFile(pair, dir / "out.bmp"), 1);
    EXPECT_TRUE(pair.iccProfile.empty());
  }
}

TEST(IccProfile, PictureWithoutOneIsSavedWithoutOne) {
  TempFolder dir;
  const PixelBlock pixels = Opaque(20, 16);
  ASSERT_TRUE(WritePng(pixels.data(), 16, dir / "plain.png", 20));
  TImagePair pair;
  ASSERT_EQ(LoadImageFile(pair, dir / "plain.png"), 1);
  EXPECT_TRUE(pair.iccProfile.empty());
  pair.result = pair.src;
  for (const char* to : kWritable) {
    const auto out = dir / (std::string("out.") + to);
    ASSERT_EQ(SaveImageFile(pair, out), 1);
    const auto bytes = ReadBytes(out);
    EXPECT_FALSE(Contains(bytes, "iCCP") || Contains(bytes, "ICC_PROFILE") || Contains(bytes, "ICCP")) << to;
    TImagePair back;
    ASSERT_EQ(LoadImageFile(back, out), 1);
    EXPECT_TRUE(back.iccProfile.empty()) << to;
  }
}

// A JPEG turned by EXIF orientation 6 and carrying a profile: the
// profile goes along, the orientation never does.
TEST(IccProfile, TurnedPhotographKeepsItsProfileButNoOrientation) {
  TempFolder dir;
  const ByteBlock profile = MakeIccProfile("camera");
  const PixelBlock pixels = Opaque(32, 16);
  ASSERT_TRUE(WriteJpeg(pixels.data(), 16, dir / "flat.jpg", 32, profile));
  auto bytes = ReadBytes(dir / "flat.jpg");
  // EXIF APP1 with one IFD0 entry: Orientation = 6, big-endian.
  const std::uint8_t app1[] = {0xFF, 0xE1, 0, 34, 'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8,
                               0, 1, 0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, 6, 0, 0, 0, 0, 0, 0};
  bytes.insert(bytes.begin() + 2, std::begin(app1), std::end(app1));
  testing::WriteBytes(dir / "turned.jpg", bytes);
  TImagePair pair;
  ASSERT_EQ(LoadImageFile(pair, dir / "turned.jpg"), 1);
  ASSERT_EQ(pair.width, 16);
  ASSERT_EQ(pair.height, 32);
  EXPECT_EQ(pair.iccProfile, profile);
  pair.result = pair.src;
  for (const char* to : kWritable) {
    const auto out = dir / (std::string("saved.") + to);
    ASSERT_EQ(SaveImageFile(pair, out), 1);
    EXPECT_FALSE(Contains(ReadBytes(out), "Exif")) << to;
    TImagePair back;
    ASSERT_EQ(LoadImageFile(back, out), 1);
    EXPECT_EQ(back.width, 16) << to;
    EXPECT_EQ(back.height, 32) << to;
    EXPECT_EQ(back.iccProfile, profile) << to;
  }
  TIFF* tif = TIFFOpen((dir / "saved.tif").c_str(), "r");
  ASSERT_NE(tif, nullptr);
  std::uint16_t orientation = 0;
  EXPECT_EQ(TIFFGetField(tif, TIFFTAG_ORIENTATION, &orientation), 0);
  TIFFClose(tif);
}

}  // namespace
}  // namespace quorvel
