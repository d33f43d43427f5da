#include "shapes/thumbnail.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace quorvel {
namespace {

constexpr Pixel kWhite = 0xFFFFFFFFu;
constexpr Pixel kPenBlue = 0xFF0000FFu;  // B 255, G 0, R 0
constexpr float kDesignToThumb = 0.0833333358168602f;  // 1/12 in float32
constexpr std::int32_t kThumbnailReach = 1000;

// A two-pixel pen at grid point (x, y) covers columns x and x + 1 and
// display rows y and y + 1, so an edge at 50 (one past the last pixel) stays
// outside the 50 x 50 surface, as a one-pixel line there would.
void Dab(PixelBlock& bits, std::int32_t x, std::int32_t y) {
  for (std::int32_t row = y; row <= y + 1; ++row)
    for (std::int32_t col = x; col <= x + 1; ++col)
      if (col >= 0 && col < kThumbnailSide && row >= 0 && row < kThumbnailSide)
        bits[std::size_t(kThumbnailSide - 1 - row) * kThumbnailSide + col] = kPenBlue;
}

// Bresenham from (x0, y0) towards (x1, y1); like LineTo, the end point is not
// drawn, so a zero-length edge draws nothing.
void Line(PixelBlock& bits, std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1) {
  const std::int32_t dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
  const std::int32_t sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  std::int32_t err = dx + dy;
  while (x0 != x1 || y0 != y1) {
    Dab(bits, x0, y0);
    const std::int32_t e2 = 2 * err;
    if (e2 >= dy) err += dy, x0 += sx;
    if (e2 <= dx) err += dx, y0 += sy;
  }
}

}  // namespace

// Held to a band far beyond the 50 x 50 surface: every drawable outline
// keeps its pixels, and a wild one neither overflows the conversion nor
// makes the line walk for ever.
std::int32_t ThumbnailPixel(float design) {
  const float scaled = design * kDesignToThumb;
  const double v = static_cast<double>(scaled) + 0.5;
  if (!(v > -kThumbnailReach)) return -kThumbnailReach;
  if (v > kThumbnailReach) return kThumbnailReach;
  return static_cast<std::int32_t>(v);
}

void PrepareThumbnailSurface(TThumbnailSurface& surface) {
  AllocBlock(surface.bits, kThumbnailSide, kThumbnailSide);
}

bool DrawShapeThumbnail(const TWarpEngine& engine, TThumbnailSurface& surface, std::int32_t index,
                        std::uint8_t* pixels_out) {
  if (!pixels_out || surface.bits.size() != std::size_t(kThumbnailSide) * kThumbnailSide ||
      engine.shapes.empty())
    return false;
  std::fill(surface.bits.begin(), surface.bits.end(), kWhite);
  const auto count = static_cast<std::int32_t>(engine.shapes.size());
  const auto& outline = engine.shapes[std::size_t(((index % count) + count) % count)].outline;
  const std::size_t n = outline.size();
  for (std::size_t j = 0; j < n; ++j) {
    const TPointF& a = outline[j];
    const TPointF& b = outline[j + 1 == n ? 0 : j + 1];
    Line(surface.bits, ThumbnailPixel(a.x), ThumbnailPixel(a.y), ThumbnailPixel(b.x),
         ThumbnailPixel(b.y));
  }
  for (Pixel& p : surface.bits) p |= 0xFF000000u;
  const std::size_t row_bytes = kThumbnailSide * 4;
  for (std::int32_t r = 0; r < kThumbnailSide; ++r)
    std::memcpy(pixels_out + std::size_t(kThumbnailSide - 1 - r) * row_bytes,
                BytesOf(surface.bits) + std::size_t(r) * row_bytes, row_bytes);
  return true;
}

}  // namespace quorvel
