// The bilinear sample of the mapping passes, for the fast paths: the same
// arithmetic as SampleBilinear, with the four channel sums done two at a
// time in SSE2 lanes (same operations in the same order per lane, so the
// same doubles) and the output raster and written-mask chosen by the caller.
//
// A target with ids records, instead of sampling, which sample lands on
// each pixel: every sample that would be written stores its id there, so
// the last writer's id is left. Sampling only those later spares the
// bilinear work of every sample that a later one overwrites.
#pragma once

#include <emmintrin.h>

#include <cstdint>

namespace quorvel {

struct SampleTarget {
  const std::uint8_t* src = nullptr;  // S x S, read
  std::uint32_t* dest = nullptr;      // S x S, written
  std::uint8_t* written = nullptr;    // optional: bit d set where pixel d is written
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool alpha = true;                  // bytes_per_pixel == 4
  std::uint32_t* ids = nullptr;       // S x S; when set, ids are recorded instead
};

// No sample recorded at a pixel.
inline constexpr std::uint32_t kNoSample = 0xFFFFFFFFu;

// A sample's id: its chord or ray in the high half, its step in the low.
inline std::uint32_t SampleId(std::uint32_t line, std::uint32_t step) { return line << 16 | step; }

// One bit per pixel: an eighth of the memory of a byte mask, and each ray
// range owns its bits, so no two threads write one byte.
inline void MarkWritten(std::uint8_t* bits, std::size_t pixel) {
  bits[pixel >> 3] = static_cast<std::uint8_t>(bits[pixel >> 3] | 1u << (pixel & 7));
}
inline bool WasWritten(const std::uint8_t* bits, std::size_t pixel) { return bits[pixel >> 3] >> (pixel & 7) & 1u; }

namespace sample_detail {

inline std::int32_t TruncIndex(double v) {
  if (!(v > -1.0)) return -1;
  if (v >= 2147483647.0) return 2147483647;
  return static_cast<std::int32_t>(v);
}

// The four bytes of a pixel as int32 lanes B, G, R, A.
inline __m128i Widen(std::uint32_t pixel) {
  const __m128i zero = _mm_setzero_si128();
  return _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(pixel)), zero), zero);
}

}  // namespace sample_detail

// The bilinear value at (sx, sy) from source indices m, h (already held
// inside the raster).
inline std::uint32_t FetchAt(const SampleTarget& t, float sx, float sy, std::int32_t m0, std::int32_t h0,
                             std::int32_t m, std::int32_t h) {
  const float fx = static_cast<float>(static_cast<double>(sx) - m0);
  const float fy = static_cast<float>(static_cast<double>(sy) - h0);
  const float w00 = static_cast<float>((1.0 - fx) * (1.0 - fy));
  const float w01 = static_cast<float>((1.0 - fx) * fy);
  const float w10 = static_cast<float>(static_cast<double>(fx) * (1.0 - fy));
  const float w11 = static_cast<float>(static_cast<double>(fx) * fy);
  const std::uint32_t* s = reinterpret_cast<const std::uint32_t*>(t.src);
  const std::size_t w = static_cast<std::size_t>(t.width);
  const std::size_t at = static_cast<std::size_t>(h) * w + static_cast<std::size_t>(m);
  using sample_detail::Widen;
  const __m128i q01 = Widen(s[at + w]), q00 = Widen(s[at]);
  const __m128i q10 = Widen(s[at + 1]), q11 = Widen(s[at + w + 1]);
  const __m128d k01 = _mm_set1_pd(w01), k00 = _mm_set1_pd(w00);
  const __m128d k10 = _mm_set1_pd(w10), k11 = _mm_set1_pd(w11);
  // Lanes B, G then R, A; each lane sums in the plain order.
  auto sum = [&](int high) {
    auto lanes = [high](__m128i q) { return _mm_cvtepi32_pd(high ? _mm_shuffle_epi32(q, 0xEE) : q); };
    __m128d acc = _mm_mul_pd(lanes(q01), k01);
    acc = _mm_add_pd(acc, _mm_mul_pd(lanes(q00), k00));
    acc = _mm_add_pd(acc, _mm_mul_pd(lanes(q10), k10));
    acc = _mm_add_pd(acc, _mm_mul_pd(lanes(q11), k11));
    return _mm_cvttpd_epi32(acc);  // truncation toward zero
  };
  // Keep each int's low byte, as a cast to a byte does.
  const __m128i ints = _mm_and_si128(_mm_unpacklo_epi64(sum(0), sum(1)), _mm_set1_epi32(0xFF));
  const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(ints, ints), ints);
  return static_cast<std::uint32_t>(_mm_cvtsi128_si32(bytes));
}

// The source indices of (sx, sy) held inside the raster, as the plain
// sample holds them; false when either is negative (the sample drops).
inline bool SourceIndices(const SampleTarget& t, float sx, float sy, std::int32_t& m0, std::int32_t& h0,
                          std::int32_t& m, std::int32_t& h) {
  using sample_detail::TruncIndex;
  m = m0 = TruncIndex(sx);
  h = h0 = TruncIndex(sy);
  if (m >= t.width - 1) m = t.width - 2;
  if (h >= t.height - 1) h = t.height - 2;
  return (m | h) >= 0;
}

inline void SampleInto(const SampleTarget& t, float sx, float sy, float dx, float dy, std::uint32_t id) {
  using sample_detail::TruncIndex;
  std::int32_t m0, h0, m, h;
  const bool inside = SourceIndices(t, sx, sy, m0, h0, m, h);
  std::int32_t x = TruncIndex(static_cast<double>(dx) + 0.5);
  std::int32_t y = TruncIndex(static_cast<double>(dy) + 0.5);
  if (x >= t.width) x = t.width - 1;
  if (y >= t.height) y = t.height - 1;
  if (!inside || (x | y) < 0) return;
  const std::size_t d = static_cast<std::size_t>(t.height - 1 - y) * static_cast<std::size_t>(t.width) +
                        static_cast<std::size_t>(x);
  if (t.ids) {
    t.ids[d] = id;
    return;
  }
  std::uint32_t out = FetchAt(t, sx, sy, m0, h0, m, h);
  if (!t.alpha) out = (out & 0x00FFFFFFu) | (t.dest[d] & 0xFF000000u);
  t.dest[d] = out;
  if (t.written) MarkWritten(t.written, d);
}

}  // namespace quorvel
