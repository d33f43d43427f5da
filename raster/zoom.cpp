#include "raster/zoom.h"

#include <immintrin.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "raster/cpu_features.h"
#include "raster/fixed_point.h"
#include "raster/parallel.h"

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

// Where the 4 x 4 neighbourhood surely lies inside the source, and the
// 16.16 walk that reaches every destination pixel.
struct ZoomGeometry {
  std::int32_t step_x, step_y, start_x, start_y;
  std::int32_t top, bottom, left, right;
};

ZoomGeometry Geometry(const TPixels32Desc& dst, const TPixels32Desc& src) {
  ZoomGeometry g;
  g.step_x = (src.width << 16) / dst.width + 1;
  g.step_y = (src.height << 16) / dst.height + 1;
  g.start_x = (g.step_x >> 1) - 32768;
  g.start_y = (g.step_y >> 1) - 32768;
  g.top = (65536 - g.start_y) / g.step_y + 1;
  if (g.top >= dst.height) g.top = dst.height;
  g.left = (65536 - g.start_x) / g.step_x + 1;
  if (g.left >= dst.width) g.left = dst.width;
  g.bottom = (((src.height - 3) << 16) - g.start_y) / g.step_y + 1;
  if (g.bottom < g.top) g.bottom = g.top;
  g.right = (((src.width - 3) << 16) - g.start_x) / g.step_x + 1;
  if (g.right < g.left) g.right = g.left;
  if (g.bottom > dst.height) g.bottom = dst.height;
  if (g.right > dst.width) g.right = dst.width;
  return g;
}

bool Refused(const TPixels32Desc& dst, const TPixels32Desc& src) {
  return dst.width > kMaxZoomSide || dst.height > kMaxZoomSide || src.width > kMaxZoomSide ||
         src.height > kMaxZoomSide;
}

bool Empty(const TPixels32Desc& dst, const TPixels32Desc& src) {
  return dst.width <= 0 || dst.height <= 0 || src.width <= 0 || src.height <= 0 || !dst.pixels ||
         !src.pixels;
}

inline Pixel* RowOf(const TPixels32Desc& dst, std::int32_t y) {
  return reinterpret_cast<Pixel*>(dst.pixels + y * static_cast<std::ptrdiff_t>(dst.stride));
}

// Column weights of the inner span as int16 pairs for _mm_madd_epi16:
// (w0, w1) x 4 and (w2, w3) x 4, with the byte offset of the first tap.
struct ColumnTaps {
  __m128i w01;
  __m128i w23;
  std::ptrdiff_t offset;
};

__attribute__((target("sse4.1"))) void InnerSpanSse41(const TPixels32Desc& src, std::int32_t y16,
                                                      const ColumnTaps* taps, std::int32_t count,
                                                      Pixel* out) {
  const std::int32_t iy = y16 >> 16;
  const std::int32_t v = (y16 >> 8) & 255;
  const std::int32_t* w = BicubicWeightTable;
  const __m128i wr[4] = {_mm_set1_epi32(w[256 + v]), _mm_set1_epi32(w[v]),
                         _mm_set1_epi32(w[256 - v]), _mm_set1_epi32(w[512 - v])};
  const std::ptrdiff_t stride = src.stride;
  const std::uint8_t* rows = src.pixels + (iy - 1) * stride;
  // Pairs each channel of pixels 0 and 1 (and of 2 and 3) side by side.
  const __m128i pairs = _mm_setr_epi8(0, 4, 1, 5, 2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15);
  const __m128i zero = _mm_setzero_si128();
  for (std::int32_t x = 0; x < count; ++x) {
    const ColumnTaps& t = taps[x];
    const std::uint8_t* p = rows + t.offset;
    __m128i sum = zero;
    for (int r = 0; r < 4; ++r, p += stride) {
      const __m128i bytes = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), pairs);
      const __m128i across = _mm_add_epi32(_mm_madd_epi16(_mm_cvtepu8_epi16(bytes), t.w01),
                                           _mm_madd_epi16(_mm_unpackhi_epi8(bytes, zero), t.w23));
      sum = _mm_add_epi32(sum, _mm_mullo_epi32(across, wr[r]));
    }
    // sum >> 16 lies in -256..511; saturating to 0..255 is the clamp table.
    const __m128i shifted = _mm_srai_epi32(sum, 16);
    out[x] = static_cast<Pixel>(_mm_cvtsi128_si32(_mm_packus_epi16(_mm_packs_epi32(shifted, zero), zero)));
  }
}

// The inner span's sums split in two, with AVX2: each source row's column
// sums (four int32 per destination pixel, one per channel) are made once,
// and each destination row weighs the four it needs. The integer sums are
// InnerSpanSse41's, regrouped, so the bytes are the same; the rows' sums
// are reused by every destination row that reads them.
__attribute__((target("avx2"))) void ColumnSumsAvx2(const std::uint8_t* row, const ColumnTaps* taps,
                                                    std::int32_t count, std::int32_t* sums) {
  const __m256i pairs = _mm256_setr_epi8(0, 4, 1, 5, 2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15,
                                         0, 4, 1, 5, 2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15);
  const __m256i zero = _mm256_setzero_si256();
  std::int32_t x = 0;
  for (; x + 2 <= count; x += 2) {
    const ColumnTaps& a = taps[x];
    const ColumnTaps& b = taps[x + 1];
    const __m256i raw = _mm256_set_m128i(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + b.offset)),
                                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + a.offset)));
    const __m256i bytes = _mm256_shuffle_epi8(raw, pairs);
    const __m256i across =
        _mm256_add_epi32(_mm256_madd_epi16(_mm256_unpacklo_epi8(bytes, zero), _mm256_set_m128i(b.w01, a.w01)),
                         _mm256_madd_epi16(_mm256_unpackhi_epi8(bytes, zero), _mm256_set_m128i(b.w23, a.w23)));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(sums + 4 * x), across);
  }
  if (x < count) {
    const __m128i pairs128 = _mm256_castsi256_si128(pairs);
    const __m128i bytes = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + taps[x].offset)),
                                           pairs128);
    const __m128i across = _mm_add_epi32(_mm_madd_epi16(_mm_cvtepu8_epi16(bytes), taps[x].w01),
                                         _mm_madd_epi16(_mm_unpackhi_epi8(bytes, _mm_setzero_si128()), taps[x].w23));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(sums + 4 * x), across);
  }
}

// One destination row's inner span from the column sums of its four source
// rows, weighted by wr[r]: the same int32 sums, in the same order.
__attribute__((target("avx2"))) void WeighRowsAvx2(const std::int32_t* const* rows, const std::int32_t* wr,
                                                   std::int32_t count, Pixel* out) {
  const __m256i w0 = _mm256_set1_epi32(wr[0]), w1 = _mm256_set1_epi32(wr[1]);
  const __m256i w2 = _mm256_set1_epi32(wr[2]), w3 = _mm256_set1_epi32(wr[3]);
  const __m256i zero = _mm256_setzero_si256();
  std::int32_t x = 0;
  for (; x + 2 <= count; x += 2) {
    const __m256i* at[4];
    for (int r = 0; r < 4; ++r) at[r] = reinterpret_cast<const __m256i*>(rows[r] + 4 * x);
    __m256i sum = _mm256_mullo_epi32(_mm256_loadu_si256(at[0]), w0);
    sum = _mm256_add_epi32(sum, _mm256_mullo_epi32(_mm256_loadu_si256(at[1]), w1));
    sum = _mm256_add_epi32(sum, _mm256_mullo_epi32(_mm256_loadu_si256(at[2]), w2));
    sum = _mm256_add_epi32(sum, _mm256_mullo_epi32(_mm256_loadu_si256(at[3]), w3));
    // sum >> 16 lies in -256..511; saturating to 0..255 is the clamp table.
    const __m256i packed = _mm256_packus_epi16(_mm256_packs_epi32(_mm256_srai_epi32(sum, 16), zero), zero);
    out[x] = static_cast<Pixel>(_mm_cvtsi128_si32(_mm256_castsi256_si128(packed)));
    out[x + 1] = static_cast<Pixel>(_mm_cvtsi128_si32(_mm256_extracti128_si256(packed, 1)));
  }
  if (x < count) {
    __m128i sum = _mm_setzero_si128();
    for (int r = 0; r < 4; ++r)
      sum = _mm_add_epi32(sum, _mm_mullo_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[r] + 4 * x)),
                                               _mm_set1_epi32(wr[r])));
    const __m128i shifted = _mm_srai_epi32(sum, 16);
    out[x] = static_cast<Pixel>(
        _mm_cvtsi128_si32(_mm_packus_epi16(_mm_packs_epi32(shifted, _mm_setzero_si128()), _mm_setzero_si128())));
  }
}

// The column sums of the last four source rows a band of destination rows
// read: row i sits in slot i % 4, so the four rows of one destination row
// never share a slot.
class ColumnSumRows {
 public:
  ColumnSumRows(const TPixels32Desc& src, const ColumnTaps* taps, std::int32_t count)
      : src_(src), taps_(taps), count_(count), sums_(4 * static_cast<std::size_t>(count) * 4) {}

  const std::int32_t* Row(std::int32_t row) {
    const int slot = row & 3;
    std::int32_t* sums = sums_.data() + static_cast<std::size_t>(slot) * 4 * static_cast<std::size_t>(count_);
    if (held_[slot] != row) {
      ColumnSumsAvx2(src_.pixels + row * static_cast<std::ptrdiff_t>(src_.stride), taps_, count_, sums);
      held_[slot] = row;
    }
    return sums;
  }

 private:
  const TPixels32Desc& src_;
  const ColumnTaps* taps_;
  std::int32_t count_;
  std::vector<std::int32_t> sums_;
  std::int32_t held_[4] = {-1, -1, -1, -1};
};

// One destination row: border samples where the 4 x 4 neighbourhood leaves
// the source, inner(y16, x16, out, count) for the span in between.
template <class Inner>
void ZoomRow(const TPixels32Desc& dst, const TPixels32Desc& src, const ZoomGeometry& g, std::int32_t y,
             Inner&& inner) {
  const std::int32_t y16 = g.start_y + y * g.step_y;
  Pixel* out = RowOf(dst, y);
  const bool border_row = y < g.top || y >= g.bottom;
  const std::int32_t inner_begin = border_row ? dst.width : g.left;
  const std::int32_t inner_end = border_row ? dst.width : g.right;
  std::int32_t x = 0;
  std::int32_t x16 = g.start_x;
  for (; x < inner_begin; ++x, x16 += g.step_x) out[x] = SampleBorder(src, x16, y16);
  if (inner_end > inner_begin) inner(y16, x16, out + x, inner_end - inner_begin);
  x = inner_end;
  x16 = g.start_x + x * g.step_x;
  for (; x < dst.width; ++x, x16 += g.step_x) out[x] = SampleBorder(src, x16, y16);
}

// The inner span one sample at a time.
struct PlainSpan {
  const TPixels32Desc& src;
  std::int32_t step_x;
  void operator()(std::int32_t y16, std::int32_t x16, Pixel* out, std::int32_t count) const {
    for (std::int32_t i = 0; i < count; ++i, x16 += step_x) out[i] = SampleFast(src.pixels, src.stride, x16, y16);
  }
};

// Rows are independent; threads take contiguous bands of them.
template <class Inner>
void ZoomRowsInParallel(const TPixels32Desc& dst, const TPixels32Desc& src, const ZoomGeometry& g,
                        const EngineOptions& options, const Inner& inner) {
  ForEachRange(dst.height, ThreadsFor(options, static_cast<std::int64_t>(dst.width) * dst.height, 1 << 16),
               [&](std::int64_t first, std::int64_t end, int) {
                 for (std::int64_t y = first; y < end; ++y) ZoomRow(dst, src, g, static_cast<std::int32_t>(y), inner);
               });
}

}  // namespace

bool ZoomBicubicReference(const TPixels32Desc& dst, const TPixels32Desc& src) {
  if (Refused(dst, src)) return false;
  if (Empty(dst, src)) return true;
  const ZoomGeometry g = Geometry(dst, src);
  for (std::int32_t y = 0; y < dst.height; ++y) ZoomRow(dst, src, g, y, PlainSpan{src, g.step_x});
  return true;
}

bool ZoomBicubic(const TPixels32Desc& dst, const TPixels32Desc& src, const EngineOptions& options) {
  if (options.reference) return ZoomBicubicReference(dst, src);
  if (Refused(dst, src)) return false;
  if (Empty(dst, src)) return true;
  const ZoomGeometry g = Geometry(dst, src);
  if (!CpuHasSse41()) {
    ZoomRowsInParallel(dst, src, g, options, PlainSpan{src, g.step_x});
    return true;
  }

  // Column weights and offsets of the inner span, once for all rows.
  std::vector<ColumnTaps> taps(static_cast<std::size_t>(std::max(0, g.right - g.left)));
  for (std::int32_t x = g.left; x < g.right; ++x) {
    const std::int32_t x16 = g.start_x + x * g.step_x;
    const std::int32_t u = (x16 >> 8) & 255;
    const std::int32_t* w = BicubicWeightTable;
    const auto w0 = static_cast<std::int16_t>(w[256 + u]), w1 = static_cast<std::int16_t>(w[u]);
    const auto w2 = static_cast<std::int16_t>(w[256 - u]), w3 = static_cast<std::int16_t>(w[512 - u]);
    taps[x - g.left] = ColumnTaps{_mm_setr_epi16(w0, w1, w0, w1, w0, w1, w0, w1),
                                  _mm_setr_epi16(w2, w3, w2, w3, w2, w3, w2, w3),
                                  static_cast<std::ptrdiff_t>((x16 >> 16) - 1) * 4};
  }
  if (!UsesAvx2(options)) {
    ZoomRowsInParallel(dst, src, g, options, [&](std::int32_t y16, std::int32_t, Pixel* out, std::int32_t count) {
      InnerSpanSse41(src, y16, taps.data(), count, out);
    });
    return true;
  }
  const std::int32_t inner = g.right - g.left;
  ForEachRange(dst.height, ThreadsFor(options, static_cast<std::int64_t>(dst.width) * dst.height, 1 << 16),
               [&](std::int64_t first, std::int64_t end, int) {
                 ColumnSumRows rows(src, taps.data(), inner);
                 for (std::int64_t y = first; y < end; ++y) {
                   ZoomRow(dst, src, g, static_cast<std::int32_t>(y),
                           [&](std::int32_t y16, std::int32_t, Pixel* out, std::int32_t count) {
                             const std::int32_t iy = y16 >> 16;
                             const std::int32_t v = (y16 >> 8) & 255;
                             const std::int32_t* w = BicubicWeightTable;
                             const std::int32_t wr[4] = {w[256 + v], w[v], w[256 - v], w[512 - v]};
                             const std::int32_t* four[4];
                             for (int r = 0; r < 4; ++r) four[r] = rows.Row(iy - 1 + r);
                             WeighRowsAvx2(four, wr, count, out);
                           });
                 }
               });
  return true;
}

bool ZoomPixels(const Pixel* src, std::int32_t src_w, std::int32_t src_h,
                Pixel* dst, std::int32_t dst_w, std::int32_t dst_h, const EngineOptions& options) {
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
    return ZoomBicubic(to, from, options);
  }
  PixelBlock copy(src, src + src_count);
  TPixels32Desc from{BytesOf(copy), src_w * 4, src_w, src_h};
  TPixels32 scratch;
  scratch.SetSize(dst_w, dst_h);
  TPixels32Desc to;
  scratch.LockBuf(to);
  const bool ok = ZoomBicubic(to, from, options);
  std::memcpy(dst, to.pixels, dst_count * 4u);
  scratch.UnlockBuf();
  return ok;
}

}  // namespace quorvel
