#include "raster/cpu_features.h"

namespace quorvel {

bool CpuHasSse41() {
  static const bool has = __builtin_cpu_supports("sse4.1");
  return has;
}

bool CpuHasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("sse4.1");
  return has;
}

bool CpuHasAvx512() {
  static const bool has = CpuHasAvx2() && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
                          __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512bw");
  return has;
}

}  // namespace quorvel
