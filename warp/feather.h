// Pieces of the feather shared by the plain and the fast pass.
#pragma once

#include <cstdint>

#include "warp/arithmetic.h"
#include "warp/engine.h"
#include "warp/geometry.h"

namespace quorvel {

// The feather width actually used and its step factor.
struct FeatherBand {
  std::int32_t width = 0;  // F; nothing to fade unless positive
  float k = 0.0f;          // 1 / (F + 1)
};

// Clamps engine.feather to S / 2, keeping the clamped value in the engine.
// A zero feather or a missing raster gives width 0 and clamps nothing.
inline FeatherBand PrepareFeather(TWarpEngine& engine) {
  FeatherBand band;
  if (engine.feather == 0 || engine.dest.empty()) return band;
  if (engine.feather > engine.width / 2) engine.feather = engine.width / 2;
  band.width = engine.feather;
  band.k = static_cast<float>(1.0 / (band.width + 1));
  return band;
}

// The pixel index (memory row-major) a feather point falls on: truncated,
// clamped from above, -1 when it lies below zero.
inline std::int64_t FeatherPixel(TPointF q, std::int32_t width, std::int32_t height) {
  const double half_width = width * 0.5;
  const double px = F(D(q.x) + half_width);
  const double py = F(D(q.y) + half_width);
  if (!(px > -1.0) || !(py > -1.0)) return -1;
  const std::int32_t column = px >= width - 1 ? width - 1 : static_cast<std::int32_t>(px);
  const std::int32_t row = py >= height - 1 ? height - 1 : static_cast<std::int32_t>(py);
  return static_cast<std::int64_t>(height - 1 - row) * width + column;
}

// trunc((s + 1) * k * alpha): the faded alpha at distance s from the rim.
inline std::uint8_t FadedAlpha(float s, float k, std::uint8_t alpha) {
  return static_cast<std::uint8_t>(static_cast<std::int32_t>((D(s) + 1.0) * D(k) * alpha));
}

}  // namespace quorvel
