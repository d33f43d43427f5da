// The second pass on every core. Ray ranges overlap anywhere on the shape,
// so each range records into a layer of its own and the layers are merged
// in range order: by sample id (the last writer's id is kept, then sampled
// once), or, without ids, by written-bits over whole sampled rasters. The
// layers' memory is lent by the job where it can be.
#include <algorithm>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "raster/parallel.h"
#include "warp/fast/fast_internal.h"
#include "warp/fast_mapping.h"
#include "warp/mapping.h"

namespace quorvel {
namespace {

using fast::Kernels;
using fast::RaySteps;
using fast::SampleTarget;

SampleTarget TargetOf(TWarpEngine& engine, std::uint32_t* dest, std::uint8_t* written) {
  SampleTarget t;
  t.src = engine.src.data();
  t.dest = dest;
  t.written = written;
  t.width = engine.width;
  t.height = engine.height;
  return t;
}

// A raster of S x S ids set to "none": the lent block when it has the room,
// else one of the engine's own.
std::uint32_t* IdLayer(const EngineOptions& options, PixelBlock* lent, PixelBlock& own, std::size_t pixels) {
  std::uint32_t* ids;
  if (lent && lent->size() >= pixels) {
    ReleaseBlock(own);
    ids = lent->data();
  } else {
    if (own.size() != pixels) own.resize(pixels);
    ids = own.data();
  }
  fast::FillPixels(options, ids, pixels, fast::kNoSample);
  return ids;
}

// The first range writes dest in place; every later range writes a raster
// of its own (the lent one first) and marks what it wrote, and wins over
// all ranges before it wherever it did.
void SweepRaysMerged(TWarpEngine& engine, const PolylineList& list, const Kernels& kernels, SweepSpare spare,
                     const std::vector<float>& angles, const RaySteps& steps, int ranges) {
  const float r_centre = WarpCentre(engine);
  const std::size_t pixels = engine.dest.size();
  const std::int32_t angle = engine.angle;
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
                 kernels.map_rays(target, list, angle, r_centre, steps, angles.data() + begin,
                                  static_cast<std::size_t>(end - begin), static_cast<std::uint32_t>(begin));
               });
  // Each pixel takes the value of the last range that wrote it.
  ForEachRange(static_cast<std::int64_t>(pixels), ranges, [&](std::int64_t b, std::int64_t e, int) {
    std::uint32_t* dest = engine.dest.data();
    for (std::int64_t i = b; i < e; ++i) {
      for (std::size_t r = later; r-- > 0;) {
        if (fast::WasWritten(bits + r * bit_bytes, static_cast<std::size_t>(i))) {
          dest[i] = rasters[r][i];
          break;
        }
      }
    }
  });
}

}  // namespace

namespace {

// Bits a ray id gives the step: enough for every step of a ray.
int StepBits(std::size_t steps) {
  int bits = 1;
  while (bits < 31 && (std::size_t{1} << bits) < steps) ++bits;
  return bits;
}

}  // namespace

void SweepRaysFast(TWarpEngine& engine, const PolylineList& list, const EngineOptions& options, SweepSpare spare,
                   bool dest_is_background) {
  if (list.empty()) return;
  if (engine.bytes_per_pixel != 4) return SweepRays(engine, list);  // the kernels write whole pixels
  const float r_centre = WarpCentre(engine);
  // The ray within its layer takes the bits the step leaves; all ones is
  // "no sample". For every side up to kMaxZoomSide that leaves room for
  // 2^17 - 1 rays a layer, more than half of all rays of the largest.
  const int step_bits = StepBits(static_cast<std::size_t>(D(r_centre) * 2.0) + 1);
  if (options.sample_ids && step_bits <= 24) {
    fast::SweepRaysByIds(engine, list, options, spare, dest_is_background, (std::size_t{1} << (32 - step_bits)) - 1);
    return;
  }
  const std::vector<float> angles = RayAngles(r_centre);
  const int ranges = ThreadsFor(options, static_cast<std::int64_t>(angles.size()) * engine.width, 1 << 18);
  const Kernels kernels = fast::KernelsFor(options);
  const RaySteps steps = fast::MakeRaySteps(r_centre);
  if (ranges == 1) {
    kernels.map_rays(TargetOf(engine, engine.dest.data(), nullptr), list, engine.angle, r_centre, steps,
                     angles.data(), angles.size(), 0);
  } else {
    SweepRaysMerged(engine, list, kernels, spare, angles, steps, ranges);
  }
}

namespace fast {

// Each layer records the ids of a contiguous range of rays; a later layer's
// id wins. Threads take contiguous runs of layers. Over a plain background,
// dest itself is the first layer.
void SweepRaysByIds(TWarpEngine& engine, const PolylineList& list, const EngineOptions& options, SweepSpare spare,
                    bool dest_is_background, std::size_t most_rays_per_layer) {
  const float r_centre = WarpCentre(engine);
  const std::vector<float> angles = RayAngles(r_centre);
  const std::size_t pixels = engine.dest.size();
  const int threads = ThreadsFor(options, static_cast<std::int64_t>(angles.size()) * engine.width, 1 << 18);
  const RaySteps steps = MakeRaySteps(r_centre);
  const Kernels kernels = KernelsFor(options);
  const std::size_t most = std::max<std::size_t>(1, most_rays_per_layer);
  const std::size_t layer_count =
      std::min(angles.size(), std::max(static_cast<std::size_t>(threads), (angles.size() + most - 1) / most));
  const int shift = StepBits(steps.count);

  std::vector<std::uint32_t*> layers(layer_count);
  std::vector<std::uint32_t> first(layer_count + 1);
  for (std::size_t l = 0; l <= layer_count; ++l)
    first[l] = static_cast<std::uint32_t>(RangeBegin(static_cast<std::int64_t>(angles.size()),
                                                     static_cast<int>(layer_count), static_cast<int>(l)));
  std::vector<PixelBlock>& own = engine.sweep_rasters;
  own.resize(std::max(own.size(), layer_count));
  PixelBlock* lent[2] = {spare.raster, spare.bits};
  std::size_t next_lent = 0;
  for (std::size_t l = 0; l < layer_count; ++l) {
    if (l == 0 && dest_is_background) {
      layers[l] = engine.dest.data();
      FillPixels(options, layers[l], pixels, kNoSample);
      continue;
    }
    PixelBlock* use = nullptr;
    while (!use && next_lent < 2) {
      PixelBlock* candidate = lent[next_lent++];
      if (candidate && candidate->size() >= pixels) use = candidate;
    }
    layers[l] = IdLayer(options, use, own[l], pixels);
  }
  ForEachRange(static_cast<std::int64_t>(layer_count), threads, [&](std::int64_t begin, std::int64_t end, int) {
    for (std::int64_t l = begin; l < end; ++l) {
      SampleTarget target = TargetOf(engine, engine.dest.data(), nullptr);
      target.ids = layers[static_cast<std::size_t>(l)];
      target.id_shift = shift;
      kernels.map_rays(target, list, engine.angle, r_centre, steps, angles.data() + first[l],
                       first[l + 1] - first[l], 0);
    }
  });
  SampleSources sources;
  sources.r_centre = r_centre;
  sources.steps = &steps;
  sources.id_shift = shift;
  for (float theta : angles) {
    const TPointF end = RayEnd(r_centre, theta);
    sources.end_x.push_back(end.x);
    sources.end_y.push_back(end.y);
  }
  const SampleTarget target = TargetOf(engine, engine.dest.data(), nullptr);
  ResolveJob job;
  job.layers = layers.data();
  job.layer_first = first.data();
  job.layer_count = static_cast<int>(layer_count);
  job.restore = dest_is_background;
  job.background = engine.background;
  ForEachRange(static_cast<std::int64_t>(pixels), ThreadsFor(options, static_cast<std::int64_t>(pixels), 1 << 16),
               [&](std::int64_t b, std::int64_t e, int) {
                 kernels.resolve_rays(target, sources, job, static_cast<std::size_t>(b), static_cast<std::size_t>(e));
               });
}

}  // namespace fast

void MapAllPixelsFast(TWarpEngine& engine, const PolylineList& list, const EngineOptions& options,
                      SweepSpare spare) {
  SquareToDiskFast(engine, options);
  SweepRaysFast(engine, list, options, spare, true);  // SquareToDiskFast leaves dest all background
#if defined(__GLIBC__)
  // The passes' tables (ray ends, chords: a few hundred KB) would otherwise
  // stay resident in the heap while the result is made and saved.
  malloc_trim(0);
#endif
}

}  // namespace quorvel
