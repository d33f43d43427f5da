// Threads split the work into contiguous ranges in the plain passes' order.
// Where two samples can land on one pixel, the later one in that order must
// win: chords are split only where their destination line changes, and ray
// ranges write to their own rasters with a written-mask, merged in order.
#include "warp/fast_mapping.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "raster/parallel.h"
#include "warp/fast_mapping_detail.h"
#include "warp/mapping.h"
#include "warp/polyline_walk.h"
#include "warp/sample_kernel.h"

namespace quorvel {
namespace fast_mapping {
namespace {

inline float F(double v) { return static_cast<float>(v); }

SampleTarget TargetOf(TWarpEngine& engine, std::uint32_t* dest, std::uint8_t* written) {
  SampleTarget t;
  t.src = BytesOf(engine.src);
  t.dest = dest;
  t.written = written;
  t.width = engine.width;
  t.height = engine.height;
  t.alpha = engine.bytes_per_pixel == 4;
  return t;
}

std::vector<Chord> Chords(const TWarpEngine& engine) {
  const float r_centre = WarpCentre(engine);
  const double centre = r_centre;
  const float r_squared = F(centre * centre);
  const std::int32_t last = engine.width - 1;
  std::vector<Chord> chords;
  for (float c = -r_centre; c <= r_centre; c = F(static_cast<double>(c) + 0.5)) {
    const float c_squared = F(static_cast<double>(c) * c);
    const float r = F(std::sqrt(static_cast<double>(F(static_cast<double>(r_squared) - c_squared))));
    const float u0 = -r;
    if (std::fabs(static_cast<double>(u0) - r) < 1e-7) continue;
    Chord chord;
    chord.along = F(centre + c);
    chord.r = r;
    chord.v = F(2.0 * centre / (static_cast<double>(r) - u0));
    chord.line = std::min(sample_detail::TruncIndex(static_cast<double>(chord.along) + 0.5), last);
    chords.push_back(chord);
  }
  return chords;
}

// Range boundaries moved forward to where the destination line changes, so
// no two ranges write the same pixel.
std::vector<std::size_t> LineBoundaries(const std::vector<Chord>& chords, int ranges) {
  std::vector<std::size_t> cut{0};
  for (int r = 1; r < ranges; ++r) {
    std::size_t i = std::max(cut.back(), static_cast<std::size_t>(RangeBegin(
                                             static_cast<std::int64_t>(chords.size()), ranges, r)));
    while (i > 0 && i < chords.size() && chords[i].line == chords[i - 1].line) ++i;
    cut.push_back(i);
  }
  cut.push_back(chords.size());
  return cut;
}

void FillRange(std::uint32_t* pixels, std::size_t count, std::uint32_t value) {
  ForEachRange(static_cast<std::int64_t>(count), ThreadsFor(static_cast<std::int64_t>(count), 1 << 20),
               [&](std::int64_t b, std::int64_t e, int) { std::fill(pixels + b, pixels + e, value); });
}

}  // namespace

RaySteps MakeRaySteps(float r_centre) {
  RaySteps steps;
  const double centre = r_centre;
  for (float b = 0.0f; b <= r_centre; b = F(static_cast<double>(b) + 0.5)) {
    const float e = F(b / centre);  // 0 at the centre, 1 at the rim
    steps.e.push_back(e);
    steps.one_minus_e.push_back(F(1.0 - e));
  }
  steps.count = steps.e.size();
  // Whole groups of four for the vector kernels; the padding is never mapped.
  while (steps.e.size() % 4) {
    steps.e.push_back(1.0f);
    steps.one_minus_e.push_back(0.0f);
  }
  return steps;
}

void MapChords(const SampleTarget& target, const Chord* chords, std::size_t count, float r_centre,
               bool vertical) {
  const double centre = r_centre;
  for (std::size_t i = 0; i < count; ++i) {
    const Chord& chord = chords[i];
    for (float u = -chord.r; u <= chord.r; u = F(static_cast<double>(u) + 0.5)) {
      const float squeezed = F(centre + F(static_cast<double>(chord.v) * u));
      const float across = F(centre + u);
      if (vertical)
        SampleInto(target, chord.along, squeezed, chord.along, across, 0);
      else
        SampleInto(target, squeezed, chord.along, across, chord.along, 0);
    }
  }
}

void MapRays(const SampleTarget& target, const PolylineList& list, std::int32_t angle, float r_centre,
             const RaySteps& steps, const float* angles, std::size_t count, std::uint32_t first) {
  const double centre = r_centre;
  for (std::size_t r = 0; r < count; ++r) {
    const float theta = angles[r];
    const TPolyline& p = list[SelectAssistPolyline(list, angle, theta)];
    const TPointF end = RayEnd(r_centre, theta);
    std::size_t hint = p.segments.size();  // distances fall from the far end
    for (std::size_t i = 0; i < steps.count; ++i) {
      const float e = steps.e[i];
      const float sx = F(F(static_cast<double>(end.x) * e) + centre);
      const float sy = F(F(static_cast<double>(end.y) * e) + centre);
      const float s = F(static_cast<double>(steps.one_minus_e[i]) * p.length);
      TPointF q;
      if (PointAtLengthWalk(p, s, hint, q))
        SampleInto(target, sx, sy, F(q.x + centre), F(q.y + centre),
                   SampleId(first + static_cast<std::uint32_t>(r), static_cast<std::uint32_t>(i)));
    }
  }
}

std::atomic<bool> wide_kernels{true};
std::atomic<bool> sample_ids{true};

bool UseAvx2() { return wide_kernels.load(std::memory_order_relaxed) && HasAvx2(); }

namespace {

// Samples are recorded by id when every chord or ray and every step within
// one fits 16 bits (S up to about 10 000 for the rays).
constexpr std::size_t kIdLimit = 0xFFFF;

// A raster of S x S ids set to "none": the lent block when it has the room,
// else one of the engine's own.
std::uint32_t* IdLayer(PixelBlock* lent, PixelBlock& own, std::size_t pixels) {
  std::uint32_t* ids;
  if (lent && lent->size() >= pixels) {
    ReleaseBlock(own);
    ids = lent->data();
  } else {
    if (own.size() != pixels) own.resize(pixels);
    ids = own.data();
  }
  FillRange(ids, pixels, kNoSample);
  return ids;
}

}  // namespace

void ResolveRays(const SampleTarget& t, const SampleSources& s, const ResolveJob& job, std::size_t begin,
                 std::size_t end) {
  const double centre = s.r_centre;
  for (std::size_t d = begin; d < end; ++d) {
    std::uint32_t id = kNoSample;
    for (int l = job.layer_count; l-- > 0 && id == kNoSample;) id = job.layers[l][d];
    const std::uint32_t prior = job.restore ? job.background : t.dest[d];
    if (id == kNoSample) {
      t.dest[d] = prior;
      continue;
    }
    const std::uint32_t r = id >> 16;
    const float e = s.steps->e[id & 0xFFFFu];
    const float sx = F(F(static_cast<double>(s.end_x[r]) * e) + centre);
    const float sy = F(F(static_cast<double>(s.end_y[r]) * e) + centre);
    std::int32_t m0, h0, m, h;
    SourceIndices(t, sx, sy, m0, h0, m, h);  // recorded samples lie inside
    std::uint32_t out = FetchAt(t, sx, sy, m0, h0, m, h);
    if (!t.alpha) out = (out & 0x00FFFFFFu) | (prior & 0xFF000000u);
    t.dest[d] = out;
  }
}

}  // namespace fast_mapping

using namespace fast_mapping;

void AllowWideKernels(bool allow) { wide_kernels.store(allow, std::memory_order_relaxed); }
void AllowSampleIds(bool allow) { sample_ids.store(allow, std::memory_order_relaxed); }

void SquareToDiskFast(TWarpEngine& engine) {
  const std::vector<Chord> chords = Chords(engine);
  const float r_centre = WarpCentre(engine);
  const bool vertical = engine.direction == 0;
  const SampleTarget target = TargetOf(engine, engine.dest.data(), nullptr);
  const int ranges = ThreadsFor(static_cast<std::int64_t>(chords.size()) * engine.width, 1 << 16);
  // Ranges end where the destination line changes: no two write one pixel.
  const std::vector<std::size_t> cut = LineBoundaries(chords, ranges);
  const bool avx2 = UseAvx2();
  // Sample ids hold a chord's index and a step within it (up to 4 r).
  const bool lines = avx2 && sample_ids.load(std::memory_order_relaxed) && chords.size() < kIdLimit &&
                     4.0 * r_centre + 1.0 < double(kIdLimit);
  SampleSources sources;
  if (lines) {
    sources.vertical = vertical;
    sources.r_centre = r_centre;
    for (const Chord& c : chords) {
      sources.along.push_back(c.along);
      sources.half.push_back(c.r);
      sources.squeeze.push_back(c.v);
    }
  }
  // Every range's line of ids, allocated here: memory a worker thread
  // allocates stays with its own heap arena.
  const std::size_t line = static_cast<std::size_t>(std::max(engine.width, engine.height)) + 3;
  std::vector<std::uint32_t> line_ids(lines ? line * static_cast<std::size_t>(ranges) : 0, kNoSample);
  ForEachRange(ranges, ranges, [&](std::int64_t first, std::int64_t, int) {
    const std::size_t begin = cut[first], count = cut[first + 1] - cut[first];
    if (lines) {
      MapChordLinesAvx2(target, sources, chords.data(), begin, count,
                        line_ids.data() + line * static_cast<std::size_t>(first));
    } else if (avx2) {
      MapChordsAvx2(target, chords.data() + begin, count, r_centre, vertical);
    } else {
      MapChords(target, chords.data() + begin, count, r_centre, vertical);
    }
  });
  // The disk picture becomes the source; the old source buffer, refilled,
  // the background destination (the plain pass copies and refills instead).
  engine.src.swap(engine.dest);
  FillRange(engine.dest.data(), engine.dest.size(), engine.background);
}

namespace {

// Ray ranges write their own rasters with written-bits, merged in order.
// For working squares too large for sample ids.
void SweepRaysMerged(TWarpEngine& engine, const PolylineList& list, SweepSpare spare,
                     const std::vector<float>& angles, const RaySteps& steps, int ranges) {
  const float r_centre = WarpCentre(engine);
  const std::size_t pixels = engine.dest.size();
  const std::int32_t angle = engine.angle;
  const auto map = UseAvx2() ? MapRaysAvx2 : MapRays;
  // The first range writes dest in place; every later range writes a raster
  // of its own (the lent one first) and marks what it wrote, and wins over
  // all ranges before it wherever it did.
  const std::size_t later = static_cast<std::size_t>(ranges - 1);
  std::vector<std::uint32_t*> rasters(later);
  std::vector<PixelBlock>& own = engine.sweep_rasters;
  own.resize(later);
  for (std::size_t r = 0; r < later; ++r) {
    if (r == 0 && spare.raster && spare.raster->size() == pixels) {
      ReleaseBlock(own[r]);
      rasters[r] = spare.raster->data();
    } else {
      own[r].resize(pixels);
      rasters[r] = own[r].data();
    }
  }
  const std::size_t bit_bytes = (pixels + 7) / 8;
  ByteBlock taken;
  std::uint8_t* bits = nullptr;
  if (spare.bits && spare.bits->size() * sizeof(Pixel) >= later * bit_bytes) {
    bits = BytesOf(*spare.bits);
  } else {
    taken.resize(later * bit_bytes);
    bits = taken.data();
  }
  ForEachRange(static_cast<std::int64_t>(angles.size()), ranges,
               [&](std::int64_t begin, std::int64_t end, int r) {
                 std::uint8_t* mine = r == 0 ? nullptr : bits + static_cast<std::size_t>(r - 1) * bit_bytes;
                 if (mine) std::fill(mine, mine + bit_bytes, 0);
                 const SampleTarget target = TargetOf(engine, r == 0 ? engine.dest.data() : rasters[r - 1], mine);
                 map(target, list, angle, r_centre, steps, angles.data() + begin,
                     static_cast<std::size_t>(end - begin), static_cast<std::uint32_t>(begin));
               });
  // Each pixel takes the value of the last range that wrote it.
  ForEachRange(static_cast<std::int64_t>(pixels), ranges, [&](std::int64_t b, std::int64_t e, int) {
    std::uint32_t* dest = engine.dest.data();
    for (std::int64_t i = b; i < e; ++i) {
      for (std::size_t r = later; r-- > 0;) {
        if (WasWritten(bits + r * bit_bytes, static_cast<std::size_t>(i))) {
          dest[i] = rasters[r][i];
          break;
        }
      }
    }
  });
}

}  // namespace

void SweepRaysFast(TWarpEngine& engine, const PolylineList& list, SweepSpare spare, bool dest_is_background) {
  if (list.empty()) return;
  const float r_centre = WarpCentre(engine);
  const std::vector<float> angles = RayAngles(r_centre);
  const std::size_t pixels = engine.dest.size();
  const int ranges = ThreadsFor(static_cast<std::int64_t>(angles.size()) * engine.width, 1 << 18);
  const std::int32_t angle = engine.angle;
  const RaySteps steps = MakeRaySteps(r_centre);
  const auto map = UseAvx2() ? MapRaysAvx2 : MapRays;
  const bool by_id =
      sample_ids.load(std::memory_order_relaxed) && angles.size() < kIdLimit && steps.count <= kIdLimit;
  if (!by_id) {
    if (ranges == 1) {
      const SampleTarget target = TargetOf(engine, engine.dest.data(), nullptr);
      map(target, list, angle, r_centre, steps, angles.data(), angles.size(), 0);
    } else {
      SweepRaysMerged(engine, list, spare, angles, steps, ranges);
    }
    return;
  }

  // Each ray range records its samples' ids in a layer of its own; a later
  // layer's id wins. Over a plain background, dest itself is the first.
  std::vector<std::uint32_t*> layers(static_cast<std::size_t>(ranges));
  std::vector<PixelBlock>& own = engine.sweep_rasters;
  own.resize(std::max(own.size(), layers.size()));
  PixelBlock* lent[2] = {spare.raster, spare.bits};
  std::size_t next_lent = 0;
  for (std::size_t r = 0; r < layers.size(); ++r) {
    if (r == 0 && dest_is_background) {
      layers[r] = engine.dest.data();
      FillRange(layers[r], pixels, kNoSample);
      continue;
    }
    PixelBlock* use = nullptr;
    while (!use && next_lent < 2) {
      PixelBlock* candidate = lent[next_lent++];
      if (candidate && candidate->size() >= pixels) use = candidate;
    }
    layers[r] = IdLayer(use, own[r], pixels);
  }
  ForEachRange(static_cast<std::int64_t>(angles.size()), ranges,
               [&](std::int64_t begin, std::int64_t end, int r) {
                 SampleTarget target = TargetOf(engine, engine.dest.data(), nullptr);
                 target.ids = layers[static_cast<std::size_t>(r)];
                 map(target, list, angle, r_centre, steps, angles.data() + begin,
                     static_cast<std::size_t>(end - begin), static_cast<std::uint32_t>(begin));
               });
  SampleSources sources;
  sources.r_centre = r_centre;
  sources.steps = &steps;
  for (float theta : angles) {
    const TPointF end = RayEnd(r_centre, theta);
    sources.end_x.push_back(end.x);
    sources.end_y.push_back(end.y);
  }
  const SampleTarget target = TargetOf(engine, engine.dest.data(), nullptr);
  const ResolveJob job{layers.data(), ranges, dest_is_background, engine.background};
  const bool avx2 = UseAvx2();
  ForEachRange(static_cast<std::int64_t>(pixels), ThreadsFor(static_cast<std::int64_t>(pixels), 1 << 16),
               [&](std::int64_t b, std::int64_t e, int) {
                 const auto begin = static_cast<std::size_t>(b), end = static_cast<std::size_t>(e);
                 avx2 ? ResolveRaysAvx2(target, sources, job, begin, end)
                      : ResolveRays(target, sources, job, begin, end);
               });
}

void MapAllPixelsFast(TWarpEngine& engine, const PolylineList& list, SweepSpare spare) {
  SquareToDiskFast(engine);
  SweepRaysFast(engine, list, spare, true);  // SquareToDiskFast leaves dest all background
#if defined(__GLIBC__)
  // The passes' tables (ray ends, chords: a few hundred KB) would otherwise
  // stay resident in the heap while the result is made and saved.
  malloc_trim(0);
#endif
}

}  // namespace quorvel
