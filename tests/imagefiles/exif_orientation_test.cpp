#include "imagefiles/exif_orientation.h"

#include <gtest/gtest.h>

#include <vector>

namespace quorvel {
namespace {

// "Exif\0\0" + TIFF header + IFD0 with one entry for tag 0x0112.
std::vector<std::uint8_t> ExifPayload(bool littleEndian, std::uint16_t type, std::uint16_t value) {
  auto u16 = [&](std::vector<std::uint8_t>& b, std::uint16_t v) {
    if (littleEndian) {
      b.push_back(v & 0xFF);
      b.push_back(v >> 8);
    } else {
      b.push_back(v >> 8);
      b.push_back(v & 0xFF);
    }
  };
  auto u32 = [&](std::vector<std::uint8_t>& b, std::uint32_t v) {
    if (littleEndian) {
      u16(b, v & 0xFFFF);
      u16(b, v >> 16);
    } else {
      u16(b, v >> 16);
      u16(b, v & 0xFFFF);
    }
  };
  std::vector<std::uint8_t> b = {'E', 'x', 'i', 'f', 0, 0};
  b.push_back(littleEndian ? 'I' : 'M');
  b.push_back(littleEndian ? 'I' : 'M');
  u16(b, 42);
  u32(b, 8);
  u16(b, 2);                      // two entries: another tag first
  u16(b, 0x010F), u16(b, 2), u32(b, 4), u32(b, 0);
  u16(b, 0x0112), u16(b, type), u32(b, 1), u16(b, value), u16(b, 0);
  u32(b, 0);
  return b;
}

TEST(ExifOrientation, ReadsTagInBothByteOrders) {
  for (std::uint16_t v = 1; v <= 8; ++v) {
    auto le = ExifPayload(true, 3, v);
    auto be = ExifPayload(false, 3, v);
    EXPECT_EQ(ExifOrientation(le.data(), le.size()), v);
    EXPECT_EQ(ExifOrientation(be.data(), be.size()), v);
  }
}

TEST(ExifOrientation, MalformedOrOutOfRangeMeansAsStored) {
  auto bad = ExifPayload(true, 3, 9);
  EXPECT_EQ(ExifOrientation(bad.data(), bad.size()), 1);
  auto wrongType = ExifPayload(true, 4, 6);
  EXPECT_EQ(ExifOrientation(wrongType.data(), wrongType.size()), 1);
  // Cut inside the second entry: nothing may be read beyond the payload.
  auto cut = ExifPayload(true, 3, 6);
  cut.resize(6 + 8 + 2 + 12 + 6);
  EXPECT_EQ(ExifOrientation(cut.data(), cut.size()), 1);
  // IFD offset far past the end.
  auto far = ExifPayload(true, 3, 6);
  far[6 + 4] = 0xFF, far[6 + 5] = 0xFF, far[6 + 6] = 0xFF, far[6 + 7] = 0x7F;
  EXPECT_EQ(ExifOrientation(far.data(), far.size()), 1);
  const std::uint8_t notExif[] = "JFIF\0\0II*\0\x08\0\0\0";
  EXPECT_EQ(ExifOrientation(notExif, sizeof notExif), 1);
}

// Stored 3 x 2, pixels numbered 0..5 row by row from the top; each expected
// table lists the upright picture row by row from the top.
TEST(OrientPixels24, TurnsEveryOrientationUpright) {
  const std::uint8_t stored[] = {0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5, 5, 5};
  const std::vector<std::vector<int>> upright = {
      {0, 1, 2, 3, 4, 5},  // 1
      {2, 1, 0, 5, 4, 3},  // 2 mirrored
      {5, 4, 3, 2, 1, 0},  // 3 turned 180
      {3, 4, 5, 0, 1, 2},  // 4 flipped
      {0, 3, 1, 4, 2, 5},  // 5 transposed (2 wide, 3 high)
      {3, 0, 4, 1, 5, 2},  // 6 turned clockwise
      {5, 2, 4, 1, 3, 0},  // 7 transversed
      {2, 5, 1, 4, 0, 3},  // 8 turned counter-clockwise
  };
  for (int o = 1; o <= 8; ++o) {
    const int outW = OrientationSwapsSides(o) ? 2 : 3;
    std::uint8_t out[18] = {};
    OrientPixels24(stored, 3, 2, o, out, outW * 3);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(out[i * 3 + 1], upright[o - 1][i]) << "orientation " << o;
  }
}

TEST(OrientPixels24, WritesBottomUpWithNegativeStep) {
  const std::uint8_t stored[] = {0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5, 5, 5};
  std::uint8_t out[18] = {};
  // Turned clockwise: 2 wide, 3 high; memory row 0 is the bottom row.
  OrientPixels24(stored, 3, 2, 6, out + 2 * 6, -6);
  const int expected[] = {5, 2, 4, 1, 3, 0};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(out[i * 3], expected[i]);
}

}  // namespace
}  // namespace quorvel
