// The live preview's warp, which runs inside a paint: a 100 x 100 picture
// into the bundled shape with the most loops, with the preview cache built
// afresh (a new shape) and current (a new angle or direction).
#include <benchmark/benchmark.h>

#include "bench/bench_pictures.h"
#include "shapes/platform.h"
#include "shapes/shape_library.h"
#include "warp/job.h"

namespace quorvel {
namespace {

// The bench program lies in build/bench, the shape folder in build/bin.
bool LoadBundledRing(TWarpEngine& engine) {
  ScanShapeFolder(engine, ExecutableFolder().parent_path() / "bin" / kShapeFolderName);
  for (std::size_t i = 0; i < engine.shapes.size(); ++i)
    if (engine.shapes[i].name == "ring") return SelectShape(engine, static_cast<std::int32_t>(i)) == 1;
  return false;
}

void BM_PreviewWarp(benchmark::State& state) {
  const bool fresh_cache = state.range(0) != 0;
  TWarpEngine engine;
  if (!LoadBundledRing(engine)) {
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
