// The live preview's warp, which runs inside a paint: a 100 x 100 picture
// into the bundled shape with the most loops, with the preview cache built
// afresh (a new shape) and current (a new angle or direction).
#include <benchmark/benchmark.h>

#include "bench/bench_pictures.h"
#include "warp/job.h"

namespace quorvel {
namespace {

void BM_PreviewWarp(benchmark::State& state) {
  const bool fresh_cache = state.range(0) != 0;
  TWarpEngine engine;
  if (!bench::LoadBundledShape(engine, "ring")) {
    state.SkipWithError("bundled shape 'ring' not found; build quorvel_shapelib first");
    return;
  }
  TImagePair pair = bench::GradientPicture(100, 100);
  RunWarpJob(engine, WarpKind::Preview, pair);
  for (auto _ : state) {
    if (fresh_cache) engine.preview.key_shape = -1;
    engine.angle = (engine.angle + 1) % 361;
    benchmark::DoNotOptimize(RunWarpJob(engine, WarpKind::Preview, pair));
  }
  state.counters["loops"] = static_cast<double>(engine.shape_polylines.size());
}
BENCHMARK(BM_PreviewWarp)->ArgName("fresh_cache")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace quorvel
