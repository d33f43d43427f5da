#include <benchmark/benchmark.h>

#include "bench/bench_pictures.h"
#include "raster/engine_options.h"
#include "warp/assist.h"
#include "warp/fast_mapping.h"
#include "warp/job.h"
#include "warp/mapping.h"
#include "warp/polyline.h"

namespace quorvel {
namespace {

// Second argument: 1 runs the plain single-threaded engine, 0 the fast path.
void BM_GenerateAssistPolyline_Dis(benchmark::State& state) {
  const int side = static_cast<int>(state.range(0));
  const bool plain = state.range(1) != 0;
  const PolylineList shape = bench::TenLoops();
  PolylineList guides, assist;
  for (auto _ : state) {
    ScalePolylines(guides, shape, side);
    if (plain)
      GenerateAssistPolyline_Dis(guides, assist);
    else
      GenerateAssistPolylineFast(guides, assist);
    benchmark::DoNotOptimize(assist.data());
  }
  state.counters["polylines"] = static_cast<double>(assist.size());
}
BENCHMARK(BM_GenerateAssistPolyline_Dis)->Args({5000, 1})->Args({5000, 0})
    ->Unit(benchmark::kMillisecond)->UseRealTime();

// The same for the bundled shape with the most loops.
void BM_GenerateAssistBundledRing(benchmark::State& state) {
  TWarpEngine engine;
  if (!bench::LoadBundledShape(engine, "ring")) {
    state.SkipWithError("bundled shape 'ring' not found; build quorvel_shapelib first");
    return;
  }
  const bool plain = state.range(1) != 0;
  PolylineList guides, assist;
  for (auto _ : state) {
    ScalePolylines(guides, engine.shape_polylines, static_cast<int>(state.range(0)));
    if (plain)
      GenerateAssistPolyline_Dis(guides, assist);
    else
      GenerateAssistPolylineFast(guides, assist);
    benchmark::DoNotOptimize(assist.data());
  }
  state.counters["loops"] = static_cast<double>(engine.shape_polylines.size());
  state.counters["polylines"] = static_cast<double>(assist.size());
}
BENCHMARK(BM_GenerateAssistBundledRing)->Args({5000, 1})->Args({5000, 0})
    ->Unit(benchmark::kMillisecond)->UseRealTime();

// An engine with the ten loops selected, its assist cache current for side.
void PrepareTenLoops(TWarpEngine& engine, int side, const PixelBlock& square) {
  engine.shape_polylines = bench::TenLoops();
  engine.selected = 0;
  PrepareWarp(engine, side, square.data());
  RefreshAssistCache(engine, engine.job);
}

void BM_MapAllPixels(benchmark::State& state) {
  const int side = static_cast<int>(state.range(0));
  const bool plain = state.range(1) != 0;
  TWarpEngine engine;
  const PixelBlock square = bench::Gradient(side, side);
  PrepareTenLoops(engine, side, square);
  for (auto _ : state) {
    state.PauseTiming();
    PrepareWarp(engine, side, square.data());
    state.ResumeTiming();
    if (plain)
      MapAllPixels(engine, engine.job.assist);
    else
      MapAllPixelsFast(engine, engine.job.assist);
    benchmark::DoNotOptimize(engine.dest.data());
  }
}
BENCHMARK(BM_MapAllPixels)->ArgsProduct({{100, 1000, 5000}, {1, 0}})->Unit(benchmark::kMillisecond)->UseRealTime();

// The fast path's two passes apart, at S = 5000, one thread (second argument
// 1) or every core (0).
void BM_FastPasses(benchmark::State& state, bool chords) {
  const int side = static_cast<int>(state.range(0));
  EngineOptions options;
  options.threads = state.range(1) != 0 ? 1 : 0;
  TWarpEngine engine;
  const PixelBlock square = bench::Gradient(side, side);
  PrepareTenLoops(engine, side, square);
  PixelBlock lent(static_cast<std::size_t>(side) * side);
  for (auto _ : state) {
    state.PauseTiming();
    PrepareWarp(engine, side, square.data());
    if (!chords) SquareToDiskFast(engine, options);
    state.ResumeTiming();
    if (chords)
      SquareToDiskFast(engine, options);
    else
      SweepRaysFast(engine, engine.job.assist, options, SweepSpare{&lent, nullptr}, true);
    benchmark::DoNotOptimize(engine.dest.data());
  }
}
BENCHMARK_CAPTURE(BM_FastPasses, square_to_disk, true)->Args({5000, 1})->Args({5000, 0})
    ->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_FastPasses, sweep_rays, false)->Args({5000, 1})->Args({5000, 0})
    ->Unit(benchmark::kMillisecond)->UseRealTime();

// The whole Apply with a warm assist cache, as a second Apply would run (its
// two timing lines go to stderr).
void BM_RunWarpJobApply(benchmark::State& state) {
  const int side = static_cast<int>(state.range(0));
  TWarpEngine engine;
  if (state.range(1) != 0) engine.options = ReferenceOptions();
  engine.shape_polylines = bench::TenLoops();
  engine.selected = 0;
  TImagePair pair = bench::GradientPicture(side, side);
  RunWarpJob(engine, WarpKind::Apply, pair);  // warms the cache
  for (auto _ : state) {
    RunWarpJob(engine, WarpKind::Apply, pair);
    benchmark::DoNotOptimize(pair.result.data());
  }
}
BENCHMARK(BM_RunWarpJobApply)->Args({5000, 1})->Args({5000, 0})->Unit(benchmark::kMillisecond)->UseRealTime();

// A phone-sized photograph, 12000 x 9000: the sweep by sample ids (third
// argument 1) against sampling every step and merging by written-bits (0),
// the scheme squares above about 10 000 took before ids covered them.
void BM_RunWarpJobApplyPhoto(benchmark::State& state) {
  TWarpEngine engine;
  engine.options.sample_ids = state.range(2) != 0;
  engine.shape_polylines = bench::TenLoops();
  engine.selected = 0;
  TImagePair pair = bench::GradientPicture(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  RunWarpJob(engine, WarpKind::Apply, pair);  // warms the cache
  for (auto _ : state) {
    RunWarpJob(engine, WarpKind::Apply, pair);
    benchmark::DoNotOptimize(pair.result.data());
  }
}
BENCHMARK(BM_RunWarpJobApplyPhoto)->Args({12000, 9000, 1})->Args({12000, 9000, 0})
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

void BM_RunWarpJobPreview(benchmark::State& state) {
  TWarpEngine engine;
  engine.shape_polylines = bench::TenLoops();
  engine.selected = 0;
  TImagePair pair = bench::GradientPicture(100, 100);
  for (auto _ : state) {
    RunWarpJob(engine, WarpKind::Preview, pair);
    benchmark::DoNotOptimize(pair.result.data());
  }
}
BENCHMARK(BM_RunWarpJobPreview)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace quorvel
