// The fast passes' kernels on the x86-64 baseline: the plain engine's
// bilinear sample with the four channel sums done two at a time in SSE2
// lanes (the same operations in the same order per lane, so the same
// doubles), into a raster and written-bits the caller chooses.
#include <emmintrin.h>

#include "warp/fast/fast_internal.h"
#include "warp/mapping.h"

namespace quorvel::fast {
namespace {

// The four bytes of a pixel as int32 lanes B, G, R, A.
inline __m128i Widen(std::uint32_t pixel) {
  const __m128i zero = _mm_setzero_si128();
  return _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(pixel)), zero), zero);
}

// The bilinear value at (sx, sy) from source indices m, h (already held
// inside the raster); m0, h0 the truncated ones the fractions come from.
inline std::uint32_t FetchAt(const SampleTarget& t, float sx, float sy, std::int32_t m0, std::int32_t h0,
                             std::int32_t m, std::int32_t h) {
  const auto [w00, w01, w10, w11] = WeightsAt(sx, sy, m0, h0);
  const std::size_t w = static_cast<std::size_t>(t.width);
  const std::size_t at = static_cast<std::size_t>(h) * w + static_cast<std::size_t>(m);
  const __m128i q01 = Widen(t.src[at + w]), q00 = Widen(t.src[at]);
  const __m128i q10 = Widen(t.src[at + 1]), q11 = Widen(t.src[at + w + 1]);
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
  m = m0 = TruncIndex(sx);
  h = h0 = TruncIndex(sy);
  if (m >= t.width - 1) m = t.width - 2;
  if (h >= t.height - 1) h = t.height - 2;
  return (m | h) >= 0;
}

inline void SampleInto(const SampleTarget& t, float sx, float sy, float dx, float dy, std::uint32_t id) {
  std::int32_t m0, h0, m, h;
  const bool inside = SourceIndices(t, sx, sy, m0, h0, m, h);
  std::int32_t x = TruncIndex(D(dx) + 0.5);
  std::int32_t y = TruncIndex(D(dy) + 0.5);
  if (x >= t.width) x = t.width - 1;
  if (y >= t.height) y = t.height - 1;
  if (!inside || (x | y) < 0) return;
  const std::size_t d = static_cast<std::size_t>(t.height - 1 - y) * static_cast<std::size_t>(t.width) +
                        static_cast<std::size_t>(x);
  if (t.ids) {
    t.ids[d] = id;
    return;
  }
  t.dest[d] = FetchAt(t, sx, sy, m0, h0, m, h);
  if (t.written) MarkWritten(t.written, d);
}

}  // namespace

void MapChords(const SampleTarget& target, const Chord* chords, std::size_t count, float r_centre,
               bool vertical) {
  const double centre = r_centre;
  for (std::size_t i = 0; i < count; ++i) {
    const Chord& chord = chords[i];
    HalfSteps(-chord.r, chord.r, [&](float u) {
      const float squeezed = ChordSqueezed(centre, chord.v, u);
      const float across = ChordAcross(centre, u);
      if (vertical)
        SampleInto(target, chord.along, squeezed, chord.along, across, 0);
      else
        SampleInto(target, squeezed, chord.along, across, chord.along, 0);
    });
  }
}

void MapRays(const SampleTarget& target, const PolylineList& list, std::int32_t angle, float r_centre,
             const RaySteps& steps, const float* angles, std::size_t count, std::uint32_t first) {
  const double centre = r_centre;
  std::int32_t next = count ? SelectAssistPolyline(list, angle, angles[0]) : 0;
  for (std::size_t r = 0; r < count; ++r) {
    const float theta = angles[r];
    const std::int32_t chosen = next;
    if (r + 1 < count) next = SelectAssistPolyline(list, angle, angles[r + 1]);
    // Recording: a follower along the same polyline lands on exactly this
    // ray's pixels and records itself there.
    if (target.ids && r + 1 < count && next == chosen) continue;
    const TPolyline& p = list[static_cast<std::size_t>(chosen)];
    const TPointF end = RayEnd(r_centre, theta);
    std::size_t hint = p.segments.size();  // distances fall from the far end
    for (std::size_t i = 0; i < steps.count; ++i) {
      const float e = steps.e[i];
      const float sx = RaySource(end.x, e, centre);
      const float sy = RaySource(end.y, e, centre);
      TPointF q;
      if (PointAtLengthWalk(p, RayDistance(steps.one_minus_e[i], p.length), hint, q))
        SampleInto(target, sx, sy, F(D(q.x) + centre), F(D(q.y) + centre),
                   RayId(target, first + static_cast<std::uint32_t>(r), static_cast<std::uint32_t>(i)));
    }
  }
}

void ResolveRays(const SampleTarget& t, const SampleSources& s, const ResolveJob& job, std::size_t begin,
                 std::size_t end) {
  const double centre = s.r_centre;
  for (std::size_t d = begin; d < end; ++d) {
    int l = job.layer_count - 1;
    while (l >= 0 && job.layers[l][d] == kNoSample) --l;
    if (l < 0) {
      if (job.restore) t.dest[d] = job.background;
      continue;
    }
    const std::uint32_t id = job.layers[l][d];
    const std::uint32_t r = job.layer_first[l] + (id >> s.id_shift);
    const float e = s.steps->e[id & ((1u << s.id_shift) - 1)];
    const float sx = RaySource(s.end_x[r], e, centre);
    const float sy = RaySource(s.end_y[r], e, centre);
    std::int32_t m0, h0, m, h;
    SourceIndices(t, sx, sy, m0, h0, m, h);  // recorded samples lie inside
    t.dest[d] = FetchAt(t, sx, sy, m0, h0, m, h);
  }
}

}  // namespace quorvel::fast
