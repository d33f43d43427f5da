// What the CPU offers beyond the x86-64 baseline (SSE2), asked once. The
// resampler and the warp pick their kernels from here and nowhere else.
#pragma once

namespace quorvel {

bool CpuHasSse41();
// AVX2 together with SSE4.1, which every AVX2 kernel also uses.
bool CpuHasAvx2();
// AVX-512 F, VL, DQ and BW together with AVX2: what the AVX-512 kernels use.
bool CpuHasAvx512();

}  // namespace quorvel
