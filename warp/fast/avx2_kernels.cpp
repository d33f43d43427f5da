// The mapping kernels with AVX2: four samples at a time, one per double
// lane, for the coordinates, the weights and each channel's sum. Every lane
// does the plain engine's operations in its order, so the bytes are the
// same; writes still happen one sample after another.
//
// Functions carry target attributes instead of the file being built with
// -mavx2, so no inline function of a shared header is compiled here with
// instructions another CPU may lack.
#include <immintrin.h>

#include <cstring>

#include "warp/fast/fast_internal.h"
#include "warp/mapping.h"

#define QUORVEL_AVX2 __attribute__((target("avx2")))

namespace quorvel::fast {
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

// Shuffles that take byte c of each 32-bit lane as that lane's int.
alignas(16) constexpr std::int8_t kChannelPick[4][16] = {
    {0, -1, -1, -1, 4, -1, -1, -1, 8, -1, -1, -1, 12, -1, -1, -1},
    {1, -1, -1, -1, 5, -1, -1, -1, 9, -1, -1, -1, 13, -1, -1, -1},
    {2, -1, -1, -1, 6, -1, -1, -1, 10, -1, -1, -1, 14, -1, -1, -1},
    {3, -1, -1, -1, 7, -1, -1, -1, 11, -1, -1, -1, 15, -1, -1, -1}};

// Byte c of each 32-bit lane, as that lane's int.
QUORVEL_AVX2 inline __m256d ChannelOf(__m128i pixels, __m128i pick) {
  return _mm256_cvtepi32_pd(_mm_shuffle_epi8(pixels, pick));
}

// The bilinear values at four source points; m0, h0 their truncated
// indices, m, h the same held inside the raster. Lanes outside `valid`
// read pixel 0, which always exists.
QUORVEL_AVX2 __m128i Fetch4(const SampleTarget& t, __m256d sx, __m256d sy, __m128i m0, __m128i h0, __m128i m,
                            __m128i h, __m128i valid) {
  const __m256d one = _mm256_set1_pd(1.0);
  const __m256d fx = RoundF(_mm256_sub_pd(sx, _mm256_cvtepi32_pd(m0)));
  const __m256d fy = RoundF(_mm256_sub_pd(sy, _mm256_cvtepi32_pd(h0)));
  const __m256d gx = _mm256_sub_pd(one, fx);
  const __m256d gy = _mm256_sub_pd(one, fy);
  const __m256d w00 = RoundF(_mm256_mul_pd(gx, gy));
  const __m256d w01 = RoundF(_mm256_mul_pd(gx, fy));
  const __m256d w10 = RoundF(_mm256_mul_pd(fx, gy));
  const __m256d w11 = RoundF(_mm256_mul_pd(fx, fy));
  alignas(16) std::int32_t from[4];
  _mm_store_si128(reinterpret_cast<__m128i*>(from),
                  _mm_and_si128(_mm_add_epi32(_mm_mullo_epi32(h, _mm_set1_epi32(t.width)), m), valid));
  const std::uint32_t* s = t.src;
  const std::size_t w = static_cast<std::size_t>(t.width);
  // Each lane's two neighbours in a row are one 8-byte load; the pairs are
  // then dealt into a vector per tap.
  const std::uint32_t* a0 = s + static_cast<std::uint32_t>(from[0]);
  const std::uint32_t* a1 = s + static_cast<std::uint32_t>(from[1]);
  const std::uint32_t* a2 = s + static_cast<std::uint32_t>(from[2]);
  const std::uint32_t* a3 = s + static_cast<std::uint32_t>(from[3]);
  auto pair = [](const std::uint32_t* at) { return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(at)); };
  auto deal = [](__m128i left, __m128i right, __m128i& first, __m128i& second) {
    const __m128 l = _mm_castsi128_ps(left), r = _mm_castsi128_ps(right);
    first = _mm_castps_si128(_mm_shuffle_ps(l, r, _MM_SHUFFLE(2, 0, 2, 0)));
    second = _mm_castps_si128(_mm_shuffle_ps(l, r, _MM_SHUFFLE(3, 1, 3, 1)));
  };
  __m128i p00, p10, p01, p11;
  deal(_mm_unpacklo_epi64(pair(a0), pair(a1)), _mm_unpacklo_epi64(pair(a2), pair(a3)), p00, p10);
  deal(_mm_unpacklo_epi64(pair(a0 + w), pair(a1 + w)), _mm_unpacklo_epi64(pair(a2 + w), pair(a3 + w)), p01, p11);

  __m128i out = _mm_setzero_si128();
  for (int c = 0; c < 4; ++c) {
    const __m128i pick = _mm_load_si128(reinterpret_cast<const __m128i*>(kChannelPick[c]));
    __m256d acc = _mm256_mul_pd(ChannelOf(p01, pick), w01);
    acc = _mm256_add_pd(acc, _mm256_mul_pd(ChannelOf(p00, pick), w00));
    acc = _mm256_add_pd(acc, _mm256_mul_pd(ChannelOf(p10, pick), w10));
    acc = _mm256_add_pd(acc, _mm256_mul_pd(ChannelOf(p11, pick), w11));
    // Truncation toward zero, then the int's low byte, as a cast does.
    const __m128i byte = _mm_and_si128(_mm256_cvttpd_epi32(acc), _mm_set1_epi32(0xFF));
    out = _mm_or_si128(out, _mm_sll_epi32(byte, _mm_cvtsi32_si128(8 * c)));
  }
  return out;
}

// Four samples (sx, sy) -> (dx, dy); lanes whose bit in `lanes` is clear are
// skipped. Each lane is one sample, each channel summed in the plain order;
// the writes go out one sample after another.
QUORVEL_AVX2 void Sample4(const SampleTarget& t, __m256d sx, __m256d sy, __m256d dx, __m256d dy,
                          int lanes) {
  const __m128i m0 = TruncIndex4(sx);
  const __m128i h0 = TruncIndex4(sy);
  const __m256d half = _mm256_set1_pd(0.5);
  const __m128i x = _mm_min_epi32(TruncIndex4(_mm256_add_pd(dx, half)), _mm_set1_epi32(t.width - 1));
  const __m128i y = _mm_min_epi32(TruncIndex4(_mm256_add_pd(dy, half)), _mm_set1_epi32(t.height - 1));
  const __m128i m = _mm_min_epi32(m0, _mm_set1_epi32(t.width - 2));
  const __m128i h = _mm_min_epi32(h0, _mm_set1_epi32(t.height - 2));
  const __m128i negative = _mm_srai_epi32(_mm_or_si128(_mm_or_si128(m, h), _mm_or_si128(x, y)), 31);
  const __m128i bits = _mm_setr_epi32(1, 2, 4, 8);
  const __m128i wanted = _mm_cmpeq_epi32(_mm_and_si128(_mm_set1_epi32(lanes), bits), bits);
  const __m128i valid = _mm_andnot_si128(negative, wanted);
  lanes = _mm_movemask_ps(_mm_castsi128_ps(valid));
  if (!lanes) return;
  alignas(16) std::int32_t to[4];
  const __m128i row = _mm_sub_epi32(_mm_set1_epi32(t.height - 1), y);
  _mm_store_si128(reinterpret_cast<__m128i*>(to), _mm_add_epi32(_mm_mullo_epi32(row, _mm_set1_epi32(t.width)), x));

  alignas(16) std::uint32_t result[4];
  _mm_store_si128(reinterpret_cast<__m128i*>(result), Fetch4(t, sx, sy, m0, h0, m, h, valid));
  for (int j = 0; j < 4; ++j) {
    if (!(lanes >> j & 1)) continue;
    const std::size_t d = static_cast<std::uint32_t>(to[j]);
    t.dest[d] = result[j];
    if (t.written) MarkWritten(t.written, d);
  }
}

// The recorded ids of four pixels from d on: the last layer that has one,
// and that layer's first ray in `first`.
QUORVEL_AVX2 inline __m128i LayeredIds(const ResolveJob& job, std::size_t d, __m128i& first) {
  const __m128i none = _mm_set1_epi32(-1);
  const int last = job.layer_count - 1;
  __m128i id = _mm_loadu_si128(reinterpret_cast<const __m128i*>(job.layers[last] + d));
  first = _mm_set1_epi32(static_cast<int>(job.layer_first[last]));
  for (int l = last; l-- > 0;) {
    const __m128i below = _mm_loadu_si128(reinterpret_cast<const __m128i*>(job.layers[l] + d));
    const __m128i missing = _mm_cmpeq_epi32(id, none);
    id = _mm_blendv_epi8(id, below, missing);
    first = _mm_blendv_epi8(first, _mm_set1_epi32(static_cast<int>(job.layer_first[l])), missing);
  }
  return id;
}

QUORVEL_AVX2 inline __m256d Gather4(const float* table, __m128i index) {
  return _mm256_cvtps_pd(_mm_i32gather_ps(table, index, 4));
}

QUORVEL_AVX2 inline __m128i High16(__m128i id) { return _mm_srli_epi32(id, 16); }
QUORVEL_AVX2 inline __m128i Low16(__m128i id) { return _mm_and_si128(id, _mm_set1_epi32(0xFFFF)); }

QUORVEL_AVX2 inline __m256d Load4(const float* v) { return _mm256_cvtps_pd(_mm_loadu_ps(v)); }

}  // namespace

QUORVEL_AVX2 void MapChordsAvx2(const SampleTarget& target, const Chord* chords, std::size_t count,
                                float r_centre, bool vertical) {
  const __m256d centre = _mm256_set1_pd(r_centre);
  const __m256d half = _mm256_set1_pd(0.5);
  const __m256d step4 = _mm256_set1_pd(2.0);
  for (std::size_t i = 0; i < count; ++i) {
    const Chord& chord = chords[i];
    const __m256d along = _mm256_set1_pd(chord.along);
    const __m256d v = _mm256_set1_pd(chord.v);
    const __m256d r = _mm256_set1_pd(chord.r);
    // The u walk is exact: lane u = -r + k / 2 (see SampleSources).
    __m256d ud = _mm256_sub_pd(_mm256_mul_pd(_mm256_setr_pd(0, 1, 2, 3), half), r);
    for (int lanes = _mm256_movemask_pd(_mm256_cmp_pd(ud, r, _CMP_LE_OQ)); lanes;
         lanes = _mm256_movemask_pd(_mm256_cmp_pd(ud, r, _CMP_LE_OQ))) {
      const __m256d squeezed = RoundF(_mm256_add_pd(centre, RoundF(_mm256_mul_pd(v, ud))));
      const __m256d across = RoundF(_mm256_add_pd(centre, ud));
      if (vertical)
        Sample4(target, along, squeezed, along, across, lanes);
      else
        Sample4(target, squeezed, along, across, along, lanes);
      ud = _mm256_add_pd(ud, step4);
    }
  }
}

// The chords of kChordLineBlock destination lines at a time: every
// sample's id goes to its position on its line (a later one overwrites),
// then each position takes the bilinear value of the sample left there.
// The ids stay in a buffer per line. Each pixel is written once, so the
// sampling may take the block's lines side by side, a run of positions at
// a time: columns then share the cache lines they read and write instead
// of each walking the whole raster alone.
QUORVEL_AVX2 void MapChordLinesAvx2(const SampleTarget& t, const SampleSources& s, const Chord* chords,
                                    std::size_t first, std::size_t count, std::uint32_t* line_ids) {
  if (t.width < 2 || t.height < 2) return;
  const bool vertical = s.vertical;
  const std::int32_t length = vertical ? t.height : t.width;
  const __m256d centre = _mm256_set1_pd(s.r_centre);
  const __m256d half = _mm256_set1_pd(0.5);
  const __m256d below = _mm256_set1_pd(-1.0);
  const __m256d last = _mm256_set1_pd(length - 1);
  const __m128i none = _mm_set1_epi32(-1);
  auto record = [&](const Chord& chord, std::uint32_t* ids, std::uint32_t id, std::int32_t& lo,
                    std::int32_t& hi) QUORVEL_AVX2 {
    const __m256d v = _mm256_set1_pd(chord.v);
    const __m256d r = _mm256_set1_pd(chord.r);
    // The u walk is exact: lane u = -r + k / 2 (see SampleSources).
    __m256d ud = _mm256_sub_pd(_mm256_mul_pd(_mm256_setr_pd(0, 1, 2, 3), half), r);
    for (int lanes = _mm256_movemask_pd(_mm256_cmp_pd(ud, r, _CMP_LE_OQ)); lanes;
         lanes = _mm256_movemask_pd(_mm256_cmp_pd(ud, r, _CMP_LE_OQ)), id += 4) {
      const __m256d squeezed = RoundF(_mm256_add_pd(centre, RoundF(_mm256_mul_pd(v, ud))));
      const __m256d across = _mm256_add_pd(RoundF(_mm256_add_pd(centre, ud)), half);
      ud = _mm256_add_pd(ud, _mm256_set1_pd(2.0));
      lanes &= _mm256_movemask_pd(_mm256_and_pd(_mm256_cmp_pd(squeezed, below, _CMP_GT_OQ),
                                                _mm256_cmp_pd(across, below, _CMP_GT_OQ)));
      if (!lanes) continue;
      alignas(16) std::int32_t at[4];
      _mm_store_si128(reinterpret_cast<__m128i*>(at), _mm256_cvttpd_epi32(_mm256_min_pd(across, last)));
      // Positions never fall along a chord: the first and last lanes
      // bound the span.
      if (lanes == 0xF) {
        ids[at[0]] = id;
        ids[at[1]] = id + 1;
        ids[at[2]] = id + 2;
        ids[at[3]] = id + 3;
        lo = std::min(lo, at[0]);
        hi = std::max(hi, at[3]);
        continue;
      }
      for (int j = 0; j < 4; ++j) {
        if (!(lanes >> j & 1)) continue;
        ids[at[j]] = id + static_cast<std::uint32_t>(j);
        lo = std::min(lo, at[j]);
        hi = std::max(hi, at[j]);
      }
    }
  };
  auto sample = [&](const ChordLineSpan& span, std::uint32_t* ids, std::int32_t p) QUORVEL_AVX2 {
    __m128i* slot = reinterpret_cast<__m128i*>(ids + p);
    const __m128i id = _mm_loadu_si128(slot);
    const __m128i missing = _mm_cmpeq_epi32(id, none);
    const int present = ~_mm_movemask_ps(_mm_castsi128_ps(missing)) & 0xF;
    if (!present) return;
    _mm_storeu_si128(slot, none);
    const __m128i kept = _mm_andnot_si128(missing, id);
    const __m128i c = High16(kept);
    const __m256d u = RoundF(_mm256_sub_pd(_mm256_mul_pd(half, _mm256_cvtepi32_pd(Low16(kept))),
                                           Gather4(s.half.data() + span.first, c)));
    const __m256d squeezed =
        RoundF(_mm256_add_pd(centre, RoundF(_mm256_mul_pd(Gather4(s.squeeze.data() + span.first, c), u))));
    const __m256d along = Gather4(s.along.data() + span.first, c);
    const __m256d sx = vertical ? along : squeezed;
    const __m256d sy = vertical ? squeezed : along;
    const __m128i m0 = TruncIndex4(sx), h0 = TruncIndex4(sy);
    const __m128i m = _mm_min_epi32(m0, _mm_set1_epi32(t.width - 2));
    const __m128i h = _mm_min_epi32(h0, _mm_set1_epi32(t.height - 2));
    alignas(16) std::uint32_t value[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(value), Fetch4(t, sx, sy, m0, h0, m, h, _mm_set1_epi32(-1)));
    for (int j = 0; j < 4; ++j) {
      if (!(present >> j & 1)) continue;
      const std::int32_t pos = p + j;
      const std::size_t d = vertical ? static_cast<std::size_t>(t.height - 1 - pos) * t.width + span.line
                                     : static_cast<std::size_t>(t.height - 1 - span.line) * t.width + pos;
      t.dest[d] = value[j];
    }
  };
  ForEachChordLineBlock<4>(t, vertical, chords, first, count, line_ids, record, sample);
}

// The points at the first `real` of four falling distances s4 (s_lanes: the
// same in double lanes), in (qx, qy) as they stand before their rounding to
// float; gives back the lanes that have one. Mostly all four lie well inside
// one segment: then they come out of one vector interpolation, after walking
// to the segment of the last.
QUORVEL_AVX2 inline int PointsAt4(PolylineWalk& w, const float* s4, __m256d s_lanes, std::size_t real,
                                  __m256d& qx, __m256d& qy) {
  if (w.n == 0) return 0;
  if (real == 4) {
    while (w.k > 0 && s4[3] <= w.start) {
      --w.k;
      w.start = w.k ? w.seg[w.k - 1].cum_length : 0.0f;
    }
    const TSegment& g = w.seg[w.k];
    const __m256d after_start = _mm256_sub_pd(s_lanes, _mm256_set1_pd(w.start));
    const __m256d before_end = _mm256_sub_pd(_mm256_set1_pd(g.cum_length), s_lanes);
    const __m256d margin = _mm256_set1_pd(kWalkMargin);
    const __m256d inside = _mm256_and_pd(_mm256_cmp_pd(after_start, margin, _CMP_GE_OQ),
                                         _mm256_cmp_pd(before_end, margin, _CMP_GE_OQ));
    if (_mm256_movemask_pd(inside) == 0xF) {
      const __m256d d = RoundF(_mm256_div_pd(after_start, _mm256_set1_pd(g.length)));
      const __m256d x1 = _mm256_set1_pd(g.x1), y1 = _mm256_set1_pd(g.y1);
      qx = _mm256_add_pd(x1, _mm256_mul_pd(_mm256_sub_pd(_mm256_set1_pd(g.x2), x1), d));
      qy = _mm256_add_pd(y1, _mm256_mul_pd(_mm256_sub_pd(_mm256_set1_pd(g.y2), y1), d));
      return 0xF;
    }
  }
  alignas(32) double x[4] = {0, 0, 0, 0}, y[4] = {0, 0, 0, 0};
  int lanes = 0;
  for (std::size_t j = 0; j < real; ++j) {
    TPointF q;
    if (!PointAtLengthWalk(w.p, s4[j], w.k, q)) continue;
    lanes |= 1 << j;
    x[j] = q.x;
    y[j] = q.y;
  }
  w.start = w.k ? w.seg[w.k - 1].cum_length : 0.0f;
  qx = _mm256_load_pd(x);
  qy = _mm256_load_pd(y);
  return lanes;
}

// The pixels of four recorded samples whose destination points, already
// rounded to float32, are (qx, qy): lane j's id0 + j is queued for the
// pixel it lands on; gives back the new count. Each float operation here is
// one operation on float32 values, so it rounds as the plain engine's
// double operation then F() does: x + R is correctly rounded either way,
// and adding 0.5 is exact below 2^22, beyond which every value is dropped
// or held to the last line all the same.
QUORVEL_AVX2 inline std::size_t Land4(PendingIds& p, std::size_t count, const SampleTarget& t, __m128 qx,
                                      __m128 qy, __m256 centre, int lanes, std::uint32_t id0) {
  const __m256 at = _mm256_add_ps(_mm256_add_ps(_mm256_set_m128(qy, qx), centre), _mm256_set1_ps(0.5f));
  const int ok = _mm256_movemask_ps(_mm256_cmp_ps(at, _mm256_set1_ps(-1.0f), _CMP_GT_OQ));
  lanes &= ok & ok >> 4;
  if (!lanes) return count;
  // Held before truncating: truncation keeps order, and the limits are whole.
  const __m256 last = _mm256_setr_ps(static_cast<float>(t.width - 1), static_cast<float>(t.width - 1),
                                     static_cast<float>(t.width - 1), static_cast<float>(t.width - 1),
                                     static_cast<float>(t.height - 1), static_cast<float>(t.height - 1),
                                     static_cast<float>(t.height - 1), static_cast<float>(t.height - 1));
  const __m256i xy = _mm256_cvttps_epi32(_mm256_min_ps(at, last));
  const __m128i row = _mm_sub_epi32(_mm_set1_epi32(t.height - 1), _mm256_extracti128_si256(xy, 1));
  const __m128i to = _mm_add_epi32(_mm_mullo_epi32(row, _mm_set1_epi32(t.width)), _mm256_castsi256_si128(xy));
  // Four samples span under two pixels: their first and last lines.
  std::uint32_t first_to, last_to;
  if (lanes == 0xF) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p.at + count), to);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p.id + count),
                     _mm_add_epi32(_mm_set1_epi32(static_cast<int>(id0)), _mm_setr_epi32(0, 1, 2, 3)));
    count += 4;
    first_to = static_cast<std::uint32_t>(_mm_cvtsi128_si32(to));
    last_to = static_cast<std::uint32_t>(_mm_extract_epi32(to, 3));
  } else {
    alignas(16) std::uint32_t lane_to[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(lane_to), to);
    first_to = lane_to[__builtin_ctz(static_cast<unsigned>(lanes))];
    for (int j = 0; j < 4; ++j) {
      if (!(lanes >> j & 1)) continue;
      p.at[count] = lane_to[j];
      p.id[count++] = id0 + static_cast<std::uint32_t>(j);
    }
    last_to = p.at[count - 1];
  }
  _mm_prefetch(reinterpret_cast<const char*>(t.ids + last_to), _MM_HINT_T0);
  _mm_prefetch(reinterpret_cast<const char*>(t.ids + first_to), _MM_HINT_T0);
  if (count >= 2 * kStoreLag) count = StorePending(p, count, kStoreLag);
  return count;
}

// The recording of MapRays: only where samples land. Where they read never
// drops them: |end| <= R and 0 <= e <= 1 put every source point at or
// above 0. A distance is one float32 product, so it is taken in float32
// lanes; the segment fraction and the interpolation are chains of double
// operations and stay in double.
QUORVEL_AVX2 void RecordRays(const SampleTarget& target, const PolylineList& list, std::int32_t angle,
                             float r_centre, const RaySteps& steps, const float* angles, std::size_t count,
                             std::uint32_t first) {
  if (target.width < 2 || target.height < 2) return;  // every sample drops
  const __m256 centre8 = _mm256_set1_ps(r_centre);
  PendingIds pending;
  pending.ids = target.ids;
  std::size_t queued = 0;
  alignas(16) float s4[4];
  std::int32_t next = count ? SelectAssistPolyline(list, angle, angles[0]) : 0;
  for (std::size_t r = 0; r < count; ++r) {
    const std::int32_t chosen = next;
    if (r + 1 < count) next = SelectAssistPolyline(list, angle, angles[r + 1]);
    // A ray whose follower lays its samples along the same polyline lands
    // on exactly the follower's pixels, which then record the follower.
    if (r + 1 < count && next == chosen) continue;
    const TPolyline& p = list[static_cast<std::size_t>(chosen)];
    const std::uint32_t ray_id = RayId(target, first + static_cast<std::uint32_t>(r), 0);
    const __m128 length = _mm_set1_ps(p.length);
    PolylineWalk walk(p);
    if (walk.n == 0) continue;
    for (std::size_t i = 0; i < steps.count; i += 4) {
      const __m128 s = _mm_mul_ps(_mm_loadu_ps(&steps.one_minus_e[i]), length);
      _mm_store_ps(s4, s);
      const std::size_t real = steps.count - i < 4 ? steps.count - i : 4;
      __m256d qx, qy;
      const int lanes = PointsAt4(walk, s4, _mm256_cvtps_pd(s), real, qx, qy);
      if (lanes)
        queued = Land4(pending, queued, target, _mm256_cvtpd_ps(qx), _mm256_cvtpd_ps(qy), centre8, lanes,
                       ray_id + static_cast<std::uint32_t>(i));
    }
  }
  StorePending(pending, queued, 0);
}

// The sampling of MapRays: every step's bilinear value, written in order.
QUORVEL_AVX2 void SampleRays(const SampleTarget& target, const PolylineList& list, std::int32_t angle,
                             float r_centre, const RaySteps& steps, const float* angles, std::size_t count) {
  const double centre = r_centre;
  const __m256d centre4 = _mm256_set1_pd(centre);
  alignas(16) float s4[4];
  std::int32_t next = count ? SelectAssistPolyline(list, angle, angles[0]) : 0;
  for (std::size_t r = 0; r < count; ++r) {
    const float theta = angles[r];
    const std::int32_t chosen = next;
    if (r + 1 < count) next = SelectAssistPolyline(list, angle, angles[r + 1]);
    const TPolyline& p = list[static_cast<std::size_t>(chosen)];
    const TPointF end = RayEnd(r_centre, theta);
    const __m256d end_x = _mm256_set1_pd(end.x);
    const __m256d end_y = _mm256_set1_pd(end.y);
    const __m256d length = _mm256_set1_pd(p.length);
    PolylineWalk walk(p);
    for (std::size_t i = 0; i < steps.count; i += 4) {
      const __m256d e = Load4(&steps.e[i]);
      const __m256d sx = RoundF(_mm256_add_pd(RoundF(_mm256_mul_pd(end_x, e)), centre4));
      const __m256d sy = RoundF(_mm256_add_pd(RoundF(_mm256_mul_pd(end_y, e)), centre4));
      const __m256d s_lanes = RoundF(_mm256_mul_pd(Load4(&steps.one_minus_e[i]), length));
      _mm_store_ps(s4, _mm256_cvtpd_ps(s_lanes));
      const std::size_t real = steps.count - i < 4 ? steps.count - i : 4;
      __m256d qx, qy;
      const int lanes = PointsAt4(walk, s4, s_lanes, real, qx, qy);
      if (!lanes) continue;
      Sample4(target, sx, sy, RoundF(_mm256_add_pd(RoundF(qx), centre4)),
              RoundF(_mm256_add_pd(RoundF(qy), centre4)), lanes);
    }
  }
}

QUORVEL_AVX2 void MapRaysAvx2(const SampleTarget& target, const PolylineList& list, std::int32_t angle,
                              float r_centre, const RaySteps& steps, const float* angles, std::size_t count,
                              std::uint32_t first) {
  if (target.ids)
    RecordRays(target, list, angle, r_centre, steps, angles, count, first);
  else
    SampleRays(target, list, angle, r_centre, steps, angles, count);
}


QUORVEL_AVX2 void ResolveRaysAvx2(const SampleTarget& t, const SampleSources& s, const ResolveJob& job,
                                  std::size_t begin, std::size_t end) {
  const __m256d centre = _mm256_set1_pd(s.r_centre);
  const __m128i none = _mm_set1_epi32(-1);
  const __m128i background = _mm_set1_epi32(static_cast<int>(job.background));
  const __m128i shift = _mm_cvtsi32_si128(s.id_shift);
  const __m128i step_mask = _mm_set1_epi32(static_cast<int>((1u << s.id_shift) - 1));
  const __m128i last_column = _mm_set1_epi32(t.width - 2), last_row = _mm_set1_epi32(t.height - 2);
  const __m128i width = _mm_set1_epi32(t.width);
  alignas(32) double xs[kResolveChunk], ys[kResolveChunk];
  int missing_lanes[kResolveChunk / 4];
  std::size_t d = begin;
  while (end - d >= 4) {
    const std::size_t groups = std::min(kResolveChunk, end - d) / 4;
    for (std::size_t g = 0; g < groups; ++g) {
      __m128i first;
      const __m128i found = LayeredIds(job, d + 4 * g, first);
      const __m128i missing = _mm_cmpeq_epi32(found, none);
      missing_lanes[g] = _mm_movemask_ps(_mm_castsi128_ps(missing));
      if (missing_lanes[g] == 0xF) continue;
      // Lanes without an id read a layer's first ray, step 0: a point
      // inside the raster.
      const __m128i id = _mm_andnot_si128(missing, found);
      const __m128i r = _mm_add_epi32(first, _mm_srl_epi32(id, shift));
      const __m256d e = Gather4(s.steps->e.data(), _mm_and_si128(id, step_mask));
      const __m256d sx = RoundF(_mm256_add_pd(RoundF(_mm256_mul_pd(Gather4(s.end_x.data(), r), e)), centre));
      const __m256d sy = RoundF(_mm256_add_pd(RoundF(_mm256_mul_pd(Gather4(s.end_y.data(), r), e)), centre));
      _mm256_store_pd(xs + 4 * g, sx);
      _mm256_store_pd(ys + 4 * g, sy);
      alignas(16) std::uint32_t from[4];
      const __m128i m = _mm_min_epi32(TruncIndex4(sx), last_column);
      const __m128i h = _mm_min_epi32(TruncIndex4(sy), last_row);
      _mm_store_si128(reinterpret_cast<__m128i*>(from), _mm_add_epi32(_mm_mullo_epi32(h, width), m));
      for (int j = 0; j < 4; ++j) {
        const std::uint32_t* at = t.src + from[j];
        _mm_prefetch(reinterpret_cast<const char*>(at), _MM_HINT_T0);
        _mm_prefetch(reinterpret_cast<const char*>(at + t.width), _MM_HINT_T0);
      }
    }
    for (std::size_t g = 0; g < groups; ++g, d += 4) {
      __m128i* at = reinterpret_cast<__m128i*>(t.dest + d);
      if (missing_lanes[g] == 0xF) {
        if (job.restore) _mm_storeu_si128(at, background);
        continue;
      }
      const __m128i prior = job.restore ? background : _mm_loadu_si128(at);
      const __m256d sx = _mm256_load_pd(xs + 4 * g), sy = _mm256_load_pd(ys + 4 * g);
      const __m128i m0 = TruncIndex4(sx), h0 = TruncIndex4(sy);
      const __m128i m = _mm_min_epi32(m0, last_column);
      const __m128i h = _mm_min_epi32(h0, last_row);
      const __m128i out = Fetch4(t, sx, sy, m0, h0, m, h, _mm_set1_epi32(-1));
      const __m128i bits = _mm_setr_epi32(1, 2, 4, 8);
      const __m128i missing = _mm_cmpeq_epi32(_mm_and_si128(_mm_set1_epi32(missing_lanes[g]), bits), bits);
      _mm_storeu_si128(at, _mm_blendv_epi8(out, prior, missing));
    }
  }
  ResolveRays(t, s, job, d, end);
}

}  // namespace quorvel::fast
