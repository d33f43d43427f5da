// Splitting work over the machine's cores.
//
// Work is cut into contiguous ranges, one per thread, in order; range i
// always precedes range i + 1. Callers whose writes depend on order merge
// the ranges' results in that order, so results never depend on timing.
#pragma once

#include <algorithm>
#include <cstdint>
#include <system_error>
#include <thread>
#include <vector>

#include "raster/engine_options.h"

namespace quorvel {

// The machine's cores (at most 64): the threads a job uses unless its
// options say otherwise.
int WorkerThreads();

// Runs fn(begin, end, range) for `ranges` contiguous slices of [0, count),
// each on its own thread (the caller takes the first). Slices are as even as
// integer division allows; empty slices are not run.
template <class Fn>
void ForEachRange(std::int64_t count, int ranges, Fn&& fn) {
  if (count <= 0) return;
  ranges = static_cast<int>(std::max<std::int64_t>(1, std::min<std::int64_t>(ranges, count)));
  if (ranges == 1) {
    fn(std::int64_t{0}, count, 0);
    return;
  }
  std::vector<std::jthread> helpers;
  helpers.reserve(static_cast<std::size_t>(ranges - 1));
  for (int r = 1; r < ranges; ++r) {
    const std::int64_t begin = count * r / ranges;
    const std::int64_t end = count * (r + 1) / ranges;
    // Without room for another thread's stack the range runs here.
    try {
      helpers.emplace_back([&fn, begin, end, r] { fn(begin, end, r); });
    } catch (const std::system_error&) {
      fn(begin, end, r);
    }
  }
  fn(std::int64_t{0}, count / ranges, 0);
}

// The slice of `count` items that range r of `ranges` gets from ForEachRange.
inline std::int64_t RangeBegin(std::int64_t count, int ranges, int r) {
  return count * r / ranges;
}

// Threads worth using for `work` items when one thread should get at least
// `grain` of them, never more than the options allow.
inline int ThreadsFor(const EngineOptions& options, std::int64_t work, std::int64_t grain) {
  const std::int64_t useful = std::max<std::int64_t>(1, work / std::max<std::int64_t>(1, grain));
  return static_cast<int>(std::min<std::int64_t>(ThreadsOf(options), useful));
}

}  // namespace quorvel
