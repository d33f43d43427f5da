// How a job runs: the plain reference code or the fast paths, and for the
// fast paths on how many threads and with which kernels. A caller decides it
// once per job and it is passed down; nothing process-wide changes it. Every
// choice gives the same bytes.
#pragma once

namespace quorvel {

enum class EngineKernels {
  kWidest,    // AVX-512 where the CPU has it, else AVX2 where it has that
  kAvx2,      // AVX2 where the CPU has it, never AVX-512
  kPortable,  // the baseline SSE kernels only
};

struct EngineOptions {
  bool reference = false;  // the plain single-threaded code, the one the fast paths are checked against
  int threads = 0;         // fast paths: 0 every core, else this many (at most 64)
  EngineKernels kernels = EngineKernels::kWidest;
  // The fast sweep records which sample lands last on each pixel and samples
  // only that one; false samples every one and merges ranges by written-bits.
  bool sample_ids = true;
  // False for a caller that warps once and keeps only the result: the job
  // gives back the picture's pixels once the work square is made, and the
  // engine's rasters once the warped square is copied out, so the result is
  // made in their memory instead of on top of it. Same bytes either way.
  bool keep_buffers = true;
};

inline EngineOptions ReferenceOptions() {
  EngineOptions options;
  options.reference = true;
  return options;
}

// Threads a job with these options uses: 1 for the reference.
int ThreadsOf(const EngineOptions& options);

// Whether the fast paths take their AVX2 kernels, and beyond them the AVX-512
// ones where they have them.
bool UsesAvx2(const EngineOptions& options);
bool UsesAvx512(const EngineOptions& options);

}  // namespace quorvel
