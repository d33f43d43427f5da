#include "raster/parallel.h"

namespace quorvel {

int WorkerThreads() {
  static const int cores = [] {
    const unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : static_cast<int>(std::min(n, 64u));
  }();
  return cores;
}

}  // namespace quorvel
