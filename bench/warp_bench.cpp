#include <benchmark/benchmark.h>

#include "bench/bench_pictures.h"
#include "warp/assist.h"
#include "warp/job.h"
#include "warp/mapping.h"
#include "warp/polyline.h"

namespace quorvel {
namespace {

void BM_GenerateAssistPolyline_Dis(benchmark::State& state) {
  const int side = static_cast<int>(state.range(0));
  const PolylineList shape = bench::TenLoops();
  PolylineList guides, assist;
  for (auto _ : state) {
    ScalePolylines(guides, shape, side);
    GenerateAssistPolyline_Dis(guides, assist);
    benchmark::DoNotOptimize(assist.data());
  }
  state.counters["polylines"] = static_cast<double>(assist.size());
}
BENCHMARK(BM_GenerateAssistPolyline_Dis)->Arg(5000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MapAllPixels(benchmark::State& state) {
  const int side = static_cast<int>(state.range(0));
  TWarpEngine engine;
  engine.shape_polylines = bench::TenLoops();
  engine.selected = 0;
  const PixelBlock square = bench::Gradient(side, side);
  PrepareWarp(engine, side, square.data());
  RefreshAssistCache(engine, engine.job);
  for (auto _ : state) {
    state.PauseTiming();
    PrepareWarp(engine, side, square.data());
    state.ResumeTiming();
    MapAllPixels(engine, engine.job.assist);
    benchmark::DoNotOptimize(engine.dest.data());
  }
}
BENCHMARK(BM_MapAllPixels)->Arg(100)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The whole Apply with a warm assist cache, as a second Apply would run (its
// two timing lines go to stderr).
void BM_RunWarpJobApply(benchmark::State& state) {
  const int side = static_cast<int>(state.range(0));
  TWarpEngine engine;
  engine.shape_polylines = bench::TenLoops();
  engine.selected = 0;
  TImagePair pair = bench::GradientPicture(side, side);
  RunWarpJob(engine, WarpKind::Apply, pair);  // warms the cache
  for (auto _ : state) {
    RunWarpJob(engine, WarpKind::Apply, pair);
    benchmark::DoNotOptimize(pair.result.data());
  }
}
BENCHMARK(BM_RunWarpJobApply)->Arg(5000)->Unit(benchmark::kMillisecond)->UseRealTime();

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
