// The choice of kernels, and the tables and fills every fast pass uses.
#include <algorithm>
#include <cstring>

#include "raster/parallel.h"
#include "warp/fast/fast_internal.h"

namespace quorvel::fast {

Kernels KernelsFor(const EngineOptions& options) {
  if (UsesAvx512(options)) return Kernels{MapChordsAvx2, MapChordLinesAvx512, MapRaysAvx512, ResolveRaysAvx512};
  if (UsesAvx2(options)) return Kernels{MapChordsAvx2, MapChordLinesAvx2, MapRaysAvx2, ResolveRaysAvx2};
  return Kernels{MapChords, nullptr, MapRays, ResolveRays};
}

RaySteps MakeRaySteps(float r_centre) {
  RaySteps steps;
  ForEachRayStep(r_centre, [&steps](float e, float one_minus_e) {
    steps.e.push_back(e);
    steps.one_minus_e.push_back(one_minus_e);
  });
  steps.count = steps.e.size();
  // Whole groups of eight for the vector kernels; the padding is never mapped.
  while (steps.e.size() % 8) {
    steps.e.push_back(1.0f);
    steps.one_minus_e.push_back(0.0f);
  }
  return steps;
}

void FillPixels(const EngineOptions& options, std::uint32_t* pixels, std::size_t count, std::uint32_t value) {
  ForEachRange(static_cast<std::int64_t>(count), ThreadsFor(options, static_cast<std::int64_t>(count), 1 << 20),
               [&](std::int64_t b, std::int64_t e, int) { std::fill(pixels + b, pixels + e, value); });
}

}  // namespace quorvel::fast

namespace quorvel {

void PrepareWarpFast(TWarpEngine& engine, std::int32_t side, const EngineOptions& options) {
  engine.width = side;
  engine.height = side;
  engine.bytes_per_pixel = 4;
  AllocBlock(engine.dest, side, side);
  AllocBlock(engine.src, side, side);
  fast::FillPixels(options, engine.dest.data(), engine.dest.size(), engine.background);
}

void CopyPixelsFast(Pixel* to, const Pixel* from, std::size_t count, const EngineOptions& options) {
  ForEachRange(static_cast<std::int64_t>(count), ThreadsFor(options, static_cast<std::int64_t>(count), 1 << 20),
               [&](std::int64_t b, std::int64_t e, int) {
                 std::memcpy(to + b, from + b, static_cast<std::size_t>(e - b) * sizeof(Pixel));
               });
}

}  // namespace quorvel
