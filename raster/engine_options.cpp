#include "raster/engine_options.h"

#include <algorithm>

#include "raster/cpu_features.h"
#include "raster/parallel.h"

namespace quorvel {

int ThreadsOf(const EngineOptions& options) {
  if (options.reference) return 1;
  return options.threads > 0 ? std::min(options.threads, 64) : WorkerThreads();
}

bool UsesAvx2(const EngineOptions& options) {
  return !options.reference && options.kernels != EngineKernels::kPortable && CpuHasAvx2();
}

bool UsesAvx512(const EngineOptions& options) {
  return UsesAvx2(options) && options.kernels == EngineKernels::kWidest && CpuHasAvx512();
}

}  // namespace quorvel
