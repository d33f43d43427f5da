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

}  // namespace quorvel
