// The mapping kernels with AVX2: the per-sample coordinate and weight
// arithmetic four samples at a time in double lanes, the four channels of
// a sample in one 256-bit lane set. Every lane does the plain engine's
// operations in its order, so the bytes are the same; writes still happen
// one sample after another.
//
// Functions carry target attributes instead of the file being built with
// -mavx2, so no inline function of a shared header is compiled here with
// instructions another CPU may lack.
#include <immintrin.h>

#include <cstring>

#include "warp/fast_mapping_detail.h"
#include "warp/mapping.h"
#include "warp/polyline.h"

#define QUORVEL_AVX2 __attribute__((target("avx2")))

namespace quorvel::fast_mapping {
namespace {

// Each double lane rounded to float32, back in double.
QUORVEL_AVX2 inline __m256d RoundF(__m256d v) { return _mm256_cvtps_pd(_mm256_cvtpd_ps(v)); }

// Four 64-bit lane masks as four 32-bit lane masks.
QUORVEL_AVX2 inline __m128i Narrow(__m256d mask) {
  const __m256i picked = _mm256_permutevar8x32_epi32(_mm256_castpd_si256(mask),
                                                     _mm256_setr_epi32(0, 2, 4, 6, 0, 0, 0, 0));
  return _mm256_castsi256_si128(picked);
}

// The plain engine's index truncation: toward zero, -1 for NaN and values
// at or below -1, the largest int for values beyond it.
QUORVEL_AVX2 inline __m128i TruncIndex4(__m256d v) {
  const __m128i t = _mm256_cvttpd_epi32(v);
  const __m128i above = Narrow(_mm256_cmp_pd(v, _mm256_set1_pd(-1.0), _CMP_GT_OQ));
  const __m128i huge = Narrow(_mm256_cmp_pd(v, _mm256_set1_pd(2147483647.0), _CMP_GE_OQ));
  const __m128i kept = _mm_blendv_epi8(_mm_set1_epi32(-1), t, above);
  return _mm_blendv_epi8(kept, _mm_set1_epi32(2147483647), huge);
}

QUORVEL_AVX2 inline __m256d Channels(std::uint32_t pixel) {
  return _mm256_cvtepi32_pd(_mm_cvtepu8_epi32(_mm_cvtsi32_si128(static_cast<int>(pixel))));
}

// Four samples (sx, sy) -> (dx, dy) in lane order; lanes whose bit in
// `lanes` is clear are skipped.
QUORVEL_AVX2 void Sample4(const SampleTarget& t, __m256d sx, __m256d sy, __m256d dx, __m256d dy,
                          int lanes) {
  const __m128i m0 = TruncIndex4(sx);
  const __m128i h0 = TruncIndex4(sy);
  const __m256d one = _mm256_set1_pd(1.0);
  const __m256d fx = RoundF(_mm256_sub_pd(sx, _mm256_cvtepi32_pd(m0)));
  const __m256d fy = RoundF(_mm256_sub_pd(sy, _mm256_cvtepi32_pd(h0)));
  const __m256d gx = _mm256_sub_pd(one, fx);
  const __m256d gy = _mm256_sub_pd(one, fy);
  alignas(32) double w00[4], w01[4], w10[4], w11[4];
  _mm256_store_pd(w00, RoundF(_mm256_mul_pd(gx, gy)));
  _mm256_store_pd(w01, RoundF(_mm256_mul_pd(gx, fy)));
  _mm256_store_pd(w10, RoundF(_mm256_mul_pd(fx, gy)));
  _mm256_store_pd(w11, RoundF(_mm256_mul_pd(fx, fy)));

  const __m256d half = _mm256_set1_pd(0.5);
  const __m128i x = _mm_min_epi32(TruncIndex4(_mm256_add_pd(dx, half)), _mm_set1_epi32(t.width - 1));
  const __m128i y = _mm_min_epi32(TruncIndex4(_mm256_add_pd(dy, half)), _mm_set1_epi32(t.height - 1));
  const __m128i m = _mm_min_epi32(m0, _mm_set1_epi32(t.width - 2));
  const __m128i h = _mm_min_epi32(h0, _mm_set1_epi32(t.height - 2));
  const __m128i any_negative = _mm_or_si128(_mm_or_si128(m, h), _mm_or_si128(x, y));
  lanes &= ~_mm_movemask_ps(_mm_castsi128_ps(any_negative));
  if (!lanes) return;
  const __m128i width = _mm_set1_epi32(t.width);
  alignas(16) std::int32_t from[4], to[4];
  _mm_store_si128(reinterpret_cast<__m128i*>(from), _mm_add_epi32(_mm_mullo_epi32(h, width), m));
  const __m128i row = _mm_sub_epi32(_mm_set1_epi32(t.height - 1), y);
  _mm_store_si128(reinterpret_cast<__m128i*>(to), _mm_add_epi32(_mm_mullo_epi32(row, width), x));

  const std::uint32_t* s = reinterpret_cast<const std::uint32_t*>(t.src);
  const std::size_t w = static_cast<std::size_t>(t.width);
  const __m128i low_bytes = _mm_setr_epi8(0, 4, 8, 12, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
  for (int j = 0; j < 4; ++j) {
    if (!(lanes >> j & 1)) continue;
    const std::size_t at = static_cast<std::uint32_t>(from[j]);
    __m256d acc = _mm256_mul_pd(Channels(s[at + w]), _mm256_broadcast_sd(&w01[j]));
    acc = _mm256_add_pd(acc, _mm256_mul_pd(Channels(s[at]), _mm256_broadcast_sd(&w00[j])));
    acc = _mm256_add_pd(acc, _mm256_mul_pd(Channels(s[at + 1]), _mm256_broadcast_sd(&w10[j])));
    acc = _mm256_add_pd(acc, _mm256_mul_pd(Channels(s[at + w + 1]), _mm256_broadcast_sd(&w11[j])));
    // Truncation toward zero, then each int's low byte, as a cast does.
    std::uint32_t out = static_cast<std::uint32_t>(
        _mm_cvtsi128_si32(_mm_shuffle_epi8(_mm256_cvttpd_epi32(acc), low_bytes)));
    const std::size_t d = static_cast<std::uint32_t>(to[j]);
    if (!t.alpha) out = (out & 0x00FFFFFFu) | (t.dest[d] & 0xFF000000u);
    t.dest[d] = out;
    if (t.written) t.written[d] = 1;
  }
}

QUORVEL_AVX2 inline __m256d Load4(const float* v) { return _mm256_cvtps_pd(_mm_loadu_ps(v)); }

}  // namespace

bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("sse4.1");
  return has;
}

QUORVEL_AVX2 void MapChordsAvx2(const SampleTarget& target, const Chord* chords, std::size_t count,
                                float r_centre, bool vertical) {
  const __m256d centre = _mm256_set1_pd(r_centre);
  alignas(16) float u4[4];
  for (std::size_t i = 0; i < count; ++i) {
    const Chord& chord = chords[i];
    const __m256d along = _mm256_set1_pd(chord.along);
    const __m256d v = _mm256_set1_pd(chord.v);
    // The u walk is a float32 running sum, so it stays one after another.
    float u = -chord.r;
    while (u <= chord.r) {
      int lanes = 0;
      for (int j = 0; j < 4; ++j) {
        u4[j] = u;
        if (u <= chord.r) {
          lanes |= 1 << j;
          u = static_cast<float>(static_cast<double>(u) + 0.5);
        }
      }
      const __m256d ud = Load4(u4);
      const __m256d squeezed = RoundF(_mm256_add_pd(centre, RoundF(_mm256_mul_pd(v, ud))));
      const __m256d across = RoundF(_mm256_add_pd(centre, ud));
      if (vertical)
        Sample4(target, along, squeezed, along, across, lanes);
      else
        Sample4(target, squeezed, along, across, along, lanes);
    }
  }
}

QUORVEL_AVX2 void MapRaysAvx2(const SampleTarget& target, const PolylineList& list, std::int32_t angle,
                              float r_centre, const RaySteps& steps, const float* angles,
                              std::size_t count) {
  const double centre = r_centre;
  const __m256d centre4 = _mm256_set1_pd(centre);
  alignas(16) float s4[4];
  alignas(32) double qx[4] = {0, 0, 0, 0}, qy[4] = {0, 0, 0, 0};
  for (std::size_t r = 0; r < count; ++r) {
    const float theta = angles[r];
    const TPolyline& p = list[SelectAssistPolyline(list, angle, theta)];
    const TPointF end = RayEnd(r_centre, theta);
    const __m256d end_x = _mm256_set1_pd(end.x);
    const __m256d end_y = _mm256_set1_pd(end.y);
    const __m256d length = _mm256_set1_pd(p.length);
    const TSegment* seg = p.segments.data();
    const std::size_t n = p.segments.size();
    // Distances fall along the ray, so the segment walks back from the end.
    std::size_t k = n ? n - 1 : 0;
    float start = k ? seg[k - 1].cum_length : 0.0f;
    for (std::size_t i = 0; i < steps.count; i += 4) {
      const __m256d e = Load4(&steps.e[i]);
      const __m256d sx = RoundF(_mm256_add_pd(RoundF(_mm256_mul_pd(end_x, e)), centre4));
      const __m256d sy = RoundF(_mm256_add_pd(RoundF(_mm256_mul_pd(end_y, e)), centre4));
      _mm_store_ps(s4, _mm256_cvtpd_ps(_mm256_mul_pd(Load4(&steps.one_minus_e[i]), length)));
      int lanes = 0;
      const std::size_t real = steps.count - i < 4 ? steps.count - i : 4;
      for (std::size_t j = 0; j < real; ++j) {
        const float s = s4[j];
        if (n == 0) break;
        while (k > 0 && s <= start) {
          --k;
          start = k ? seg[k - 1].cum_length : 0.0f;
        }
        const double at = s;
        TPointF q;
        bool found = true;
        // Strictly inside one segment, the binary search would pick it too.
        if (at - start >= 1e-7 && static_cast<double>(seg[k].cum_length) - at >= 1e-7) {
          const TSegment& g = seg[k];
          const float d = static_cast<float>((at - start) / g.length);
          q = TPointF{static_cast<float>(g.x1 + (static_cast<double>(g.x2) - g.x1) * d),
                      static_cast<float>(g.y1 + (static_cast<double>(g.y2) - g.y1) * d)};
        } else {
          found = PointAtLength(p, s, q);
        }
        if (!found) continue;
        lanes |= 1 << j;
        qx[j] = q.x;
        qy[j] = q.y;
      }
      if (!lanes) continue;
      const __m256d dx = RoundF(_mm256_add_pd(_mm256_load_pd(qx), centre4));
      const __m256d dy = RoundF(_mm256_add_pd(_mm256_load_pd(qy), centre4));
      Sample4(target, sx, sy, dx, dy, lanes);
    }
  }
}

}  // namespace quorvel::fast_mapping
