#include "imagefiles/bmp_layout.h"

#include <cstring>
#include <limits>

namespace quorvel {
namespace {

std::uint32_t Read32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

void Write16(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}

void Write32(std::uint8_t* p, std::uint32_t v) {
  Write16(p, v);
  Write16(p + 2, v >> 16);
}

}  // namespace

bool ParseBmpHeader(const std::uint8_t* bytes, TBmpHeader& out) {
  if (bytes[0] != 'B' || bytes[1] != 'M') return false;
  out.fileSize = Read32(bytes + 2);
  out.pixelOffset = Read32(bytes + 10);
  out.width = static_cast<std::int32_t>(Read32(bytes + 18));
  out.height = static_cast<std::int32_t>(Read32(bytes + 22));
  out.bitCount = static_cast<std::uint16_t>(bytes[28] | bytes[29] << 8);
  return true;
}

bool FillBmpHeaders(std::uint8_t* out, std::int32_t width, std::int32_t height,
                    std::uint16_t bitCount, std::uint64_t imageSize) {
  const std::uint64_t fileSize = imageSize + kBmpHeadersSize;
  if (fileSize > std::numeric_limits<std::uint32_t>::max()) return false;
  std::memset(out, 0, kBmpHeadersSize);
  out[0] = 'B';
  out[1] = 'M';
  Write32(out + 2, static_cast<std::uint32_t>(fileSize));
  Write32(out + 10, kBmpHeadersSize);
  Write32(out + 14, 40);
  Write32(out + 18, static_cast<std::uint32_t>(width));
  Write32(out + 22, static_cast<std::uint32_t>(height));
  Write16(out + 26, 1);
  Write16(out + 28, bitCount);
  Write32(out + 34, static_cast<std::uint32_t>(imageSize));
  return true;
}

std::uint64_t BmpStride(std::int32_t width, std::uint16_t bitCount) {
  const std::uint64_t bits = static_cast<std::uint64_t>(width) * bitCount;
  return (bits + 31) / 32 * 4;
}

std::uint64_t BmpPixelBytesNeeded(std::int32_t width, std::int32_t height,
                                  std::uint16_t bitCount) {
  const std::uint64_t w = static_cast<std::uint64_t>(width);
  const std::uint64_t h = static_cast<std::uint64_t>(height);
  if (bitCount == 32) return w * h * 4;
  return (h - 1) * BmpStride(width, bitCount) + w * 3;
}

void ConvertBmpRows(const std::uint8_t* rows, std::int32_t width, std::int32_t height,
                    std::uint16_t bitCount, Pixel* out) {
  const std::size_t w = static_cast<std::size_t>(width);
  const std::size_t h = static_cast<std::size_t>(height);
  if (bitCount == 32) {
    std::memcpy(out, rows, w * h * 4);
    return;
  }
  const std::size_t stride = static_cast<std::size_t>(BmpStride(width, bitCount));
  for (std::size_t j = 0; j < h; ++j) {
    const std::uint8_t* s = rows + j * stride;
    Pixel* d = out + j * w;
    for (std::size_t i = 0; i < w; ++i, s += 3)
      d[i] = 0xFF000000u | static_cast<Pixel>(s[2]) << 16 | static_cast<Pixel>(s[1]) << 8 | s[0];
  }
}

}  // namespace quorvel
