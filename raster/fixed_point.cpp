#include "raster/fixed_point.h"

#include <array>

namespace quorvel {
namespace {

constexpr double CubicKernel(double x) {
  if (x <= 1.0) return 1.0 - 2.0 * x * x + x * x * x;
  if (x <= 2.0) return 4.0 - 8.0 * x + 5.0 * x * x - x * x * x;
  return 0.0;
}

// constexpr: the tables exist before any static initialiser could resample.
constexpr std::array<std::int32_t, 513> kWeights = [] {
  std::array<std::int32_t, 513> table{};
  for (int i = 0; i <= 512; ++i)
    table[i] = static_cast<std::int32_t>(CubicKernel(i / 256.0) * 256.0 + 0.5);
  return table;
}();

constexpr std::array<std::uint8_t, 768> kClamp = [] {
  std::array<std::uint8_t, 768> table{};
  for (int i = -256; i < 512; ++i)
    table[i + 256] = static_cast<std::uint8_t>(i <= 0 ? 0 : (i >= 255 ? 255 : i));
  return table;
}();

}  // namespace

const std::int32_t* const BicubicWeightTable = kWeights.data();
const std::uint8_t* const ClampTable = kClamp.data() + 256;

}  // namespace quorvel
