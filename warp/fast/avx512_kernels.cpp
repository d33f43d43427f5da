// The kernels with AVX-512: eight samples at a time, one per double lane,
// where the AVX2 kernels take four. Every lane does the plain engine's
// operations in its order, so the bytes are the same.
//
// Functions carry target attributes instead of the file being built with
// -mavx512f, as in avx2_kernels.cpp.
#include <immintrin.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "warp/fast/fast_internal.h"
#include "warp/mapping.h"

// GCC 12's AVX-512 headers pass _mm512_undefined_*() as the unused source
// of their unmasked forms, which -W(maybe-)uninitialized flags wherever
// they are inlined.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#define QUORVEL_AVX512 __attribute__((target("avx2,avx512f,avx512vl,avx512dq,avx512bw")))

namespace quorvel::fast {
namespace {

// Each double lane rounded to float32, back in double.
QUORVEL_AVX512 inline __m512d RoundF(__m512d v) { return _mm512_cvtps_pd(_mm512_cvtpd_ps(v)); }

// The plain engine's index truncation: toward zero, -1 for NaN and values
// at or below -1, the largest int for values beyond it.
QUORVEL_AVX512 inline __m256i TruncIndex8(__m512d v) {
  const __m256i t = _mm512_cvttpd_epi32(v);
  const __mmask8 above = _mm512_cmp_pd_mask(v, _mm512_set1_pd(-1.0), _CMP_GT_OQ);
  const __mmask8 huge = _mm512_cmp_pd_mask(v, _mm512_set1_pd(2147483647.0), _CMP_GE_OQ);
  const __m256i kept = _mm256_mask_blend_epi32(above, _mm256_set1_epi32(-1), t);
  return _mm256_mask_blend_epi32(huge, kept, _mm256_set1_epi32(2147483647));
}

QUORVEL_AVX512 inline __m512d Gather8(const float* table, __m256i index) {
  return _mm512_cvtps_pd(_mm256_i32gather_ps(table, index, 4));
}

// Byte c of the pixel in the low (0) or high (32) half of each 64-bit lane.
QUORVEL_AVX512 inline __m512d ChannelOf(__m512i pairs, unsigned shift) {
  return _mm512_cvtepi64_pd(_mm512_and_si512(_mm512_srli_epi64(pairs, shift), _mm512_set1_epi64(0xFF)));
}

// The bilinear values at eight source points; m0, h0 their truncated
// indices, m, h the same held inside the raster. Indices stay below 2^31:
// sides are at most kMaxZoomSide.
QUORVEL_AVX512 __m256i Fetch8(const SampleTarget& t, __m512d sx, __m512d sy, __m256i m0, __m256i h0, __m256i m,
                              __m256i h) {
  const __m512d one = _mm512_set1_pd(1.0);
  const __m512d fx = RoundF(_mm512_sub_pd(sx, _mm512_cvtepi32_pd(m0)));
  const __m512d fy = RoundF(_mm512_sub_pd(sy, _mm512_cvtepi32_pd(h0)));
  const __m512d gx = _mm512_sub_pd(one, fx);
  const __m512d gy = _mm512_sub_pd(one, fy);
  const __m512d w00 = RoundF(_mm512_mul_pd(gx, gy));
  const __m512d w01 = RoundF(_mm512_mul_pd(gx, fy));
  const __m512d w10 = RoundF(_mm512_mul_pd(fx, gy));
  const __m512d w11 = RoundF(_mm512_mul_pd(fx, fy));
  alignas(32) std::uint32_t from[8];
  _mm256_store_si256(reinterpret_cast<__m256i*>(from),
                     _mm256_add_epi32(_mm256_mullo_epi32(h, _mm256_set1_epi32(t.width)), m));
  // Each lane's two neighbours in a row are one 64-bit element, loaded one
  // by one: gathers are slower on some CPUs.
  const std::uint32_t* s = t.src;
  const std::size_t w = static_cast<std::size_t>(t.width);
  auto pairs = [](const std::uint32_t* a, const std::uint32_t* b) {
    return _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(a)),
                              _mm_loadl_epi64(reinterpret_cast<const __m128i*>(b)));
  };
  const __m512i row0 = _mm512_inserti64x4(
      _mm512_castsi256_si512(_mm256_set_m128i(pairs(s + from[2], s + from[3]), pairs(s + from[0], s + from[1]))),
      _mm256_set_m128i(pairs(s + from[6], s + from[7]), pairs(s + from[4], s + from[5])), 1);
  const __m512i row1 = _mm512_inserti64x4(
      _mm512_castsi256_si512(
          _mm256_set_m128i(pairs(s + from[2] + w, s + from[3] + w), pairs(s + from[0] + w, s + from[1] + w))),
      _mm256_set_m128i(pairs(s + from[6] + w, s + from[7] + w), pairs(s + from[4] + w, s + from[5] + w)), 1);
  __m256i out = _mm256_setzero_si256();
  for (unsigned c = 0; c < 4; ++c) {
    __m512d acc = _mm512_mul_pd(ChannelOf(row1, 8 * c), w01);
    acc = _mm512_add_pd(acc, _mm512_mul_pd(ChannelOf(row0, 8 * c), w00));
    acc = _mm512_add_pd(acc, _mm512_mul_pd(ChannelOf(row0, 32 + 8 * c), w10));
    acc = _mm512_add_pd(acc, _mm512_mul_pd(ChannelOf(row1, 32 + 8 * c), w11));
    // Truncation toward zero, then the int's low byte, as a cast does.
    const __m256i byte = _mm256_and_si256(_mm512_cvttpd_epi32(acc), _mm256_set1_epi32(0xFF));
    out = _mm256_or_si256(out, _mm256_slli_epi32(byte, static_cast<int>(8 * c)));
  }
  return out;
}

// The id in the last layer that has one, and that layer's first ray.
QUORVEL_AVX512 inline __m256i LayeredIds8(const ResolveJob& job, std::size_t d, __m256i& first) {
  const __m256i none = _mm256_set1_epi32(-1);
  const int last = job.layer_count - 1;
  __m256i id = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(job.layers[last] + d));
  first = _mm256_set1_epi32(static_cast<int>(job.layer_first[last]));
  for (int l = last; l-- > 0;) {
    const __m256i below = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(job.layers[l] + d));
    const __mmask8 missing = _mm256_cmpeq_epi32_mask(id, none);
    id = _mm256_mask_blend_epi32(missing, id, below);
    first = _mm256_mask_blend_epi32(missing, first, _mm256_set1_epi32(static_cast<int>(job.layer_first[l])));
  }
  return id;
}

// The points at the first `real` of eight falling distances s8 (s_lanes:
// the same in double lanes), before their rounding to float; gives back the
// lanes that have one. As PointsAt4 of the AVX2 kernels, eight at a time.
QUORVEL_AVX512 inline int PointsAt8(PolylineWalk& w, const float* s8, __m512d s_lanes, std::size_t real,
                                    __m512d& qx, __m512d& qy) {
  if (w.n == 0) return 0;
  if (real == 8) {
    while (w.k > 0 && s8[7] <= w.start) {
      --w.k;
      w.start = w.k ? w.seg[w.k - 1].cum_length : 0.0f;
    }
    const TSegment& g = w.seg[w.k];
    const __m512d after_start = _mm512_sub_pd(s_lanes, _mm512_set1_pd(D(w.start)));
    const __m512d before_end = _mm512_sub_pd(_mm512_set1_pd(D(g.cum_length)), s_lanes);
    const __m512d margin = _mm512_set1_pd(kWalkMargin);
    const __mmask8 inside = _mm512_cmp_pd_mask(after_start, margin, _CMP_GE_OQ) &
                            _mm512_cmp_pd_mask(before_end, margin, _CMP_GE_OQ);
    if (inside == 0xFF) {
      const __m512d d = RoundF(_mm512_div_pd(after_start, _mm512_set1_pd(D(g.length))));
      const __m512d x1 = _mm512_set1_pd(D(g.x1)), y1 = _mm512_set1_pd(D(g.y1));
      qx = _mm512_add_pd(x1, _mm512_mul_pd(_mm512_sub_pd(_mm512_set1_pd(D(g.x2)), x1), d));
      qy = _mm512_add_pd(y1, _mm512_mul_pd(_mm512_sub_pd(_mm512_set1_pd(D(g.y2)), y1), d));
      return 0xFF;
    }
  }
  alignas(64) double x[8] = {}, y[8] = {};
  int lanes = 0;
  for (std::size_t j = 0; j < real; ++j) {
    TPointF q;
    if (!PointAtLengthWalk(w.p, s8[j], w.k, q)) continue;
    lanes |= 1 << j;
    x[j] = D(q.x);
    y[j] = D(q.y);
  }
  w.start = w.k ? w.seg[w.k - 1].cum_length : 0.0f;
  qx = _mm512_load_pd(x);
  qy = _mm512_load_pd(y);
  return lanes;
}

// No pixel: an index no raster reaches.
constexpr std::uint32_t kNoPixel = ~0u;

// The pixels of eight recorded samples whose destination points, already
// rounded to float32, are (qx, qy); kNoPixel where a lane has no point or
// drops. The float32 lanes round as the plain engine does (Land4 of the
// AVX2 kernels says why).
QUORVEL_AVX512 inline __m256i Pixels8(const SampleTarget& t, __m256 qx, __m256 qy, __m512 centre, int lanes) {
  const __m512 at = _mm512_add_ps(_mm512_add_ps(_mm512_insertf32x8(_mm512_castps256_ps512(qx), qy, 1), centre),
                                  _mm512_set1_ps(0.5f));
  const unsigned ok = _mm512_cmp_ps_mask(at, _mm512_set1_ps(-1.0f), _CMP_GT_OQ);
  const __mmask8 valid = static_cast<__mmask8>(static_cast<unsigned>(lanes) & ok & ok >> 8);
  // Held before truncating: truncation keeps order, and the limits are whole.
  const __m512 last = _mm512_insertf32x8(_mm512_set1_ps(static_cast<float>(t.width - 1)),
                                         _mm256_set1_ps(static_cast<float>(t.height - 1)), 1);
  const __m512i xy = _mm512_cvttps_epi32(_mm512_min_ps(at, last));
  const __m256i row = _mm256_sub_epi32(_mm256_set1_epi32(t.height - 1), _mm512_extracti32x8_epi32(xy, 1));
  const __m256i to =
      _mm256_add_epi32(_mm256_mullo_epi32(row, _mm256_set1_epi32(t.width)), _mm512_castsi512_si256(xy));
  return _mm256_mask_blend_epi32(valid, _mm256_set1_epi32(-1), to);
}

// Queues a ray's samples that no later sample lands on again. Its pixels
// are `mine`, the next recorded ray's `later` (both kNoPixel past the last
// step): a sample goes when its ray's next step or the later ray's same
// step has its pixel, since a later id wins there anyway. That is most
// samples: steps come two to a pixel, and rays lie far closer than a pixel
// inside the rim. Gives back the new count.
QUORVEL_AVX512 inline std::size_t QueueSurvivors(PendingIds& p, std::size_t count, const SampleTarget& t,
                                                 const std::uint32_t* mine, const std::uint32_t* later,
                                                 std::size_t steps, std::uint32_t ray_id) {
  const __m256i none = _mm256_set1_epi32(-1);
  const __m256i lane = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
  for (std::size_t i = 0; i < steps; i += 8) {
    const __m256i a = _mm256_load_si256(reinterpret_cast<const __m256i*>(mine + i));
    const __m256i next = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(mine + i + 1));
    const __m256i same = _mm256_load_si256(reinterpret_cast<const __m256i*>(later + i));
    const __mmask8 keep = _mm256_cmpneq_epi32_mask(a, none) & _mm256_cmpneq_epi32_mask(a, next) &
                          _mm256_cmpneq_epi32_mask(a, same);
    const __m256i packed = _mm256_maskz_compress_epi32(keep, a);
    const __m256i id = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(ray_id + i)), lane);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p.at + count), packed);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p.id + count), _mm256_maskz_compress_epi32(keep, id));
    // No branch on what is kept: it follows no pattern. Eight steps span
    // under four pixels; the first kept one's line is asked for.
    _mm_prefetch(reinterpret_cast<const char*>(t.ids + static_cast<std::uint32_t>(_mm256_cvtsi256_si32(packed))),
                 _MM_HINT_T0);
    count += static_cast<std::size_t>(_mm_popcnt_u32(keep));
    if (count >= 2 * kStoreLag) count = StorePending(p, count, kStoreLag);
  }
  return count;
}

// The recording of the AVX2 kernels' MapRays, eight steps at a time. Each
// ray's pixels are found first and its samples queued once the next
// recorded ray's are known.
QUORVEL_AVX512 void RecordRays(const SampleTarget& target, const PolylineList& list, std::int32_t angle,
                               float r_centre, const RaySteps& steps, const float* angles, std::size_t count,
                               std::uint32_t first) {
  if (target.width < 2 || target.height < 2) return;  // every sample drops
  const __m512 centre16 = _mm512_set1_ps(r_centre);
  PendingIds pending;
  pending.ids = target.ids;
  std::size_t queued = 0;
  const std::size_t padded = (steps.count + 7) / 8 * 8;
  // Two rays' pixels, each with a group of kNoPixel beyond its last step.
  std::vector<std::uint32_t> pixels(2 * (padded + 8) + 8, kNoPixel);
  const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(pixels.data());
  std::uint32_t* mine = reinterpret_cast<std::uint32_t*>((start + 31) / 32 * 32);  // for aligned loads
  std::uint32_t* later = mine + padded + 8;
  bool have_mine = false;
  std::uint32_t mine_id = 0;
  alignas(32) float s8[8];
  std::int32_t next = count ? SelectAssistPolyline(list, angle, angles[0]) : 0;
  for (std::size_t r = 0; r < count; ++r) {
    const std::int32_t chosen = next;
    if (r + 1 < count) next = SelectAssistPolyline(list, angle, angles[r + 1]);
    // A ray whose follower lays its samples along the same polyline lands
    // on exactly the follower's pixels, which then record the follower.
    if (r + 1 < count && next == chosen) continue;
    const TPolyline& p = list[static_cast<std::size_t>(chosen)];
    PolylineWalk walk(p);
    if (walk.n == 0) continue;
    const __m256 length = _mm256_set1_ps(p.length);
    for (std::size_t i = 0; i < steps.count; i += 8) {
      const __m256 s = _mm256_mul_ps(_mm256_loadu_ps(&steps.one_minus_e[i]), length);
      _mm256_store_ps(s8, s);
      const std::size_t real = steps.count - i < 8 ? steps.count - i : 8;
      __m512d qx, qy;
      const int lanes = PointsAt8(walk, s8, _mm512_cvtps_pd(s), real, qx, qy);
      const __m256i to = lanes ? Pixels8(target, _mm512_cvtpd_ps(qx), _mm512_cvtpd_ps(qy), centre16, lanes)
                               : _mm256_set1_epi32(-1);
      _mm256_store_si256(reinterpret_cast<__m256i*>(later + i), to);
    }
    if (have_mine) queued = QueueSurvivors(pending, queued, target, mine, later, padded, mine_id);
    std::swap(mine, later);
    have_mine = true;
    mine_id = RayId(target, first + static_cast<std::uint32_t>(r), 0);
  }
  if (have_mine) {
    std::fill(later, later + padded, kNoPixel);
    queued = QueueSurvivors(pending, queued, target, mine, later, padded, mine_id);
  }
  StorePending(pending, queued, 0);
}

}  // namespace

QUORVEL_AVX512 void ResolveRaysAvx512(const SampleTarget& t, const SampleSources& s, const ResolveJob& job,
                                      std::size_t begin, std::size_t end) {
  const __m512d centre = _mm512_set1_pd(D(s.r_centre));
  const __m256i none = _mm256_set1_epi32(-1);
  const __m256i background = _mm256_set1_epi32(static_cast<int>(job.background));
  const __m128i shift = _mm_cvtsi32_si128(s.id_shift);
  const __m256i step_mask = _mm256_set1_epi32(static_cast<int>((1u << s.id_shift) - 1));
  const __m256i last_column = _mm256_set1_epi32(t.width - 2), last_row = _mm256_set1_epi32(t.height - 2);
  const __m256i width = _mm256_set1_epi32(t.width);
  alignas(64) double xs[kResolveChunk], ys[kResolveChunk];
  __mmask8 missing_lanes[kResolveChunk / 8];
  std::size_t d = begin;
  while (end - d >= 8) {
    const std::size_t groups = std::min(kResolveChunk, end - d) / 8;
    for (std::size_t g = 0; g < groups; ++g) {
      __m256i first;
      const __m256i found = LayeredIds8(job, d + 8 * g, first);
      const __mmask8 missing = _mm256_cmpeq_epi32_mask(found, none);
      missing_lanes[g] = missing;
      if (missing == 0xFF) continue;
      // Lanes without an id read a layer's first ray, step 0: a point
      // inside the raster.
      const __m256i id = _mm256_maskz_mov_epi32(static_cast<__mmask8>(~missing), found);
      const __m256i r = _mm256_add_epi32(first, _mm256_srl_epi32(id, shift));
      const __m512d e = Gather8(s.steps->e.data(), _mm256_and_si256(id, step_mask));
      const __m512d sx = RoundF(_mm512_add_pd(RoundF(_mm512_mul_pd(Gather8(s.end_x.data(), r), e)), centre));
      const __m512d sy = RoundF(_mm512_add_pd(RoundF(_mm512_mul_pd(Gather8(s.end_y.data(), r), e)), centre));
      _mm512_store_pd(xs + 8 * g, sx);
      _mm512_store_pd(ys + 8 * g, sy);
      alignas(32) std::uint32_t from[8];
      const __m256i m = _mm256_min_epi32(TruncIndex8(sx), last_column);
      const __m256i h = _mm256_min_epi32(TruncIndex8(sy), last_row);
      _mm256_store_si256(reinterpret_cast<__m256i*>(from), _mm256_add_epi32(_mm256_mullo_epi32(h, width), m));
      for (int j = 0; j < 8; ++j) {
        const std::uint32_t* at = t.src + from[j];
        _mm_prefetch(reinterpret_cast<const char*>(at), _MM_HINT_T0);
        _mm_prefetch(reinterpret_cast<const char*>(at + t.width), _MM_HINT_T0);
      }
    }
    for (std::size_t g = 0; g < groups; ++g, d += 8) {
      __m256i* at = reinterpret_cast<__m256i*>(t.dest + d);
      if (missing_lanes[g] == 0xFF) {
        if (job.restore) _mm256_storeu_si256(at, background);
        continue;
      }
      const __m256i prior = job.restore ? background : _mm256_loadu_si256(at);
      const __m512d sx = _mm512_load_pd(xs + 8 * g), sy = _mm512_load_pd(ys + 8 * g);
      const __m256i m0 = TruncIndex8(sx), h0 = TruncIndex8(sy);
      const __m256i m = _mm256_min_epi32(m0, last_column);
      const __m256i h = _mm256_min_epi32(h0, last_row);
      const __m256i out = Fetch8(t, sx, sy, m0, h0, m, h);
      _mm256_storeu_si256(at, _mm256_mask_blend_epi32(missing_lanes[g], out, prior));
    }
  }
  if (d < end) ResolveRaysAvx2(t, s, job, d, end);
}

// The chord-line kernel of the AVX2 kernels (its comment says how it
// works), eight steps and eight positions at a time.
QUORVEL_AVX512 void MapChordLinesAvx512(const SampleTarget& t, const SampleSources& s, const Chord* chords,
                                        std::size_t first, std::size_t count, std::uint32_t* line_ids) {
  if (t.width < 2 || t.height < 2) return;
  const bool vertical = s.vertical;
  const std::int32_t length = vertical ? t.height : t.width;
  const __m512d centre = _mm512_set1_pd(D(s.r_centre));
  const __m512d half = _mm512_set1_pd(0.5);
  const __m512d below = _mm512_set1_pd(-1.0);
  const __m512d last = _mm512_set1_pd(length - 1);
  const __m256i none = _mm256_set1_epi32(-1);
  const __m256i last_column = _mm256_set1_epi32(t.width - 2), last_row = _mm256_set1_epi32(t.height - 2);
  auto record = [&](const Chord& chord, std::uint32_t* ids, std::uint32_t id, std::int32_t& lo,
                    std::int32_t& hi) QUORVEL_AVX512 {
    const __m512d v = _mm512_set1_pd(D(chord.v));
    const __m512d r = _mm512_set1_pd(D(chord.r));
    // The u walk is exact: lane u = -r + k / 2 (see SampleSources).
    __m512d ud = _mm512_sub_pd(_mm512_mul_pd(_mm512_setr_pd(0, 1, 2, 3, 4, 5, 6, 7), half), r);
    for (unsigned lanes = _mm512_cmp_pd_mask(ud, r, _CMP_LE_OQ); lanes;
         lanes = _mm512_cmp_pd_mask(ud, r, _CMP_LE_OQ), id += 8) {
      const __m512d squeezed = RoundF(_mm512_add_pd(centre, RoundF(_mm512_mul_pd(v, ud))));
      const __m512d across = _mm512_add_pd(RoundF(_mm512_add_pd(centre, ud)), half);
      ud = _mm512_add_pd(ud, _mm512_set1_pd(4.0));
      lanes &= _mm512_cmp_pd_mask(squeezed, below, _CMP_GT_OQ) & _mm512_cmp_pd_mask(across, below, _CMP_GT_OQ);
      if (!lanes) continue;
      alignas(32) std::int32_t at[8];
      _mm256_store_si256(reinterpret_cast<__m256i*>(at), _mm512_cvttpd_epi32(_mm512_min_pd(across, last)));
      // Positions never fall along a chord: the first and last lanes
      // bound the span.
      if (lanes == 0xFF) {
        for (int j = 0; j < 8; ++j) ids[at[j]] = id + static_cast<std::uint32_t>(j);
        lo = std::min(lo, at[0]);
        hi = std::max(hi, at[7]);
        continue;
      }
      for (int j = 0; j < 8; ++j) {
        if (!(lanes >> j & 1)) continue;
        ids[at[j]] = id + static_cast<std::uint32_t>(j);
        lo = std::min(lo, at[j]);
        hi = std::max(hi, at[j]);
      }
    }
  };
  auto sample = [&](const ChordLineSpan& span, std::uint32_t* ids, std::int32_t p) QUORVEL_AVX512 {
    __m256i* slot = reinterpret_cast<__m256i*>(ids + p);
    const __m256i id = _mm256_loadu_si256(slot);
    const unsigned present = 0xFF & ~static_cast<unsigned>(_mm256_cmpeq_epi32_mask(id, none));
    if (!present) return;
    _mm256_storeu_si256(slot, none);
    // Lanes without a sample read the line's first chord, step 0.
    const __m256i kept = _mm256_maskz_mov_epi32(static_cast<__mmask8>(present), id);
    const __m256i c = _mm256_srli_epi32(kept, 16);
    const __m512d step = _mm512_cvtepi32_pd(_mm256_and_si256(kept, _mm256_set1_epi32(0xFFFF)));
    const __m512d u = RoundF(_mm512_sub_pd(_mm512_mul_pd(half, step), Gather8(s.half.data() + span.first, c)));
    const __m512d squeezed =
        RoundF(_mm512_add_pd(centre, RoundF(_mm512_mul_pd(Gather8(s.squeeze.data() + span.first, c), u))));
    const __m512d along = Gather8(s.along.data() + span.first, c);
    const __m512d sx = vertical ? along : squeezed;
    const __m512d sy = vertical ? squeezed : along;
    const __m256i m0 = TruncIndex8(sx), h0 = TruncIndex8(sy);
    const __m256i value =
        Fetch8(t, sx, sy, m0, h0, _mm256_min_epi32(m0, last_column), _mm256_min_epi32(h0, last_row));
    if (!vertical) {
      std::uint32_t* row = t.dest + static_cast<std::size_t>(t.height - 1 - span.line) * t.width + p;
      _mm256_mask_storeu_epi32(row, static_cast<__mmask8>(present), value);
      return;
    }
    alignas(32) std::uint32_t values[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(values), value);
    for (int j = 0; j < 8; ++j) {
      if (!(present >> j & 1)) continue;
      t.dest[static_cast<std::size_t>(t.height - 1 - (p + j)) * t.width + span.line] = values[j];
    }
  };
  ForEachChordLineBlock<8>(t, vertical, chords, first, count, line_ids, record, sample);
}

QUORVEL_AVX512 void MapRaysAvx512(const SampleTarget& target, const PolylineList& list, std::int32_t angle,
                                  float r_centre, const RaySteps& steps, const float* angles, std::size_t count,
                                  std::uint32_t first) {
  if (target.ids)
    RecordRays(target, list, angle, r_centre, steps, angles, count, first);
  else
    MapRaysAvx2(target, list, angle, r_centre, steps, angles, count, first);
}

}  // namespace quorvel::fast
