// What the fast passes' orchestration (square_to_disk, sweep_rays, assist,
// feather) and their kernels (portable_kernels, avx2_kernels) share.
//
// Threads split the work into contiguous ranges in the plain passes' order.
// Where two samples can land on one pixel the later one in that order must
// win, so ranges are either cut where no two can meet, or merged in order.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "raster/engine_options.h"
#include "raster/pixels.h"
#include "warp/arithmetic.h"
#include "warp/fast_mapping.h"
#include "warp/geometry.h"
#include "warp/polyline.h"

namespace quorvel::fast {

// Where samples read and land. Pixels are 4 bytes: the fast passes run only
// on rasters PrepareWarp made.
//
// A target with ids records, instead of sampling, which sample lands on
// each pixel: every sample that would be written stores its id there, so
// the last writer's id is left. Sampling only those later spares the
// bilinear work of every sample that a later one overwrites.
struct SampleTarget {
  const std::uint32_t* src = nullptr;  // S x S, read
  std::uint32_t* dest = nullptr;       // S x S, written
  std::uint8_t* written = nullptr;     // optional: bit d set where pixel d is written
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::uint32_t* ids = nullptr;        // S x S; when set, ids are recorded instead
  int id_shift = 16;                   // ray ids: the step below this bit, the ray above
};

// No sample recorded at a pixel.
inline constexpr std::uint32_t kNoSample = 0xFFFFFFFFu;

// A chord sample's id on its line: the chord (counted from the line's
// first) in the high half, its step in the low.
inline std::uint32_t SampleId(std::uint32_t chord, std::uint32_t step) { return chord << 16 | step; }
// A ray sample's id: the ray, counted from its layer's first, above the
// step. The split follows S, so ids of every side the resampler takes fit.
inline std::uint32_t RayId(const SampleTarget& t, std::uint32_t ray, std::uint32_t step) {
  return ray << t.id_shift | step;
}

// One bit per pixel: an eighth of the memory of a byte mask, and each ray
// range owns its bits, so no two threads write one byte.
inline void MarkWritten(std::uint8_t* bits, std::size_t pixel) {
  bits[pixel >> 3] = static_cast<std::uint8_t>(bits[pixel >> 3] | 1u << (pixel & 7));
}
inline bool WasWritten(const std::uint8_t* bits, std::size_t pixel) { return bits[pixel >> 3] >> (pixel & 7) & 1u; }

// PointAtLength for callers that ask for many distances in order: the same
// answer, found by walking from the segment `hint` (updated). Where the walk
// rule holds the segment found is the search's; elsewhere the search answers.
inline bool PointAtLengthWalk(const TPolyline& p, float s, std::size_t& hint, TPointF& out) {
  const std::size_t n = p.segments.size();
  if (n == 0) return false;
  const TSegment* seg = p.segments.data();
  std::size_t k = hint < n ? hint : n - 1;
  auto start_of = [seg](std::size_t i) { return i == 0 ? 0.0f : seg[i - 1].cum_length; };
  while (k > 0 && s <= start_of(k)) --k;
  while (k + 1 < n && s >= seg[k].cum_length) ++k;
  hint = k;
  if (WellInside(start_of(k), seg[k].cum_length, s)) {
    out = PointInSegment(seg[k], start_of(k), s);
    return true;
  }
  return PointAtLength(p, s, out);
}

// A ray's walk along its assist polyline: distances fall along the ray, so
// the segment walks back from the end; start is where segment k begins.
struct PolylineWalk {
  const TPolyline& p;
  const TSegment* seg;
  std::size_t n;
  std::size_t k;
  float start;
  explicit PolylineWalk(const TPolyline& polyline)
      : p(polyline), seg(polyline.segments.data()), n(polyline.segments.size()), k(n ? n - 1 : 0),
        start(k ? seg[k - 1].cum_length : 0.0f) {}
};

// Recorded ids wait between their pixel's line being asked for and their
// store: a ray's samples reach a new line of the id raster every pixel or
// so, and stores that miss the cache stall the whole loop. The stores keep
// the samples' order. The count is the caller's, so that it stays in a
// register; a vector kernel may add up to eight past 2 * kStoreLag.
inline constexpr std::size_t kStoreLag = 128;

struct PendingIds {
  std::uint32_t* ids = nullptr;
  alignas(32) std::uint32_t at[2 * kStoreLag + 8];
  alignas(32) std::uint32_t id[2 * kStoreLag + 8];
};

// Stores all but the last `keep` of `count` pending ids; gives back keep.
inline std::size_t StorePending(PendingIds& p, std::size_t count, std::size_t keep) {
  const std::size_t n = count - keep;
  for (std::size_t j = 0; j < n; ++j) p.ids[p.at[j]] = p.id[j];
  std::memmove(p.at, p.at + n, keep * sizeof(std::uint32_t));
  std::memmove(p.id, p.id + n, keep * sizeof(std::uint32_t));
  return keep;
}

// One chord of the first pass, with its destination line: the column
// (vertical) or row (horizontal) every sample of it lands on.
struct Chord : ChordGeometry {
  std::int32_t line;
};

// Per distance b along a ray (0, 0.5, ... R): e = b / R and 1 - e, the
// same for every ray. The lists are padded to a multiple of eight entries;
// count is how many are real.
struct RaySteps {
  std::vector<float> e;
  std::vector<float> one_minus_e;
  std::size_t count = 0;
};
RaySteps MakeRaySteps(float r_centre);

// Where each recorded sample reads: by id, the source point of a chord's or
// a ray's step.
//
// A chord's u walk (from -r in half steps while u <= r) is exact: every
// -r + k / 2 with |value| <= r fits r's precision. So the step k alone
// gives a sample's u.
struct SampleSources {
  // Chords: along, half length and squeeze factor of each.
  std::vector<float> along, half, squeeze;
  bool vertical = false;
  // Rays: the end point of each, and the steps they share.
  std::vector<float> end_x, end_y;
  const RaySteps* steps = nullptr;
  float r_centre = 0.0f;
  int id_shift = 16;  // as the targets that recorded the ray ids
};

// Pixels [begin, end) of target.dest take the sample recorded for them: the
// id in the last of `layers` id rasters that has one. A pixel none records
// keeps its value, or becomes `background` when restore is set (the first
// id raster then lies in dest itself).
struct ResolveJob {
  const std::uint32_t* const* layers = nullptr;
  const std::uint32_t* layer_first = nullptr;  // the first ray each layer recorded
  int layer_count = 0;
  bool restore = false;
  std::uint32_t background = 0;
};

// Pixels a resolve kernel's chunk handles in two rounds: first every source
// point, with its rows asked for ahead, then the bilinear reads. The points
// of neighbouring pixels lie anywhere on the disk, so the reads would
// otherwise wait for memory one group after another.
inline constexpr std::size_t kResolveChunk = 64;

// Lines the chord-line kernel takes side by side (a cache line of pixels),
// and the positions it samples of each before going on to the next.
inline constexpr int kChordLineBlock = 16;
inline constexpr std::int32_t kChordLineRun = 64;
// Entries of one line's ids in the chord-line kernel's buffers: the longer
// side, plus 7 so that a group of eight may start at the last position.
inline std::size_t ChordLineStride(std::int32_t width, std::int32_t height) {
  return static_cast<std::size_t>(std::max(width, height)) + 7;
}

// A line's span in the chord-line kernels: its first chord, the first and
// last positions its samples reach, and the next position to sample.
struct ChordLineSpan {
  std::int32_t line;
  std::size_t first;
  std::int32_t lo, hi, next;
};

// What every chord-line kernel does around its vector code: it takes the
// chords of kChordLineBlock destination lines at a time. record(chord, ids,
// id, lo, hi) puts one chord's sample ids (from id on) on its line's ids and
// widens [lo, hi] to the positions they reach. Then sample(span, ids, p)
// samples the group of kGroup positions from p, a run of positions of
// every line at a time. Inlined into each kernel, so that the callbacks,
// which carry the kernel's target attribute, are inlined too.
template <std::int32_t kGroup, class Record, class Sample>
[[gnu::always_inline]] inline void ForEachChordLineBlock(const SampleTarget& t, bool vertical, const Chord* chords,
                                                         std::size_t first, std::size_t count,
                                                         std::uint32_t* line_ids, Record&& record, Sample&& sample) {
  const std::int32_t length = vertical ? t.height : t.width;
  const std::size_t stride = ChordLineStride(t.width, t.height);
  ChordLineSpan spans[kChordLineBlock];
  for (std::size_t a = first, end = first + count; a < end;) {
    int lines = 0;
    std::int32_t lo_all = length, hi_all = -1;
    for (; lines < kChordLineBlock && a < end; ++lines) {
      std::uint32_t* ids = line_ids + static_cast<std::size_t>(lines) * stride;
      const std::int32_t line = chords[a].line;
      const std::size_t line_first = a;
      std::size_t b = a;
      std::int32_t lo = length, hi = -1;
      for (; b < end && chords[b].line == line; ++b) {
        const Chord& chord = chords[b];
        if (!(chord.along > -1.0f) || line < 0) continue;  // the whole chord drops
        record(chord, ids, SampleId(static_cast<std::uint32_t>(b - line_first), 0), lo, hi);
      }
      a = b;
      spans[lines] = ChordLineSpan{line, line_first, lo, hi, lo};
      lo_all = std::min(lo_all, lo);
      hi_all = std::max(hi_all, hi);
    }
    for (std::int32_t run = lo_all; run <= hi_all; run += kChordLineRun) {
      const std::int32_t run_end = run + kChordLineRun;
      for (int l = 0; l < lines; ++l) {
        ChordLineSpan& span = spans[l];
        std::uint32_t* ids = line_ids + static_cast<std::size_t>(l) * stride;
        for (; span.next <= span.hi && span.next < run_end; span.next += kGroup) sample(span, ids, span.next);
      }
    }
  }
}

// The kernels of one job, chosen once from its options.
struct Kernels {
  // The first pass over count chords, sampling every step.
  void (*map_chords)(const SampleTarget& target, const Chord* chords, std::size_t count, float r_centre,
                     bool vertical);
  // Chords [first, first + count), whole lines, the last sample of each
  // position only; line_ids: kChordLineBlock buffers of ChordLineStride
  // entries, one after another, all kNoSample (and left so). Null where the
  // kernels have none.
  void (*map_chord_lines)(const SampleTarget& target, const SampleSources& sources, const Chord* chords,
                          std::size_t first, std::size_t count, std::uint32_t* line_ids);
  // The second pass over the given ray angles, in order; first is the index
  // of angles[0] among all, for the sample ids.
  void (*map_rays)(const SampleTarget& target, const PolylineList& list, std::int32_t angle, float r_centre,
                   const RaySteps& steps, const float* angles, std::size_t count, std::uint32_t first);
  void (*resolve_rays)(const SampleTarget& target, const SampleSources& sources, const ResolveJob& job,
                       std::size_t begin, std::size_t end);
};
Kernels KernelsFor(const EngineOptions& options);

// The portable kernels (SSE2, the x86-64 baseline).
void MapChords(const SampleTarget& target, const Chord* chords, std::size_t count, float r_centre,
               bool vertical);
void MapRays(const SampleTarget& target, const PolylineList& list, std::int32_t angle, float r_centre,
             const RaySteps& steps, const float* angles, std::size_t count, std::uint32_t first);
void ResolveRays(const SampleTarget& target, const SampleSources& sources, const ResolveJob& job,
                 std::size_t begin, std::size_t end);

// The AVX2 kernels (only where the CPU has it).
void MapChordsAvx2(const SampleTarget& target, const Chord* chords, std::size_t count, float r_centre,
                   bool vertical);
void MapChordLinesAvx2(const SampleTarget& target, const SampleSources& sources, const Chord* chords,
                       std::size_t first, std::size_t count, std::uint32_t* line_ids);
void MapRaysAvx2(const SampleTarget& target, const PolylineList& list, std::int32_t angle, float r_centre,
                 const RaySteps& steps, const float* angles, std::size_t count, std::uint32_t first);
void ResolveRaysAvx2(const SampleTarget& target, const SampleSources& sources, const ResolveJob& job,
                     std::size_t begin, std::size_t end);

// The AVX-512 kernels (only where the CPU has it); the rest of a job's
// kernels are the AVX2 ones.
void MapChordLinesAvx512(const SampleTarget& target, const SampleSources& sources, const Chord* chords,
                         std::size_t first, std::size_t count, std::uint32_t* line_ids);
void MapRaysAvx512(const SampleTarget& target, const PolylineList& list, std::int32_t angle, float r_centre,
                   const RaySteps& steps, const float* angles, std::size_t count, std::uint32_t first);
void ResolveRaysAvx512(const SampleTarget& target, const SampleSources& sources, const ResolveJob& job,
                       std::size_t begin, std::size_t end);

// The sweep by sample ids, each layer holding at most most_rays_per_layer
// rays (SweepRaysFast passes as many as the ids hold).
void SweepRaysByIds(TWarpEngine& engine, const PolylineList& list, const EngineOptions& options, SweepSpare spare,
                    bool dest_is_background, std::size_t most_rays_per_layer);

// Fills count pixels with value, on the job's threads.
void FillPixels(const EngineOptions& options, std::uint32_t* pixels, std::size_t count, std::uint32_t value);

}  // namespace quorvel::fast
