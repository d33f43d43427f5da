#include "raster/parallel.h"

#include <atomic>

namespace quorvel {
namespace {

int DefaultThreads() {
  const unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : static_cast<int>(std::min(cores, 64u));
}

std::atomic<int> worker_threads{0};

}  // namespace

int WorkerThreads() {
  const int set = worker_threads.load(std::memory_order_relaxed);
  return set > 0 ? set : DefaultThreads();
}

void SetWorkerThreads(int threads) {
  worker_threads.store(threads > 0 ? std::min(threads, 64) : 0, std::memory_order_relaxed);
}

}  // namespace quorvel
