#include "raster/zoom.h"

#include <cstring>

#include "raster/fixed_point.h"

namespace quorvel {
namespace {

// 4 x 4 taps around (ix, iy) = (x16 >> 16, y16 >> 16); the caller guarantees
// rows iy-1..iy+2 and columns ix-1..ix+2 exist. Bytes are weighted alike,
// alpha included.
inline Pixel SampleFast(const std::uint8_t* pixels, std::ptrdiff_t stride,
                        std::int32_t x16, std::int32_t y16) {
  const std::int32_t ix = x16 >> 16;
  const std::int32_t iy = y16 >> 16;
  const std::int32_t u = (x16 >> 8) & 255;
  const std::int32_t v = (y16 >> 8) & 255;
  const std::int32_t* w = BicubicWeightTable;
  const std::int32_t wc[4] = {w[256 + u], w[u], w[256 - u], w[512 - u]};
  const std::int32_t wr[4] = {w[256 + v], w[v], w[256 - v], w[512 - v]};

  std::int32_t sum[4] = {0, 0, 0, 0};
  const std::uint8_t* row = pixels + (iy - 1) * stride + (ix - 1) * 4;
  for (int r = 0; r < 4; ++r, row += stride) {
    for (int ch = 0; ch < 4; ++ch) {
      const std::int32_t across = wc[0] * row[ch] + wc[1] * row[4 + ch] +
                                  wc[2] * row[8 + ch] + wc[3] * row[12 + ch];
      sum[ch] += wr[r] * across;
    }
  }
  return static_cast<Pixel>(ClampTable[sum[0] >> 16]) |
         static_cast<Pixel>(ClampTable[sum[1] >> 16]) << 8 |
         static_cast<Pixel>(ClampTable[sum[2] >> 16]) << 16 |
         static_cast<Pixel>(ClampTable[sum[3] >> 16]) << 24;
}

// Near the edges: taps are clamped into the source, and a clamped tap keeps
// its colour but counts as transparent, so enlarged pictures get a soft rim.
Pixel SampleBorder(const TPixels32Desc& src, std::int32_t x16, std::int32_t y16) {
  const std::int32_t ix = x16 >> 16;
  const std::int32_t iy = y16 >> 16;
  Pixel taps[16];
  for (int r = 0; r < 4; ++r) {
    std::int32_t row = iy - 1 + r;
    bool clamped = false;
    if (row < 0) { row = 0; clamped = true; }
    if (row > src.height - 1) { row = src.height - 1; clamped = true; }
    for (int c = 0; c < 4; ++c) {
      std::int32_t col = ix - 1 + c;
      bool outside = clamped;
      if (col < 0) { col = 0; outside = true; }
      if (col > src.width - 1) { col = src.width - 1; outside = true; }
      Pixel p;
      std::memcpy(&p, src.pixels + row * static_cast<std::ptrdiff_t>(src.stride) + col * 4, 4);
      taps[r * 4 + c] = outside ? (p & 0x00FFFFFFu) : p;
    }
  }
  return SampleFast(reinterpret_cast<const std::uint8_t*>(taps), 16,
                    65536 + (x16 & 65535), 65536 + (y16 & 65535));
}

}  // namespace

bool ZoomBicubic(const TPixels32Desc& dst, const TPixels32Desc& src) {
  if (dst.width > kMaxZoomSide || dst.height > kMaxZoomSide ||
      src.width > kMaxZoomSide || src.height > kMaxZoomSide)
    return false;
  if (dst.width <= 0 || dst.height <= 0 || src.width <= 0 || src.height <= 0 ||
      !dst.pixels || !src.pixels)
    return true;

  const std::int32_t step_x = (src.width << 16) / dst.width + 1;
  const std::int32_t step_y = (src.height << 16) / dst.height + 1;
  const std::int32_t start_x = (step_x >> 1) - 32768;
  const std::int32_t start_y = (step_y >> 1) - 32768;

  // The region whose 4 x 4 neighbourhood surely lies inside the source.
  std::int32_t top = (65536 - start_y) / step_y + 1;
  if (top >= dst.height) top = dst.height;
  std::int32_t left = (65536 - start_x) / step_x + 1;
  if (left >= dst.width) left = dst.width;
  std::int32_t bottom = (((src.height - 3) << 16) - start_y) / step_y + 1;
  if (bottom < top) bottom = top;
  std::int32_t right = (((src.width - 3) << 16) - start_x) / step_x + 1;
  if (right < left) right = left;
  if (bottom > dst.height) bottom = dst.height;
  if (right > dst.width) right = dst.width;

  const std::ptrdiff_t src_stride = src.stride;
  std::int32_t y16 = start_y;
  for (std::int32_t y = 0; y < dst.height; ++y, y16 += step_y) {
    Pixel* out = reinterpret_cast<Pixel*>(dst.pixels + y * static_cast<std::ptrdiff_t>(dst.stride));
    std::int32_t x16 = start_x;
    if (y < top || y >= bottom) {
      for (std::int32_t x = 0; x < dst.width; ++x, x16 += step_x) out[x] = SampleBorder(src, x16, y16);
      continue;
    }
    std::int32_t x = 0;
    for (; x < left; ++x, x16 += step_x) out[x] = SampleBorder(src, x16, y16);
    for (; x < right; ++x, x16 += step_x) out[x] = SampleFast(src.pixels, src_stride, x16, y16);
    for (; x < dst.width; ++x, x16 += step_x) out[x] = SampleBorder(src, x16, y16);
  }
  return true;
}

bool ZoomPixels(const Pixel* src, std::int32_t src_w, std::int32_t src_h,
                Pixel* dst, std::int32_t dst_w, std::int32_t dst_h) {
  if (src_w > kMaxZoomSide || src_h > kMaxZoomSide || dst_w > kMaxZoomSide ||
      dst_h > kMaxZoomSide)
    return false;
  if (src_w <= 0 || src_h <= 0 || dst_w <= 0 || dst_h <= 0 || !src || !dst) return true;

  const std::size_t src_count = static_cast<std::size_t>(src_w) * static_cast<std::size_t>(src_h);
  const std::size_t dst_count = static_cast<std::size_t>(dst_w) * static_cast<std::size_t>(dst_h);
  // Distinct blocks are resampled in place; the temporaries exist only so
  // that a block may be resized onto itself.
  const auto s0 = reinterpret_cast<std::uintptr_t>(src);
  const auto d0 = reinterpret_cast<std::uintptr_t>(dst);
  const bool overlap = s0 < d0 + dst_count * 4u && d0 < s0 + src_count * 4u;
  if (!overlap) {
    TPixels32Desc from{reinterpret_cast<std::uint8_t*>(const_cast<Pixel*>(src)), src_w * 4, src_w, src_h};
    TPixels32Desc to{reinterpret_cast<std::uint8_t*>(dst), dst_w * 4, dst_w, dst_h};
    return ZoomBicubic(to, from);
  }
  PixelBlock copy(src, src + src_count);
  TPixels32Desc from{BytesOf(copy), src_w * 4, src_w, src_h};
  TPixels32 scratch;
  scratch.SetSize(dst_w, dst_h);
  TPixels32Desc to;
  scratch.LockBuf(to);
  const bool ok = ZoomBicubic(to, from);
  std::memcpy(dst, to.pixels, dst_count * 4u);
  scratch.UnlockBuf();
  return ok;
}

}  // namespace quorvel
