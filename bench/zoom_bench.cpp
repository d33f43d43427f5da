#include <benchmark/benchmark.h>

#include "bench/bench_pictures.h"
#include "raster/zoom.h"

namespace quorvel {
namespace {

void BM_ZoomPixels(benchmark::State& state) {
  const int from = static_cast<int>(state.range(0));
  const int to = static_cast<int>(state.range(1));
  const PixelBlock src = bench::Gradient(from, from);
  PixelBlock dst;
  AllocBlock(dst, to, to);
  for (auto _ : state) {
    ZoomPixels(src.data(), from, from, dst.data(), to, to);
    benchmark::DoNotOptimize(dst.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(to) * to);
}
BENCHMARK(BM_ZoomPixels)->Args({5000, 5000})->Args({1000, 100})->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace quorvel
