#include "imagefiles/exif_orientation.h"

#include <cstring>

namespace quorvel {
namespace {

constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kTypeShort = 3;

struct TiffReader {
  const std::uint8_t* base;
  std::size_t size;
  bool littleEndian;

  std::uint32_t U16(std::size_t at) const {
    return littleEndian ? base[at] | base[at + 1] << 8 : base[at] << 8 | base[at + 1];
  }
  std::uint32_t U32(std::size_t at) const {
    return littleEndian ? U16(at) | U16(at + 2) << 16 : U16(at) << 16 | U16(at + 2);
  }
};

}  // namespace

int ExifOrientation(const std::uint8_t* payload, std::size_t size) {
  static const std::uint8_t kExif[6] = {'E', 'x', 'i', 'f', 0, 0};
  if (!payload || size < 6 + 8 || std::memcmp(payload, kExif, 6) != 0) return 1;
  TiffReader tiff{payload + 6, size - 6, false};
  if (tiff.base[0] == 'I' && tiff.base[1] == 'I')
    tiff.littleEndian = true;
  else if (tiff.base[0] != 'M' || tiff.base[1] != 'M')
    return 1;
  if (tiff.U16(2) != 42) return 1;
  const std::size_t ifd = tiff.U32(4);
  if (ifd > tiff.size || tiff.size - ifd < 2) return 1;
  const std::size_t count = tiff.U16(ifd);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t entry = ifd + 2 + 12 * i;
    if (tiff.size - ifd - 2 < 12 * (i + 1)) return 1;
    if (tiff.U16(entry) != kOrientationTag) continue;
    if (tiff.U16(entry + 2) != kTypeShort || tiff.U32(entry + 4) != 1) return 1;
    // A SHORT value sits in the first two bytes of the value field.
    const int value = static_cast<int>(tiff.U16(entry + 8));
    return value >= 1 && value <= 8 ? value : 1;
  }
  return 1;
}

namespace {

template <int kBytes>
void OrientPixelsAs(const std::uint8_t* src, std::int32_t width, std::int32_t height,
                    int orientation, std::uint8_t* dstTop, std::ptrdiff_t dstStep) {
  // Upright (x, y) shows stored column c0 + cx*x + cy*y and row
  // r0 + rx*x + ry*y; as a source offset that is one step per x and per y.
  struct Affine { bool c0Last, r0Last; int cx, cy, rx, ry; };
  static const Affine kByOrientation[9] = {
      {false, false, 1, 0, 0, 1},   // unused
      {false, false, 1, 0, 0, 1},   // 1 as stored
      {true, false, -1, 0, 0, 1},   // 2 mirrored left-right
      {true, true, -1, 0, 0, -1},   // 3 turned 180
      {false, true, 1, 0, 0, -1},   // 4 mirrored top-bottom
      {false, false, 0, 1, 1, 0},   // 5 transposed
      {false, true, 0, 1, -1, 0},   // 6 turned 90 clockwise
      {true, true, 0, -1, -1, 0},   // 7 transversed
      {true, false, 0, -1, 1, 0},   // 8 turned 90 counter-clockwise
  };
  const Affine& a = kByOrientation[orientation >= 1 && orientation <= 8 ? orientation : 1];
  const bool swap = OrientationSwapsSides(orientation);
  const std::int32_t outW = swap ? height : width;
  const std::int32_t outH = swap ? width : height;
  const std::ptrdiff_t w = width;
  const std::ptrdiff_t c0 = a.c0Last ? w - 1 : 0;
  const std::ptrdiff_t r0 = a.r0Last ? height - 1 : 0;
  const std::ptrdiff_t stepX = (a.rx * w + a.cx) * kBytes;
  const std::ptrdiff_t stepY = (a.ry * w + a.cy) * kBytes;
  // Offsets, not pointers: the step past the last pixel may leave src.
  std::ptrdiff_t rowStart = (r0 * w + c0) * kBytes;
  for (std::int32_t y = 0; y < outH; ++y, rowStart += stepY) {
    std::uint8_t* d = dstTop + y * dstStep;
    std::ptrdiff_t s = rowStart;
    for (std::int32_t x = 0; x < outW; ++x, d += kBytes, s += stepX)
      for (int b = 0; b < kBytes; ++b) d[b] = src[s + b];
  }
}

}  // namespace

void OrientPixels24(const std::uint8_t* src, std::int32_t width, std::int32_t height,
                    int orientation, std::uint8_t* dstTop, std::ptrdiff_t dstStep) {
  OrientPixelsAs<3>(src, width, height, orientation, dstTop, dstStep);
}

void OrientPixels32(const std::uint8_t* src, std::int32_t width, std::int32_t height,
                    int orientation, std::uint8_t* dstTop, std::ptrdiff_t dstStep) {
  OrientPixelsAs<4>(src, width, height, orientation, dstTop, dstStep);
}

}  // namespace quorvel
